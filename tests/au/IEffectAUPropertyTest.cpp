#include "AUTestHost.h"

#include <cstring>
#include <string>
#include <vector>

using namespace autest;

namespace {

class IEffectAUProperty : public UnitFixture
{
protected:
  OSStatus Info(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element)
  {
    UInt32 size;
    Boolean writable;
    return AudioUnitGetPropertyInfo(mUnit, id, scope, element, &size, &writable);
  }

  template <class T>
  OSStatus Get(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, T* value)
  {
    UInt32 size = sizeof(T);
    return AudioUnitGetProperty(mUnit, id, scope, element, value, &size);
  }

  template <class T>
  OSStatus Set(AudioUnitPropertyID id, AudioUnitScope scope, const T& value)
  {
    return AudioUnitSetProperty(mUnit, id, scope, 0, &value, sizeof value);
  }

  static std::string Text(CFStringRef s)
  {
    char buf[256] = {};
    CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8);
    return buf;
  }
  // Takes the string: releases it and returns its text.
  static std::string Take(CFStringRef s)
  {
    std::string t = Text(s);
    CFRelease(s);
    return t;
  }
};

}  // namespace

// Every property served: its size, whether it can be set, and whether a get checks the
// room given (the property has a fixed record that the unit writes).
struct Prop { AudioUnitPropertyID id; AudioUnitScope scope; UInt32 size; bool settable, sizedGet; };
const Prop kProps[] = {
  { kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, sizeof(CFPropertyListRef), true, true },
  { kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, sizeof(AudioUnitConnection), true, false },
  { kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, sizeof(Float64), true, true },
  { kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, kNumParams * sizeof(AudioUnitParameterID), false, true },
  { kAudioUnitProperty_ParameterList, kAudioUnitScope_Input, 0, false, false },
  { kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, sizeof(AudioUnitParameterInfo), false, true },
  { kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, sizeof(AudioStreamBasicDescription), true, true },
  { kAudioUnitProperty_StreamFormat, kAudioUnitScope_Global, sizeof(AudioStreamBasicDescription), true, true },
  { kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, sizeof(UInt32), false, true },
  { kAudioUnitProperty_Latency, kAudioUnitScope_Global, sizeof(Float64), false, true },
  { kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 2 * sizeof(AUChannelInfo), false, true },
  { kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, sizeof(UInt32), true, true },
  { kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, sizeof(CFArrayRef), false, false },
  { kAudioUnitProperty_TailTime, kAudioUnitScope_Global, sizeof(Float64), false, false },
  { kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, sizeof(UInt32), true, true },
  { kAudioUnitProperty_LastRenderError, kAudioUnitScope_Global, sizeof(OSStatus), false, false },
  { kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, sizeof(AURenderCallbackStruct), true, false },
  { kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, sizeof(CFArrayRef), false, true },
  { kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 4 * sizeof(void*), true, false },
  { kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, sizeof(AUPreset), true, true },
  { kAudioUnitProperty_PresentPreset, kAudioUnitScope_Input, sizeof(AUPreset), true, false },
  { kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, sizeof(AudioUnitParameterStringFromValue), false, false },
  { kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Global, sizeof(AudioUnitParameterNameInfo), false, true },
  { kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, sizeof(AudioUnitParameterValueFromString), false, false },
  { kAudioUnitProperty_FastDispatch, kAudioUnitScope_Global, sizeof(void*), false, false },
};

TEST_F(IEffectAUProperty, InfoReportsSizeAndWritabilityOfEveryProperty)
{
  for (const Prop& p : kProps) {
    UInt32 size = 0xdeadbeef;
    Boolean writable = 7;
    AudioUnitElement element = p.id == kAudioUnitProperty_ParameterValueStrings ? kMode
                               : p.id == kAudioUnitProperty_FastDispatch        ? kAudioUnitRenderSelect
                                                                                : 0;
    ASSERT_EQ(AudioUnitGetPropertyInfo(mUnit, p.id, p.scope, element, &size, &writable), noErr) << p.id;
    EXPECT_EQ(size, p.size) << p.id;
    EXPECT_EQ(writable != 0, p.settable) << p.id;
  }
  // Info with no size or writable pointers is answered too.
  EXPECT_EQ(AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_SampleRate, 0, 0, nullptr, nullptr), noErr);
}

