#include "AUTestHost.h"

#include <cstring>
#include <string>
#include <vector>

using namespace autest;

namespace {

class IEffectAUProperty : public ::testing::Test
{
protected:
  void SetUp() override
  {
    mUnit = OpenTestEffect();
    ASSERT_NE(mUnit, nullptr);
  }
  void TearDown() override { CloseComponent(mUnit); }

  OSStatus Info(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, UInt32* size, Boolean* writable)
  {
    *size = 0xdeadbeef;
    *writable = 7;
    return AudioUnitGetPropertyInfo(mUnit, id, scope, element, size, writable);
  }

  template <class T>
  OSStatus Get(AudioUnitPropertyID id, AudioUnitScope scope, AudioUnitElement element, T* value)
  {
    UInt32 size = sizeof(T);
    return AudioUnitGetProperty(mUnit, id, scope, element, value, &size);
  }

  static std::string Text(CFStringRef s)
  {
    char buf[256] = {};
    CFStringGetCString(s, buf, sizeof buf, kCFStringEncodingUTF8);
    return buf;
  }

  AudioUnit mUnit = nullptr;
};

}  // namespace

TEST_F(IEffectAUProperty, InfoReportsSizeAndWritabilityOfEveryProperty)
{
  struct Row
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    UInt32 size;
    bool writable;
  };
  const Row rows[] = {
    { kAudioUnitProperty_ClassInfo, kAudioUnitScope_Global, sizeof(CFPropertyListRef), true },
    { kAudioUnitProperty_MakeConnection, kAudioUnitScope_Input, sizeof(AudioUnitConnection), true },
    { kAudioUnitProperty_SampleRate, kAudioUnitScope_Output, sizeof(Float64), true },
    { kAudioUnitProperty_ParameterList, kAudioUnitScope_Global, kNumParams * sizeof(AudioUnitParameterID), false },
    { kAudioUnitProperty_ParameterList, kAudioUnitScope_Input, 0, false },
    { kAudioUnitProperty_ParameterInfo, kAudioUnitScope_Global, sizeof(AudioUnitParameterInfo), false },
    { kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, sizeof(AudioStreamBasicDescription), true },
    { kAudioUnitProperty_StreamFormat, kAudioUnitScope_Global, sizeof(AudioStreamBasicDescription), true },
    { kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, sizeof(UInt32), false },
    { kAudioUnitProperty_Latency, kAudioUnitScope_Global, sizeof(Float64), false },
    { kAudioUnitProperty_SupportedNumChannels, kAudioUnitScope_Global, 2 * sizeof(AUChannelInfo), false },
    { kAudioUnitProperty_MaximumFramesPerSlice, kAudioUnitScope_Global, sizeof(UInt32), true },
    { kAudioUnitProperty_ParameterValueStrings, kAudioUnitScope_Global, sizeof(CFArrayRef), false },
    { kAudioUnitProperty_TailTime, kAudioUnitScope_Global, sizeof(Float64), false },
    { kAudioUnitProperty_BypassEffect, kAudioUnitScope_Global, sizeof(UInt32), true },
    { kAudioUnitProperty_LastRenderError, kAudioUnitScope_Global, sizeof(OSStatus), false },
    { kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, sizeof(AURenderCallbackStruct), true },
    { kAudioUnitProperty_FactoryPresets, kAudioUnitScope_Global, sizeof(CFArrayRef), false },
    { kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Global, 4 * sizeof(void*), true },
    { kAudioUnitProperty_CurrentPreset, kAudioUnitScope_Global, sizeof(AUPreset), true },
    { kAudioUnitProperty_PresentPreset, kAudioUnitScope_Input, sizeof(AUPreset), true },
    { kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Global, sizeof(AudioUnitParameterStringFromValue), false },
    { kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Output, sizeof(AudioUnitParameterNameInfo), false },
    { kAudioUnitProperty_ParameterValueFromString, kAudioUnitScope_Global, sizeof(AudioUnitParameterValueFromString), false },
  };
  for (const Row& row : rows) {
    UInt32 size;
    Boolean writable;
    AudioUnitElement element = row.id == kAudioUnitProperty_ParameterValueStrings ? kMode : 0;
    ASSERT_EQ(Info(row.id, row.scope, element, &size, &writable), noErr) << row.id;
    EXPECT_EQ(size, row.size) << row.id;
    EXPECT_EQ(writable != 0, row.writable) << row.id;
  }
  // Info with no size or writable pointers is answered too.
  EXPECT_EQ(AudioUnitGetPropertyInfo(mUnit, kAudioUnitProperty_SampleRate, 0, 0, nullptr, nullptr), noErr);
  UInt32 size;
  Boolean writable;
  EXPECT_EQ(Info(kAudioUnitProperty_FastDispatch, 0, kAudioUnitRenderSelect, &size, &writable), noErr);
  EXPECT_EQ(size, sizeof(void*));
  EXPECT_EQ(writable, 0);
}

