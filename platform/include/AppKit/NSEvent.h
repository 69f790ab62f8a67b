#pragma once

// Window-system events as Cocoa delivers them: mouse events carry their location in the
// window's bottom-left coordinates, the modifier flags, the click count (1 for a single
// click, 2 for the second press within the double-click interval and distance, ...) and
// scroll events the vertical and horizontal deltas (one line per wheel step, positive
// for a step away from the user).

#include <Foundation/NSGeometry.h>
#include <Foundation/NSObject.h>

class NSWindow;
class NSGraphicsContext;

typedef NSUInteger NSEventType;
enum {
  NSLeftMouseDown = 1,
  NSLeftMouseUp = 2,
  NSRightMouseDown = 3,
  NSRightMouseUp = 4,
  NSMouseMoved = 5,
  NSLeftMouseDragged = 6,
  NSRightMouseDragged = 7,
  NSMouseEntered = 8,
  NSMouseExited = 9,
  NSKeyDown = 10,
  NSKeyUp = 11,
  NSFlagsChanged = 12,
  NSScrollWheel = 22,
  NSOtherMouseDown = 25,
  NSOtherMouseUp = 26,
  NSOtherMouseDragged = 27
};

enum {
  NSAlphaShiftKeyMask = 1 << 16,
  NSShiftKeyMask = 1 << 17,
  NSControlKeyMask = 1 << 18,
  NSAlternateKeyMask = 1 << 19,
  NSCommandKeyMask = 1 << 20,
  NSDeviceIndependentModifierFlagsMask = 0xffff0000UL,
  // Set in the flags of every right-button event (press, drag, release), the
  // device-dependent bit that tells a right click from a left one.
  NSRightMouseButtonFlag = 0x8
};

class NSEvent : public NSObject
{
public:
  // A mouse event (autoreleased) for the window with that number (0: none).
  static NSEvent* mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
      NSEventType type, NSPoint location, NSUInteger flags, NSTimeInterval time, NSInteger windowNumber,
      NSGraphicsContext* context, NSInteger eventNumber, NSInteger clickCount, float pressure);
  // A scroll-wheel event (autoreleased); deltas in lines.
  static NSEvent* scrollWheelEventWithLocation_modifierFlags_timestamp_windowNumber_deltaX_deltaY(
      NSPoint location, NSUInteger flags, NSTimeInterval time, NSInteger windowNumber, CGFloat deltaX,
      CGFloat deltaY);
  // The interval within which a second press counts as a double click, in seconds.
  static NSTimeInterval doubleClickInterval() { return 0.5; }

  NSEventType type() const { return mType; }
  NSPoint locationInWindow() const { return mLocation; }
  NSUInteger modifierFlags() const { return mFlags; }
  NSTimeInterval timestamp() const { return mTime; }
  NSWindow* window() const;
  NSInteger windowNumber() const { return mWindowNumber; }
  NSInteger clickCount() const { return mClickCount; }
  // 0 left, 1 right, 2 middle, ...
  NSInteger buttonNumber() const { return mButton; }
  CGFloat deltaX() const { return mDeltaX; }
  CGFloat deltaY() const { return mDeltaY; }
  CGFloat deltaZ() const { return 0; }

private:
  NSEventType mType = 0;
  NSPoint mLocation = {0, 0};
  NSUInteger mFlags = 0;
  NSTimeInterval mTime = 0;
  NSInteger mWindowNumber = 0;
  NSInteger mClickCount = 0;
  NSInteger mButton = 0;
  CGFloat mDeltaX = 0;
  CGFloat mDeltaY = 0;
};