TEST_F(IEffectAUProperty, UnknownPropertiesAndWrongScopesAreRefused)
{
  for (AudioUnitPropertyID id : { 6u, 7u, 9u, 10u, 15u, 17u, 19u, 25u, 26u, 29u, 30u, 32u, 35u, 37u, 39u, 999u, 1000u,
                                  // no editor, and not an instrument
                                  UInt32(kAudioUnitProperty_CocoaUI), UInt32(kAudioUnitProperty_GetUIComponentList),
                                  UInt32(kMusicDeviceProperty_InstrumentCount) }) {
    EXPECT_EQ(Info(id, kAudioUnitScope_Global, 0), kAudioUnitErr_InvalidProperty) << id;
  }
  for (AudioUnitPropertyID id : { kAudioUnitProperty_ParameterInfo, kAudioUnitProperty_Latency,
                                  kAudioUnitProperty_SupportedNumChannels, kAudioUnitProperty_MaximumFramesPerSlice,
                                  kAudioUnitProperty_ParameterValueStrings, kAudioUnitProperty_TailTime,
                                  kAudioUnitProperty_BypassEffect, kAudioUnitProperty_LastRenderError,
                                  kAudioUnitProperty_HostCallbacks }) {
    EXPECT_EQ(Info(id, kAudioUnitScope_Input, kMode), kAudioUnitErr_InvalidProperty) << id;  // global only
  }
  EXPECT_EQ(Info(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Output, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Info(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 1), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Info(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 1), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Info(kAudioUnitProperty_StreamFormat, 3, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Info(kAudioUnitProperty_FastDispatch, 0, kAudioUnitResetSelect), kAudioUnitErr_InvalidElement);
  // Sets of properties that are read-only or unknown.
  UInt32 word = 0;
  for (AudioUnitPropertyID id : { 3u, 4u, 5u, 11u, 12u, 13u, 16u, 18u, 20u, 22u, 24u, 31u, 33u, 34u, 38u, 1000u }) {
    EXPECT_EQ(Set(id, kAudioUnitScope_Global, word), kAudioUnitErr_InvalidProperty) << id;
  }
}

// Mended fault: a get or set with a size smaller than its record read or wrote past the
// host's buffer.
TEST_F(IEffectAUProperty, ValuesSmallerThanTheirRecordAreRefused)
{
  for (const Prop& p : kProps) {
    std::vector<unsigned char> buffer(p.size + 8, 0xAB);
    for (UInt32 size : { 0u, p.size / 2, p.size - 1 }) {
      UInt32 io = size;
      if (p.sizedGet) {
        EXPECT_EQ(AudioUnitGetProperty(mUnit, p.id, p.scope, 0, buffer.data(), &io), kAudioUnitErr_InvalidPropertyValue)
            << p.id << " size " << size;
        EXPECT_EQ(io, p.size);
        EXPECT_EQ(buffer[0], 0xAB) << p.id;
      }
      // Heap blocks of exactly the given size, so reading past them is caught. The host
      // callbacks alone take shorter records.
      if (p.settable && p.id != kAudioUnitProperty_HostCallbacks && size != p.size / 2) {
        std::vector<unsigned char> data(size ? size : 1, 0);
        EXPECT_EQ(AudioUnitSetProperty(mUnit, p.id, p.scope, 0, data.data(), size), kAudioUnitErr_InvalidPropertyValue)
            << p.id << " size " << size;
      }
    }
    if (p.settable && p.id != kAudioUnitProperty_HostCallbacks) {
      EXPECT_EQ(AudioUnitSetProperty(mUnit, p.id, p.scope, 0, nullptr, p.size), kAudioUnitErr_InvalidPropertyValue)
          << p.id;
    }
  }
  // Without a size pointer the buffer's room is unknown.
  Float64 rate = 0;
  EXPECT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_SampleRate, 0, 0, &rate, nullptr),
            kAudioUnitErr_InvalidPropertyValue);
  UInt32 frames = 0;
  EXPECT_EQ(Get(kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &frames), noErr);
  EXPECT_EQ(frames, 1024u);
}

