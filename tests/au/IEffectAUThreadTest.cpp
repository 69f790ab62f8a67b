#include "AUTestHost.h"

#include <atomic>
#include <cmath>
#include <thread>

using namespace autest;

using IEffectAUThreads = UnitFixture;

// Mended fault: the fast-dispatch render ran without the instance lock, so parameter
// changes, resets and restores on other threads raced with the block being processed.
TEST_F(IEffectAUThreads, FastRenderRunsAgainstParameterStateAndResetThreads)
{
  Source source;
  ASSERT_EQ(SetRenderCallback(mUnit, source.Callback()), noErr);
  ASSERT_EQ(AudioUnitInitialize(mUnit), noErr);
  AudioUnitRenderProc render = nullptr;
  AudioUnitSetParameterProc setParam = nullptr;
  CFPropertyListRef quiet = nullptr;
  UInt32 size = sizeof(void*);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_FastDispatch, 0, kAudioUnitRenderSelect, &render, &size), noErr);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_FastDispatch, 0, kAudioUnitSetParameterSelect, &setParam, &size),
            noErr);
  ASSERT_EQ(SetParam(mUnit, kGain, -6.f), noErr);
  ASSERT_EQ(AudioUnitGetProperty(mUnit, kAudioUnitProperty_ClassInfo, 0, 0, &quiet, &size), noErr);
  void* storage = GetComponentInstanceStorage(mUnit);

  std::atomic<bool> stop{ false };
  std::atomic<int> blocks{ 0 };
  std::thread renderer([&] {
    for (Float64 t = 0; !stop; t += 256, ++blocks) {
      Buffers out(2, 256);
      AudioTimeStamp ts = Stamp(t);
      EXPECT_EQ(render(storage, nullptr, &ts, 0, 256, out.Get()), noErr);
      // One gain for the whole block, and one of those set.
      float ratio = out.Data(1)[200] / Source::Sample(t, 200, 1);
      bool known = false;
      for (double dB : { -6.0, 0.0, 6.0 }) {
        known = known || std::abs(ratio - DBToGain(dB)) < 1e-4f;
      }
      for (UInt32 i = 1; i < 256 && known; i += 51) {
        float expected = Source::Sample(t, i, 0) * ratio;
        known = std::abs(out.Data(0)[i] - expected) <= 1e-5f * std::abs(expected) + 1e-6f;
      }
      EXPECT_TRUE(known) << "block at " << t << " has gain " << ratio;
    }
  });
  std::thread setter([&] {
    for (int i = 0; i < 300; ++i) {
      setParam(storage, kGain, kAudioUnitScope_Global, 0, (i % 2) ? 0.f : 6.f, 0);
      SetParam(mUnit, kMode, static_cast<Float32>(i % 3));
    }
  });
  std::thread restorer([&] {
    for (int i = 0; i < 100; ++i) {
      AudioUnitSetProperty(mUnit, kAudioUnitProperty_ClassInfo, 0, 0, &quiet, sizeof quiet);
      AudioUnitReset(mUnit, kAudioUnitScope_Global, 0);
      Float64 rate = (i % 2) ? 48000.0 : 44100.0;
      AudioUnitSetProperty(mUnit, kAudioUnitProperty_SampleRate, 0, 0, &rate, sizeof rate);
    }
  });
  setter.join();
  restorer.join();
  while (blocks < 50) {
    std::this_thread::yield();
  }
  stop = true;
  renderer.join();
  CFRelease(quiet);
}
