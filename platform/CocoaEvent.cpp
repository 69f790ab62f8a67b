#include <AppKit/NSEvent.h>
#include <AppKit/NSResponder.h>
#include <AppKit/NSWindow.h>

#include <new>

NSEvent* NSEvent::mouseEventWithType_location_modifierFlags_timestamp_windowNumber_context_eventNumber_clickCount_pressure(
    NSEventType type, NSPoint location, NSUInteger flags, NSTimeInterval time, NSInteger windowNumber,
    NSGraphicsContext*, NSInteger, NSInteger clickCount, float)
{
  NSEvent* e = new (std::nothrow) NSEvent;
  if (!e) return nullptr;
  e->mType = type;
  e->mLocation = location;
  e->mFlags = flags;
  e->mTime = time;
  e->mWindowNumber = windowNumber;
  e->mClickCount = clickCount;
  switch (type) {
    case NSRightMouseDown:
    case NSRightMouseUp:
    case NSRightMouseDragged: e->mButton = 1; break;
    case NSOtherMouseDown:
    case NSOtherMouseUp:
    case NSOtherMouseDragged: e->mButton = 2; break;
    default: e->mButton = 0; break;
  }
  return static_cast<NSEvent*>(e->autorelease());
}

NSEvent* NSEvent::scrollWheelEventWithLocation_modifierFlags_timestamp_windowNumber_deltaX_deltaY(
    NSPoint location, NSUInteger flags, NSTimeInterval time, NSInteger windowNumber, CGFloat deltaX, CGFloat deltaY)
{
  NSEvent* e = new (std::nothrow) NSEvent;
  if (!e) return nullptr;
  e->mType = NSScrollWheel;
  e->mLocation = location;
  e->mFlags = flags;
  e->mTime = time;
  e->mWindowNumber = windowNumber;
  e->mDeltaX = deltaX;
  e->mDeltaY = deltaY;
  return static_cast<NSEvent*>(e->autorelease());
}

NSWindow* NSEvent::window() const
{
  return NSWindow::windowWithWindowNumber(mWindowNumber);
}

// Unhandled events travel to the next responder.
#define KELVO_FORWARD(method) \
  void NSResponder::method(NSEvent* event) \
  { \
    if (NSResponder* next = nextResponder()) next->method(event); \
  }

KELVO_FORWARD(mouseDown)
KELVO_FORWARD(mouseUp)
KELVO_FORWARD(mouseDragged)
KELVO_FORWARD(mouseMoved)
KELVO_FORWARD(mouseEntered)
KELVO_FORWARD(mouseExited)
KELVO_FORWARD(rightMouseDown)
KELVO_FORWARD(rightMouseUp)
KELVO_FORWARD(rightMouseDragged)
KELVO_FORWARD(otherMouseDown)
KELVO_FORWARD(otherMouseUp)
KELVO_FORWARD(otherMouseDragged)
KELVO_FORWARD(scrollWheel)
KELVO_FORWARD(keyDown)
KELVO_FORWARD(keyUp)

#undef KELVO_FORWARD
