#include <AudioToolbox/AudioToolbox.h>

#include <gtest/gtest.h>

#include <vector>

namespace {

struct Heard {
  void* object;
  AudioUnitEventType type;
  AudioUnitParameterID id;
  Float32 value;
};

void EventProc(void* refCon, void* object, const AudioUnitEvent* event, UInt64, AudioUnitParameterValue value) {
  static_cast<std::vector<Heard>*>(refCon)->push_back(
      {object, event->mEventType, event->mArgument.mParameter.mParameterID, value});
}

void ParameterProc(void* refCon, void* object, const AudioUnitParameter* p, AudioUnitParameterValue value) {
  static_cast<std::vector<Heard>*>(refCon)->push_back({object, kAudioUnitEvent_ParameterValueChange, p->mParameterID, value});
}

class AUEventListener : public ::testing::Test {
 protected:
  // the test bundle's probe unit, which keeps four global parameters
  void SetUp() override {
    ComponentDescription cd = {kAudioUnitType_Effect, 0x50726265 /* 'Prbe' */, 0x4B6C7650 /* 'KlvP' */, 0, 0};
    mUnit = OpenComponent(FindNextComponent(nullptr, &cd));
    ASSERT_NE(mUnit, nullptr);
  }
  void TearDown() override { CloseComponent(mUnit); }
  AudioUnitEvent Event(AudioUnitEventType type, AudioUnitParameterID id) {
    AudioUnitEvent e{};
    e.mEventType = type;
    e.mArgument.mParameter = {mUnit, id, kAudioUnitScope_Global, 0};
    return e;
  }
  AudioUnit mUnit = nullptr;
};

} // namespace

TEST_F(AUEventListener, DeliversMatchingEventsWithTheValueReadBack) {
  std::vector<Heard> heard;
  AUEventListenerRef listener = nullptr;
  ASSERT_EQ(AUEventListenerCreate(EventProc, &heard, nullptr, nullptr, 0.f, 0.f, &listener), noErr);
  int tag;
  AudioUnitEvent change = Event(kAudioUnitEvent_ParameterValueChange, 1);
  AudioUnitEvent begin = Event(kAudioUnitEvent_BeginParameterChangeGesture, 1);
  EXPECT_EQ(AUEventListenerAddEventType(listener, &tag, &change), noErr);
  EXPECT_EQ(AUEventListenerAddEventType(listener, &tag, &change), noErr); // a duplicate registration is kept once
  EXPECT_EQ(AUEventListenerAddEventType(listener, &tag, &begin), noErr);

  ASSERT_EQ(AudioUnitSetParameter(mUnit, 1, kAudioUnitScope_Global, 0, 0.5f, 0), noErr);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &begin), noErr);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &change), noErr);
  AudioUnitEvent other = Event(kAudioUnitEvent_ParameterValueChange, 2);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &other), noErr); // not registered
  AudioUnitEvent end = Event(kAudioUnitEvent_EndParameterChangeGesture, 1);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &end), noErr); // not registered
  ASSERT_EQ(heard.size(), 2u);
  EXPECT_EQ(std::make_pair(heard[0].type, heard[0].object),
            std::make_pair(AudioUnitEventType(kAudioUnitEvent_BeginParameterChangeGesture), static_cast<void*>(&tag)));
  EXPECT_EQ(std::make_pair(heard[1].type, heard[1].value),
            std::make_pair(AudioUnitEventType(kAudioUnitEvent_ParameterValueChange), 0.5f));

  // The sending listener does not hear its own event.
  EXPECT_EQ(AUEventListenerNotify(listener, nullptr, &change), noErr);
  EXPECT_EQ(heard.size(), 2u);
  EXPECT_EQ(AUEventListenerRemoveEventType(listener, &tag, &change), noErr);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &change), noErr);
  EXPECT_EQ(heard.size(), 2u);
  EXPECT_EQ(AUListenerDispose(listener), noErr);
  EXPECT_EQ(AUEventListenerNotify(nullptr, nullptr, &begin), noErr);
  EXPECT_EQ(heard.size(), 2u);
  EXPECT_EQ(AUListenerDispose(listener), paramErr);
  EXPECT_EQ(AUEventListenerAddEventType(listener, &tag, &change), paramErr);
}

TEST_F(AUEventListener, ParameterSetReachesOtherParameterListeners) {
  std::vector<Heard> first, second;
  AUParameterListenerRef a = nullptr, b = nullptr;
  ASSERT_EQ(AUListenerCreate(ParameterProc, &first, nullptr, nullptr, 0.f, &a), noErr);
  ASSERT_EQ(AUListenerCreate(ParameterProc, &second, nullptr, nullptr, 0.f, &b), noErr);
  AudioUnitParameter p = {mUnit, 3, kAudioUnitScope_Global, 0};
  AudioUnitParameter any = {mUnit, kAUParameterListener_AnyParameter, kAudioUnitScope_Global, 0};
  EXPECT_EQ(AUListenerAddParameter(a, nullptr, &p), noErr);
  EXPECT_EQ(AUListenerAddParameter(b, nullptr, &any), noErr);
  EXPECT_EQ(AUParameterSet(a, nullptr, &p, 0.25f, 0), noErr);
  EXPECT_TRUE(first.empty());
  ASSERT_EQ(second.size(), 1u);
  EXPECT_EQ(std::make_pair(second[0].id, second[0].value), std::make_pair(3u, 0.25f));
  AudioUnitParameter bad = {mUnit, 7, kAudioUnitScope_Global, 0};
  EXPECT_EQ(AUParameterSet(a, nullptr, &bad, 1.f, 0), kAudioUnitErr_InvalidParameter);
  EXPECT_EQ(second.size(), 1u);
  EXPECT_EQ(AUListenerRemoveParameter(b, nullptr, &any), noErr);
  EXPECT_EQ(AUParameterListenerNotify(nullptr, nullptr, &p), noErr);
  EXPECT_EQ(first.size(), 1u);
  EXPECT_EQ(second.size(), 1u);
  AUListenerDispose(a);
  AUListenerDispose(b);
}