TEST_F(IEffectAUProperty, ParameterListInfoAndNames)
{
  AudioUnitParameterID ids[kNumParams] = {};
  UInt32 size = sizeof ids;
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterList, 0, 0, ids, &size), noErr);
  for (int i = 0; i < kNumParams; ++i) {
    EXPECT_EQ(ids[i], static_cast<AudioUnitParameterID>(i));
  }

  ASSERT_EQ(SetParam(mUnit, kGain, -4.5f), noErr);
  struct { const char* name; AudioUnitParameterUnit unit; const char* unitName; Float32 min, max, current; } expected[] = {
    { "Gain", kAudioUnitParameterUnit_CustomUnit, "dB", -24.f, 12.f, -4.5f },
    { "Mode of operation", kAudioUnitParameterUnit_Indexed, nullptr, 0.f, 2.f, 0.f },
    { "Invert", kAudioUnitParameterUnit_Boolean, nullptr, 0.f, 1.f, 0.f },
    { "Latency", kAudioUnitParameterUnit_Generic, nullptr, 0.f, 4096.f, 0.f },
  };
  for (int i = 0; i < 4; ++i) {
    AudioUnitParameterInfo info;
    memset(&info, 0xCD, sizeof info);
    ASSERT_EQ(Get(kAudioUnitProperty_ParameterInfo, 0, i, &info), noErr);
    EXPECT_STREQ(info.name, expected[i].name);
    EXPECT_EQ(Take(info.cfNameString), expected[i].name);
    EXPECT_EQ(info.flags, 0xC8000010u);
    EXPECT_EQ(info.unit, expected[i].unit);
    if (expected[i].unitName) {
      EXPECT_EQ(Take(info.unitName), expected[i].unitName);
    } else {
      EXPECT_EQ(info.unitName, nullptr);
    }
    EXPECT_EQ(info.minValue, expected[i].min);
    EXPECT_EQ(info.maxValue, expected[i].max);
    EXPECT_EQ(info.defaultValue, expected[i].current);
  }

  // The name cut to the length asked for; -1 asks for all of it.
  struct { SInt32 length; const char* name; } names[] = {
    { 5, "Mode " }, { 40, "Mode of operation" }, { -1, "Mode of operation" }, { -7, "" },
  };
  for (const auto& n : names) {
    AudioUnitParameterNameInfo name = { kMode, n.length, nullptr };
    ASSERT_EQ(Get(kAudioUnitProperty_ParameterIDName, 0, 0, &name), noErr);
    EXPECT_EQ(Take(name.outName), n.name) << n.length;
  }
  // A non-global scope only reports the size.
  AudioUnitParameterNameInfo name = { kMode, -1, nullptr };
  EXPECT_EQ(Get(kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Input, 0, &name), noErr);
  EXPECT_EQ(name.outName, nullptr);
}