TEST_F(IEffectAUProperty, UnknownPropertiesAndWrongScopesAreRefused)
{
  UInt32 size;
  Boolean writable;
  for (AudioUnitPropertyID id : { 6u, 7u, 9u, 10u, 15u, 17u, 19u, 25u, 26u, 29u, 30u, 32u, 35u, 37u, 39u, 999u, 1000u }) {
    EXPECT_EQ(Info(id, kAudioUnitScope_Global, 0, &size, &writable), kAudioUnitErr_InvalidProperty) << id;
  }
  const AudioUnitPropertyID globalOnly[] = { kAudioUnitProperty_ParameterInfo, kAudioUnitProperty_Latency,
                                             kAudioUnitProperty_SupportedNumChannels,
                                             kAudioUnitProperty_MaximumFramesPerSlice,
                                             kAudioUnitProperty_ParameterValueStrings, kAudioUnitProperty_TailTime,
                                             kAudioUnitProperty_BypassEffect, kAudioUnitProperty_LastRenderError,
                                             kAudioUnitProperty_HostCallbacks };
  for (AudioUnitPropertyID id : globalOnly) {
    EXPECT_EQ(Info(id, kAudioUnitScope_Input, kMode, &size, &writable), kAudioUnitErr_InvalidProperty) << id;
  }
  EXPECT_EQ(Info(kAudioUnitProperty_MakeConnection, kAudioUnitScope_Output, 0, &size, &writable),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Info(kAudioUnitProperty_SetRenderCallback, kAudioUnitScope_Input, 1, &size, &writable),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Info(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Output, 1, &size, &writable),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Info(kAudioUnitProperty_StreamFormat, 3, 0, &size, &writable), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Info(kAudioUnitProperty_FastDispatch, 0, kAudioUnitResetSelect, &size, &writable),
            kAudioUnitErr_InvalidElement);
  // No editor: no view properties.
  EXPECT_EQ(Info(kAudioUnitProperty_CocoaUI, 0, 0, &size, &writable), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Info(kAudioUnitProperty_GetUIComponentList, 0, 0, &size, &writable), kAudioUnitErr_InvalidProperty);
  // Not an instrument.
  EXPECT_EQ(Info(kMusicDeviceProperty_InstrumentCount, 0, 0, &size, &writable), kAudioUnitErr_InvalidProperty);
  // Sets of properties that are read-only or unknown.
  UInt32 word = 0;
  for (AudioUnitPropertyID id : { 3u, 4u, 5u, 11u, 12u, 13u, 16u, 18u, 20u, 22u, 24u, 31u, 33u, 34u, 38u, 1000u }) {
    EXPECT_EQ(AudioUnitSetProperty(mUnit, id, kAudioUnitScope_Global, 0, &word, sizeof word),
              kAudioUnitErr_InvalidProperty)
        << id;
  }
}

