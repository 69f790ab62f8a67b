#include "AUTestHost.h"

#include <cstring>
#include <vector>

using namespace autest;

namespace {

class IEffectAURender : public UnitFixture
{
protected:
  void SetUp() override
  {
    UnitFixture::SetUp();
    if (HasFatalFailure()) {
      return;
    }
    ASSERT_EQ(SetParam(mUnit, kGain, 6.f), noErr);
    ASSERT_EQ(SetRenderCallback(mUnit, source.Callback()), noErr);
  }

  OSStatus Render(Buffers& out, Float64 sampleTime, UInt32 frames, UInt32 bus = 0)
  {
    AudioTimeStamp ts = Stamp(sampleTime);
    return AudioUnitRender(mUnit, nullptr, &ts, bus, frames, out.Get());
  }

  void ExpectProcessed(Buffers& out, Float64 t, UInt32 frames, UInt32 channels, float gain)
  {
    for (UInt32 c = 0; c < channels; ++c) {
      for (UInt32 i = 0; i < frames; ++i) {
        ASSERT_FLOAT_EQ(out.Data(c)[i], Source::Sample(t, i, c) * gain) << c << ":" << i;
      }
    }
  }

  void ExpectSilent(Buffers& out, UInt32 c, UInt32 frames)
  {
    ASSERT_NE(out.Data(c), nullptr);
    for (UInt32 i = 0; i < frames; ++i) {
      ASSERT_EQ(out.Data(c)[i], 0.f) << c << ":" << i;
    }
  }

  OSStatus Connect(AudioUnit upstream, UInt32 inputBus = 0, AudioUnitScope scope = kAudioUnitScope_Input)
  {
    AudioUnitConnection connection = { upstream, 0, inputBus };
    return AudioUnitSetProperty(mUnit, kAudioUnitProperty_MakeConnection, scope, 0, &connection, sizeof connection);
  }

  // Counts the render notifications: every call, and those after a render.
  void CountNotifications()
  {
    auto notify = [](void* self, AudioUnitRenderActionFlags* flags, const AudioTimeStamp*, UInt32, UInt32,
                     AudioBufferList*) -> OSStatus {
      ++static_cast<IEffectAURender*>(self)->mNotified;
      static_cast<IEffectAURender*>(self)->mPostRenders += (*flags & kAudioUnitRenderAction_PostRender) ? 1 : 0;
      return noErr;
    };
    ASSERT_EQ(AudioUnitAddRenderNotify(mUnit, notify, this), noErr);
  }

  int mNotified = 0, mPostRenders = 0;
  Source source;  // the input, connected at set-up
  const float mGain = DBToGain(6.0);
};

}  // namespace

TEST_F(IEffectAURender, RenderCallbackInputIsPulledOncePerTimeSlice)
{
  // Connected by a callback without any stream format: the plug-in's two channels are pulled.
  AudioStreamBasicDescription f{};
  UInt32 size = sizeof f;
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_StreamFormat, kAudioUnitScope_Input, 0, &f, &size), noErr);
  EXPECT_EQ(f.mChannelsPerFrame, 2u);
  Buffers out(2, 256);
  ASSERT_EQ(Render(out, 1000, 256), noErr);
  EXPECT_EQ(source.calls, 1);
  EXPECT_EQ(source.lastBus, 0u);
  ExpectProcessed(out, 1000, 256, 2, mGain);
  // The same time stamp again (as for another output bus): the input is not pulled again.
  Buffers again(2, 256);
  ASSERT_EQ(Render(again, 1000, 256), noErr);
  EXPECT_EQ(source.calls, 1);
  ExpectProcessed(again, 1000, 256, 2, mGain);
  ASSERT_EQ(Render(out, 1256, 256), noErr);
  EXPECT_EQ(source.calls, 2);
  ExpectProcessed(out, 1256, 256, 2, mGain);
  Buffers none(2, 0);
  EXPECT_EQ(Render(none, 1512, 0), noErr);  // zero frames is a valid, empty slice
  // Removing the callback leaves the input silent.
  const int calls = source.calls;
  ASSERT_EQ(SetRenderCallback(mUnit, AURenderCallbackStruct{ nullptr, nullptr }), noErr);
  ASSERT_EQ(Render(out, 2048, 256), noErr);
  EXPECT_EQ(source.calls, calls);
  ExpectSilent(out, 0, 256);
}

