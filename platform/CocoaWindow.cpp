#include "CocoaPrivate.h"
#include "CoreGraphicsPrivate.h"

#include <AppKit/NSGraphicsContext.h>
#include <AppKit/NSWindow.h>
#include <Foundation/NSRunLoop.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Every live window by number, with the thread that made it (its draw passes run in
// that thread's run loop).
struct WindowRegistry
{
  std::mutex lock;
  std::map<NSInteger, std::pair<NSWindow*, std::thread::id>> windows;
  NSInteger next = 1;
  static WindowRegistry& Get()
  {
    static WindowRegistry* registry = new WindowRegistry;
    return *registry;
  }
};

// a second press within this distance (pixels, each axis) may continue a click series
constexpr CGFloat kClickSlop = 4;
// background of window areas no opaque view covers: light grey
constexpr double kBackground = 0.93;

// largest content side in pixels
constexpr double kMaxSide = 16384;

// A content rectangle with whole, bounded sides (non-finite values give 0).
NSRect ContentRect(NSRect r)
{
  auto side = [](double v) { return std::isfinite(v) ? std::max(0.0, std::min(kMaxSide, std::round(v))) : 0.0; };
  auto pos = [](double v) { return std::isfinite(v) ? std::max(-1e6, std::min(1e6, std::round(v))) : 0.0; };
  r = CGRectStandardize(r);
  return NSMakeRect(pos(r.origin.x), pos(r.origin.y), side(r.size.width), side(r.size.height));
}

NSRect WindowBounds(const NSWindow* w)
{
  return NSMakeRect(0, 0, w->contentSize().width, w->contentSize().height);
}

}  // namespace

namespace cocoapriv {

bool DisplayWindowsIfNeeded()
{
  std::vector<NSWindow*> mine;
  {
    WindowRegistry& r = WindowRegistry::Get();
    std::lock_guard<std::mutex> hold(r.lock);
    for (auto& item : r.windows)
      if (item.second.second == std::this_thread::get_id()) mine.push_back(item.second.first);
  }
  bool drew = false;
  for (NSWindow* w : mine) w->retain();
  for (NSWindow* w : mine) {
    drew = w->displayIfNeeded() || drew;
    w->release();
  }
  return drew;
}

}  // namespace cocoapriv

NSWindow::NSWindow()
{
  WindowRegistry& r = WindowRegistry::Get();
  std::lock_guard<std::mutex> hold(r.lock);
  mNumber = r.next++;
  r.windows[mNumber] = std::make_pair(this, std::this_thread::get_id());
  NSRunLoop::mainRunLoop();
}

NSWindow::~NSWindow()
{
  {
    WindowRegistry& r = WindowRegistry::Get();
    std::lock_guard<std::mutex> hold(r.lock);
    r.windows.erase(mNumber);
  }
  if (mContentView) {
    NSView* view = mContentView;
    mContentView = nullptr;
    view->setWindow(nullptr);
    view->release();
  }
  if (mNative) cocoapriv::X11DestroyWindow(mNative);
  CGContextRelease(mBacking);
}

NSWindow* NSWindow::windowWithWindowNumber(NSInteger number)
{
  WindowRegistry& r = WindowRegistry::Get();
  std::lock_guard<std::mutex> hold(r.lock);
  auto it = r.windows.find(number);
  return it == r.windows.end() ? nullptr : it->second.first;
}

bool NSWindow::makeBacking(int w, int h)
{
  CGContextRelease(mBacking);
  mBacking = nullptr;
  if (w <= 0 || h <= 0) return false;
  mBacking = CGBitmapContextCreate(nullptr, w, h, 8, 0, nullptr, kCGImageAlphaNoneSkipFirst);
  if (!mBacking) return false;
  CGContextSetRGBFillColor(mBacking, kBackground, kBackground, kBackground, 1);
  CGContextFillRect(mBacking, CGRectMake(0, 0, w, h));
  return true;
}

NSWindow* NSWindow::initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSUInteger, NSBackingStoreType,
                                                                BOOL)
{
  contentRect = ContentRect(contentRect);
  mFrame = contentRect;
  makeBacking(static_cast<int>(contentRect.size.width), static_cast<int>(contentRect.size.height));
  mNative = cocoapriv::X11CreateWindow(this, static_cast<int>(contentRect.size.width),
                                       static_cast<int>(contentRect.size.height), 0);
  NSView* content = new NSView;
  content->initWithFrame(WindowBounds(this));
  setContentView(content);
  content->release();
  return this;
}

