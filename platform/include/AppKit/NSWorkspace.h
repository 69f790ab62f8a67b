#pragma once

// The desktop: opening links with the user's preferred application.
//
// Threads: any thread.

#include <Foundation/NSURL.h>

class NSWorkspace : public NSObject
{
public:
  // Not retained for the caller.
  static NSWorkspace* sharedWorkspace();
  // Starts the desktop's opener (xdg-open) with the link, without waiting for it;
  // returns whether it could be started.
  BOOL openURL(NSURL* url);
  // The program run by openURL with the link as its one argument (searched in PATH);
  // null restores "xdg-open".
  void setOpenerCommand(const char* program);

private:
  NSWorkspace() = default;
};
