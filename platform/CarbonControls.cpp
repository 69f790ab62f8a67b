#include "CarbonPrivate.h"
#include "CoreGraphicsPrivate.h"

#include <AppKit/NSGraphicsContext.h>
#include <Foundation/NSRunLoop.h>

#include <algorithm>
#include <cmath>
#include <new>

const HIViewID kHIViewWindowContentID = {0x77696E64 /* 'wind' */, 1};

struct OpaqueRgnHandle
{
  Rect bounds = {0, 0, 0, 0};
};

namespace {

HIRect ToHIRect(const Rect& r)
{
  return CGRectMake(r.left, r.top, r.right - r.left, r.bottom - r.top);
}

short Clamp16(CGFloat v)
{
  return static_cast<short>(std::max(-32768.0, std::min(32767.0, std::floor(v))));
}

Rect ToRect(const HIRect& h)
{
  const CGRect r = CGRectIntegral(h);
  Rect q;
  q.left = Clamp16(r.origin.x);
  q.top = Clamp16(r.origin.y);
  q.right = Clamp16(r.origin.x + r.size.width);
  q.bottom = Clamp16(r.origin.y + r.size.height);
  return q;
}

bool ValidWindow(WindowRef w)
{
  return w && w->ns;
}

UInt32 CarbonModifiers(NSUInteger flags)
{
  UInt32 m = 0;
  if (flags & NSCommandKeyMask) m |= cmdKey;
  if (flags & NSShiftKeyMask) m |= shiftKey;
  if (flags & NSAlternateKeyMask) m |= optionKey;
  if (flags & NSControlKeyMask) m |= controlKey;
  if (flags & NSAlphaShiftKeyMask) m |= alphaLock;
  return m;
}

OpaqueControlRef* MakeControl(OpaqueWindowPtr* owner, const HIRect& frame, UInt32 features)
{
  OpaqueControlRef* c = new (std::nothrow) OpaqueControlRef;
  if (!c) return nullptr;
  c->owner = owner;
  c->features = features;
  c->initWithFrame(frame);
  return c;
}

// Sends kEventControlDispose to the control and its children, deepest first, and
// drops their handlers.
void DisposeTree(OpaqueControlRef* c)
{
  if (c->disposed) return;
  for (NSView* child : std::vector<NSView*>(c->subviews())) DisposeTree(static_cast<OpaqueControlRef*>(child));
  c->disposed = true;
  carbonpriv::SendControlEvent(c, kEventControlDispose, nullptr);
  carbonpriv::RemoveAllHandlers(&c->target);
}

// The standard behaviour of a window for mouse presses: the control under the press
// receives kEventControlClick.
OSStatus WindowStandard(OpaqueWindowPtr* w, EventRef e)
{
  if (GetEventClass(e) != kEventClassMouse || GetEventKind(e) != kEventMouseDown || !w->root) return eventNotHandledErr;
  HIPoint local;
  if (GetEventParameter(e, kEventParamWindowMouseLocation, typeHIPoint, nullptr, sizeof local, nullptr, &local) != noErr)
    return eventNotHandledErr;
  const NSPoint p = NSMakePoint(local.x, w->ns->contentSize().height - local.y);
  NSView* hit = w->root->hitTest(p);
  if (!hit || hit == w->root || hit == w->contentView) return eventNotHandledErr;
  OpaqueControlRef* control = static_cast<OpaqueControlRef*>(hit);
  return carbonpriv::SendControlEvent(control, kEventControlClick, [e](EventRef click) {
    for (EventParamName name : {kEventParamMouseLocation, kEventParamWindowMouseLocation, kEventParamKeyModifiers,
                                kEventParamClickCount, kEventParamMouseButton}) {
      auto it = e->params.find(name);
      if (it != e->params.end()) click->params[name] = it->second;
    }
  });
}

void SendBoundsChanged(OpaqueControlRef* c, const HIRect& before)
{
  if (CGRectEqualToRect(before, c->frame())) return;
  const Rect original = ToRect(before), current = ToRect(c->frame());
  carbonpriv::SendControlEvent(c, kEventControlBoundsChanged, [&](EventRef e) {
    SetEventParameter(e, kEventParamOriginalBounds, typeQDRectangle, sizeof original, &original);
    SetEventParameter(e, kEventParamCurrentBounds, typeQDRectangle, sizeof current, &current);
  });
}

}  // namespace