NSWindow* NSWindow::initWithForeignWindow(unsigned long foreignWindow, NSRect contentRect)
{
  mEmbedded = true;
  contentRect = ContentRect(contentRect);
  int w = static_cast<int>(contentRect.size.width), h = static_cast<int>(contentRect.size.height);
  if ((w <= 0 || h <= 0) && foreignWindow) cocoapriv::X11QuerySize(foreignWindow, w, h);
  mFrame = NSMakeRect(0, 0, w, h);
  makeBacking(w, h);
  if (foreignWindow) mNative = cocoapriv::X11CreateWindow(this, w, h, foreignWindow);
  NSView* content = new NSView;
  content->initWithFrame(WindowBounds(this));
  setContentView(content);
  content->release();
  // an embedded window shows as soon as its host window does
  orderFront(nullptr);
  return this;
}

void NSWindow::setContentView(NSView* view)
{
  if (view == mContentView) return;
  if (view) {
    view->retain();
    if (view->superview()) view->removeFromSuperview();
  }
  if (mContentView) {
    NSView* old = mContentView;
    mContentView = nullptr;
    viewRemoved(old);
    old->setWindow(nullptr);
    old->release();
  }
  mContentView = view;
  if (view) {
    view->setFrame(WindowBounds(this));
    view->setWindow(this);
    view->setNeedsDisplay(YES);
  }
}

void NSWindow::setContentSize(NSSize size)
{
  const NSRect r = ContentRect(NSMakeRect(0, 0, size.width, size.height));
  const int w = static_cast<int>(r.size.width), h = static_cast<int>(r.size.height);
  // keep the top-left corner in place (bottom-left screen coordinates)
  mFrame.origin.y += mFrame.size.height - h;
  mFrame.size = NSMakeSize(w, h);
  makeBacking(w, h);
  if (mNative) cocoapriv::X11ResizeWindow(mNative, w, h);
  if (mContentView) mContentView->setFrame(WindowBounds(this));
  if (mContentView) mContentView->setNeedsDisplay(YES);
}

void NSWindow::setTitle(NSString* title)
{
  if (mNative && title && !mEmbedded) cocoapriv::X11SetTitle(mNative, title->UTF8String());
}

void NSWindow::makeKeyAndOrderFront(NSObject* sender)
{
  orderFront(sender);
}

void NSWindow::orderFront(NSObject*)
{
  mVisible = true;
  if (mNative) cocoapriv::X11ShowWindow(mNative, true);
  if (mContentView) mContentView->setNeedsDisplay(YES);
}

void NSWindow::orderOut(NSObject*)
{
  mVisible = false;
  if (mNative) cocoapriv::X11ShowWindow(mNative, false);
}

void NSWindow::close()
{
  orderOut(nullptr);
  setContentView(nullptr);
  mFirstResponder = nullptr;
  mTrackingView = nullptr;
}

void NSWindow::viewRemoved(NSView* view)
{
  if (mFirstResponder && mFirstResponder != this) {
    NSView* v = static_cast<NSView*>(mFirstResponder);
    if (v->isDescendantOf(view)) mFirstResponder = nullptr;
  }
  if (mTrackingView && mTrackingView->isDescendantOf(view)) mTrackingView = nullptr;
}

BOOL NSWindow::makeFirstResponder(NSResponder* responder)
{
  if (responder == mFirstResponder) return YES;
  if (responder && responder != this) {
    // only views of this window may become first responder
    NSView* v = static_cast<NSView*>(responder);
    if (v->window() != this) return NO;
    if (!responder->acceptsFirstResponder()) return NO;
  }
  if (mFirstResponder && !mFirstResponder->resignFirstResponder()) return NO;
  mFirstResponder = nullptr;
  if (responder && !responder->becomeFirstResponder()) return NO;
  mFirstResponder = responder;
  return YES;
}

NSView* NSWindow::pressTarget(NSView* hit)
{
  if (hit && hit->acceptsFirstResponder()) makeFirstResponder(hit);
  return hit;
}

