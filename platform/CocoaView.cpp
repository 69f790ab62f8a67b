#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>

#include <algorithm>
#include <cmath>

namespace {

bool Finite(NSRect r)
{
  return std::isfinite(r.origin.x) && std::isfinite(r.origin.y) && std::isfinite(r.size.width) &&
         std::isfinite(r.size.height);
}

// The view's visual height, used to flip between its own and unflipped coordinates.
CGFloat Height(const NSView* v)
{
  return v->frame().size.height;
}

void CollectSubtree(NSView* v, std::vector<NSView*>& out)
{
  out.push_back(v);
  for (NSView* s : v->subviews()) CollectSubtree(s, out);
}

}  // namespace

NSView::~NSView()
{
  std::vector<NSView*> subviews;
  subviews.swap(mSubviews);
  for (NSView* s : subviews) {
    s->mSuperview = nullptr;
    s->setWindow(nullptr);
    s->release();
  }
}

NSView* NSView::initWithFrame(NSRect frame)
{
  mFrame = Finite(frame) ? CGRectStandardize(frame) : NSZeroRect;
  return this;
}

void NSView::setFrame(NSRect frame)
{
  if (!Finite(frame)) return;
  frame = CGRectStandardize(frame);
  if (CGRectEqualToRect(frame, mFrame)) return;
  if (mSuperview) mSuperview->setNeedsDisplayInRect(mFrame);
  mFrame = frame;
  mInvalid = CGRectIntersection(mInvalid, bounds());
  setNeedsDisplay(YES);
}

void NSView::setFrameOrigin(NSPoint origin)
{
  setFrame(NSMakeRect(origin.x, origin.y, mFrame.size.width, mFrame.size.height));
}

void NSView::setFrameSize(NSSize size)
{
  setFrame(NSMakeRect(mFrame.origin.x, mFrame.origin.y, size.width, size.height));
}

NSResponder* NSView::nextResponder() const
{
  if (mSuperview) return mSuperview;
  return mWindow;
}

BOOL NSView::isDescendantOf(const NSView* view) const
{
  for (const NSView* v = this; v; v = v->mSuperview)
    if (v == view) return YES;
  return NO;
}

void NSView::setWindow(NSWindow* window)
{
  std::vector<NSView*> subtree;
  CollectSubtree(this, subtree);
  bool changed = false;
  for (NSView* v : subtree) {
    changed = changed || v->mWindow != window;
    v->mWindow = window;
  }
  if (!changed) return;
  for (NSView* v : subtree) v->viewDidMoveToWindow();
}

void NSView::addSubview(NSView* view)
{
  if (!view || view == this || isDescendantOf(view)) return;
  view->retain();
  if (view->mSuperview) view->removeFromSuperview();
  if (view->mWindow != mWindow) {
    std::vector<NSView*> subtree;
    CollectSubtree(view, subtree);
    for (NSView* v : subtree) v->viewWillMoveToWindow(mWindow);
  }
  mSubviews.push_back(view);
  view->mSuperview = this;
  view->setWindow(mWindow);
  view->viewDidMoveToSuperview();
  view->setNeedsDisplay(YES);
}

void NSView::removeFromSuperview()
{
  NSView* superview = mSuperview;
  if (!superview) return;
  NSWindow* window = mWindow;
  std::vector<NSView*> subtree;
  CollectSubtree(this, subtree);
  if (window)
    for (NSView* v : subtree) v->viewWillMoveToWindow(nullptr);
  superview->setNeedsDisplayInRect(mFrame);
  auto it = std::find(superview->mSubviews.begin(), superview->mSubviews.end(), this);
  if (it != superview->mSubviews.end()) superview->mSubviews.erase(it);
  mSuperview = nullptr;
  if (window) window->viewRemoved(this);
  setWindow(nullptr);
  viewDidMoveToSuperview();
  release();
}

void NSView::setHidden(BOOL hidden)
{
  if ((hidden != NO) == mHidden) return;
  mHidden = hidden != NO;
  if (mSuperview) mSuperview->setNeedsDisplayInRect(mFrame);
  if (!mHidden) setNeedsDisplay(YES);
}