namespace carbonpriv {

OSStatus SendControlEvent(ControlRef control, EventKind kind, const std::function<void(EventRef)>& fill)
{
  EventRef e = nullptr;
  if (CreateEvent(nullptr, kEventClassControl, kind, NSRunLoop::now(), 0, &e) != noErr) return memFullErr;
  SetEventParameter(e, kEventParamDirectObject, typeControlRef, sizeof control, &control);
  if (fill) fill(e);
  control->retain();
  const OSStatus status = SendEventToEventTarget(e, &control->target);
  control->release();
  ReleaseEvent(e);
  return status;
}

}  // namespace carbonpriv

OpaqueControlRef::~OpaqueControlRef()
{
  carbonpriv::RemoveAllHandlers(&target);
}

void OpaqueControlRef::drawRect(NSRect rect)
{
  if (disposed || !owner) return;
  RgnHandle rgn = NewRgn();
  if (!rgn) return;
  const Rect r = ToRect(rect);
  RectRgn(rgn, &r);
  NSGraphicsContext* g = NSGraphicsContext::currentContext();
  CGContextRef context = g ? g->CGContext() : nullptr;
  OpaqueWindowPtr* w = owner;
  carbonpriv::SendControlEvent(this, kEventControlDraw, [&](EventRef e) {
    SetEventParameter(e, kEventParamRgnHandle, typeQDRgnHandle, sizeof rgn, &rgn);
    if (w->compositing()) {
      SetEventParameter(e, kEventParamCGContextRef, typeCGContextRef, sizeof context, &context);
    } else {
      CGrafPtr port = &w->port;
      SetEventParameter(e, kEventParamGrafPort, typeGrafPtr, sizeof port, &port);
    }
  });
  DisposeRgn(rgn);
}

void CarbonWindow::sendEvent(NSEvent* event)
{
  if (!event || !carbon) return;
  EventKind kind;
  EventMouseButton button = kEventMouseButtonPrimary;
  switch (event->type()) {
    case NSLeftMouseDown: kind = kEventMouseDown; break;
    case NSRightMouseDown: kind = kEventMouseDown; button = kEventMouseButtonSecondary; break;
    case NSOtherMouseDown: kind = kEventMouseDown; button = kEventMouseButtonTertiary; break;
    case NSLeftMouseUp: kind = kEventMouseUp; break;
    case NSRightMouseUp: kind = kEventMouseUp; button = kEventMouseButtonSecondary; break;
    case NSOtherMouseUp: kind = kEventMouseUp; button = kEventMouseButtonTertiary; break;
    case NSMouseMoved: kind = kEventMouseMoved; break;
    case NSLeftMouseDragged: kind = kEventMouseDragged; break;
    case NSRightMouseDragged: kind = kEventMouseDragged; button = kEventMouseButtonSecondary; break;
    case NSOtherMouseDragged: kind = kEventMouseDragged; button = kEventMouseButtonTertiary; break;
    case NSScrollWheel: kind = kEventMouseWheelMoved; break;
    default: return;
  }
  retain();
  OpaqueWindowPtr* w = carbon;
  const NSPoint p = event->locationInWindow();
  const HIPoint local = CGPointMake(p.x, contentSize().height - p.y);
  const HIPoint global = CGPointMake(w->content.left + local.x, w->content.top + local.y);
  const UInt32 modifiers = CarbonModifiers(event->modifierFlags());
  auto send = [&](EventMouseWheelAxis axis, SInt32 delta) {
    EventRef e = nullptr;
    if (CreateEvent(nullptr, kEventClassMouse, kind, event->timestamp(), 0, &e) != noErr) return;
    SetEventParameter(e, kEventParamMouseLocation, typeHIPoint, sizeof global, &global);
    SetEventParameter(e, kEventParamWindowMouseLocation, typeHIPoint, sizeof local, &local);
    SetEventParameter(e, kEventParamKeyModifiers, typeUInt32, sizeof modifiers, &modifiers);
    if (kind == kEventMouseWheelMoved) {
      SetEventParameter(e, kEventParamMouseWheelAxis, typeMouseWheelAxis, sizeof axis, &axis);
      SetEventParameter(e, kEventParamMouseWheelDelta, typeSInt32, sizeof delta, &delta);
    } else if (kind != kEventMouseMoved) {
      const UInt32 clicks = static_cast<UInt32>(std::max<NSInteger>(0, event->clickCount()));
      SetEventParameter(e, kEventParamMouseButton, typeMouseButton, sizeof button, &button);
      SetEventParameter(e, kEventParamClickCount, typeUInt32, sizeof clicks, &clicks);
    }
    SendEventToEventTarget(e, &w->target);
    ReleaseEvent(e);
  };
  if (kind == kEventMouseWheelMoved) {
    if (event->deltaY() != 0) send(kEventMouseWheelAxisY, static_cast<SInt32>(event->deltaY()));
    if (event->deltaX() != 0) send(kEventMouseWheelAxisX, static_cast<SInt32>(event->deltaX()));
  } else {
    send(0, 0);
  }
  release();
}

