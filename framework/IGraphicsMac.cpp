#include "IGraphicsMac.h"

#include "IGraphicsCarbon.h"
#include "IGraphicsCocoa.h"
#include "Log.h"
#include "raster_bitmap.h"
#include "raster_jpg.h"
#include "raster_png.h"

#include <AppKit/AppKit.h>
#include <CoreGraphics/CoreGraphics.h>
#include <CoreServices/Gestalt.h>

#include <cstring>
#include <strings.h>

namespace
{
// Options of the text drawing call.
const NSStringDrawingOptions kTextDrawingOptions = 8;

// The bundle with the identifier, or null (inside a caller's pool).
NSBundle* FindBundle(const char* bundleID)
{
  if (!bundleID || !bundleID[0]) {
    return nullptr;
  }
  return NSBundle::bundleWithIdentifier(NSString::stringWithUTF8String(bundleID));
}

NSTextAlignment ToAlignment(EAlign align)
{
  switch (align) {
  case kAlignLeft:
    return NSLeftTextAlignment;
  case kAlignRight:
    return NSRightTextAlignment;
  default:
    return NSCenterTextAlignment;
  }
}
} // namespace

IGraphicsMac::IGraphicsMac(IEffectBase* plug, int w, int h, int fps)
  : IGraphicsRaster(plug, w, h, fps), mTxtStyle(14, &DEFAULT_TEXT_COLOR, DEFAULT_FONT, kStyleNormal, kAlignCenter, 0)
{
  NSApplicationLoad();
}

IGraphicsMac::~IGraphicsMac()
{
  CloseWindow();
  if (mTxtAttrs) {
    mTxtAttrs->release();
  }
}

void* IGraphicsMac::OpenWindow(void* pParentView)
{
  CloseWindow();
  IGraphicsCocoa_v1003_kelvo* pView = (new IGraphicsCocoa_v1003_kelvo)->initWithIGraphics(this);
  mGraphicsCocoa = pView;
  if (pParentView) {
    static_cast<NSView*>(pParentView)->addSubview(pView);
    pView->release();
  } else {
    // a new view for the host to embed: the host's retain keeps it
    pView->autorelease();
  }
  return pView;
}

void* IGraphicsMac::OpenWindow(void* pWindow, void* pParentControl)
{
  CloseWindow();
  IGraphicsCarbon* pCarbon =
      new IGraphicsCarbon(this, static_cast<WindowRef>(pWindow), static_cast<ControlRef>(pParentControl));
  if (!pCarbon->GetView()) {
    delete pCarbon;
    return nullptr;
  }
  mGraphicsCarbon = pCarbon;
  return pCarbon->GetView();
}

void IGraphicsMac::CloseWindow()
{
  if (mGraphicsCarbon) {
    IGraphicsCarbon* pCarbon = mGraphicsCarbon;
    mGraphicsCarbon = nullptr;
    delete pCarbon;
    return;
  }
  if (!mGraphicsCocoa) {
    return;
  }
  IGraphicsCocoa_v1003_kelvo* pView = mGraphicsCocoa;
  mGraphicsCocoa = nullptr;
  // stopping the timer may drop the view's last count but the one held here
  pView->retain();
  pView->killTimer();
  if (pView->graphics() == this) {
    pView->detach();
    pView->removeFromSuperview();
  }
  pView->release();
}

void IGraphicsMac::ViewDestroyed(IGraphicsCocoa_v1003_kelvo* pView)
{
  if (mGraphicsCocoa == pView) {
    mGraphicsCocoa = nullptr;
  }
}

void* IGraphicsMac::GetWindow()
{
  return mGraphicsCocoa;
}

bool IGraphicsMac::WindowIsOpen()
{
  return mGraphicsCarbon || mGraphicsCocoa;
}

void IGraphicsMac::Resize(int w, int h)
{
  IGraphicsRaster::Resize(w, h);
  if (mGraphicsCarbon) {
    mGraphicsCarbon->Resize(w, h);
  } else if (mGraphicsCocoa) {
    mGraphicsCocoa->setFrameSize(NSMakeSize(w, h));
  }
}