// Mended fault: parameter IDs beyond the parameter count were not checked.
TEST_F(IEffectAUProperty, ParameterIDsBeyondTheCountAreRefused)
{
  AudioUnitParameterInfo info;
  for (AudioUnitElement id : { static_cast<UInt32>(kNumParams), 100u, 0xFFFFFFFFu }) {
    EXPECT_EQ(Get(kAudioUnitProperty_ParameterInfo, 0, id, &info), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(Info(kAudioUnitProperty_ParameterInfo, 0, id), kAudioUnitErr_InvalidParameter);
    CFArrayRef strings = nullptr;
    EXPECT_EQ(Get(kAudioUnitProperty_ParameterValueStrings, 0, id, &strings), kAudioUnitErr_InvalidParameter);
    Float32 value = 1.f;
    AudioUnitParameterStringFromValue toText = { id, &value, nullptr };
    EXPECT_EQ(Get(kAudioUnitProperty_ParameterStringFromValue, 0, 0, &toText), kAudioUnitErr_InvalidParameter);
    AudioUnitParameterNameInfo name = { id, -1, nullptr };
    EXPECT_EQ(Get(kAudioUnitProperty_ParameterIDName, 0, 0, &name), kAudioUnitErr_InvalidParameter);
    AudioUnitParameterValueFromString fromText = { id, CFSTR("Hot"), 0.f };
    EXPECT_EQ(Get(kAudioUnitProperty_ParameterValueFromString, 0, 0, &fromText), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(AudioUnitGetParameter(mUnit, id, 0, 0, &value), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(AudioUnitSetParameter(mUnit, id, 0, 0, value, 0), kAudioUnitErr_InvalidParameter);
  }
}

TEST_F(IEffectAUProperty, DisplayTextsConvertBothWays)
{
  CFArrayRef strings = nullptr;
  ASSERT_EQ(Get(kAudioUnitProperty_ParameterValueStrings, 0, kMode, &strings), noErr);
  ASSERT_EQ(CFArrayGetCount(strings), 3);
  EXPECT_EQ(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(strings, 0))), "Clean");
  EXPECT_EQ(Text(static_cast<CFStringRef>(CFArrayGetValueAtIndex(strings, 2))), "Hot");
  CFRelease(strings);
  UInt32 size = sizeof strings;
  EXPECT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterValueStrings, 0, kGain, &strings, &size),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(size, 0u);

  // A value's text: the given value (no value: the current one); out of range gives none.
  ASSERT_EQ(SetParam(mUnit, kMode, 2.f), noErr);
  Float32 warm = 1.7f, huge = 3e9f;
  struct { AudioUnitParameterID id; Float32* value; const char* text; } toTexts[] = {
    { kMode, &warm, "Warm" }, { kMode, nullptr, "Hot" }, { kGain, &huge, "" },
  };
  for (const auto& t : toTexts) {
    AudioUnitParameterStringFromValue toText = { t.id, t.value, nullptr };
    ASSERT_EQ(Get(kAudioUnitProperty_ParameterStringFromValue, 0, 0, &toText), noErr);
    EXPECT_EQ(Take(toText.outString), t.text);
  }
  AudioUnitParameterStringFromValue toText = { kMode, nullptr, nullptr };
  EXPECT_EQ(Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Output, 0, &toText), noErr);
  EXPECT_EQ(toText.outString, nullptr);

  // Texts are matched exactly; no match leaves the value.
  struct { CFStringRef text; Float32 value; } fromTexts[] = { { CFSTR("Warm"), 1.f }, { CFSTR("warm"), -1.f }, { nullptr, -1.f } };
  for (const auto& f : fromTexts) {
    AudioUnitParameterValueFromString fromText = { kMode, f.text, -1.f };
    ASSERT_EQ(Get(kAudioUnitProperty_ParameterValueFromString, 0, 0, &fromText), noErr);
    EXPECT_EQ(fromText.outValue, f.value);
  }
}