OSStatus CreateNewWindow(WindowClass, WindowAttributes attributes, const Rect* contentBounds, WindowRef* outWindow)
{
  if (!contentBounds || !outWindow || contentBounds->right <= contentBounds->left ||
      contentBounds->bottom <= contentBounds->top)
    return paramErr;
  OpaqueWindowPtr* w = new (std::nothrow) OpaqueWindowPtr;
  if (!w) return memFullErr;
  w->attributes = attributes;
  w->content = *contentBounds;
  w->port.window = w;
  const CGFloat width = contentBounds->right - contentBounds->left;
  const CGFloat height = contentBounds->bottom - contentBounds->top;
  w->ns = new CarbonWindow;
  w->ns->carbon = w;
  w->ns->initWithContentRect_styleMask_backing_defer(NSMakeRect(contentBounds->left, contentBounds->top, width, height),
                                                      NSTitledWindowMask, NSBackingStoreBuffered, NO);
  w->root = MakeControl(w, CGRectMake(0, 0, width, height), kControlSupportsEmbedding);
  w->contentView = MakeControl(w, CGRectMake(0, 0, width, height), kControlSupportsEmbedding);
  w->ns->setContentView(w->root);
  w->root->release();
  w->root->addSubview(w->contentView);
  w->contentView->release();
  w->rootCreated = w->compositing();
  w->target.standard = [w](EventRef e) { return WindowStandard(w, e); };
  *outWindow = w;
  return noErr;
}

void DisposeWindow(WindowRef window)
{
  if (!ValidWindow(window)) return;
  if (window->root) DisposeTree(window->root);
  carbonpriv::RemoveAllHandlers(&window->target);
  window->target.standard = nullptr;
  window->ns->carbon = nullptr;
  window->ns->close();
  window->ns->release();
  window->ns = nullptr;
  delete window;
}

void ShowWindow(WindowRef window)
{
  if (ValidWindow(window)) window->ns->orderFront(nullptr);
}

void HideWindow(WindowRef window)
{
  if (ValidWindow(window)) window->ns->orderOut(nullptr);
}

OSStatus GetWindowAttributes(WindowRef window, WindowAttributes* outAttributes)
{
  if (!ValidWindow(window) || !outAttributes) return errInvalidWindowRef;
  *outAttributes = window->attributes;
  return noErr;
}

OSStatus GetWindowBounds(WindowRef window, WindowRegionCode, Rect* globalBounds)
{
  if (!ValidWindow(window) || !globalBounds) return errInvalidWindowRef;
  *globalBounds = window->content;
  return noErr;
}

OSStatus SetWindowBounds(WindowRef window, WindowRegionCode, const Rect* globalBounds)
{
  if (!ValidWindow(window) || !globalBounds) return errInvalidWindowRef;
  if (globalBounds->right <= globalBounds->left || globalBounds->bottom <= globalBounds->top) return paramErr;
  window->content = *globalBounds;
  const CGFloat w = globalBounds->right - globalBounds->left, h = globalBounds->bottom - globalBounds->top;
  window->ns->setContentSize(NSMakeSize(w, h));
  if (window->contentView) window->contentView->setFrame(CGRectMake(0, 0, w, h));
  return noErr;
}

