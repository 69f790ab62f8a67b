#pragma once

// The application object: runs the main run loop until stopped.
//
// Threads: the main (user-interface) thread only.

#include <Foundation/NSObject.h>

class NSApplication : public NSObject
{
public:
  // The shared instance, made at first use (not retained for the caller).
  static NSApplication* sharedApplication();
  // Runs the current thread's run loop until stop (or until nothing is left to run:
  // no timers and no window-system connection).
  void run();
  // Ends run after the current pass.
  void stop(NSObject* sender);
  BOOL isRunning() const { return mRunning ? YES : NO; }

private:
  NSApplication() = default;
  bool mRunning = false;
};

#define NSApp (NSApplication::sharedApplication())

// Makes Cocoa usable from a program or plug-in that did not start it (a Carbon host);
// returns YES.
BOOL NSApplicationLoad();
