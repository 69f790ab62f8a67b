#include "PlatformProbe.h"

#include <AudioUnit/AudioUnit.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

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

// The argument words of the last request the probe recorded, in the order it received them.
using Words = std::vector<long>;
Words Sent(const PlatformProbe* p) { return {p->lastWords, p->lastWords + p->lastWordCount}; }
long Word(const void* p) { return reinterpret_cast<long>(p); }

} // namespace

TEST(ComponentManager, RegistryListsTheBundlesComponentsAndSkipsMalformedOnes) {
  ComponentDescription maker = {0, 0, kMaker, 0, 0};
  EXPECT_EQ(CountComponents(&maker), 3); // the three-letter subtype is not registered
  Component probe = Find(kProbe);
  ASSERT_NE(probe, nullptr);
  ComponentDescription cd{};
  EXPECT_EQ(GetComponentInfo(probe, &cd, nullptr, nullptr, nullptr), noErr);
  EXPECT_EQ(std::make_tuple(cd.componentType, cd.componentSubType, cd.componentManufacturer),
            std::make_tuple(OSType(kAudioUnitType_Effect), kProbe, kMaker));
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

TEST(ComponentManager, OpenGivesTheComponentItsInstanceSharedStorageAndArgumentWords) {
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

  // Arguments travel last first, as pointer-sized words.
  UInt32 size = 0;
  int data = 0;
  EXPECT_EQ(AudioUnitGetProperty(ci, 8, kAudioUnitScope_Output, 7, &data, &size),
            PlatformProbeRecorded(kAudioUnitGetPropertySelect));
  EXPECT_EQ(Sent(probe), (Words{Word(&size), Word(&data), 7, kAudioUnitScope_Output, 8}));
  // A Float32 travels as its bit pattern.
  EXPECT_EQ(AudioUnitSetParameter(ci, 2, kAudioUnitScope_Global, 0, -0.75f, 64), noErr);
  UInt32 bits;
  Float32 value = -0.75f;
  memcpy(&bits, &value, 4);
  EXPECT_EQ(Sent(probe), (Words{64, static_cast<long>(bits), 0, kAudioUnitScope_Global, 2}));
  value = 0;
  EXPECT_EQ(AudioUnitGetParameter(ci, 2, kAudioUnitScope_Global, 0, &value), noErr);
  EXPECT_EQ(value, -0.75f);
  EXPECT_EQ(AudioUnitGetParameter(ci, 9, kAudioUnitScope_Global, 0, &value), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(MusicDeviceMIDIEvent(ci, 0x90, 60, 100, 12), PlatformProbeRecorded(kMusicDeviceMIDIEventSelect));
  EXPECT_EQ(Sent(probe), (Words{12, 100, 60, 0x90}));
  EXPECT_EQ(AudioUnitInitialize(ci), PlatformProbeRecorded(kAudioUnitInitializeSelect));
  EXPECT_EQ(Sent(probe), Words{});
  EXPECT_EQ(AudioUnitReset(ci, kAudioUnitScope_Global, 3), PlatformProbeRecorded(kAudioUnitResetSelect));
  EXPECT_EQ(Sent(probe), (Words{3, kAudioUnitScope_Global}));
  AudioUnitRenderActionFlags flags = 0;
  AudioTimeStamp ts{};
  EXPECT_EQ(AudioUnitRender(ci, &flags, &ts, 1, 256, nullptr), PlatformProbeRecorded(kAudioUnitRenderSelect));
  EXPECT_EQ(Sent(probe), (Words{0, 256, 1, Word(&ts), Word(&flags)}));
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

TEST(ComponentManager, InProcessComponentsRegisterAndUnregister) {
  ComponentDescription cd = {kAudioUnitType_Generator, 0x496E7072, kMaker, 0, 0};
  // an entry that counts its calls from 41 in its storage
  ComponentRoutineUPP entry = [](ComponentParameters* params, Handle storage) -> ComponentResult {
    if (params->what == kComponentOpenSelect)
      SetComponentInstanceStorage(reinterpret_cast<ComponentInstance>(params->params[0]),
                                  reinterpret_cast<Handle>(new int(41)));
    else if (params->what == kComponentCloseSelect)
      delete reinterpret_cast<int*>(storage);
    else
      return ++*reinterpret_cast<int*>(storage);
    return noErr;
  };
  Component c = RegisterComponent(&cd, entry, "in process");
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
