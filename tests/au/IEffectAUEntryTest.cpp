#include "AUTestHost.h"

#include <cmath>
#include <set>
#include <string>
#include <utility>
#include <vector>

using namespace autest;

TEST(IEffectAUEntry, LifecycleOpensInitialisesRendersAtSeveralSizesAndRatesAndReopens)
{
  for (int round = 0; round < 2; ++round) {
    AudioUnit unit = OpenTestEffect();
    ASSERT_NE(unit, nullptr);
    EXPECT_EQ(GetComponentVersion(unit), 0x00010203);
    ASSERT_EQ(SetParam(unit, kGain, -6.f), noErr);
    Source source;
    ASSERT_EQ(SetRenderCallback(unit, source.Callback()), noErr);
    for (Float64 rate : { 44100.0, 96000.0 }) {
      ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Input, 2, rate), noErr);
      ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Output, 2, rate), noErr);
      ASSERT_EQ(AudioUnitInitialize(unit), noErr);
      Float64 rateBack = 0;
      UInt32 size = sizeof rateBack;
      EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_SampleRate, kAudioUnitScope_Global, 0, &rateBack, &size),
                noErr);
      EXPECT_EQ(rateBack, rate);
      Float64 t = 0;
      for (UInt32 frames : { 1u, 17u, 64u, 1024u }) {
        Buffers out(2, frames);
        AudioTimeStamp ts = Stamp(t);
        ASSERT_EQ(AudioUnitRender(unit, nullptr, &ts, 0, frames, out.Get()), noErr);
        for (UInt32 c = 0; c < 2; ++c) {
          for (UInt32 i = 0; i < frames; i += 7) {
            EXPECT_FLOAT_EQ(out.Data(c)[i], Source::Sample(t, i, c) * DBToGain(-6.0)) << frames << ":" << c << ":" << i;
          }
        }
        t += frames;
      }
      EXPECT_EQ(AudioUnitReset(unit, kAudioUnitScope_Global, 0), noErr);
      EXPECT_EQ(AudioUnitUninitialize(unit), noErr);
      // Uninitialize forgets the connections: they must be set again.
      ASSERT_EQ(SetRenderCallback(unit, source.Callback()), noErr);
    }
    EXPECT_EQ(CloseComponent(unit), noErr);
  }
}

TEST(IEffectAUEntry, CanDoAnswersExactlyTheServedSelectors)
{
  AudioUnit unit = OpenTestEffect();
  const std::set<int> served = { 1, 2, 3, 4, 5, 6, 7, 9, 10, 11, 14, 15, 16, 17 };
  for (int selector = -8; selector <= 300; ++selector) {
    EXPECT_EQ(CallComponentCanDo(unit, static_cast<SInt16>(selector)), served.count(selector) ? 1 : 0) << selector;
  }
  EXPECT_EQ(CallComponentCanDo(unit, -32768), 0);
  CloseComponent(unit);
}

TEST(IEffectAUEntry, UnknownSelectorsAndShortParameterBlocksAreRefused)
{
  AudioUnit unit = OpenTestEffect();
  for (SInt16 selector : { 8, 12, 13, 19, 20, 256, 258, 263, -5, -7 }) {
    struct
    {
      UInt8 flags;
      UInt8 paramSize;
      SInt16 what;
      long params[1];
    } block = { 0, 0, selector, { reinterpret_cast<long>(unit) } };
    EXPECT_EQ(CallComponentDispatch(reinterpret_cast<ComponentParameters*>(&block)), badComponentSelector) << selector;
  }
  // A get-parameter block with two of its four argument words.
  struct
  {
    UInt8 flags;
    UInt8 paramSize;
    SInt16 what;
    long params[3];
  } shortBlock = { 0, 2 * sizeof(long), kAudioUnitGetParameterSelect, { 0, 0, reinterpret_cast<long>(unit) } };
  EXPECT_EQ(CallComponentDispatch(reinterpret_cast<ComponentParameters*>(&shortBlock)), paramErr);
  CloseComponent(unit);
}