// Mended fault: a get or set with a size smaller than its record read or wrote past the
// host's buffer.
TEST_F(IEffectAUProperty, ValuesSmallerThanTheirRecordAreRefused)
{
  struct Row
  {
    AudioUnitPropertyID id;
    AudioUnitScope scope;
    UInt32 size;
  };
  const Row gets[] = {
    { kAudioUnitProperty_ClassInfo, 0, sizeof(CFPropertyListRef) },
    { kAudioUnitProperty_SampleRate, 0, sizeof(Float64) },
    { kAudioUnitProperty_ParameterList, 0, kNumParams * sizeof(AudioUnitParameterID) },
    { kAudioUnitProperty_ParameterInfo, 0, sizeof(AudioUnitParameterInfo) },
    { kAudioUnitProperty_StreamFormat, 1, sizeof(AudioStreamBasicDescription) },
    { kAudioUnitProperty_ElementCount, 1, sizeof(UInt32) },
    { kAudioUnitProperty_Latency, 0, sizeof(Float64) },
    { kAudioUnitProperty_SupportedNumChannels, 0, 2 * sizeof(AUChannelInfo) },
    { kAudioUnitProperty_MaximumFramesPerSlice, 0, sizeof(UInt32) },
    { kAudioUnitProperty_BypassEffect, 0, sizeof(UInt32) },
    { kAudioUnitProperty_FactoryPresets, 0, sizeof(CFArrayRef) },
    { kAudioUnitProperty_CurrentPreset, 0, sizeof(AUPreset) },
    { kAudioUnitProperty_ParameterIDName, 0, sizeof(AudioUnitParameterNameInfo) },
  };
  for (const Row& row : gets) {
    std::vector<unsigned char> buffer(row.size + 8, 0xAB);
    for (UInt32 size : { 0u, row.size / 2, row.size - 1 }) {
      UInt32 io = size;
      EXPECT_EQ(AudioUnitGetProperty(mUnit, row.id, row.scope, 0, buffer.data(), &io), kAudioUnitErr_InvalidPropertyValue)
          << row.id << " size " << size;
      EXPECT_EQ(io, row.size);
      EXPECT_EQ(buffer[0], 0xAB) << row.id;
    }
  }
  // Without a size pointer the buffer's room is unknown.
  Float64 rate = 0;
  EXPECT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_SampleRate, 0, 0, &rate, nullptr),
            kAudioUnitErr_InvalidPropertyValue);

  const Row sets[] = {
    { kAudioUnitProperty_ClassInfo, 0, sizeof(CFPropertyListRef) },
    { kAudioUnitProperty_MakeConnection, 1, sizeof(AudioUnitConnection) },
    { kAudioUnitProperty_SampleRate, 0, sizeof(Float64) },
    { kAudioUnitProperty_StreamFormat, 1, sizeof(AudioStreamBasicDescription) },
    { kAudioUnitProperty_MaximumFramesPerSlice, 0, sizeof(UInt32) },
    { kAudioUnitProperty_BypassEffect, 0, sizeof(UInt32) },
    { kAudioUnitProperty_SetRenderCallback, 1, sizeof(AURenderCallbackStruct) },
    { kAudioUnitProperty_CurrentPreset, 0, sizeof(AUPreset) },
    { kAudioUnitProperty_PresentPreset, 0, sizeof(AUPreset) },
  };
  for (const Row& row : sets) {
    // Heap blocks of exactly the given size, so reading past them is caught.
    for (UInt32 size : { 0u, row.size - 1 }) {
      std::vector<unsigned char> data(size ? size : 1, 0);
      EXPECT_EQ(AudioUnitSetProperty(mUnit, row.id, row.scope, 0, data.data(), size), kAudioUnitErr_InvalidPropertyValue)
          << row.id << " size " << size;
    }
    EXPECT_EQ(AudioUnitSetProperty(mUnit, row.id, row.scope, 0, nullptr, row.size), kAudioUnitErr_InvalidPropertyValue)
        << row.id;
  }
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
  size = sizeof ids;
  EXPECT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ParameterList, kAudioUnitScope_Output, 0, ids, &size), noErr);
  EXPECT_EQ(size, 0u);

  ASSERT_EQ(SetParam(mUnit, kGain, -4.5f), noErr);
  struct Expected
  {
    const char* name;
    AudioUnitParameterUnit unit;
    const char* unitName;
    Float32 min, max, current;
  };
  const Expected expected[] = {
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
    EXPECT_EQ(Text(info.cfNameString), expected[i].name);
    EXPECT_EQ(info.flags, 0xC8000010u);
    EXPECT_EQ(info.unit, expected[i].unit);
    if (expected[i].unitName) {
      EXPECT_EQ(Text(info.unitName), expected[i].unitName);
      CFRelease(info.unitName);
    } else {
      EXPECT_EQ(info.unitName, nullptr);
    }
    EXPECT_EQ(info.clumpID, 0u);
    EXPECT_EQ(info.minValue, expected[i].min);
    EXPECT_EQ(info.maxValue, expected[i].max);
    EXPECT_EQ(info.defaultValue, expected[i].current);
    CFRelease(info.cfNameString);
  }

  AudioUnitParameterNameInfo name = { kMode, 5, nullptr };
  ASSERT_EQ(Get(kAudioUnitProperty_ParameterIDName, 0, 0, &name), noErr);
  EXPECT_EQ(Text(name.outName), "Mode ");
  CFRelease(name.outName);
  name = { kMode, 40, nullptr };
  ASSERT_EQ(Get(kAudioUnitProperty_ParameterIDName, 0, 0, &name), noErr);
  EXPECT_EQ(Text(name.outName), "Mode of operation");
  CFRelease(name.outName);
  name = { kMode, -1, nullptr };
  ASSERT_EQ(Get(kAudioUnitProperty_ParameterIDName, 0, 0, &name), noErr);
  EXPECT_EQ(Text(name.outName), "Mode of operation");
  CFRelease(name.outName);
  name = { kMode, -7, nullptr };
  ASSERT_EQ(Get(kAudioUnitProperty_ParameterIDName, 0, 0, &name), noErr);
  EXPECT_EQ(Text(name.outName), "");
  CFRelease(name.outName);
  // A non-global scope only reports the size.
  name = { kMode, -1, nullptr };
  EXPECT_EQ(Get(kAudioUnitProperty_ParameterIDName, kAudioUnitScope_Input, 0, &name), noErr);
  EXPECT_EQ(name.outName, nullptr);
}

