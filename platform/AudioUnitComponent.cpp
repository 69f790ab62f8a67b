// The public audio unit calls: each packs its arguments into a parameter block, last
// argument first, and sends it to the unit's entry through the Component Manager.

#include <AudioUnit/AudioUnit.h>

#include <cstring>
#include <type_traits>

namespace {

template <typename T>
long Word(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return reinterpret_cast<long>(value);
  } else if constexpr (std::is_same_v<T, Float32>) {
    UInt32 bits;
    memcpy(&bits, &value, sizeof bits);
    return static_cast<long>(bits);
  } else {
    static_assert(std::is_integral_v<T>, "arguments are pointers, integers or Float32");
    return static_cast<long>(value);
  }
}

template <typename... Args>
ComponentResult Dispatch(ComponentInstance ci, SInt16 what, Args... args) {
  constexpr size_t n = sizeof...(Args);
  struct {
    UInt8 flags;
    UInt8 paramSize;
    SInt16 what;
    long params[n + 1];
  } block;
  static_assert(offsetof(decltype(block), params) == offsetof(ComponentParameters, params), "same layout");
  block.flags = 0;
  block.paramSize = static_cast<UInt8>(n * sizeof(long));
  block.what = what;
  const long words[n + 1] = {Word(args)..., 0};
  for (size_t i = 0; i < n; ++i) block.params[n - 1 - i] = words[i];
  block.params[n] = reinterpret_cast<long>(ci);
  return CallComponentDispatch(reinterpret_cast<ComponentParameters*>(&block));
}

} // namespace