bool IGraphicsMac::DrawScreen(IRECT* pR)
{
  (void)pR;
  NSAutoreleasePool pool;
  CGContextRef pDest = nullptr;
  CGRect dest = CGRectMake(0, 0, Width(), Height());
  if (mGraphicsCarbon) {
    pDest = mGraphicsCarbon->GetCGContext();
    dest = CGRectOffset(dest, mGraphicsCarbon->GetContentXOffset(), mGraphicsCarbon->GetContentYOffset());
  } else if (mGraphicsCocoa) {
    NSGraphicsContext* pCurrent = NSGraphicsContext::currentContext();
    if (pCurrent && pCurrent->graphicsPort()) {
      NSGraphicsContext* pFlipped =
          NSGraphicsContext::graphicsContextWithGraphicsPort_flipped(pCurrent->graphicsPort(), YES);
      pDest = pFlipped ? pFlipped->CGContext() : nullptr;
    }
  }
  if (!pDest || !mDrawBitmap) {
    return false;
  }
  // The whole surface on every paint: the platform clips to the area being drawn.
  CGImageRef image = CGBitmapContextCreateImage(CGContextGetForGDIContext(mDrawBitmap->getDC()));
  if (!image) {
    return false;
  }
  CGContextDrawImage(pDest, dest, image);
  CGImageRelease(image);
  return true;
}

bool IGraphicsMac::DrawIText(IText* pTxt, const char* str, IRECT* pR)
{
  if (!pTxt || !str || !pR || !mDrawBitmap) {
    return false;
  }
  NSAutoreleasePool pool;
  int pointSize = static_cast<int>(pTxt->mSize * 0.75);
  bool first = !mTxtAttrs;
  if (first) {
    mTxtAttrs = new NSMutableDictionary;
  }
  // The font follows the style's name and size; the product draws all its text in one.
  if (first || std::strcmp(pTxt->mFont, mTxtStyle.mFont) != 0 || pTxt->mSize != mTxtStyle.mSize) {
    NSFont* pFont = NSFont::fontWithName_size(NSString::stringWithUTF8String(pTxt->mFont), pointSize);
    if (pFont) {
      mTxtAttrs->setObject_forKey(pFont, NSFontAttributeName);
    }
    std::memcpy(mTxtStyle.mFont, pTxt->mFont, sizeof mTxtStyle.mFont);
    mTxtStyle.mFont[sizeof mTxtStyle.mFont - 1] = 0;
    mTxtStyle.mSize = pTxt->mSize;
  }
  if (first || pTxt->mColor != mTxtStyle.mColor) {
    const IColor& c = pTxt->mColor;
    mTxtAttrs->setObject_forKey(
        NSColor::colorWithCalibratedRed_green_blue_alpha(c.R / 255.0, c.G / 255.0, c.B / 255.0, c.A / 255.0),
        NSForegroundColorAttributeName);
    mTxtStyle.mColor = c;
  }
  if (first || pTxt->mAlign != mTxtStyle.mAlign) {
    NSMutableParagraphStyle* pStyle = (new NSMutableParagraphStyle)->init();
    pStyle->setAlignment(ToAlignment(pTxt->mAlign));
    mTxtAttrs->setObject_forKey(pStyle, NSParagraphStyleAttributeName);
    pStyle->release();
    mTxtStyle.mAlign = pTxt->mAlign;
  }

  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext* pContext = NSGraphicsContext::graphicsContextWithGraphicsPort_flipped(
      CGContextGetForGDIContext(mDrawBitmap->getDC()), YES);
  NSGraphicsContext::setCurrentContext(pContext);
  if (pContext) {
    pContext->setShouldAntialias(pointSize > 11 ? YES : NO);
  }
  // below the rectangle's top by a quarter of the point size plus 6 pixels
  NSRect textRect = NSMakeRect(pR->L, pR->T + pointSize / 4 + 6, pR->W(), pR->H());
  NSString::stringWithUTF8String(str)->drawWithRect_options_attributes(textRect, kTextDrawingOptions, mTxtAttrs);
  NSGraphicsContext::restoreGraphicsState();
  return true;
}