// Mended fault: parameter IDs beyond the parameter count were not checked.
TEST_F(IEffectAUProperty, ParameterIDsBeyondTheCountAreRefused)
{
  AudioUnitParameterInfo info;
  UInt32 size;
  Boolean writable;
  for (AudioUnitElement id : { static_cast<UInt32>(kNumParams), 100u, 0xFFFFFFFFu }) {
    EXPECT_EQ(Get(kAudioUnitProperty_ParameterInfo, 0, id, &info), kAudioUnitErr_InvalidParameter);
    EXPECT_EQ(Info(kAudioUnitProperty_ParameterInfo, 0, id, &size, &writable), kAudioUnitErr_InvalidParameter);
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

  Float32 value = 1.7f;
  AudioUnitParameterStringFromValue toText = { kMode, &value, nullptr };
  ASSERT_EQ(Get(kAudioUnitProperty_ParameterStringFromValue, 0, 0, &toText), noErr);
  EXPECT_EQ(Text(toText.outString), "Warm");
  CFRelease(toText.outString);
  ASSERT_EQ(SetParam(mUnit, kMode, 2.f), noErr);
  toText = { kMode, nullptr, nullptr };
  ASSERT_EQ(Get(kAudioUnitProperty_ParameterStringFromValue, 0, 0, &toText), noErr);
  EXPECT_EQ(Text(toText.outString), "Hot");
  CFRelease(toText.outString);
  value = 3e9f;
  toText = { kGain, &value, nullptr };
  ASSERT_EQ(Get(kAudioUnitProperty_ParameterStringFromValue, 0, 0, &toText), noErr);
  EXPECT_EQ(Text(toText.outString), "");
  CFRelease(toText.outString);
  toText = { kMode, nullptr, nullptr };
  EXPECT_EQ(Get(kAudioUnitProperty_ParameterStringFromValue, kAudioUnitScope_Output, 0, &toText), noErr);
  EXPECT_EQ(toText.outString, nullptr);

  AudioUnitParameterValueFromString fromText = { kMode, CFSTR("Warm"), -1.f };
  ASSERT_EQ(Get(kAudioUnitProperty_ParameterValueFromString, 0, 0, &fromText), noErr);
  EXPECT_EQ(fromText.outValue, 1.f);
  fromText = { kMode, CFSTR("warm"), -1.f };
  ASSERT_EQ(Get(kAudioUnitProperty_ParameterValueFromString, 0, 0, &fromText), noErr);
  EXPECT_EQ(fromText.outValue, -1.f);
  fromText = { kMode, nullptr, -1.f };
  ASSERT_EQ(Get(kAudioUnitProperty_ParameterValueFromString, 0, 0, &fromText), noErr);
  EXPECT_EQ(fromText.outValue, -1.f);
}

TEST_F(IEffectAUProperty, BusesFormatsAndChannelCounts)
{
  UInt32 n = 0;
  EXPECT_EQ(Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Input, 0, &n), noErr);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Output, 0, &n), noErr);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Global, 0, &n), noErr);
  EXPECT_EQ(n, 1u);
  EXPECT_EQ(Get(kAudioUnitProperty_ElementCount, kAudioUnitScope_Group, 0, &n), noErr);
  EXPECT_EQ(n, 0u);

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

  EXPECT_EQ(SetFormat(mUnit, kAudioUnitScope_Input, 3), kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 0u);
  AudioStreamBasicDescription notPCM = Format(2);
  notPCM.mFormatID = 0x61616320;  // 'aac '
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &notPCM, sizeof notPCM),
            kAudioUnitErr_InvalidProperty);
  AudioStreamBasicDescription integer = Format(2);
  integer.mFormatFlags = kAudioFormatFlagIsSignedInteger;
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &integer, sizeof integer),
            kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(SetFormat(mUnit, kAudioUnitScope_Input, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(SetFormat(mUnit, kAudioUnitScope_Output, 2, 48000.0, 1), kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(SetFormat(mUnit, kAudioUnitScope_Input, 1, 48000.0), noErr);
  ASSERT_EQ(Get(kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &f), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 1u);
  EXPECT_EQ(f.mSampleRate, 48000.0);
  // A format with no rate keeps the rate.
  ASSERT_EQ(SetFormat(mUnit, kAudioUnitScope_Output, 1, 0.0), noErr);
  Float64 rate = 0;
  ASSERT_EQ(Get(kAudioUnitProperty_SampleRate, 0, 0, &rate), noErr);
  EXPECT_EQ(rate, 48000.0);
  rate = 0.0;
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, 0, 0, &rate, sizeof rate),
            kAudioUnitErr_InvalidPropertyValue);
}

