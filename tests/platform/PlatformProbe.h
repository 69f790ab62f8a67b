#pragma once

// A small component used to test the Component Manager: it records the last request it
// was sent, keeps four parameter values and checks that it shares the host's registry.

#include <CoreServices/Components.h>

struct PlatformProbe {
  ComponentInstance instance = nullptr;
  bool storageSeenAtOpen = false; // the component read back its own storage at open
  SInt16 lastWhat = 0;
  int lastWordCount = 0;
  long lastWords[16] = {};
  Float32 params[4] = {};
};

// Status returned for selectors the probe merely records.
inline ComponentResult PlatformProbeRecorded(SInt16 what) { return 1000 + what; }