bool IGraphicsMac::OpenURL(const char* url, const char* windowTitle, const char* confirmMsg, const char* errMsg)
{
  (void)windowTitle;
  (void)confirmMsg;
  (void)errMsg;
  if (!url) {
    return false;
  }
  NSAutoreleasePool pool;
  NSString* pText = NSString::stringWithUTF8String(url);
  NSURL* pLink = std::strstr(url, "http") ? NSURL::URLWithString(pText) : NSURL::fileURLWithPath(pText);
  // A text that makes no link is a failure, so that a caller can try its backup link.
  if (!pLink) {
    return false;
  }
  return NSWorkspace::sharedWorkspace()->openURL(pLink) != NO;
}

void IGraphicsMac::PluginPath(BASE_String* pPath)
{
  NSAutoreleasePool pool;
  NSBundle* pBundle = FindBundle(mBundleID.Get());
  NSString* pFolder = pBundle && pBundle->bundlePath() ? pBundle->bundlePath()->stringByDeletingLastPathComponent()
                                                        : nullptr;
  if (pPath && pFolder) {
    pPath->Set(pFolder->UTF8String());
    pPath->Append("/");
  }
}

void IGraphicsMac::HostPath(BASE_String* pPath)
{
  NSAutoreleasePool pool;
  NSBundle* pBundle = FindBundle(mBundleID.Get());
  NSString* pExecutable = pBundle ? pBundle->executablePath() : nullptr;
  if (pPath && pExecutable) {
    pPath->Set(pExecutable->UTF8String());
  }
}

void IGraphicsMac::PromptUserInput(IControl* pControl, IParam* pParam)
{
  (void)pControl;
  (void)pParam;
}

void IGraphicsMac::PromptForFile(BASE_String* pFilename, EFileAction action, const char* dir, const char* extensions)
{
  (void)pFilename;
  (void)action;
  (void)dir;
  (void)extensions;
}

bool IGraphicsMac::PromptForColor(IColor* pColor, const char* prompt)
{
  (void)pColor;
  (void)prompt;
  return false;
}

RAS_IBitmap* IGraphicsMac::OSLoadBitmap(int ID, const char* name)
{
  (void)ID;
  return LoadImageResource(mBundleID.Get(), name);
}

RAS_IBitmap* IGraphicsMac::LoadImageResource(const char* bundleID, const char* name)
{
  if (!name) {
    return nullptr;
  }
  const char* dot = std::strrchr(name, '.');
  if (!dot) {
    return nullptr;
  }
  bool isPNG = strcasecmp(dot + 1, "png") == 0;
  bool isJPG = strcasecmp(dot + 1, "jpg") == 0;
  if (!isPNG && !isJPG) {
    return nullptr;
  }
  NSAutoreleasePool pool;
  NSBundle* pBundle = FindBundle(bundleID);
  if (!pBundle) {
    return nullptr;
  }
  NSString* pBase = NSString::stringWithUTF8String(name)->lastPathComponent()->stringByDeletingPathExtension();
  NSString* pPath = pBundle->pathForResource_ofType(pBase, isPNG ? NSSTR("png") : NSSTR("jpg"));
  if (!pPath || !pPath->length()) {
    return nullptr;
  }
  return isPNG ? RAS_LoadPNG(pPath->UTF8String(), nullptr) : RAS_LoadJPG(pPath->UTF8String(), nullptr);
}

int IGraphicsMac::GetUserOSVersion()
{
  SInt32 version = 0;
  if (Gestalt(gestaltSystemVersion, &version) != noErr) {
    version = 0;
  }
  TRACE("%x", static_cast<unsigned>(version));
  return static_cast<int>(version);
}
