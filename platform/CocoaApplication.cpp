#include <AppKit/NSApplication.h>
#include <Foundation/NSRunLoop.h>

NSApplication* NSApplication::sharedApplication()
{
  // lives for the process
  static NSApplication* app = new NSApplication;
  return app;
}

void NSApplication::run()
{
  mRunning = true;
  NSRunLoop::currentRunLoop()->run();
  mRunning = false;
}

void NSApplication::stop(NSObject*)
{
  NSRunLoop::currentRunLoop()->stop();
}

BOOL NSApplicationLoad()
{
  NSApplication::sharedApplication();
  NSRunLoop::mainRunLoop();
  return YES;
}
