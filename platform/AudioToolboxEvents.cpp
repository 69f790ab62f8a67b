// Parameter and property event listeners, delivered synchronously on the sending thread.

#include <AudioToolbox/AudioUnitUtilities.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

struct AUListenerBase {
  AUEventListenerProc mEventProc = nullptr;
  AUParameterListenerProc mParameterProc = nullptr;
  void* mUserData = nullptr;
  std::atomic<bool> mDisposed{false};

  struct Registration {
    void* object;
    AudioUnitEvent event;
  };
  std::vector<Registration> mRegistrations; // guarded by sListenerMutex
};

namespace {

std::mutex sListenerMutex;
std::vector<std::shared_ptr<AUListenerBase>>& Listeners() {
  static auto* listeners = new std::vector<std::shared_ptr<AUListenerBase>>();
  return *listeners;
}

bool SameAddress(const AudioUnitEvent& registered, const AudioUnitEvent& sent) {
  if (registered.mEventType == kAudioUnitEvent_PropertyChange || sent.mEventType == kAudioUnitEvent_PropertyChange) {
    const AudioUnitProperty& a = registered.mArgument.mProperty;
    const AudioUnitProperty& b = sent.mArgument.mProperty;
    return registered.mEventType == sent.mEventType && a.mAudioUnit == b.mAudioUnit &&
           a.mPropertyID == b.mPropertyID && a.mScope == b.mScope && a.mElement == b.mElement;
  }
  const AudioUnitParameter& a = registered.mArgument.mParameter;
  const AudioUnitParameter& b = sent.mArgument.mParameter;
  return registered.mEventType == sent.mEventType && a.mAudioUnit == b.mAudioUnit &&
         (a.mParameterID == kAUParameterListener_AnyParameter || a.mParameterID == b.mParameterID) &&
         a.mScope == b.mScope && a.mElement == b.mElement;
}

bool SameRegistration(const AUListenerBase::Registration& r, void* object, const AudioUnitEvent& e) {
  if (r.object != object || r.event.mEventType != e.mEventType) return false;
  if (e.mEventType == kAudioUnitEvent_PropertyChange) {
    const AudioUnitProperty& a = r.event.mArgument.mProperty;
    const AudioUnitProperty& b = e.mArgument.mProperty;
    return a.mAudioUnit == b.mAudioUnit && a.mPropertyID == b.mPropertyID && a.mScope == b.mScope &&
           a.mElement == b.mElement;
  }
  const AudioUnitParameter& a = r.event.mArgument.mParameter;
  const AudioUnitParameter& b = e.mArgument.mParameter;
  return a.mAudioUnit == b.mAudioUnit && a.mParameterID == b.mParameterID && a.mScope == b.mScope &&
         a.mElement == b.mElement;
}

OSStatus Create(AUEventListenerProc eventProc, AUParameterListenerProc parameterProc, void* userData,
                AUListenerBase** out) {
  if (!out || (!eventProc && !parameterProc)) return paramErr;
  auto listener = std::make_shared<AUListenerBase>();
  listener->mEventProc = eventProc;
  listener->mParameterProc = parameterProc;
  listener->mUserData = userData;
  std::lock_guard<std::mutex> lock(sListenerMutex);
  Listeners().push_back(listener);
  *out = listener.get();
  return noErr;
}

bool Registered(AUListenerBase* listener) {
  for (const auto& l : Listeners())
    if (l.get() == listener) return true;
  return false;
}

AudioUnitEvent ParameterEvent(AudioUnitEventType type, const AudioUnitParameter& p) {
  AudioUnitEvent e{};
  e.mEventType = type;
  e.mArgument.mParameter = p;
  return e;
}

} // namespace

extern "C" {

OSStatus AUEventListenerCreate(AUEventListenerProc inProc, void* inUserData, CFRunLoopRef, CFStringRef, Float32,
                               Float32, AUEventListenerRef* outListener) {
  return Create(inProc, nullptr, inUserData, outListener);
}

OSStatus AUListenerCreate(AUParameterListenerProc inProc, void* inUserData, CFRunLoopRef, CFStringRef, Float32,
                          AUParameterListenerRef* outListener) {
  return Create(nullptr, inProc, inUserData, outListener);
}

OSStatus AUEventListenerAddEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent) {
  if (!inEvent || inEvent->mEventType > kAudioUnitEvent_PropertyChange) return paramErr;
  std::lock_guard<std::mutex> lock(sListenerMutex);
  if (!Registered(inListener)) return paramErr;
  for (const auto& r : inListener->mRegistrations)
    if (SameRegistration(r, inObject, *inEvent)) return noErr;
  inListener->mRegistrations.push_back({inObject, *inEvent});
  return noErr;
}