TEST(IEffectAUEntry, InitializeRefusesAChannelPairThatNoConfigurationAccepts)
{
  AudioUnit unit = OpenTestEffect();
  // Nothing recorded: legal.
  EXPECT_EQ(AudioUnitInitialize(unit), noErr);
  EXPECT_EQ(AudioUnitUninitialize(unit), noErr);
  // Before Initialize each format is checked only against its own direction.
  ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Input, 2), noErr);
  ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Output, 1), noErr);
  EXPECT_EQ(AudioUnitInitialize(unit), badComponentSelector);
  // Still inactive: a 2-channel input is again checked against nothing but itself.
  EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Input, 2), noErr);
  ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Output, 2), noErr);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  // Active: a 1-channel output no longer pairs with the 2-channel input.
  EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Output, 1), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(SetFormat(unit, kAudioUnitScope_Output, 2), noErr);
  EXPECT_EQ(AudioUnitUninitialize(unit), noErr);
  // Mono in and out.
  ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Input, 1), noErr);
  ASSERT_EQ(SetFormat(unit, kAudioUnitScope_Output, 1), noErr);
  EXPECT_EQ(AudioUnitInitialize(unit), noErr);
  CloseComponent(unit);
}

namespace {

struct ListenerLog
{
  std::vector<std::pair<int, AudioUnitPropertyID>> calls;  // (listener number, property)
  AudioUnit unit = nullptr;
  Float64 latencySeen = -1.0;
};

void ListenerA(void* refCon, AudioUnit unit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
{
  ListenerLog* log = static_cast<ListenerLog*>(refCon);
  log->calls.push_back({ 1, id });
  log->unit = unit;
  if (id == kAudioUnitProperty_Latency) {
    UInt32 size = sizeof log->latencySeen;
    AudioUnitGetProperty(unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &log->latencySeen, &size);
  }
}

void ListenerB(void* refCon, AudioUnit, AudioUnitPropertyID id, AudioUnitScope, AudioUnitElement)
{
  static_cast<ListenerLog*>(refCon)->calls.push_back({ 2, id });
}

}  // namespace

TEST(IEffectAUEntry, PropertyListenersHearEverySetAttemptInOrderWithoutDuplicates)
{
  AudioUnit unit = OpenTestEffect();
  ListenerLog log, other;
  const AudioUnitPropertyID bypass = kAudioUnitProperty_BypassEffect;
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, bypass, ListenerB, &log), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, bypass, ListenerA, &log), noErr);
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, bypass, ListenerA, &log), noErr);    // duplicate
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, bypass, ListenerA, &other), noErr);  // same proc, other data
  UInt32 on = 1;
  EXPECT_EQ(AudioUnitSetProperty(unit, bypass, kAudioUnitScope_Global, 0, &on, sizeof on), noErr);
  // A set that fails is heard too.
  EXPECT_EQ(AudioUnitSetProperty(unit, bypass, kAudioUnitScope_Global, 0, &on, 2), kAudioUnitErr_InvalidPropertyValue);
  ASSERT_EQ(log.calls.size(), 4u);
  EXPECT_EQ(log.calls[0].first, 2);
  EXPECT_EQ(log.calls[1].first, 1);
  EXPECT_EQ(log.unit, unit);
  EXPECT_TRUE(other.calls.empty());

  // Removal with user data needs the data to match; removal without it does not.
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(unit, bypass, ListenerA, &other), noErr);
  log.calls.clear();
  AudioUnitSetProperty(unit, bypass, kAudioUnitScope_Global, 0, &on, sizeof on);
  EXPECT_EQ(log.calls.size(), 2u);
  EXPECT_EQ(AudioUnitRemovePropertyListenerWithUserData(unit, bypass, ListenerA, &log), noErr);
  EXPECT_EQ(AudioUnitRemovePropertyListener(unit, bypass, ListenerB), noErr);
  EXPECT_EQ(AudioUnitRemovePropertyListener(unit, bypass, ListenerB), noErr);  // nothing left to remove
  log.calls.clear();
  AudioUnitSetProperty(unit, bypass, kAudioUnitScope_Global, 0, &on, sizeof on);
  EXPECT_TRUE(log.calls.empty());
  EXPECT_EQ(AudioUnitAddPropertyListener(unit, bypass, nullptr, &log), paramErr);

  // Latency listeners are called before the new latency is stored.
  ASSERT_EQ(AudioUnitAddPropertyListener(unit, kAudioUnitProperty_Latency, ListenerA, &log), noErr);
  ASSERT_EQ(SetParam(unit, kLatency, 441.f), noErr);
  ASSERT_EQ(log.calls.size(), 1u);
  EXPECT_EQ(log.calls[0].second, static_cast<AudioUnitPropertyID>(kAudioUnitProperty_Latency));
  EXPECT_EQ(log.latencySeen, 0.0);
  Float64 latency = -1;
  UInt32 size = sizeof latency;
  EXPECT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_Latency, kAudioUnitScope_Global, 0, &latency, &size), noErr);
  EXPECT_DOUBLE_EQ(latency, 0.01);
  CloseComponent(unit);
}