EventTargetRef GetWindowEventTarget(WindowRef window)
{
  return ValidWindow(window) ? &window->target : nullptr;
}

CGrafPtr GetWindowPort(WindowRef window)
{
  return ValidWindow(window) ? &window->port : nullptr;
}

NSWindow* HIWindowGetCocoaWindow(WindowRef window)
{
  return ValidWindow(window) ? window->ns : nullptr;
}

OSStatus CreateRootControl(WindowRef window, ControlRef* outControl)
{
  if (!ValidWindow(window)) return errInvalidWindowRef;
  if (outControl) *outControl = window->root;
  if (window->rootCreated) return errRootAlreadyExists;
  window->rootCreated = true;
  return noErr;
}

OSStatus GetRootControl(WindowRef window, ControlRef* outControl)
{
  if (!ValidWindow(window) || !outControl) return errInvalidWindowRef;
  if (!window->rootCreated) {
    *outControl = nullptr;
    return errNoRootControl;
  }
  *outControl = window->root;
  return noErr;
}

HIViewRef HIViewGetRoot(WindowRef window)
{
  return ValidWindow(window) ? window->root : nullptr;
}

OSStatus HIViewFindByID(HIViewRef inStartView, HIViewID inID, HIViewRef* outControl)
{
  if (!inStartView || !outControl || !inStartView->owner) return paramErr;
  if (inID.signature != kHIViewWindowContentID.signature || inID.id != kHIViewWindowContentID.id ||
      inStartView != inStartView->owner->root)
    return errUnknownControl;
  *outControl = inStartView->owner->contentView;
  return noErr;
}

OSStatus CreateUserPaneControl(WindowRef window, const Rect* boundsRect, UInt32 features, ControlRef* outControl)
{
  if (!ValidWindow(window) || !boundsRect || !outControl) return paramErr;
  OpaqueControlRef* c = MakeControl(window, ToHIRect(*boundsRect), features);
  if (!c) return memFullErr;
  // a new control starts in the window's root control, which owns it
  window->root->addSubview(c);
  c->release();
  *outControl = c;
  return noErr;
}

OSStatus EmbedControl(ControlRef inControl, ControlRef inContainer)
{
  if (!inControl || !inContainer || inControl->owner != inContainer->owner || inControl->disposed ||
      inContainer->disposed)
    return errUnknownControl;
  if (inContainer == inControl || inContainer->isDescendantOf(inControl)) return paramErr;
  inContainer->addSubview(inControl);
  return noErr;
}

OSStatus HIViewAddSubview(HIViewRef inParent, HIViewRef inNewChild)
{
  return EmbedControl(inNewChild, inParent);
}

void DisposeControl(ControlRef control)
{
  if (!control || control->disposed) return;
  control->retain();
  DisposeTree(control);
  if (control->superview()) control->removeFromSuperview();
  control->owner = nullptr;
  control->release();
}

WindowRef GetControlOwner(ControlRef control)
{
  return control ? control->owner : nullptr;
}

HIViewRef HIViewGetSuperview(HIViewRef view)
{
  return view ? static_cast<OpaqueControlRef*>(view->superview()) : nullptr;
}

EventTargetRef GetControlEventTarget(ControlRef control)
{
  return control ? &control->target : nullptr;
}

UInt32 GetControlFeatures(ControlRef control)
{
  return control ? control->features : 0;
}

Rect* GetControlBounds(ControlRef control, Rect* bounds)
{
  if (!control || !bounds) return bounds;
  *bounds = ToRect(control->frame());
  return bounds;
}

void SetControlBounds(ControlRef control, const Rect* bounds)
{
  if (!control || !bounds) return;
  const HIRect before = control->frame();
  control->setFrame(CGRectStandardize(ToHIRect(*bounds)));
  SendBoundsChanged(control, before);
}

OSStatus HIViewGetFrame(HIViewRef view, HIRect* outRect)
{
  if (!view || !outRect) return paramErr;
  *outRect = view->frame();
  return noErr;
}

