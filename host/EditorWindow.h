#pragma once

// Shows an audio unit's Cocoa view in a window of its own, as a host opens a plug-in's
// editor: the unit's Cocoa view info names a factory class of its bundle; the factory
// makes the view, which goes into an NSWindow; the application then runs until the
// window is closed or the time is up.
//
// Threads: the main (user-interface) thread only.

#include "HostUnit.h"

#include <string>

enum class EditorResult
{
  kClosed,       // the window was shown and then closed, or the time ran out
  kNoCocoaView,  // the unit has no Cocoa view, or its factory class is not there
  kNoDisplay,    // there is no display to show a window on
  kFailed        // the factory made no view
};

// seconds > 0 closes the window after that time; 0 waits for the user to close it.
// *message (when given) says what happened.
EditorResult ShowEditorWindow(const HostUnit& unit, const std::string& title, double seconds, std::string* message);

// Whether DISPLAY names a display (the window system is reached through it).
bool HasDisplay();