namespace {

struct NotifyLog
{
  std::vector<std::pair<int, AudioUnitRenderActionFlags>> calls;
};

template <int Tag>
OSStatus Notify(void* refCon, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32, AudioBufferList*)
{
  static_cast<NotifyLog*>(refCon)->calls.push_back({ Tag, *flags });
  return -1;  // ignored
}

}  // namespace

TEST(IEffectAUEntry, RenderNotificationsRunBeforeAndAfterInRegistrationOrder)
{
  AudioUnit unit = OpenTestEffect();
  NotifyLog log;
  EXPECT_EQ(AudioUnitRemoveRenderNotify(unit, Notify<1>, &log), noErr);  // never added
  ASSERT_EQ(AudioUnitAddRenderNotify(unit, Notify<1>, &log), noErr);
  ASSERT_EQ(AudioUnitAddRenderNotify(unit, Notify<2>, &log), noErr);
  Buffers out(2, 16);
  AudioTimeStamp ts = Stamp(0);
  ASSERT_EQ(AudioUnitRender(unit, nullptr, &ts, 0, 16, out.Get()), noErr);
  using Call = std::pair<int, AudioUnitRenderActionFlags>;
  const std::vector<Call> expected = { { 1, kAudioUnitRenderAction_PreRender }, { 2, kAudioUnitRenderAction_PreRender },
                                       { 1, kAudioUnitRenderAction_PostRender }, { 2, kAudioUnitRenderAction_PostRender } };
  EXPECT_EQ(log.calls, expected);
  // Removal compares the procedure only.
  EXPECT_EQ(AudioUnitRemoveRenderNotify(unit, Notify<1>, nullptr), noErr);
  log.calls.clear();
  ASSERT_EQ(AudioUnitRender(unit, nullptr, &ts, 0, 16, out.Get()), noErr);
  EXPECT_EQ(log.calls.size(), 2u);
  EXPECT_EQ(log.calls[0].first, 2);
  EXPECT_EQ(AudioUnitAddRenderNotify(unit, nullptr, &log), paramErr);
  CloseComponent(unit);
}

