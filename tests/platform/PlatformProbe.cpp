// Entry functions of the Component Manager test bundle.

#include "PlatformProbe.h"

#include <AudioUnit/AudioUnit.h>

#include <cstring>

namespace {

ComponentResult ProbeEntry(ComponentParameters* params, Handle storage) {
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
  if (params->what == kAudioUnitGetParameterSelect) {
    long id = params->params[3];
    if (id < 0 || id >= 4) return kAudioUnitErr_InvalidParameter;
    *reinterpret_cast<Float32*>(params->params[0]) = probe->params[id];
    return noErr;
  }
  if (params->what == kAudioUnitSetParameterSelect) {
    long id = params->params[4];
    if (id < 0 || id >= 4) return kAudioUnitErr_InvalidParameter;
    UInt32 bits = static_cast<UInt32>(params->params[1]);
    memcpy(&probe->params[id], &bits, sizeof bits);
    return noErr;
  }
  return PlatformProbeRecorded(params->what);
}

// An entry whose open fails, to test that a failed open leaves no instance.
ComponentResult FailingEntry(ComponentParameters* params, Handle) {
  return params->what == kComponentOpenSelect ? memFullErr : noErr;
}

} // namespace

extern "C" __attribute__((visibility("default"))) ComponentResult PlatformProbe_Entry(ComponentParameters* params,
                                                                                     Handle storage) {
  return ProbeEntry(params, storage);
}

extern "C" __attribute__((visibility("default"))) ComponentResult PlatformProbe_FailingEntry(
    ComponentParameters* params, Handle storage) {
  return FailingEntry(params, storage);
}