TEST_F(IEffectAURender, ResetOrReinitialiseStartsTheTimelineAgainAndPullsInput)
{
  // Fault: after a reset a host that rendered from sample time 0 again got zeroed input.
  Buffers out(2, 64);
  ASSERT_EQ(Render(out, 0, 64), noErr);
  ASSERT_EQ(AudioUnitReset(mUnit, kAudioUnitScope_Global, 0), noErr);
  ASSERT_EQ(Render(out, 0, 64), noErr);
  EXPECT_EQ(source.calls, 2);
  ASSERT_EQ(AudioUnitUninitialize(mUnit), noErr);
  ASSERT_EQ(SetRenderCallback(mUnit, source.Callback()), noErr);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  ASSERT_EQ(Render(out, 0, 64), noErr);
  EXPECT_EQ(source.calls, 3);
  ExpectProcessed(out, 0, 64, 2, mGain);
}

TEST_F(IEffectAURender, AFailingPullEndsTheRenderAndIsRetriedForTheSameSlice)
{
  CountNotifications();
  source.failWith = -4242;
  Buffers out(2, 64, 7.f);
  EXPECT_EQ(Render(out, 0, 64), -4242);
  EXPECT_EQ(mPostRenders, 0);
  EXPECT_EQ(out.Data(0)[0], 7.f);
  source.failWith = noErr;
  EXPECT_EQ(Render(out, 0, 64), noErr);
  EXPECT_EQ(source.calls, 2);
  EXPECT_EQ(mPostRenders, 1);
  ExpectProcessed(out, 0, 64, 2, mGain);
}

TEST_F(IEffectAURender, BypassLeavesTheHostsBuffersAndCallsNothing)
{
  CountNotifications();
  UInt32 on = 1;
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, 0, 0, &on, sizeof on), noErr);
  Buffers out(2, 32, 0.5f);
  EXPECT_EQ(Render(out, 0, 32), noErr);
  EXPECT_EQ(source.calls, 0);
  EXPECT_EQ(mNotified, 0);
  EXPECT_EQ(out.storage, std::vector<std::vector<float>>(2, std::vector<float>(32, 0.5f)));
  // Even a render the unit would refuse is left alone while bypassed.
  EXPECT_EQ(Render(out, 0, 5000), noErr);
  UInt32 off = 0;
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_BypassEffect, 0, 0, &off, sizeof off), noErr);
  EXPECT_EQ(Render(out, 32, 32), noErr);
  EXPECT_EQ(source.calls, 1);
  ExpectProcessed(out, 32, 32, 2, mGain);
}

