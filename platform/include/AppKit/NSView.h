#pragma once

// Views: rectangles of a window that draw themselves and receive its mouse events.
//
// Geometry: a view's frame is in its superview's coordinates, its bounds (origin 0, 0,
// the frame's size) in its own; both have their origin at the bottom left and y
// upwards unless the view reports isFlipped (then its own coordinates run from the top
// left downwards). A window's content view fills the window's content area.
//
// Drawing: setNeedsDisplayInRect collects the rectangle (in the view's coordinates)
// into the view's invalid area; the window's draw pass, run by the run loop, calls
// drawRect with the part of that area to repaint (the union of what was invalidated),
// with the current NSGraphicsContext set up for the view (origin at the view's
// origin, clipped to the rectangle). A view that is not opaque is drawn over its
// superview, which is repainted first.
//
// Subclassing: derive from NSView and override the virtual methods (drawRect,
// mouseDown, isOpaque, viewDidMoveToWindow, removeFromSuperview, ...); call the base
// method where Cocoa code would send the message to super.
//
// Ownership: a superview retains its subviews; removeFromSuperview releases the view.
// Threads: the main (user-interface) thread only.

#include <AppKit/NSResponder.h>
#include <Foundation/NSGeometry.h>

#include <vector>

class NSWindow;

class NSView : public NSResponder
{
public:
  NSView() = default;
  ~NSView() override;

  // Sets the frame; returns this.
  virtual NSView* initWithFrame(NSRect frame);

  NSRect frame() const { return mFrame; }
  NSRect bounds() const { return NSMakeRect(0, 0, mFrame.size.width, mFrame.size.height); }
  void setFrame(NSRect frame);
  void setFrameOrigin(NSPoint origin);
  void setFrameSize(NSSize size);

  NSView* superview() const { return mSuperview; }
  const std::vector<NSView*>& subviews() const { return mSubviews; }
  NSWindow* window() const { return mWindow; }
  NSResponder* nextResponder() const override;
  BOOL isDescendantOf(const NSView* view) const;

  // Retains the view, removing it from its former superview first; adds it in front of
  // the other subviews. Null, this view and its ancestors are ignored.
  void addSubview(NSView* view);
  // Takes the view out of its superview (and window) and releases it.
  virtual void removeFromSuperview();

  BOOL isHidden() const { return mHidden ? YES : NO; }
  void setHidden(BOOL hidden);

  virtual BOOL isOpaque() { return NO; }
  virtual BOOL isFlipped() { return NO; }
  virtual BOOL acceptsFirstMouse(NSEvent*) { return NO; }
  virtual void viewWillMoveToWindow(NSWindow*) {}
  virtual void viewDidMoveToWindow() {}
  virtual void viewDidMoveToSuperview() {}

  // Invalidation, in the view's coordinates.
  void setNeedsDisplay(BOOL flag);
  void setNeedsDisplayInRect(NSRect rect);
  BOOL needsDisplay() const { return CGRectIsEmpty(mInvalid) ? NO : YES; }
  // The area waiting for the next draw pass, in the view's coordinates (empty when none).
  NSRect invalidRect() const { return mInvalid; }

  // Draws the view's area in its own coordinates; the default draws nothing.
  virtual void drawRect(NSRect dirtyRect);
  // Draws the invalid areas of this view and its subviews now (the window's draw pass
  // restricted to this view); display() first invalidates the whole view.
  void displayIfNeeded();
  void display();

  // The deepest visible descendant (or this view) under the point, given in the
  // superview's coordinates; null when the point is outside.
  virtual NSView* hitTest(NSPoint point);

  // Right-button events go to the left-button methods (their flags carry
  // NSRightMouseButtonFlag), so that a view overriding mouseDown sees right clicks too.
  void rightMouseDown(NSEvent* event) override { mouseDown(event); }
  void rightMouseUp(NSEvent* event) override { mouseUp(event); }
  void rightMouseDragged(NSEvent* event) override { mouseDragged(event); }

  // Conversions between this view and another view of the same window (null: the
  // window's coordinates).
  NSPoint convertPoint_fromView(NSPoint point, NSView* view);
  NSPoint convertPoint_toView(NSPoint point, NSView* view);
  NSRect convertRect_fromView(NSRect rect, NSView* view);
  NSRect convertRect_toView(NSRect rect, NSView* view);

private:
  friend class NSWindow;
  void setWindow(NSWindow* window);
  // Maps between the view's coordinates and the window's (bottom-left) coordinates.
  NSPoint toWindow(NSPoint p);
  NSPoint fromWindow(NSPoint p);
  // The view's visible area in window coordinates (clipped by its ancestors).
  NSRect visibleRectInWindow();

  NSRect mFrame = NSZeroRect;
  NSRect mInvalid = NSZeroRect;
  NSView* mSuperview = nullptr;
  NSWindow* mWindow = nullptr;
  std::vector<NSView*> mSubviews;
  bool mHidden = false;
};