TEST_F(IEffectAUProperty, LatencyTailBypassPresetsAndFastDispatch)
{
  Float64 latency = -1, tail = -1;
  ASSERT_EQ(Get(kAudioUnitProperty_Latency, 0, 0, &latency), noErr);
  ASSERT_EQ(Get(kAudioUnitProperty_TailTime, 0, 0, &tail), noErr);
  EXPECT_EQ(latency, 0.0);
  EXPECT_EQ(tail, 0.0);
  ASSERT_EQ(SetParam(mUnit, kLatency, 882.f), noErr);
  ASSERT_EQ(Get(kAudioUnitProperty_TailTime, 0, 0, &tail), noErr);
  EXPECT_DOUBLE_EQ(tail, 0.02);

  UInt32 on = 1, state = 0;
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, kAudioUnitScope_Input, 0, &on, sizeof on), noErr);
  EXPECT_EQ(Get(kAudioUnitProperty_BypassEffect, kAudioUnitScope_Input, 0, &state), kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(Get(kAudioUnitProperty_BypassEffect, 0, 0, &state), noErr);
  EXPECT_EQ(state, 1u);
  OSStatus lastError = 5;
  ASSERT_EQ(Get(kAudioUnitProperty_LastRenderError, 0, 0, &lastError), noErr);
  EXPECT_EQ(lastError, noErr);

  CFArrayRef presets = nullptr;
  ASSERT_EQ(Get(kAudioUnitProperty_FactoryPresets, 0, 0, &presets), noErr);
  ASSERT_EQ(CFArrayGetCount(presets), 3);  // the empty fourth slot was pruned at open
  const char* names[] = { "Unity", "Leise \xE2\x80\x93 ruhig", "Loud" };
  for (CFIndex i = 0; i < 3; ++i) {
    const AUPreset* p = static_cast<const AUPreset*>(CFArrayGetValueAtIndex(presets, i));
    EXPECT_EQ(p->presetNumber, i);
    EXPECT_EQ(Text(p->presetName), names[i]);
  }
  // The records stay the unit's: a second query hands out the same ones.
  CFArrayRef again = nullptr;
  ASSERT_EQ(Get(kAudioUnitProperty_FactoryPresets, 0, 0, &again), noErr);
  EXPECT_EQ(CFArrayGetValueAtIndex(again, 1), CFArrayGetValueAtIndex(presets, 1));
  CFRelease(again);
  CFRelease(presets);

  AUPreset current = { -1, nullptr };
  ASSERT_EQ(Get(kAudioUnitProperty_CurrentPreset, 0, 0, &current), noErr);
  EXPECT_EQ(current.presetNumber, 0);
  EXPECT_EQ(Text(current.presetName), "Unity");
  CFRelease(current.presetName);
  AUPreset loud = { 2, nullptr };
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_PresentPreset, kAudioUnitScope_Output, 0, &loud, sizeof loud),
            noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), 6.f);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kInvert), 1.f);
  ASSERT_EQ(Get(kAudioUnitProperty_PresentPreset, 0, 0, &current), noErr);
  EXPECT_EQ(current.presetNumber, 2);
  EXPECT_EQ(Text(current.presetName), "Loud");
  CFRelease(current.presetName);
  AUPreset none = { 17, nullptr };
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_CurrentPreset, 0, 0, &none, sizeof none), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), 6.f);

  AudioUnitGetParameterProc getProc = nullptr;
  AudioUnitSetParameterProc setProc = nullptr;
  AudioUnitRenderProc renderProc = nullptr;
  ASSERT_EQ(Get(kAudioUnitProperty_FastDispatch, 0, kAudioUnitGetParameterSelect, &getProc), noErr);
  ASSERT_EQ(Get(kAudioUnitProperty_FastDispatch, 0, kAudioUnitSetParameterSelect, &setProc), noErr);
  ASSERT_EQ(Get(kAudioUnitProperty_FastDispatch, 0, kAudioUnitRenderSelect, &renderProc), noErr);
  void* storage = GetComponentInstanceStorage(mUnit);
  EXPECT_EQ(setProc(storage, kGain, kAudioUnitScope_Global, 0, 100.f, 0), noErr);
  Float32 v = 0;
  EXPECT_EQ(getProc(storage, kGain, kAudioUnitScope_Global, 0, &v), noErr);
  EXPECT_EQ(v, 12.f);  // limited to the maximum
  EXPECT_EQ(setProc(storage, kGain, kAudioUnitScope_Input, 0, -3.f, 0), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(getProc(storage, kGain, kAudioUnitScope_Output, 0, &v), kAudioUnitErr_InvalidProperty);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), 12.f);
  EXPECT_EQ(SetParam(mUnit, kGain, -100.f), noErr);
  EXPECT_FLOAT_EQ(GetParam(mUnit, kGain), -24.f);
  EXPECT_EQ(getProc(storage, kGain, kAudioUnitScope_Global, 0, nullptr), paramErr);
  EXPECT_NE(renderProc, nullptr);
  void* proc = reinterpret_cast<void*>(1);
  EXPECT_EQ(Get(kAudioUnitProperty_FastDispatch, 0, kAudioUnitResetSelect, &proc), kAudioUnitErr_InvalidElement);
  EXPECT_EQ(proc, reinterpret_cast<void*>(1));
}