TEST_F(IEffectAURender, BadTimeStampsBusesFrameCountsAndBuffersAreRefusedBeforeAnythingRuns)
{
  Buffers out(2, 2048);
  EXPECT_EQ(Render(out, 0, 1024), noErr);
  EXPECT_EQ(Render(out, 1024, 1025), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(Render(out, 1024, 64, 1), kAudioUnitErr_InvalidPropertyValue);
  AudioTimeStamp noSampleTime = Stamp(1024);
  noSampleTime.mFlags = kAudioTimeStampHostTimeValid;
  EXPECT_EQ(AudioUnitRender(mUnit, nullptr, &noSampleTime, 0, 64, out.Get()), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(AudioUnitRender(mUnit, nullptr, nullptr, 0, 64, out.Get()), kAudioUnitErr_InvalidPropertyValue);
  AudioTimeStamp ts = Stamp(1024);
  EXPECT_EQ(AudioUnitRender(mUnit, nullptr, &ts, 0, 64, nullptr), kAudioUnitErr_InvalidPropertyValue);
  // A host buffer smaller than the frames asked for.
  Buffers small(2, 64);
  small.list.mBuffers[1].mDataByteSize = 63 * sizeof(float);
  EXPECT_EQ(Render(small, 1024, 64), kAudioUnitErr_InvalidPropertyValue);
  EXPECT_EQ(source.calls, 1);
  // A larger maximum takes effect at once.
  UInt32 frames = 2048;
  ASSERT_EQ(AudioUnitSetProperty(mUnit, kAudioUnitProperty_MaximumFramesPerSlice, 0, 0, &frames, sizeof frames), noErr);
  EXPECT_EQ(Render(out, 1024, 2048), noErr);
  ExpectProcessed(out, 1024, 2048, 2, mGain);
}

TEST_F(IEffectAURender, NullOutputPointersReceiveTheUnitsOwnBuffers)
{
  for (UInt32 frames : { 1u, 100u, 1024u }) {
    Buffers out(2, frames);
    out.list.mBuffers[0].mData = nullptr;
    out.list.mBuffers[1].mData = nullptr;
    ASSERT_EQ(Render(out, frames * 10.0, frames), noErr);
    ASSERT_NE(out.Data(0), nullptr);
    ASSERT_NE(out.Data(1), nullptr);
    EXPECT_NE(out.Data(0), out.Data(1));
    ExpectProcessed(out, frames * 10.0, frames, 2, mGain);
  }
}

// Mended fault: host buffers beyond the bus's plug-in channels were left as they were, and a
// null pointer among them was pointed past the output scratch buffer.
TEST_F(IEffectAURender, BuffersNoPluginChannelFillsGetSilenceAndMonoIsProcessedAsOneChannel)
{
  for (UInt32 frames : { 1u, 333u, 1024u }) {
    Buffers out(5, frames, 9.f);
    out.list.mBuffers[3].mData = nullptr;
    ASSERT_EQ(Render(out, frames, frames), noErr);
    ExpectProcessed(out, frames, frames, 2, mGain);
    for (UInt32 c : { 2u, 3u, 4u }) {
      ExpectSilent(out, c, frames);
    }
  }
  // A mono output format with two buffers: the second is not the plug-in's to fill.
  ASSERT_EQ(SetFormat(mUnit, kAudioUnitScope_Output, 1), noErr);
  Buffers two(2, 64, 9.f);
  ASSERT_EQ(Render(two, 5000, 64), noErr);
  ExpectProcessed(two, 5000, 64, 1, mGain);
  ExpectSilent(two, 1, 64);
  // Mono in and out, initialised: one channel is processed.
  ASSERT_EQ(SetFormat(mUnit, kAudioUnitScope_Input, 1), noErr);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  Buffers one(1, 128);
  ASSERT_EQ(Render(one, 0, 128), noErr);
  ExpectProcessed(one, 0, 128, 1, mGain);
}

TEST_F(IEffectAURender, ChainedInstancesPullThroughTheFastPath)
{
  AudioUnit upstream = OpenTestEffect();
  ASSERT_EQ(SetParam(upstream, kGain, -6.f), noErr);
  Source upstreamSource;
  ASSERT_EQ(SetRenderCallback(upstream, upstreamSource.Callback()), noErr);
  ASSERT_EQ(Connect(upstream), noErr);
  for (Float64 t : { 0.0, 512.0 }) {
    Buffers out(2, 512);
    ASSERT_EQ(Render(out, t, 512), noErr);
    ExpectProcessed(out, t, 512, 2, mGain * DBToGain(-6.0));
  }
  EXPECT_EQ(upstreamSource.calls, 2);
  EXPECT_EQ(source.calls, 0);  // the connection replaced the callback
  upstreamSource.failWith = -77;
  Buffers out(2, 64);
  EXPECT_EQ(Render(out, 1024, 64), -77);  // a failing upstream fails the render
  // Disconnecting: the input is silent again.
  ASSERT_EQ(Connect(nullptr), noErr);
  ASSERT_EQ(Render(out, 2048, 64), noErr);
  ExpectSilent(out, 1, 64);
  EXPECT_EQ(Connect(upstream, 1), kAudioUnitErr_InvalidProperty);
  EXPECT_EQ(Connect(upstream, 0, kAudioUnitScope_Output), kAudioUnitErr_InvalidProperty);
  CloseComponent(upstream);
}

namespace {

// An upstream unit without a fast path: a stereo source answering only the stream format
// and render selectors. Its buffers are its own (it ignores the caller's null pointers) or,
// when asked to misbehave, left null.
struct PlainSource
{
  float data[2][1024];
  bool leaveNull = false;
  int renders = 0;
};

ComponentResult PlainSourceEntry(ComponentParameters* params, Handle storage)
{
  PlainSource* s = reinterpret_cast<PlainSource*>(storage);
  switch (params->what) {
    case kComponentOpenSelect:
      SetComponentInstanceStorage(reinterpret_cast<ComponentInstance>(params->params[0]),
                                  reinterpret_cast<Handle>(new PlainSource()));
      return noErr;
    case kComponentCloseSelect:
      delete s;
      return noErr;
    case kAudioUnitGetPropertySelect: {
      AudioUnitPropertyID id = static_cast<AudioUnitPropertyID>(params->params[4]);
      if (id != kAudioUnitProperty_StreamFormat) {
        return kAudioUnitErr_InvalidProperty;
      }
      *reinterpret_cast<AudioStreamBasicDescription*>(params->params[1]) = Format(2);
      return noErr;
    }
    case kAudioUnitRenderSelect: {
      ++s->renders;
      const AudioTimeStamp* ts = reinterpret_cast<const AudioTimeStamp*>(params->params[3]);
      UInt32 frames = static_cast<UInt32>(params->params[1]);
      AudioBufferList* io = reinterpret_cast<AudioBufferList*>(params->params[0]);
      if (frames > 1024 || io->mNumberBuffers != 2) {
        return kAudioUnitErr_TooManyFramesToProcess;
      }
      for (UInt32 c = 0; c < 2; ++c) {
        for (UInt32 i = 0; i < frames; ++i) {
          s->data[c][i] = Source::Sample(ts->mSampleTime, i, c);
        }
        io->mBuffers[c].mData = s->leaveNull ? nullptr : s->data[c];
      }
      return noErr;
    }
    default:
      return badComponentSelector;
  }
}

}  // namespace

TEST_F(IEffectAURender, ChainedUnitWithoutFastPathIsRenderedThroughThePlatform)
{
  ComponentDescription cd = { kAudioUnitType_Generator, 0x506C6E53, kManufacturer, 0, 0 };
  Component plain = RegisterComponent(&cd, PlainSourceEntry, "plain source");
  AudioUnit upstream = OpenComponent(plain);
  ASSERT_NE(upstream, nullptr);
  ASSERT_EQ(Connect(upstream, 0, kAudioUnitScope_Global), noErr);
  Buffers out(2, 300);
  ASSERT_EQ(Render(out, 77, 300), noErr);
  ExpectProcessed(out, 77, 300, 2, mGain);
  PlainSource* state = reinterpret_cast<PlainSource*>(GetComponentInstanceStorage(upstream));
  EXPECT_EQ(state->renders, 1);
  // Mended fault: an upstream that gives no samples was read through a null pointer.
  state->leaveNull = true;
  EXPECT_EQ(Render(out, 377, 300), kAudioUnitErr_NoConnection);
  CloseComponent(upstream);
  UnregisterComponent(plain);
}

TEST_F(IEffectAURender, ConnectionToAUnitWhoseFormatIsRefusedFails)
{
  AudioUnit upstream = OpenTestEffect();
  ASSERT_EQ(SetFormat(upstream, kAudioUnitScope_Output, 1), noErr);
  ASSERT_EQ(SetFormat(mUnit, kAudioUnitScope_Output, 2), noErr);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  // Active with two output channels: a mono input no longer pairs.
  EXPECT_EQ(Connect(upstream, 0, kAudioUnitScope_Global), kAudioUnitErr_InvalidProperty);
  Buffers out(2, 16, 4.f);
  ASSERT_EQ(Render(out, 0, 16), noErr);
  EXPECT_EQ(out.Data(0)[3], 0.f);
  CloseComponent(upstream);
}
