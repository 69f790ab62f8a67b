#include "IGraphicsCarbon.h"

#include "IGraphicsMac.h"

namespace
{
// Window attribute of a compositing window.
const WindowAttributes kCompositingAttribute = 0x80000;
// User-pane features: embedding, focus, tracking, data access, click activation, get
// region and best-rectangle calculation in a compositing window; without the last three
// in a non-compositing one.
const UInt32 kCompositedFeatures = 0x12000026;
const UInt32 kPlainFeatures = 38;

const EventTypeSpec kControlEvents[] = {{kEventClassControl, kEventControlClick},
                                        {kEventClassControl, kEventControlDraw},
                                        {kEventClassControl, kEventControlDispose},
                                        {kEventClassControl, kEventControlBoundsChanged}};
const EventTypeSpec kMouseEvents[] = {{kEventClassMouse, kEventMouseDown},
                                      {kEventClassMouse, kEventMouseUp},
                                      {kEventClassMouse, kEventMouseMoved},
                                      {kEventClassMouse, kEventMouseDragged},
                                      {kEventClassMouse, kEventMouseWheelMoved}};

Rect MakeRect(int l, int t, int r, int b)
{
  Rect rect;
  SetRect(&rect, static_cast<short>(l), static_cast<short>(t), static_cast<short>(r), static_cast<short>(b));
  return rect;
}

template <class T>
bool GetParam(EventRef pEvent, EventParamName name, EventParamType type, T* pValue)
{
  return GetEventParameter(pEvent, name, type, nullptr, sizeof(T), nullptr, pValue) == noErr;
}
} // namespace

IGraphicsCarbon::IGraphicsCarbon(IGraphicsMac* pGraphicsMac, WindowRef pWindow, ControlRef pParentControl)
  : mGraphicsMac(pGraphicsMac)
{
  WindowAttributes attributes = 0;
  if (!pWindow || GetWindowAttributes(pWindow, &attributes) != noErr) {
    return;
  }
  mWindow = pWindow;
  mIsComposited = (attributes & kCompositingAttribute) != 0;

  int w = pGraphicsMac->Width(), h = pGraphicsMac->Height();
  Rect bounds = MakeRect(0, 0, w, h);
  if (CreateUserPaneControl(pWindow, &bounds, mIsComposited ? kCompositedFeatures : kPlainFeatures, &mView) !=
          noErr ||
      !mView) {
    mView = nullptr;
    mWindow = nullptr;
    return;
  }
  mRgn = NewRgn();

  InstallEventHandler(GetControlEventTarget(mView), NewEventHandlerUPP(&ControlHandler),
                      sizeof kControlEvents / sizeof kControlEvents[0], kControlEvents, this, &mControlHandler);
  InstallEventHandler(GetWindowEventTarget(pWindow), NewEventHandlerUPP(&WindowHandler),
                      sizeof kMouseEvents / sizeof kMouseEvents[0], kMouseEvents, this, &mWindowHandler);
  InstallEventLoopTimer(GetMainEventLoop(), 0.0, 2.0 / pGraphicsMac->FPS(), NewEventLoopTimerUPP(&TimerHandler), this,
                        &mTimer);

  ControlRef pParent = pParentControl;
  if (!pParent) {
    if (mIsComposited) {
      HIViewFindByID(HIViewGetRoot(pWindow), kHIViewWindowContentID, &pParent);
    } else if (GetRootControl(pWindow, &pParent) != noErr) {
      CreateRootControl(pWindow, &pParent);
    }
  }
  if (pParent) {
    EmbedControl(mView, pParent);
  }
  SetControlBounds(mView, &bounds);
}

IGraphicsCarbon::~IGraphicsCarbon()
{
  StopTimer();
  if (mControlHandler) {
    RemoveEventHandler(mControlHandler);
  }
  if (mWindowHandler) {
    RemoveEventHandler(mWindowHandler);
  }
  if (mRgn) {
    DisposeRgn(mRgn);
  }
}

void IGraphicsCarbon::StopTimer()
{
  if (mTimer) {
    RemoveEventLoopTimer(mTimer);
    mTimer = nullptr;
  }
}

