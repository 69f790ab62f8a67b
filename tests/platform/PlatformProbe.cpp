// Entry functions of the Component Manager test bundle.

#include "PlatformProbe.h"

#include <AudioUnit/AudioUnit.h>

#include <cstring>

#define PROBE_EXPORT extern "C" __attribute__((visibility("default")))

PROBE_EXPORT ComponentResult PlatformProbe_Entry(ComponentParameters* params, Handle storage) {
  PlatformProbe* probe = reinterpret_cast<PlatformProbe*>(storage);
  switch (params->what) {
    case kComponentOpenSelect: {
      ComponentInstance ci = reinterpret_cast<ComponentInstance>(params->params[0]);
      probe = new PlatformProbe;
      probe->instance = ci;
      SetComponentInstanceStorage(ci, reinterpret_cast<Handle>(probe));
      probe->storageSeenAtOpen = GetComponentInstanceStorage(ci) == reinterpret_cast<Handle>(probe);
      return noErr;
    }
    case kComponentCloseSelect:
      delete probe;
      return noErr;
    case kComponentCanDoSelect:
      return params->params[0] == kAudioUnitRenderSelect ? 1 : 0;
    case kComponentVersionSelect:
      return 0x00010203;
  }
  if (!probe) return badComponentInstance;
  probe->lastWhat = params->what;
  probe->lastWordCount = params->paramSize / static_cast<int>(sizeof(long));
  for (int i = 0; i < probe->lastWordCount && i < 16; ++i) probe->lastWords[i] = params->params[i];
  const bool get = params->what == kAudioUnitGetParameterSelect;
  if (!get && params->what != kAudioUnitSetParameterSelect) return PlatformProbeRecorded(params->what);
  // the parameter ID is the fourth word of a get, the fifth of a set
  const long id = params->params[get ? 3 : 4];
  if (id < 0 || id >= 4) return kAudioUnitErr_InvalidParameter;
  if (get) {
    *reinterpret_cast<Float32*>(params->params[0]) = probe->params[id];
  } else {
    const UInt32 bits = static_cast<UInt32>(params->params[1]);
    memcpy(&probe->params[id], &bits, sizeof bits);
  }
  return noErr;
}

// An entry whose open fails, to test that a failed open leaves no instance.
PROBE_EXPORT ComponentResult PlatformProbe_FailingEntry(ComponentParameters* params, Handle) {
  return params->what == kComponentOpenSelect ? memFullErr : noErr;
}