void NSWindow::sendEvent(NSEvent* event)
{
  if (!event || !mContentView) return;
  retain();
  event->retain();
  const NSPoint p = event->locationInWindow();
  switch (event->type()) {
    case NSLeftMouseDown:
    case NSRightMouseDown:
    case NSOtherMouseDown: {
      NSView* target = pressTarget(mContentView->hitTest(p));
      mTrackingView = target;
      if (target) {
        if (event->type() == NSLeftMouseDown) target->mouseDown(event);
        else if (event->type() == NSRightMouseDown) target->rightMouseDown(event);
        else target->otherMouseDown(event);
      }
      break;
    }
    case NSLeftMouseUp:
    case NSRightMouseUp:
    case NSOtherMouseUp:
    case NSLeftMouseDragged:
    case NSRightMouseDragged:
    case NSOtherMouseDragged: {
      NSView* target = mTrackingView ? mTrackingView : mContentView->hitTest(p);
      if (!target) break;
      switch (event->type()) {
        case NSLeftMouseUp: target->mouseUp(event); break;
        case NSRightMouseUp: target->rightMouseUp(event); break;
        case NSOtherMouseUp: target->otherMouseUp(event); break;
        case NSLeftMouseDragged: target->mouseDragged(event); break;
        case NSRightMouseDragged: target->rightMouseDragged(event); break;
        default: target->otherMouseDragged(event); break;
      }
      break;
    }
    case NSMouseMoved:
      if (mAcceptsMouseMoved && mFirstResponder) mFirstResponder->mouseMoved(event);
      break;
    case NSScrollWheel:
      if (NSView* target = mContentView->hitTest(p)) target->scrollWheel(event);
      break;
    default: break;
  }
  event->release();
  release();
}

void NSWindow::handleHostMouseButton(int button, bool down, NSPoint location, NSUInteger flags,
                                     NSTimeInterval time)
{
  if (button < 0 || button > 30) return;
  if (button == 1) flags |= NSRightMouseButtonFlag;
  if (down) {
    const bool series = button == mLastButton && time - mLastPressTime <= NSEvent::doubleClickInterval() &&
                        std::fabs(location.x - mLastPressLocation.x) <= kClickSlop &&
                        std::fabs(location.y - mLastPressLocation.y) <= kClickSlop;
    mClickCount = series ? mClickCount + 1 : 1;
    mLastButton = button;
    mLastPressTime = time;
    mLastPressLocation = location;
    mButtonsDown |= 1 << button;
  } else {
    mButtonsDown &= ~(1 << button);
  }
  NSEventType type;
  if (button == 0) type = down ? NSLeftMouseDown : NSLeftMouseUp;
  else if (button == 1) type = down ? NSRightMouseDown : NSRightMouseUp;
  else type = down ? NSOtherMouseDown : NSOtherMouseUp;
  NSEvent* e = NSEvent::mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
      type, location, flags, time, mNumber, nullptr, 0, button == mLastButton ? mClickCount : 1, down ? 1.0f : 0.0f);
  sendEvent(e);
  if (!down && mButtonsDown == 0) mTrackingView = nullptr;
}

void NSWindow::handleHostMouseMotion(NSPoint location, NSUInteger flags, NSTimeInterval time)
{
  NSEventType type = NSMouseMoved;
  if (mButtonsDown & 1) type = NSLeftMouseDragged;
  else if (mButtonsDown & 2) {
    type = NSRightMouseDragged;
    flags |= NSRightMouseButtonFlag;
  } else if (mButtonsDown) type = NSOtherMouseDragged;
  NSEvent* e = NSEvent::mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
      type, location, flags, time, mNumber, nullptr, 0, type == NSMouseMoved ? 0 : mClickCount, 0);
  sendEvent(e);
}

void NSWindow::handleHostScroll(NSPoint location, CGFloat deltaX, CGFloat deltaY, NSUInteger flags,
                                NSTimeInterval time)
{
  sendEvent(NSEvent::scrollWheelEventWithLocation_modifierFlags_timestamp_windowNumber_deltaX_deltaY(
      location, flags, time, mNumber, deltaX, deltaY));
}