OSStatus HIViewSetFrame(HIViewRef view, const HIRect* inRect)
{
  if (!view || !inRect) return paramErr;
  const HIRect before = view->frame();
  view->setFrame(*inRect);
  SendBoundsChanged(view, before);
  return noErr;
}

OSStatus HIViewGetBounds(HIViewRef view, HIRect* outRect)
{
  if (!view || !outRect) return paramErr;
  *outRect = view->bounds();
  return noErr;
}

OSStatus HIViewConvertPoint(HIPoint* ioPoint, HIViewRef inSourceView, HIViewRef inDestView)
{
  if (!ioPoint) return paramErr;
  OpaqueWindowPtr* w = inSourceView ? inSourceView->owner : inDestView ? inDestView->owner : nullptr;
  if (!w || (inSourceView && inDestView && inSourceView->owner != inDestView->owner)) return paramErr;
  // null stands for the window's content area (top-left): the root view's coordinates
  *ioPoint = (inDestView ? inDestView : w->root)->convertPoint_fromView(*ioPoint, inSourceView ? inSourceView : w->root);
  return noErr;
}

OSStatus HIViewSetNeedsDisplay(HIViewRef view, Boolean inNeedsDisplay)
{
  if (!view) return paramErr;
  view->setNeedsDisplay(inNeedsDisplay ? YES : NO);
  return noErr;
}

OSStatus HIViewSetNeedsDisplayInRect(HIViewRef view, const HIRect* inRect, Boolean inNeedsDisplay)
{
  if (!view || !inRect) return paramErr;
  if (inNeedsDisplay) view->setNeedsDisplayInRect(*inRect);
  return noErr;
}

void UpdateControls(WindowRef window, RgnHandle updateRegion)
{
  if (!ValidWindow(window) || !window->root) return;
  const NSRect area = updateRegion ? ToHIRect(updateRegion->bounds) : window->root->bounds();
  // the region is in window coordinates (top-left), which are the root control's
  window->root->setNeedsDisplayInRect(area);
  window->ns->displayIfNeeded();
}

void Draw1Control(ControlRef control)
{
  if (!control || !control->owner) return;
  control->setNeedsDisplay(YES);
  control->owner->ns->displayIfNeeded();
}

OSStatus QDBeginCGContext(CGrafPtr inPort, CGContextRef* outContext)
{
  if (!inPort || !outContext || !inPort->window || !inPort->window->ns) return paramErr;
  CGContextRef c = inPort->window->ns->backingContext();
  if (!c) return paramErr;
  CGContextSaveGState(c);
  // the port's own coordinates: window content, origin at the bottom left
  c->state.ctm = CGAffineTransformIdentity;
  *outContext = c;
  return noErr;
}

OSStatus QDEndCGContext(CGrafPtr inPort, CGContextRef* inoutContext)
{
  if (!inPort || !inoutContext || !*inoutContext) return paramErr;
  CGContextRestoreGState(*inoutContext);
  *inoutContext = nullptr;
  return noErr;
}

RgnHandle NewRgn()
{
  return new (std::nothrow) OpaqueRgnHandle;
}

void DisposeRgn(RgnHandle rgn)
{
  delete rgn;
}

void RectRgn(RgnHandle rgn, const Rect* r)
{
  if (!rgn || !r) return;
  if (r->right <= r->left || r->bottom <= r->top) rgn->bounds = Rect{0, 0, 0, 0};
  else rgn->bounds = *r;
}

void SetRectRgn(RgnHandle rgn, short left, short top, short right, short bottom)
{
  Rect r;
  SetRect(&r, left, top, right, bottom);
  RectRgn(rgn, &r);
}

Rect* GetRegionBounds(RgnHandle rgn, Rect* bounds)
{
  if (rgn && bounds) *bounds = rgn->bounds;
  return bounds;
}

Boolean EmptyRgn(RgnHandle rgn)
{
  return !rgn || rgn->bounds.right <= rgn->bounds.left || rgn->bounds.bottom <= rgn->bounds.top;
}

void SetRect(Rect* r, short left, short top, short right, short bottom)
{
  if (!r) return;
  r->left = left;
  r->top = top;
  r->right = right;
  r->bottom = bottom;
}
