#pragma once

// Run-loop mode names, for code that schedules Cocoa timers with the CoreFoundation
// names (NSRunLoop accepts them wherever it takes a mode).

#include <CoreFoundation/CFString.h>

#ifdef __cplusplus
extern "C" {
#endif

extern const CFStringRef kCFRunLoopDefaultMode;
extern const CFStringRef kCFRunLoopCommonModes;

#ifdef __cplusplus
}
#endif
