#include "EditorWindow.h"

#include <AppKit/AppKit.h>
#include <AudioUnit/AUCocoaUIView.h>
#include <Foundation/NSRunLoop.h>

#include <cstdlib>

namespace {

EditorResult Report(EditorResult result, std::string* message, const std::string& text)
{
  if (message) *message = text;
  return result;
}

}  // namespace

bool HasDisplay()
{
  const char* display = std::getenv("DISPLAY");
  return display && *display;
}

EditorResult ShowEditorWindow(const HostUnit& unit, const std::string& title, double seconds, std::string* message)
{
  std::string className, bundlePath;
  if (!unit.GetCocoaViewInfo(&className, &bundlePath)) {
    return Report(EditorResult::kNoCocoaView, message, "the unit has no Cocoa view");
  }

  NSApplicationLoad();
  NSAutoreleasePool pool;
  AUCocoaUIBase* factory = AUCocoaUIBaseCreate(NSClassFromCString(className.c_str()));
  if (!factory) {
    return Report(EditorResult::kNoCocoaView, message,
                  "the unit has no Cocoa view: its view factory class \"" + className + "\" is not available");
  }
  if (!HasDisplay()) {
    factory->release();
    return Report(EditorResult::kNoDisplay, message, "no display: set DISPLAY to show the editor");
  }
  NSView* view = factory->uiViewForAudioUnit_withSize(unit.Unit(), NSMakeSize(800, 600));
  if (!view) {
    factory->release();
    return Report(EditorResult::kFailed, message, "the view factory \"" + className + "\" made no view");
  }
  const NSRect frame = view->frame();
  NSWindow* window = new NSWindow;
  window->initWithContentRect_styleMask_backing_defer(NSMakeRect(100, 100, frame.size.width, frame.size.height),
                                                      NSTitledWindowMask | NSClosableWindowMask,
                                                      NSBackingStoreBuffered, NO);
  if (!window->nativeWindow()) {
    window->release();
    factory->release();
    return Report(EditorResult::kNoDisplay, message,
                  std::string("cannot open display \"") + std::getenv("DISPLAY") + "\"");
  }
  window->setTitle(NSString::stringWithUTF8String(title.c_str()));
  window->setContentView(view);
  window->makeKeyAndOrderFront(nil);

  NSTimer* limit = nullptr;
  if (seconds > 0) {
    limit = NSTimer::scheduledTimerWithTimeInterval_target_selector_userInfo_repeats(
        seconds, nil, [](NSTimer*) { NSApp->stop(nil); }, nil, NO);
  }
  // closing the window stops the application
  NSApp->run();
  if (limit) limit->invalidate();

  // taking the view out of the window stops its timers before the unit goes away
  window->close();
  window->release();
  factory->release();
  return Report(EditorResult::kClosed, message, "the editor window was closed");
}