void IGraphicsCarbon::Resize(int w, int h)
{
  if (!mWindow || !mView) {
    return;
  }
  Rect content;
  if (GetWindowBounds(mWindow, kWindowContentRgn, &content) == noErr) {
    content.right = static_cast<short>(content.left + w);
    content.bottom = static_cast<short>(content.top + h);
    SetWindowBounds(mWindow, kWindowContentRgn, &content);
  }
  HIRect frame = CGRectMake(0, 0, w, h);
  HIViewSetFrame(mView, &frame);
}

OSStatus IGraphicsCarbon::ControlHandler(EventHandlerCallRef, EventRef pEvent, void* pData)
{
  IGraphicsCarbon* pThis = static_cast<IGraphicsCarbon*>(pData);
  if (GetEventClass(pEvent) != kEventClassControl) {
    return eventNotHandledErr;
  }
  switch (GetEventKind(pEvent)) {
  case kEventControlDraw:
    return pThis->OnDraw(pEvent);
  case kEventControlDispose:
    pThis->OnDispose();
    return noErr;
  case kEventControlBoundsChanged:
    return noErr;
  default:
    // clicks go on to the next handler: the window's mouse handler does the work
    return eventNotHandledErr;
  }
}

OSStatus IGraphicsCarbon::WindowHandler(EventHandlerCallRef pCall, EventRef pEvent, void* pData)
{
  return static_cast<IGraphicsCarbon*>(pData)->OnMouse(pCall, pEvent);
}

void IGraphicsCarbon::TimerHandler(EventLoopTimerRef, void* pData)
{
  static_cast<IGraphicsCarbon*>(pData)->OnTimer();
}

void IGraphicsCarbon::OnDispose()
{
  // The host is taking the control (or the whole window) away: the handler goes with the
  // control and the window may be freed next, so neither may be touched from now on.
  StopTimer();
  mControlHandler = nullptr;
  if (mWindowHandler) {
    RemoveEventHandler(mWindowHandler);
    mWindowHandler = nullptr;
  }
  mView = nullptr;
  mWindow = nullptr;
}

void IGraphicsCarbon::OnTimer()
{
  if (!mView) {
    return;
  }
  IRECT r;
  if (!mGraphicsMac->IsDirty(&r)) {
    return;
  }
  if (mIsComposited) {
    HIRect dirty = CGRectMake(r.L, r.T, r.W(), r.H());
    HIViewSetNeedsDisplayInRect(mView, &dirty, true);
    return;
  }
  // Regions are in window coordinates, top left and y down as the editor's: the dirty
  // rectangle moves by the control's place in the window.
  HIPoint origin = CGPointMake(0, 0);
  HIViewConvertPoint(&origin, mView, nullptr);
  int x = static_cast<int>(origin.x), y = static_cast<int>(origin.y);
  SetRectRgn(mRgn, static_cast<short>(r.L + x), static_cast<short>(r.T + y), static_cast<short>(r.R + x),
             static_cast<short>(r.B + y));
  UpdateControls(mWindow, mRgn);
}

