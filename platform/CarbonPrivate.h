#pragma once

// Inside the platform library: the records behind the Carbon references.

#include <AppKit/NSView.h>
#include <AppKit/NSWindow.h>
#include <Carbon/Carbon.h>

#include <functional>
#include <map>
#include <vector>

struct OpaqueEventTargetRef
{
  // most recently installed first
  std::vector<OpaqueEventHandlerRef*> handlers;
  // what the target does with an event no handler took; eventNotHandledErr when nothing
  std::function<OSStatus(EventRef)> standard;
  ~OpaqueEventTargetRef();
};

struct OpaqueEventHandlerRef
{
  OpaqueEventTargetRef* target = nullptr;
  EventHandlerUPP proc = nullptr;
  std::vector<EventTypeSpec> types;
  void* userData = nullptr;
  bool removed = false;
};

struct OpaqueEventRef
{
  long refs = 1;
  EventClass eventClass = 0;
  EventKind kind = 0;
  EventTime when = 0;
  std::map<EventParamName, std::pair<EventParamType, std::vector<unsigned char>>> params;
};

struct OpaqueWindowPtr;

// A control: a flipped view of the window's view tree.
struct OpaqueControlRef : public NSView
{
  BOOL isFlipped() override { return YES; }
  BOOL isOpaque() override { return NO; }
  void drawRect(NSRect rect) override;
  ~OpaqueControlRef() override;

  OpaqueEventTargetRef target;
  OpaqueWindowPtr* owner = nullptr;
  UInt32 features = 0;
  bool disposed = false;
};

struct OpaqueGrafPtr
{
  OpaqueWindowPtr* window = nullptr;
};

class CarbonWindow;

struct OpaqueWindowPtr
{
  CarbonWindow* ns = nullptr;
  WindowAttributes attributes = 0;
  Rect content = {0, 0, 0, 0};
  OpaqueEventTargetRef target;
  OpaqueControlRef* root = nullptr;
  OpaqueControlRef* contentView = nullptr;
  bool rootCreated = false;
  OpaqueGrafPtr port;
  bool compositing() const { return (attributes & kWindowCompositingAttribute) != 0; }
};

class CarbonWindow : public NSWindow
{
public:
  void sendEvent(NSEvent* event) override;
  OpaqueWindowPtr* carbon = nullptr;
};

namespace carbonpriv {

// Removes every handler of a target that is going away.
void RemoveAllHandlers(OpaqueEventTargetRef* target);
// Sends the event to the control (direct object, plus extra parameters set by `fill`).
OSStatus SendControlEvent(ControlRef control, EventKind kind, const std::function<void(EventRef)>& fill);

}  // namespace carbonpriv