TEST(IEffectAUEntry, ScheduledImmediateEventsApplyInOrderUntilTheFirstError)
{
  AudioUnit unit = OpenTestEffect();
  AudioUnitParameterEvent events[4] = {};
  events[0] = { kAudioUnitScope_Global, 0, kGain, kParameterEvent_Immediate, {} };
  events[0].eventValues.immediate = { 10, -3.f };
  events[1] = { kAudioUnitScope_Global, 0, kMode, kParameterEvent_Ramped, {} };
  events[1].eventValues.ramp = { 0, 64, 0.f, 2.f };  // ramps are ignored
  events[2] = { kAudioUnitScope_Input, 0, kInvert, kParameterEvent_Immediate, {} };
  events[2].eventValues.immediate = { 0, 1.f };
  events[3] = { kAudioUnitScope_Global, 0, kInvert, kParameterEvent_Immediate, {} };
  events[3].eventValues.immediate = { 0, 1.f };
  EXPECT_EQ(AudioUnitScheduleParameters(unit, events, 4), kAudioUnitErr_InvalidProperty);
  EXPECT_FLOAT_EQ(GetParam(unit, kGain), -3.f);
  EXPECT_FLOAT_EQ(GetParam(unit, kMode), 0.f);
  EXPECT_FLOAT_EQ(GetParam(unit, kInvert), 0.f);
  EXPECT_EQ(AudioUnitScheduleParameters(unit, events + 3, 1), noErr);
  EXPECT_FLOAT_EQ(GetParam(unit, kInvert), 1.f);
  // Mended fault: a parameter ID beyond the parameters was not refused.
  events[0].parameter = kNumParams;
  EXPECT_EQ(AudioUnitScheduleParameters(unit, events, 1), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(AudioUnitScheduleParameters(unit, nullptr, 0), noErr);
  EXPECT_EQ(AudioUnitScheduleParameters(unit, nullptr, 3), paramErr);
  CloseComponent(unit);
}

TEST(IEffectAUEntry, MidiSelectorsSucceedAndStartNoteNamesTheNote)
{
  AudioUnit unit = OpenTestEffect();
  EXPECT_EQ(MusicDeviceMIDIEvent(unit, 0x90, 60, 100, 5), noErr);
  EXPECT_EQ(MusicDevicePrepareInstrument(unit, 3), noErr);
  EXPECT_EQ(MusicDeviceReleaseInstrument(unit, 3), noErr);
  MusicDeviceNoteParams note{};
  note.argCount = 2;
  note.mPitch = 64.9f;
  note.mVelocity = 99.5f;
  NoteInstanceID id = 0;
  EXPECT_EQ(MusicDeviceStartNote(unit, 0, 0, &id, 12, &note), noErr);
  EXPECT_EQ(id, 64u);
  EXPECT_EQ(MusicDeviceStartNote(unit, 0, 0, nullptr, 12, &note), noErr);
  EXPECT_EQ(MusicDeviceStartNote(unit, 0, 0, &id, 12, nullptr), paramErr);
  EXPECT_EQ(MusicDeviceStopNote(unit, 0, id, 20), noErr);
  CloseComponent(unit);
}

TEST(IEffectAUEntry, CarbonViewRefusesToCreateWithoutAnEditor)
{
  AudioUnit unit = OpenTestEffect();
  Component viewComponent = FindTestEffect(kAudioUnitCarbonViewComponentType);
  ASSERT_NE(viewComponent, nullptr);
  AudioUnitCarbonView view = nullptr;
  ASSERT_EQ(OpenAComponent(viewComponent, &view), noErr);
  EXPECT_NE(GetComponentInstanceStorage(view), nullptr);
  Float32Point where = { 0, 0 }, size = { 802, 253 };
  void* control = reinterpret_cast<void*>(1);
  int window = 0, parent = 0;
  EXPECT_EQ(AudioUnitCarbonViewCreate(view, unit, &window, &parent, &where, &size, &control), badComponentSelector);
  EXPECT_EQ(control, reinterpret_cast<void*>(1));
  // An instance without a plug-in object.
  EXPECT_EQ(AudioUnitCarbonViewCreate(view, nullptr, &window, &parent, &where, &size, &control), badComponentSelector);
  EXPECT_EQ(AudioUnitInitialize(view), badComponentSelector);
  EXPECT_EQ(CloseComponent(view), noErr);
  EXPECT_EQ(CloseComponent(unit), noErr);
}

namespace {

struct Heard
{
  AudioUnitEventType type;
  AudioUnit unit;
  AudioUnitParameterID id;
  Float32 value;
};

void HearEvent(void* refCon, void*, const AudioUnitEvent* e, UInt64, AudioUnitParameterValue value)
{
  static_cast<std::vector<Heard>*>(refCon)->push_back(
      { e->mEventType, e->mArgument.mParameter.mAudioUnit, e->mArgument.mParameter.mParameterID, value });
}

}  // namespace

TEST(IEffectAUEntry, UserGesturesReachTheHostsEventListeners)
{
  AudioUnit unit = OpenTestEffect();
  std::vector<Heard> heard;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(HearEvent, &heard, nullptr, nullptr, 0.f, 0.f, &listener), noErr);
  for (AudioUnitEventType type : { kAudioUnitEvent_BeginParameterChangeGesture, kAudioUnitEvent_ParameterValueChange,
                                   kAudioUnitEvent_EndParameterChangeGesture }) {
    AudioUnitEvent e{};
    e.mEventType = type;
    e.mArgument.mParameter = { unit, kGain, kAudioUnitScope_Global, 0 };
    ASSERT_EQ(AUEventListenerAddEventType(listener, nullptr, &e), noErr);
  }
  // Controller 7 at its top moves the gain to its maximum, as a drag on the editor would.
  ASSERT_EQ(MusicDeviceMIDIEvent(unit, 0xB0, 7, 127, 0), noErr);
  ASSERT_EQ(heard.size(), 3u);
  EXPECT_EQ(heard[0].type, kAudioUnitEvent_BeginParameterChangeGesture);
  EXPECT_EQ(heard[1].type, kAudioUnitEvent_ParameterValueChange);
  EXPECT_EQ(heard[1].value, 12.f);  // read back from the unit while it reports the change
  EXPECT_EQ(heard[2].type, kAudioUnitEvent_EndParameterChangeGesture);
  for (const Heard& h : heard) {
    EXPECT_EQ(h.unit, unit);
    EXPECT_EQ(h.id, static_cast<AudioUnitParameterID>(kGain));
  }
  EXPECT_FLOAT_EQ(GetParam(unit, kGain), 12.f);
  // Other controllers pass through to nothing.
  heard.clear();
  ASSERT_EQ(MusicDeviceMIDIEvent(unit, 0xB0, 10, 0, 0), noErr);
  EXPECT_TRUE(heard.empty());
  EXPECT_EQ(AUListenerDispose(listener), noErr);
  CloseComponent(unit);
}
