#include "PlatformProbe.h"

#include <AudioUnit/AudioUnit.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace {

constexpr OSType kProbe = 0x50726265;   // 'Prbe'
constexpr OSType kFail = 0x4661696C;    // 'Fail'
constexpr OSType kMissing = 0x4D697373; // 'Miss'
constexpr OSType kMaker = 0x4B6C7650;   // 'KlvP'

Component Find(OSType subtype) {
  ComponentDescription cd = {kAudioUnitType_Effect, subtype, kMaker, 0, 0};
  return FindNextComponent(nullptr, &cd);
}

PlatformProbe* ProbeOf(ComponentInstance ci) {
  return reinterpret_cast<PlatformProbe*>(GetComponentInstanceStorage(ci));
}

} // namespace

TEST(ComponentManager, RegistryListsTheBundlesComponentsAndSkipsMalformedOnes) {
  ComponentDescription maker = {0, 0, kMaker, 0, 0};
  EXPECT_EQ(CountComponents(&maker), 3); // the three-letter subtype is not registered
  Component probe = Find(kProbe);
  ASSERT_NE(probe, nullptr);
  ComponentDescription cd{};
  EXPECT_EQ(GetComponentInfo(probe, &cd, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(cd.componentType, static_cast<OSType>(kAudioUnitType_Effect));
  EXPECT_EQ(cd.componentSubType, kProbe);
  EXPECT_EQ(cd.componentManufacturer, kMaker);
  CFStringRef name = nullptr;
  ASSERT_EQ(AudioComponentCopyName(probe, &name), noErr);
  EXPECT_TRUE(CFEqual(name, CFSTR("Kelvo Tests: Probe")));
  CFRelease(name);
  // Walking with a null description visits every component once.
  long seen = 0;
  for (Component c = FindNextComponent(nullptr, nullptr); c; c = FindNextComponent(c, nullptr)) ++seen;
  EXPECT_EQ(seen, CountComponents(nullptr));
  ComponentDescription none = {kAudioUnitType_Effect, 0x4E6F6E65, 0, 0, 0};
  EXPECT_EQ(FindNextComponent(nullptr, &none), nullptr);
  // Registering the same bundle again adds nothing.
  std::string bundle = std::string(KELVO_BINARY_DIR) + "/tests/platform/PlatformProbe.component";
  EXPECT_EQ(RegisterComponentBundle(bundle.c_str()), 3);
  EXPECT_EQ(CountComponents(&maker), 3);
  EXPECT_EQ(RegisterComponentBundle("/no/such/Thing.component"), 0);
}

TEST(ComponentManager, OpenGivesTheComponentItsInstanceAndSharedStorage) {
  ComponentInstance ci = nullptr;
  ASSERT_EQ(OpenAComponent(Find(kProbe), &ci), noErr);
  ASSERT_NE(ci, nullptr);
  PlatformProbe* probe = ProbeOf(ci);
  ASSERT_NE(probe, nullptr);
  EXPECT_EQ(probe->instance, ci);
  // The bundle's executable uses this process's platform library, so it sees the same registry.
  EXPECT_TRUE(probe->storageSeenAtOpen);
  EXPECT_EQ(GetComponentFromInstance(ci), Find(kProbe));
  ComponentDescription cd{};
  EXPECT_EQ(GetComponentInfo(reinterpret_cast<Component>(ci), &cd, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(cd.componentSubType, kProbe);
  EXPECT_EQ(CallComponentCanDo(ci, kAudioUnitRenderSelect), 1);
  EXPECT_EQ(CallComponentCanDo(ci, kAudioUnitResetSelect), 0);
  EXPECT_EQ(GetComponentVersion(ci), 0x00010203);
  ComponentInstance second = OpenComponent(Find(kProbe));
  ASSERT_NE(second, nullptr);
  EXPECT_NE(ProbeOf(second), probe);
  EXPECT_EQ(CloseComponent(second), noErr);
  EXPECT_EQ(CloseComponent(ci), noErr);
}

TEST(ComponentManager, ArgumentsTravelLastFirstAsPointerSizedWords) {
  ComponentInstance ci = OpenComponent(Find(kProbe));
  ASSERT_NE(ci, nullptr);
  PlatformProbe* probe = ProbeOf(ci);
  UInt32 size = 0;
  int data = 0;
  EXPECT_EQ(AudioUnitGetProperty(ci, 8, kAudioUnitScope_Output, 7, &data, &size),
            PlatformProbeRecorded(kAudioUnitGetPropertySelect));
  ASSERT_EQ(probe->lastWordCount, 5);
  EXPECT_EQ(probe->lastWords[0], reinterpret_cast<long>(&size));
  EXPECT_EQ(probe->lastWords[1], reinterpret_cast<long>(&data));
  EXPECT_EQ(probe->lastWords[2], 7);
  EXPECT_EQ(probe->lastWords[3], kAudioUnitScope_Output);
  EXPECT_EQ(probe->lastWords[4], 8);

  // A Float32 travels as its bit pattern.
  EXPECT_EQ(AudioUnitSetParameter(ci, 2, kAudioUnitScope_Global, 0, -0.75f, 64), noErr);
  EXPECT_EQ(probe->lastWords[0], 64);
  UInt32 bits;
  Float32 f = -0.75f;
  memcpy(&bits, &f, 4);
  EXPECT_EQ(static_cast<UInt32>(probe->lastWords[1]), bits);
  Float32 value = 0;
  EXPECT_EQ(AudioUnitGetParameter(ci, 2, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_EQ(value, -0.75f);
  EXPECT_EQ(AudioUnitGetParameter(ci, 9, kAudioUnitScope_Global, 0, &value), kAudioUnitErr_InvalidParameter);

  EXPECT_EQ(MusicDeviceMIDIEvent(ci, 0x90, 60, 100, 12), PlatformProbeRecorded(kMusicDeviceMIDIEventSelect));
  ASSERT_EQ(probe->lastWordCount, 4);
  EXPECT_EQ(probe->lastWords[0], 12);
  EXPECT_EQ(probe->lastWords[3], 0x90);
  EXPECT_EQ(AudioUnitInitialize(ci), PlatformProbeRecorded(kAudioUnitInitializeSelect));
  EXPECT_EQ(probe->lastWordCount, 0);
  EXPECT_EQ(AudioUnitReset(ci, kAudioUnitScope_Global, 3), PlatformProbeRecorded(kAudioUnitResetSelect));
  EXPECT_EQ(probe->lastWords[0], 3);
  AudioUnitRenderActionFlags flags = 0;
  AudioTimeStamp ts{};
  EXPECT_EQ(AudioUnitRender(ci, &flags, &ts, 1, 256, nullptr), PlatformProbeRecorded(kAudioUnitRenderSelect));
  ASSERT_EQ(probe->lastWordCount, 5);
  EXPECT_EQ(probe->lastWords[1], 256);
  EXPECT_EQ(probe->lastWords[4], reinterpret_cast<long>(&flags));
  EXPECT_EQ(CloseComponent(ci), noErr);
}

TEST(ComponentManager, FailuresToOpenLeaveNoInstance) {
  ComponentInstance ci = reinterpret_cast<ComponentInstance>(&ci);
  EXPECT_EQ(OpenAComponent(Find(kFail), &ci), memFullErr);
  EXPECT_EQ(ci, nullptr);
  EXPECT_EQ(OpenAComponent(Find(kMissing), &ci), resFNotFound);
  EXPECT_EQ(ci, nullptr);
  EXPECT_EQ(OpenAComponent(nullptr, &ci), invalidComponentID);
  EXPECT_EQ(OpenAComponent(Find(kProbe), nullptr), paramErr);
  // Calls on something that is not an open instance are refused, not followed.
  int notAnInstance[8] = {};
  EXPECT_EQ(AudioUnitInitialize(reinterpret_cast<AudioUnit>(notAnInstance)), badComponentInstance);
  EXPECT_EQ(AudioUnitInitialize(nullptr), badComponentInstance);
  EXPECT_EQ(CloseComponent(nullptr), static_cast<OSErr>(badComponentInstance));
  EXPECT_EQ(GetComponentInstanceStorage(nullptr), nullptr);
  ComponentDescription cd{};
  EXPECT_EQ(GetComponentInfo(nullptr, &cd, nullptr, nullptr, nullptr), invalidComponentID);
}

namespace {

ComponentResult InProcessEntry(ComponentParameters* params, Handle storage) {
  switch (params->what) {
    case kComponentOpenSelect:
      SetComponentInstanceStorage(reinterpret_cast<ComponentInstance>(params->params[0]),
                                  reinterpret_cast<Handle>(new int(41)));
      return noErr;
    case kComponentCloseSelect:
      delete reinterpret_cast<int*>(storage);
      return noErr;
    default:
      return ++*reinterpret_cast<int*>(storage);
  }
}

} // namespace

TEST(ComponentManager, InProcessComponentsRegisterAndUnregister) {
  ComponentDescription cd = {kAudioUnitType_Generator, 0x496E7072, kMaker, 0, 0};
  Component c = RegisterComponent(&cd, InProcessEntry, "in process");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(FindNextComponent(nullptr, &cd), c);
  EXPECT_EQ(GetComponentBundle(c), nullptr);
  ComponentInstance ci = OpenComponent(c);
  ASSERT_NE(ci, nullptr);
  EXPECT_EQ(AudioUnitUninitialize(ci), 42);
  EXPECT_EQ(UnregisterComponent(c), noErr);
  EXPECT_EQ(FindNextComponent(nullptr, &cd), nullptr);
  EXPECT_EQ(UnregisterComponent(c), invalidComponentID);
  // An open instance outlives its component's registration.
  EXPECT_EQ(AudioUnitUninitialize(ci), 43);
  EXPECT_EQ(CloseComponent(ci), noErr);
  EXPECT_EQ(OpenComponent(c), nullptr);
}
