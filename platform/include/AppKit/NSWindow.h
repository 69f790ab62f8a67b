#pragma once

// Windows. A window owns a backing store of its content size (32-bit pixels, bytes
// alpha, red, green, blue, alpha ignored) into which its views draw; the draw pass
// copies the redrawn part to the screen. With a window-system connection (DISPLAY set)
// a window is an X11 top-level window, or a child of a window that a host gives us
// (initWithForeignWindow); without one it is a memory surface only, so views, events,
// draw passes and timers all work off-screen.
//
// Events: sendEvent routes a mouse press to the view under the pointer (making it
// first responder when it accepts), drags and the release to the view that got the
// press, mouse-moved events (when accepted) to the first responder and scroll events
// to the view under the pointer. The handleHost... methods turn raw button, motion and
// wheel input into such events, counting clicks from timing and distance; the X11
// connection uses them, and tests may too.
//
// Threads: the main (user-interface) thread only.

#include <AppKit/NSResponder.h>
#include <AppKit/NSView.h>
#include <CoreGraphics/CGContext.h>
#include <Foundation/NSString.h>

class NSGraphicsContext;

enum {
  NSBorderlessWindowMask = 0,
  NSTitledWindowMask = 1 << 0,
  NSClosableWindowMask = 1 << 1,
  NSMiniaturizableWindowMask = 1 << 2,
  NSResizableWindowMask = 1 << 3
};
typedef NSUInteger NSBackingStoreType;
enum { NSBackingStoreRetained = 0, NSBackingStoreNonretained = 1, NSBackingStoreBuffered = 2 };

class NSWindow : public NSResponder
{
public:
  NSWindow();
  ~NSWindow() override;

  // A window with a content area of contentRect's size (origin: screen position,
  // bottom-left). Returns this.
  NSWindow* initWithContentRect_styleMask_backing_defer(NSRect contentRect, NSUInteger styleMask,
                                                        NSBackingStoreType backing, BOOL defer);
  // A window embedded in a window of another program or toolkit (an X11 window id):
  // our content becomes a child window filling it (or of the size of contentRect when
  // that is not empty). Off-screen without a connection. Returns this.
  NSWindow* initWithForeignWindow(unsigned long foreignWindow, NSRect contentRect);

  NSView* contentView() const { return mContentView; }
  // Retains the view and makes it fill the content area; the old one is released.
  void setContentView(NSView* view);
  NSRect frame() const { return mFrame; }
  NSSize contentSize() const { return mFrame.size; }
  // Resizes the content area (and the backing store, cleared) keeping the top-left
  // corner; the content view follows.
  void setContentSize(NSSize size);
  void setTitle(NSString* title);

  void makeKeyAndOrderFront(NSObject* sender);
  void orderFront(NSObject* sender);
  void orderOut(NSObject* sender);
  BOOL isVisible() const { return mVisible ? YES : NO; }
  // Hides the window and releases its views; the window stays usable as an object.
  void close();

  // NO when the responder is not this window's or a view of it refuses.
  BOOL makeFirstResponder(NSResponder* responder);
  NSResponder* firstResponder() const { return mFirstResponder; }
  void setAcceptsMouseMovedEvents(BOOL flag) { mAcceptsMouseMoved = flag != NO; }
  BOOL acceptsMouseMovedEvents() const { return mAcceptsMouseMoved ? YES : NO; }

  virtual void sendEvent(NSEvent* event);
  // Raw input at a point in window coordinates (bottom-left). button: 0 left, 1 right,
  // 2 middle; flags: the modifier key masks of NSEvent. Time in seconds.
  void handleHostMouseButton(int button, bool down, NSPoint location, NSUInteger flags, NSTimeInterval time);
  void handleHostMouseMotion(NSPoint location, NSUInteger flags, NSTimeInterval time);
  void handleHostScroll(NSPoint location, CGFloat deltaX, CGFloat deltaY, NSUInteger flags, NSTimeInterval time);

  // The draw pass: draws every view that needs display and copies the result to the
  // screen. Returns whether anything was drawn.
  BOOL displayIfNeeded();
  // Redraws the whole content.
  void display();
  BOOL viewsNeedDisplay() const;
  // Copies the given area of the backing store (window coordinates) to the screen.
  void flushWindowRect(NSRect rect);

  NSInteger windowNumber() const { return mNumber; }
  static NSWindow* windowWithWindowNumber(NSInteger number);
  // The backing store's bitmap context: device space = window coordinates.
  CGContextRef backingContext() const { return mBacking; }
  // The X11 window that shows the content, or 0 off-screen.
  unsigned long nativeWindow() const { return mNative; }
  // Whether the window came from initWithForeignWindow.
  BOOL isEmbedded() const { return mEmbedded ? YES : NO; }

private:
  friend class NSView;
  bool makeBacking(int w, int h);
  void drawView(NSView* view, NSRect windowRect);
  void fillBackground(NSRect windowRect);
  void viewRemoved(NSView* view);
  NSView* pressTarget(NSView* hit);

  NSRect mFrame = NSZeroRect;
  NSView* mContentView = nullptr;
  NSResponder* mFirstResponder = nullptr;
  NSView* mTrackingView = nullptr;
  CGContextRef mBacking = nullptr;
  unsigned long mNative = 0;
  NSInteger mNumber = 0;
  bool mVisible = false;
  bool mAcceptsMouseMoved = false;
  bool mEmbedded = false;
  // click counting
  int mButtonsDown = 0;
  int mLastButton = -1;
  NSTimeInterval mLastPressTime = -1e9;
  NSPoint mLastPressLocation = {0, 0};
  NSInteger mClickCount = 0;
  NSRect mPendingFlush = NSZeroRect;
};