OSStatus IGraphicsCarbon::OnDraw(EventRef pEvent)
{
  if (!mView) {
    return noErr;
  }
  int editorH = mGraphicsMac->Height();
  if (mIsComposited) {
    RgnHandle rgn = nullptr;
    CGContextRef context = nullptr;
    if (!GetParam(pEvent, kEventParamCGContextRef, typeCGContextRef, &context) || !context) {
      return noErr;
    }
    IRECT r(0, 0, mGraphicsMac->Width(), editorH);
    Rect bounds;
    if (GetParam(pEvent, kEventParamRgnHandle, typeQDRgnHandle, &rgn) && rgn && GetRegionBounds(rgn, &bounds)) {
      r = IRECT(bounds.left, bounds.top, bounds.right, bounds.bottom);
    }
    // the control's context runs from the top left downwards; the surface copy wants y up
    CGContextSaveGState(context);
    CGContextTranslateCTM(context, 0, editorH);
    CGContextScaleCTM(context, 1, -1);
    mCGC = context;
    mContentXOffset = mContentYOffset = 0;
    mGraphicsMac->Draw(&r);
    mCGC = nullptr;
    CGContextRestoreGState(context);
    return noErr;
  }

  CGrafPtr port = nullptr;
  if (!GetParam(pEvent, kEventParamGrafPort, typeGrafPtr, &port) || !port) {
    return noErr;
  }
  CGContextRef context = nullptr;
  if (QDBeginCGContext(port, &context) != noErr || !context) {
    return noErr;
  }
  // The port's context covers the window's content from the bottom left, y up: the
  // editor's top-left corner is the control's, measured from the window's bottom.
  HIPoint origin = CGPointMake(0, 0);
  HIViewConvertPoint(&origin, mView, nullptr);
  Rect content;
  int contentH = editorH;
  if (GetWindowBounds(mWindow, kWindowContentRgn, &content) == noErr) {
    contentH = content.bottom - content.top;
  }
  mContentXOffset = static_cast<int>(origin.x);
  mContentYOffset = contentH - static_cast<int>(origin.y) - editorH;
  mCGC = context;
  IRECT r;
  mGraphicsMac->IsDirty(&r);
  mGraphicsMac->Draw(&r);
  mCGC = nullptr;
  CGContextFlush(context);
  QDEndCGContext(port, &context);
  return noErr;
}

OSStatus IGraphicsCarbon::OnMouse(EventHandlerCallRef pCall, EventRef pEvent)
{
  if (!mView || GetEventClass(pEvent) != kEventClassMouse) {
    return eventNotHandledErr;
  }
  UInt32 kind = GetEventKind(pEvent);
  if (kind == kEventMouseDown) {
    // the host's controls see the press first
    CallNextEventHandler(pCall, pEvent);
    if (!mView) {
      return noErr;
    }
  }
  HIPoint p;
  if (!GetParam(pEvent, kEventParamWindowMouseLocation, typeHIPoint, &p)) {
    return eventNotHandledErr;
  }
  HIViewConvertPoint(&p, nullptr, mView);
  int x = static_cast<int>(p.x), y = static_cast<int>(p.y);
  // Outside the control, and with no press of ours held, the event is the host's.
  bool inside = x >= 0 && y >= 0 && x < mGraphicsMac->Width() && y < mGraphicsMac->Height();
  if (!inside && mGraphicsMac->GetMouseCapture() < 0) {
    return eventNotHandledErr;
  }
  UInt32 modifiers = 0;
  GetParam(pEvent, kEventParamKeyModifiers, typeUInt32, &modifiers);
  IMouseMod mod(true, (modifiers & cmdKey) != 0, (modifiers & shiftKey) != 0, (modifiers & controlKey) != 0,
                (modifiers & optionKey) != 0);

  switch (kind) {
  case kEventMouseDown: {
    UInt32 clicks = 1;
    GetParam(pEvent, kEventParamClickCount, typeUInt32, &clicks);
    if (clicks < 2) {
      mGraphicsMac->OnMouseDown(x, y, &mod);
    } else {
      mGraphicsMac->OnMouseDblClick(x, y, &mod);
    }
    return noErr;
  }
  case kEventMouseUp:
    mGraphicsMac->OnMouseUp(x, y, &mod);
    return noErr;
  case kEventMouseMoved:
    mGraphicsMac->OnMouseOver(x, y, &mod);
    return noErr;
  case kEventMouseDragged:
    mGraphicsMac->OnMouseDrag(x, y, &mod);
    return noErr;
  case kEventMouseWheelMoved: {
    EventMouseWheelAxis axis = kEventMouseWheelAxisX;
    SInt32 delta = 0;
    if (GetParam(pEvent, kEventParamMouseWheelAxis, typeMouseWheelAxis, &axis) && axis == kEventMouseWheelAxisY &&
        GetParam(pEvent, kEventParamMouseWheelDelta, typeSInt32, &delta)) {
      mGraphicsMac->OnMouseWheel(x, y, &mod, delta);
      return noErr;
    }
    return eventNotHandledErr;
  }
  default:
    return eventNotHandledErr;
  }
}