extern "C" {

ComponentResult AudioUnitInitialize(AudioUnit ci) { return Dispatch(ci, kAudioUnitInitializeSelect); }

ComponentResult AudioUnitUninitialize(AudioUnit ci) { return Dispatch(ci, kAudioUnitUninitializeSelect); }

ComponentResult AudioUnitGetPropertyInfo(AudioUnit ci, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                         AudioUnitElement inElement, UInt32* outDataSize, Boolean* outWritable) {
  return Dispatch(ci, kAudioUnitGetPropertyInfoSelect, inID, inScope, inElement, outDataSize, outWritable);
}

ComponentResult AudioUnitGetProperty(AudioUnit ci, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                     AudioUnitElement inElement, void* outData, UInt32* ioDataSize) {
  return Dispatch(ci, kAudioUnitGetPropertySelect, inID, inScope, inElement, outData, ioDataSize);
}

ComponentResult AudioUnitSetProperty(AudioUnit ci, AudioUnitPropertyID inID, AudioUnitScope inScope,
                                     AudioUnitElement inElement, const void* inData, UInt32 inDataSize) {
  return Dispatch(ci, kAudioUnitSetPropertySelect, inID, inScope, inElement, inData, inDataSize);
}

ComponentResult AudioUnitAddPropertyListener(AudioUnit ci, AudioUnitPropertyID inID,
                                             AudioUnitPropertyListenerProc inProc, void* inProcRefCon) {
  return Dispatch(ci, kAudioUnitAddPropertyListenerSelect, inID, inProc, inProcRefCon);
}

ComponentResult AudioUnitRemovePropertyListener(AudioUnit ci, AudioUnitPropertyID inID,
                                                AudioUnitPropertyListenerProc inProc) {
  return Dispatch(ci, kAudioUnitRemovePropertyListenerSelect, inID, inProc);
}

ComponentResult AudioUnitRemovePropertyListenerWithUserData(AudioUnit ci, AudioUnitPropertyID inID,
                                                            AudioUnitPropertyListenerProc inProc, void* inProcRefCon) {
  return Dispatch(ci, kAudioUnitRemovePropertyListenerWithUserDataSelect, inID, inProc, inProcRefCon);
}

ComponentResult AudioUnitAddRenderNotify(AudioUnit ci, AURenderCallback inProc, void* inProcRefCon) {
  return Dispatch(ci, kAudioUnitAddRenderNotifySelect, inProc, inProcRefCon);
}

ComponentResult AudioUnitRemoveRenderNotify(AudioUnit ci, AURenderCallback inProc, void* inProcRefCon) {
  return Dispatch(ci, kAudioUnitRemoveRenderNotifySelect, inProc, inProcRefCon);
}

ComponentResult AudioUnitGetParameter(AudioUnit ci, AudioUnitParameterID inID, AudioUnitScope inScope,
                                      AudioUnitElement inElement, AudioUnitParameterValue* outValue) {
  return Dispatch(ci, kAudioUnitGetParameterSelect, inID, inScope, inElement, outValue);
}

ComponentResult AudioUnitSetParameter(AudioUnit ci, AudioUnitParameterID inID, AudioUnitScope inScope,
                                      AudioUnitElement inElement, AudioUnitParameterValue inValue,
                                      UInt32 inBufferOffsetInFrames) {
  return Dispatch(ci, kAudioUnitSetParameterSelect, inID, inScope, inElement, inValue, inBufferOffsetInFrames);
}

ComponentResult AudioUnitScheduleParameters(AudioUnit ci, const AudioUnitParameterEvent* inParameterEvent,
                                            UInt32 inNumParamEvents) {
  return Dispatch(ci, kAudioUnitScheduleParametersSelect, inParameterEvent, inNumParamEvents);
}

ComponentResult AudioUnitRender(AudioUnit ci, AudioUnitRenderActionFlags* ioActionFlags,
                                const AudioTimeStamp* inTimeStamp, UInt32 inOutputBusNumber, UInt32 inNumberFrames,
                                AudioBufferList* ioData) {
  return Dispatch(ci, kAudioUnitRenderSelect, ioActionFlags, inTimeStamp, inOutputBusNumber, inNumberFrames, ioData);
}

ComponentResult AudioUnitReset(AudioUnit ci, AudioUnitScope inScope, AudioUnitElement inElement) {
  return Dispatch(ci, kAudioUnitResetSelect, inScope, inElement);
}

OSStatus MusicDeviceMIDIEvent(AudioUnit inUnit, UInt32 inStatus, UInt32 inData1, UInt32 inData2,
                              UInt32 inOffsetSampleFrame) {
  return Dispatch(inUnit, kMusicDeviceMIDIEventSelect, inStatus, inData1, inData2, inOffsetSampleFrame);
}

OSStatus MusicDevicePrepareInstrument(AudioUnit inUnit, MusicDeviceInstrumentID inInstrument) {
  return Dispatch(inUnit, kMusicDevicePrepareInstrumentSelect, inInstrument);
}

OSStatus MusicDeviceReleaseInstrument(AudioUnit inUnit, MusicDeviceInstrumentID inInstrument) {
  return Dispatch(inUnit, kMusicDeviceReleaseInstrumentSelect, inInstrument);
}

OSStatus MusicDeviceStartNote(AudioUnit inUnit, MusicDeviceInstrumentID inInstrument, MusicDeviceGroupID inGroupID,
                              NoteInstanceID* outNoteInstanceID, UInt32 inOffsetSampleFrame,
                              const MusicDeviceNoteParams* inParams) {
  return Dispatch(inUnit, kMusicDeviceStartNoteSelect, inInstrument, inGroupID, outNoteInstanceID,
                  inOffsetSampleFrame, inParams);
}

OSStatus MusicDeviceStopNote(AudioUnit inUnit, MusicDeviceGroupID inGroupID, NoteInstanceID inNoteInstanceID,
                             UInt32 inOffsetSampleFrame) {
  return Dispatch(inUnit, kMusicDeviceStopNoteSelect, inGroupID, inNoteInstanceID, inOffsetSampleFrame);
}

OSStatus AudioUnitCarbonViewCreate(AudioUnitCarbonView inView, AudioUnit inAudioUnit, void* inWindow,
                                   void* inParentControl, const Float32Point* inLocation, const Float32Point* inSize,
                                   void** outControl) {
  return Dispatch(inView, kAudioUnitCarbonViewCreateSelect, inAudioUnit, inWindow, inParentControl, inLocation,
                  inSize, outControl);
}

} // extern "C"