BOOL NSWindow::viewsNeedDisplay() const
{
  std::vector<NSView*> stack;
  if (mContentView) stack.push_back(mContentView);
  while (!stack.empty()) {
    NSView* v = stack.back();
    stack.pop_back();
    if (v->isHidden()) continue;
    if (v->needsDisplay()) return YES;
    for (NSView* s : v->subviews()) stack.push_back(s);
  }
  return NO;
}

void NSWindow::fillBackground(NSRect windowRect)
{
  CGContextSaveGState(mBacking);
  CGContextSetRGBFillColor(mBacking, kBackground, kBackground, kBackground, 1);
  CGContextFillRect(mBacking, windowRect);
  CGContextRestoreGState(mBacking);
}

void NSWindow::drawView(NSView* view, NSRect windowRect)
{
  if (view->isHidden()) return;
  const NSRect visible = CGRectIntegral(CGRectIntersection(view->visibleRectInWindow(), windowRect));
  if (CGRectIsEmpty(visible)) return;
  view->retain();
  CGContextSaveGState(mBacking);
  CGContextClipToRect(mBacking, visible);
  // the view's coordinates: origin where its (0, 0) lies, y flipped for a flipped view
  const NSPoint origin = view->toWindow(NSMakePoint(0, 0));
  const NSPoint up = view->toWindow(NSMakePoint(0, 1));
  CGContextConcatCTM(mBacking, CGAffineTransformMake(1, 0, 0, up.y - origin.y, origin.x, origin.y));
  NSGraphicsContext* context = NSGraphicsContext::graphicsContextWithGraphicsPort_flipped(mBacking, view->isFlipped());
  NSGraphicsContext::saveGraphicsState();
  NSGraphicsContext::setCurrentContext(context);
  view->drawRect(view->convertRect_fromView(visible, nullptr));
  NSGraphicsContext::restoreGraphicsState();
  CGContextRestoreGState(mBacking);
  const std::vector<NSView*> subviews = view->subviews();
  for (NSView* s : subviews) s->retain();
  for (NSView* s : subviews) {
    if (s->superview() == view) drawView(s, visible);
    s->release();
  }
  view->release();
}

BOOL NSWindow::displayIfNeeded()
{
  if (!mContentView || !mBacking) return NO;
  retain();
  // the invalid areas with the view to repaint from: the nearest opaque ancestor, or
  // the window itself (null) when there is none
  std::vector<std::pair<NSView*, NSRect>> jobs;
  std::vector<NSView*> stack{mContentView};
  while (!stack.empty()) {
    NSView* v = stack.back();
    stack.pop_back();
    if (v->isHidden()) continue;
    if (v->needsDisplay()) {
      const NSRect r = CGRectIntersection(v->convertRect_toView(v->invalidRect(), nullptr), v->visibleRectInWindow());
      v->setNeedsDisplay(NO);
      if (!CGRectIsEmpty(r)) {
        NSView* base = v;
        while (base && !base->isOpaque()) base = base->superview();
        jobs.emplace_back(base, r);
      }
    }
    const std::vector<NSView*>& subs = v->subviews();
    for (auto it = subs.rbegin(); it != subs.rend(); ++it) stack.push_back(*it);
  }
  NSRect drawn = NSZeroRect;
  for (auto& job : jobs) {
    if (!mContentView) break;
    NSView* base = job.first;
    if (base && base->window() != this) continue;
    if (!base) {
      fillBackground(job.second);
      base = mContentView;
    }
    drawView(base, job.second);
    drawn = CGRectUnion(drawn, job.second);
  }
  if (!CGRectIsEmpty(drawn)) flushWindowRect(drawn);
  release();
  return CGRectIsEmpty(drawn) ? NO : YES;
}

void NSWindow::display()
{
  if (mContentView) mContentView->setNeedsDisplay(YES);
  displayIfNeeded();
}

void NSWindow::flushWindowRect(NSRect rect)
{
  if (!mNative || !mBacking || !mVisible) return;
  const NSRect r = CGRectIntegral(CGRectIntersection(rect, WindowBounds(this)));
  if (CGRectIsEmpty(r)) return;
  const int x = static_cast<int>(r.origin.x), w = static_cast<int>(r.size.width), h = static_cast<int>(r.size.height);
  const int row = mBacking->height - static_cast<int>(r.origin.y) - h;
  cocoapriv::X11PutImage(mNative, mBacking, x, row, w, h);
}