TEST_F(IEffectAUProperty, BusesFormatsAndChannelCounts)
{
  for (AudioUnitScope scope : { kAudioUnitScope_Input, kAudioUnitScope_Output, kAudioUnitScope_Global,
                                kAudioUnitScope_Group }) {
    UInt32 n = 7;
    EXPECT_EQ(Get(kAudioUnitProperty_ElementCount, scope, 0, &n), noErr);
    EXPECT_EQ(n, scope == kAudioUnitScope_Group ? 0u : 1u) << scope;
  }
  AUChannelInfo pairs[2] = {};
  ASSERT_EQ(Get(kAudioUnitProperty_SupportedNumChannels, 0, 0, &pairs), noErr);
  EXPECT_EQ(pairs[0].inChannels, 1);
  EXPECT_EQ(pairs[0].outChannels, 1);
  EXPECT_EQ(pairs[1].inChannels, 2);
  EXPECT_EQ(pairs[1].outChannels, 2);

  AudioStreamBasicDescription f{};
  ASSERT_EQ(Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Global, 0, &f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 2u);  // not yet told: the plug-in's channels
  EXPECT_EQ(f.mFormatID, static_cast<UInt32>(kAudioFormatLinearPCM));
  EXPECT_EQ(f.mFormatFlags, 41u);
  EXPECT_EQ(f.mBytesPerFrame, 4u);
  EXPECT_EQ(f.mBitsPerChannel, 32u);
  EXPECT_EQ(f.mSampleRate, 44100.0);

  // Refused: three channels, not PCM, integer samples, no channels, a second output bus.
  EXPECT_EQ(SetFormat(mUnit, kAudioUnitScope_Input, 3), kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 0u);
  AudioStreamBasicDescription notPCM = Format(2), integer = Format(2);
  notPCM.mFormatID = 0x61616320;  // 'aac '
  integer.mFormatFlags = kAudioFormatFlagIsSignedInteger;
  EXPECT_EQ(Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, notPCM), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Set(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, integer), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(SetFormat(mUnit, kAudioUnitScope_Input, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(SetFormat(mUnit, kAudioUnitScope_Output, 2, 48000.0, 1), kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(SetFormat(mUnit, kAudioUnitScope_Input, 1, 48000.0), noErr);
  ASSERT_EQ(Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 1u);
  EXPECT_EQ(f.mSampleRate, 48000.0);
  // A format with no rate keeps the rate; a rate of 0 is refused.
  ASSERT_EQ(SetFormat(mUnit, kAudioUnitScope_Output, 1, 0.0), noErr);
  Float64 rate = 0;
  ASSERT_EQ(Get(kAudioUnitProperty_SampleRate, 0, 0, &rate), noErr);
  EXPECT_EQ(rate, 48000.0);
  EXPECT_EQ(Set(kAudioUnitProperty_SampleRate, 0, 0.0), kAudioUnitErr_InvalidPropertyValue);
}

TEST_F(IEffectAUProperty, LatencyTailBypassAndPresets)
{
  Float64 tail = -1;
  ASSERT_EQ(SetParam(mUnit, kLatency, 882.f), noErr);
  ASSERT_EQ(Get(kAudioUnitProperty_TailTime, 0, 0, &tail), noErr);
  EXPECT_DOUBLE_EQ(tail, 0.02);

  UInt32 state = 0;
  EXPECT_EQ(Set(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Input, UInt32(1)), noErr);
  EXPECT_EQ(Get(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Input, 0, &state), kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(Get(kAudioUnitProperty_BypassEffect, 0, 0, &state), noErr);
  EXPECT_EQ(state, 1u);

  CFArrayRef presets = nullptr, again = nullptr;
  ASSERT_EQ(Get(kAudioUnitProperty_FactoryPresets, 0, 0, &presets), noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 3);  // the empty fourth slot was pruned at open
  const char* names[] = { "Unity", "Leise \xE2\x80\x93 ruhig", "Loud" };
  for (CFIndex i = 0; i < 3; ++i) {
    const AUPreset* p = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
    EXPECT_EQ(p->presetNumber, i);
    EXPECT_EQ(Text(p->presetName), names[i]);
  }
  // The records stay the unit's: a second query hands out the same ones.
  ASSERT_EQ(Get(kAudioUnitProperty_FactoryPresets, 0, 0, &again), noErr);
  EXPECT_EQ(CFArrayGetValueAtIndex(again, 1), CFArrayGetValueAtIndex(presets, 1));
  CFRelease(again);
  CFRelease(presets);

  AUPreset current = { -1, nullptr };
  ASSERT_EQ(Get(kAudioUnitProperty_CurrentPreset, 0, 0, &current), noErr);
  EXPECT_EQ(current.presetNumber, 0);
  EXPECT_EQ(Take(current.presetName), "Unity");
  ASSERT_EQ(Set(kAudioUnitProperty_PresentPreset, kAudioUnitScope_Output, AUPreset{ 2, nullptr }), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), 6.f);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kInvert), 1.f);
  ASSERT_EQ(Get(kAudioUnitProperty_PresentPreset, 0, 0, &current), noErr);
  EXPECT_EQ(current.presetNumber, 2);
  EXPECT_EQ(Take(current.presetName), "Loud");
  EXPECT_EQ(Set(kAudioUnitProperty_CurrentPreset, 0, AUPreset{ 17, nullptr }), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), 6.f);
}

