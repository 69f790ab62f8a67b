#include "IGraphicsCocoa.h"

#include "IGraphicsMac.h"

namespace
{
// Modifier flags of a mouse event.
const NSUInteger kRightButtonFlag = 0x8;
const NSUInteger kCommandKeyFlag = 0x100000;
const NSUInteger kShiftKeyFlag = 0x20000;
const NSUInteger kControlKeyFlag = 0x40000;
const NSUInteger kAltKeyFlag = 0x80000;
} // namespace

void IGraphicsCocoa_v1003_kelvo::ToEditorPoint(NSPoint p, int h, int* pX, int* pY)
{
  *pX = static_cast<int>(p.x);
  *pY = h - static_cast<int>(p.y);
}

NSRect IGraphicsCocoa_v1003_kelvo::ToViewRect(const IRECT* pR, int h)
{
  return NSMakeRect(pR->L, h - pR->B, pR->W(), pR->H());
}

IRECT IGraphicsCocoa_v1003_kelvo::ToEditorRect(NSRect r, int h)
{
  int x = static_cast<int>(r.origin.x);
  int y = static_cast<int>(r.origin.y);
  int w = static_cast<int>(r.size.width);
  int rh = static_cast<int>(r.size.height);
  return IRECT(x, h - (rh + y), w + x, h - y);
}

IMouseMod IGraphicsCocoa_v1003_kelvo::ToMouseMod(NSUInteger flags)
{
  return IMouseMod(true, (flags & (kRightButtonFlag | kCommandKeyFlag)) != 0, (flags & kShiftKeyFlag) != 0,
                   (flags & kControlKeyFlag) != 0, (flags & kAltKeyFlag) != 0);
}

IGraphicsCocoa_v1003_kelvo* IGraphicsCocoa_v1003_kelvo::initWithIGraphics(IGraphicsMac* pGraphics)
{
  mGraphics = pGraphics;
  initWithFrame(NSMakeRect(0, 0, pGraphics ? pGraphics->Width() : 0, pGraphics ? pGraphics->Height() : 0));
  if (pGraphics) {
    // fps is at least 1: the editor's constructor sees to it
    mTimer = NSTimer::timerWithTimeInterval_target_selector_userInfo_repeats(
        1.0 / pGraphics->FPS(), this, &IGraphicsCocoa_v1003_kelvo::onTimer, nil, YES);
    NSRunLoop::currentRunLoop()->addTimer_forMode(mTimer, kCFRunLoopCommonModes);
  }
  return this;
}

IGraphicsCocoa_v1003_kelvo::~IGraphicsCocoa_v1003_kelvo()
{
  // Only reached once the timer has let go of the view; an editor still linked forgets it.
  if (mGraphics) {
    mGraphics->ViewDestroyed(this);
    mGraphics = nullptr;
  }
}

void IGraphicsCocoa_v1003_kelvo::viewDidMoveToWindow()
{
  if (NSWindow* pWindow = window()) {
    pWindow->makeFirstResponder(this);
    pWindow->setAcceptsMouseMovedEvents(YES);
  }
}

void IGraphicsCocoa_v1003_kelvo::onTimer(NSTimer* pTimer)
{
  if (pTimer != mTimer || !mGraphics) {
    return;
  }
  IRECT r;
  if (mGraphics->IsDirty(&r)) {
    setNeedsDisplayInRect(ToViewRect(&r, mGraphics->Height()));
  }
}

void IGraphicsCocoa_v1003_kelvo::drawRect(NSRect rect)
{
  if (mGraphics) {
    IRECT r = ToEditorRect(rect, mGraphics->Height());
    mGraphics->Draw(&r);
  }
}

void IGraphicsCocoa_v1003_kelvo::GetMouse(NSEvent* pEvent, int* pX, int* pY, IMouseMod* pMod)
{
  ToEditorPoint(convertPoint_fromView(pEvent->locationInWindow(), nil), mGraphics->Height(), pX, pY);
  *pMod = ToMouseMod(pEvent->modifierFlags());
}

void IGraphicsCocoa_v1003_kelvo::mouseDown(NSEvent* pEvent)
{
  if (!mGraphics || !pEvent) {
    return;
  }
  int x, y;
  IMouseMod mod;
  GetMouse(pEvent, &x, &y, &mod);
  if (pEvent->clickCount() < 2) {
    mGraphics->OnMouseDown(x, y, &mod);
  } else {
    mGraphics->OnMouseDblClick(x, y, &mod);
  }
}

void IGraphicsCocoa_v1003_kelvo::mouseUp(NSEvent* pEvent)
{
  if (!mGraphics || !pEvent) {
    return;
  }
  int x, y;
  IMouseMod mod;
  GetMouse(pEvent, &x, &y, &mod);
  mGraphics->OnMouseUp(x, y, &mod);
}

void IGraphicsCocoa_v1003_kelvo::mouseDragged(NSEvent* pEvent)
{
  if (!mGraphics || !pEvent) {
    return;
  }
  int x, y;
  IMouseMod mod;
  GetMouse(pEvent, &x, &y, &mod);
  mGraphics->OnMouseDrag(x, y, &mod);
}

void IGraphicsCocoa_v1003_kelvo::mouseMoved(NSEvent* pEvent)
{
  if (!mGraphics || !pEvent) {
    return;
  }
  int x, y;
  IMouseMod mod;
  GetMouse(pEvent, &x, &y, &mod);
  mGraphics->OnMouseOver(x, y, &mod);
}

void IGraphicsCocoa_v1003_kelvo::scrollWheel(NSEvent* pEvent)
{
  if (!mGraphics || !pEvent) {
    return;
  }
  int x, y;
  IMouseMod mod;
  GetMouse(pEvent, &x, &y, &mod);
  // a cast truncates toward zero: 0.9 gives 0, -1.5 gives -1
  mGraphics->OnMouseWheel(x, y, &mod, static_cast<int>(pEvent->deltaY()));
}

void IGraphicsCocoa_v1003_kelvo::killTimer()
{
  NSTimer* pTimer = mTimer;
  mTimer = nullptr;
  if (pTimer) {
    // the timer lets go of the view here, which may be its last owner: nothing after this
    // may touch the view unless the caller holds it
    pTimer->invalidate();
  }
}

void IGraphicsCocoa_v1003_kelvo::removeFromSuperview()
{
  // The caller may hold the last count only through the superview: keep the view alive
  // until the platform's removal is done.
  retain();
  if (mGraphics) {
    IGraphicsMac* pGraphics = mGraphics;
    mGraphics = nullptr;
    pGraphics->CloseWindow();
  }
  killTimer();
  NSView::removeFromSuperview();
  release();
}