void NSView::setNeedsDisplay(BOOL flag)
{
  if (flag)
    setNeedsDisplayInRect(bounds());
  else
    mInvalid = NSZeroRect;
}

void NSView::setNeedsDisplayInRect(NSRect rect)
{
  if (!Finite(rect)) return;
  rect = CGRectIntersection(CGRectStandardize(rect), bounds());
  if (CGRectIsEmpty(rect)) return;
  mInvalid = CGRectUnion(mInvalid, rect);
}

void NSView::drawRect(NSRect) {}

void NSView::displayIfNeeded()
{
  if (mWindow) mWindow->displayIfNeeded();
}

void NSView::display()
{
  setNeedsDisplay(YES);
  displayIfNeeded();
}

NSView* NSView::hitTest(NSPoint point)
{
  if (mHidden) return nullptr;
  const CGFloat h = Height(this);
  const bool superFlipped = mSuperview && mSuperview->isFlipped();
  const CGFloat lx = point.x - mFrame.origin.x;
  const CGFloat ly = superFlipped ? mFrame.origin.y + h - point.y : point.y - mFrame.origin.y;
  if (lx < 0 || ly < 0 || lx >= mFrame.size.width || ly >= h) return nullptr;
  const NSPoint own = NSMakePoint(lx, isFlipped() ? h - ly : ly);
  for (auto it = mSubviews.rbegin(); it != mSubviews.rend(); ++it)
    if (NSView* hit = (*it)->hitTest(own)) return hit;
  return this;
}

NSPoint NSView::toWindow(NSPoint p)
{
  for (NSView* v = this; v; v = v->mSuperview) {
    const CGFloat h = Height(v);
    const CGFloat ly = v->isFlipped() ? h - p.y : p.y;
    const bool superFlipped = v->mSuperview && v->mSuperview->isFlipped();
    p = NSMakePoint(v->mFrame.origin.x + p.x, superFlipped ? v->mFrame.origin.y + h - ly : v->mFrame.origin.y + ly);
  }
  return p;
}

NSPoint NSView::fromWindow(NSPoint p)
{
  if (mSuperview) p = mSuperview->fromWindow(p);
  const CGFloat h = Height(this);
  const bool superFlipped = mSuperview && mSuperview->isFlipped();
  const CGFloat lx = p.x - mFrame.origin.x;
  const CGFloat ly = superFlipped ? mFrame.origin.y + h - p.y : p.y - mFrame.origin.y;
  return NSMakePoint(lx, isFlipped() ? h - ly : ly);
}

NSPoint NSView::convertPoint_fromView(NSPoint point, NSView* view)
{
  const NSPoint w = view ? view->toWindow(point) : point;
  return fromWindow(w);
}

NSPoint NSView::convertPoint_toView(NSPoint point, NSView* view)
{
  const NSPoint w = toWindow(point);
  return view ? view->fromWindow(w) : w;
}

NSRect NSView::convertRect_fromView(NSRect rect, NSView* view)
{
  rect = CGRectStandardize(rect);
  const NSPoint a = convertPoint_fromView(rect.origin, view);
  const NSPoint b = convertPoint_fromView(NSMakePoint(NSMaxX(rect), NSMaxY(rect)), view);
  return CGRectStandardize(NSMakeRect(a.x, a.y, b.x - a.x, b.y - a.y));
}

NSRect NSView::convertRect_toView(NSRect rect, NSView* view)
{
  rect = CGRectStandardize(rect);
  const NSPoint a = convertPoint_toView(rect.origin, view);
  const NSPoint b = convertPoint_toView(NSMakePoint(NSMaxX(rect), NSMaxY(rect)), view);
  return CGRectStandardize(NSMakeRect(a.x, a.y, b.x - a.x, b.y - a.y));
}

NSRect NSView::visibleRectInWindow()
{
  NSRect r = convertRect_toView(bounds(), nullptr);
  for (NSView* v = mSuperview; v; v = v->mSuperview) r = CGRectIntersection(r, v->convertRect_toView(v->bounds(), nullptr));
  return r;
}