// The dispatch calls the same procedures; the state suite pins their scope checks.
TEST_F(IEffectAUProperty, FastDispatchHandsOutTheParameterAndRenderProcedures)
{
  AudioUnitGetParameterProc getProc = nullptr;
  AudioUnitSetParameterProc setProc = nullptr;
  AudioUnitRenderProc renderProc = nullptr;
  ASSERT_EQ(Get(kAudioUnitProperty_FastDispatch, 0, kAudioUnitGetParameterSelect, &getProc), noErr);
  ASSERT_EQ(Get(kAudioUnitProperty_FastDispatch, 0, kAudioUnitSetParameterSelect, &setProc), noErr);
  ASSERT_EQ(Get(kAudioUnitProperty_FastDispatch, 0, kAudioUnitRenderSelect, &renderProc), noErr);
  EXPECT_NE(renderProc, nullptr);
  void* storage = GetComponentInstanceStorage(mUnit);
  EXPECT_EQ(setProc(storage, kGain, kAudioUnitScope_Global, 0, 100.f, 0), noErr);
  Float32 v = 0;
  EXPECT_EQ(getProc(storage, kGain, kAudioUnitScope_Global, 0, &v), noErr);
  EXPECT_EQ(v, 12.f);  // limited to the maximum
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), 12.f);
  void* proc = reinterpret_cast<void*>(1);
  EXPECT_EQ(Get(kAudioUnitProperty_FastDispatch, 0, kAudioUnitResetSelect, &proc), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(proc, reinterpret_cast<void*>(1));
}

namespace {

struct Transport
{
  Float64 tempo = 90.0;
  int calls = 0;
};

OSStatus BeatAndTempo(void* user, Float64* beat, Float64* tempo)
{
  Transport* t = static_cast<Transport*>(user);
  ++t->calls;
  *beat = 3.0;
  *tempo = t->tempo;
  return noErr;
}

OSStatus TimeLocation(void*, UInt32* toNextBeat, Float32* num, UInt32* den, Float64* downBeat)
{
  *toNextBeat = 1;
  *num = 7.f;
  *den = 8;
  *downBeat = 0.0;
  return noErr;
}

OSStatus TransportState(void*, Boolean* playing, Boolean* changed, Float64* position, Boolean* cycling, Float64* start,
                        Float64* end)
{
  *playing = *changed = *cycling = true;
  *position = 12345.9;
  *start = *end = 0.0;
  return noErr;
}

}  // namespace

TEST_F(IEffectAUProperty, HostCallbacksFeedTheTransportQueries)
{
  Source source;
  ASSERT_EQ(SetRenderCallback(mUnit, source.Callback()), noErr);
  auto render = [this](Float64 t) {
    Buffers out(2, 8);
    AudioTimeStamp ts = Stamp(t);
    return AudioUnitRender(mUnit, nullptr, &ts, 0, 8, out.Get());
  };
  ASSERT_EQ(render(0), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kTempo), 120.f);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kSamplePos), 0.f);

  Transport transport;
  HostCallbackInfo callbacks{ &transport, BeatAndTempo, TimeLocation, TransportState, nullptr };
  EXPECT_EQ(Set(kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Input, callbacks), kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(Set(kAudioUnitProperty_HostCallbacks, 0, callbacks), noErr);
  ASSERT_EQ(render(8), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kTempo), 90.f);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kSamplePos), 12345.f);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kTimeSigNum), 7.f);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kTimeSigDen), 8.f);
  // A tempo of 0 keeps the last positive one.
  transport.tempo = 0.0;
  ASSERT_EQ(render(16), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kTempo), 90.f);

  // Mended fault: four words were read whatever the size given. A host passing only the
  // user data and the tempo procedure (a heap block of exactly two words) leaves the
  // others unset.
  std::vector<void*> twoWords = { &transport, reinterpret_cast<void*>(&BeatAndTempo) };
  transport.tempo = 100.0;
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, 0, 0, twoWords.data(),
                                 static_cast<UInt32>(twoWords.size() * sizeof(void*))),
            noErr);
  ASSERT_EQ(render(24), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kTempo), 100.f);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kSamplePos), 0.f);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kTimeSigNum), 7.f);  // untouched without the procedure
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, 0, 0, nullptr, 0), noErr);
  int calls = transport.calls;
  ASSERT_EQ(render(32), noErr);
  EXPECT_EQ(transport.calls, calls);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kTempo), 100.f);
}