OSStatus AUEventListenerRemoveEventType(AUEventListenerRef inListener, void* inObject, const AudioUnitEvent* inEvent) {
  if (!inEvent) return paramErr;
  std::lock_guard<std::mutex> lock(sListenerMutex);
  if (!Registered(inListener)) return paramErr;
  auto& regs = inListener->mRegistrations;
  regs.erase(std::remove_if(regs.begin(), regs.end(),
                            [&](const AUListenerBase::Registration& r) { return SameRegistration(r, inObject, *inEvent); }),
             regs.end());
  return noErr;
}

OSStatus AUListenerAddParameter(AUParameterListenerRef inListener, void* inObject,
                                const AudioUnitParameter* inParameter) {
  if (!inParameter) return paramErr;
  AudioUnitEvent e = ParameterEvent(kAudioUnitEvent_ParameterValueChange, *inParameter);
  return AUEventListenerAddEventType(inListener, inObject, &e);
}

OSStatus AUListenerRemoveParameter(AUParameterListenerRef inListener, void* inObject,
                                   const AudioUnitParameter* inParameter) {
  if (!inParameter) return paramErr;
  AudioUnitEvent e = ParameterEvent(kAudioUnitEvent_ParameterValueChange, *inParameter);
  return AUEventListenerRemoveEventType(inListener, inObject, &e);
}

OSStatus AUListenerDispose(AUParameterListenerRef inListener) {
  std::lock_guard<std::mutex> lock(sListenerMutex);
  auto& all = Listeners();
  auto it = std::find_if(all.begin(), all.end(), [inListener](const auto& l) { return l.get() == inListener; });
  if (it == all.end()) return paramErr;
  (*it)->mDisposed = true;
  all.erase(it);
  return noErr;
}

OSStatus AUEventListenerNotify(AUEventListenerRef inSendingListener, void*, const AudioUnitEvent* inEvent) {
  if (!inEvent) return paramErr;
  struct Target {
    std::shared_ptr<AUListenerBase> listener;
    void* object;
  };
  std::vector<Target> targets;
  {
    std::lock_guard<std::mutex> lock(sListenerMutex);
    for (const auto& l : Listeners()) {
      if (l.get() == inSendingListener) continue;
      for (const auto& r : l->mRegistrations)
        if (SameAddress(r.event, *inEvent)) {
          targets.push_back({l, r.object});
          break;
        }
    }
  }
  AudioUnitParameterValue value = 0;
  if (inEvent->mEventType == kAudioUnitEvent_ParameterValueChange && !targets.empty()) {
    const AudioUnitParameter& p = inEvent->mArgument.mParameter;
    AudioUnitGetParameter(p.mAudioUnit, p.mParameterID, p.mScope, p.mElement, &value);
  }
  for (const Target& t : targets) {
    if (t.listener->mDisposed) continue;
    if (t.listener->mEventProc)
      t.listener->mEventProc(t.listener->mUserData, t.object, inEvent, 0, value);
    else if (t.listener->mParameterProc && inEvent->mEventType == kAudioUnitEvent_ParameterValueChange)
      t.listener->mParameterProc(t.listener->mUserData, t.object, &inEvent->mArgument.mParameter, value);
  }
  return noErr;
}

OSStatus AUParameterListenerNotify(AUParameterListenerRef inSendingListener, void* inSendingObject,
                                   const AudioUnitParameter* inParameter) {
  if (!inParameter) return paramErr;
  AudioUnitEvent e = ParameterEvent(kAudioUnitEvent_ParameterValueChange, *inParameter);
  return AUEventListenerNotify(inSendingListener, inSendingObject, &e);
}

OSStatus AUParameterSet(AUParameterListenerRef inSendingListener, void* inSendingObject,
                        const AudioUnitParameter* inParameter, AudioUnitParameterValue inValue,
                        UInt32 inBufferOffsetInFrames) {
  if (!inParameter) return paramErr;
  OSStatus status = AudioUnitSetParameter(inParameter->mAudioUnit, inParameter->mParameterID, inParameter->mScope,
                                          inParameter->mElement, inValue, inBufferOffsetInFrames);
  if (status != noErr) return status;
  return AUParameterListenerNotify(inSendingListener, inSendingObject, inParameter);
}

} // extern "C"