namespace {

struct Transport
{
  Float64 tempo = 90.0;
  Float64 position = 12345.9;
  Float32 numerator = 7.f;
  UInt32 denominator = 8;
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

OSStatus TimeLocation(void* user, UInt32* toNextBeat, Float32* num, UInt32* den, Float64* downBeat)
{
  Transport* t = static_cast<Transport*>(user);
  *toNextBeat = 1;
  *num = t->numerator;
  *den = t->denominator;
  *downBeat = 0.0;
  return noErr;
}

OSStatus TransportState(void* user, Boolean* playing, Boolean* changed, Float64* position, Boolean* cycling,
                        Float64* start, Float64* end)
{
  *playing = *changed = *cycling = true;
  *position = static_cast<Transport*>(user)->position;
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
  HostCallbackInfo callbacks{};
  callbacks.hostUserData = &transport;
  callbacks.beatAndTempoProc = BeatAndTempo;
  callbacks.musicalTimeLocationProc = TimeLocation;
  callbacks.transportStateProc = TransportState;
  EXPECT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, kAudioUnitScope_Input, 0, &callbacks,
                                 sizeof callbacks),
            kAudioUnitErr_InvalidProperty);
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_HostCallbacks, 0, 0, &callbacks, sizeof callbacks), noErr);
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
