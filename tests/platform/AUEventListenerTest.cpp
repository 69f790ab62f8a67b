#include <AudioToolbox/AudioToolbox.h>

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

// An in-process unit with four global parameters.
ComponentResult ParamUnitEntry(ComponentParameters* params, Handle storage) {
  Float32* values = reinterpret_cast<Float32*>(storage);
  switch (params->what) {
    case kComponentOpenSelect:
      SetComponentInstanceStorage(reinterpret_cast<ComponentInstance>(params->params[0]),
                                  reinterpret_cast<Handle>(new Float32[4]()));
      return noErr;
    case kComponentCloseSelect:
      delete[] values;
      return noErr;
    case kAudioUnitGetParameterSelect:
      if (params->params[3] < 0 || params->params[3] >= 4) return kAudioUnitErr_InvalidParameter;
      *reinterpret_cast<Float32*>(params->params[0]) = values[params->params[3]];
      return noErr;
    case kAudioUnitSetParameterSelect: {
      if (params->params[4] < 0 || params->params[4] >= 4) return kAudioUnitErr_InvalidParameter;
      UInt32 bits = static_cast<UInt32>(params->params[1]);
      memcpy(&values[params->params[4]], &bits, 4);
      return noErr;
    }
  }
  return badComponentSelector;
}

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
  void SetUp() override {
    ComponentDescription cd = {kAudioUnitType_Effect, 0x50726D73, 0x4B6C7654, 0, 0};
    mComponent = RegisterComponent(&cd, ParamUnitEntry, "parameters");
    mUnit = OpenComponent(mComponent);
    ASSERT_NE(mUnit, nullptr);
  }
  void TearDown() override {
    CloseComponent(mUnit);
    UnregisterComponent(mComponent);
  }
  AudioUnitEvent Event(AudioUnitEventType type, AudioUnitParameterID id) {
    AudioUnitEvent e{};
    e.mEventType = type;
    e.mArgument.mParameter = {mUnit, id, kAudioUnitScope_Global, 0};
    return e;
  }
  Component mComponent = nullptr;
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
  EXPECT_EQ(heard[0].type, kAudioUnitEvent_BeginParameterChangeGesture);
  EXPECT_EQ(heard[0].object, &tag);
  EXPECT_EQ(heard[1].type, kAudioUnitEvent_ParameterValueChange);
  EXPECT_EQ(heard[1].value, 0.5f);

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
  EXPECT_EQ(second[0].id, 3u);
  EXPECT_EQ(second[0].value, 0.25f);
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
