#include "AUTestHost.h"

#include <atomic>
#include <cmath>
#include <thread>
#include <vector>

using namespace autest;

// Mended fault: the fast-dispatch render ran without the instance lock, so parameter
// changes, resets and restores on other threads raced with the block being processed.
TEST(IEffectAUThreads, FastRenderRunsAgainstParameterStateAndResetThreads)
{
  AudioUnit unit = OpenTestEffect();
  ASSERT_NE(unit, nullptr);
  Source source;
  ASSERT_EQ(SetRenderCallback(unit, source.Callback()), noErr);
  ASSERT_EQ(AudioUnitInitialize(unit), noErr);
  AudioUnitRenderProc render = nullptr;
  AudioUnitSetParameterProc setParam = nullptr;
  UInt32 size = sizeof render;
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, 0, kAudioUnitRenderSelect, &render, &size), noErr);
  size = sizeof setParam;
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_FastDispatch, 0, kAudioUnitSetParameterSelect, &setParam, &size),
            noErr);
  void* storage = GetComponentInstanceStorage(unit);

  ASSERT_EQ(SetParam(unit, kGain, -6.f), noErr);
  CFPropertyListRef quiet = nullptr;
  size = sizeof quiet;
  ASSERT_EQ(AudioUnitGetProperty(unit, kAudioUnitProperty_ClassInfo, 0, 0, &quiet, &size), noErr);

  std::atomic<bool> stop{ false };
  std::atomic<int> badBlocks{ 0 }, blocks{ 0 };
  const float gains[] = { DBToGain(-6.0), DBToGain(0.0), DBToGain(6.0) };
  std::thread renderer([&] {
    Float64 t = 0;
    while (!stop) {
      Buffers out(2, 256);
      AudioTimeStamp ts = Stamp(t);
      OSStatus status = render(storage, nullptr, &ts, 0, 256, out.Get());
      if (status != noErr) {
        ADD_FAILURE() << "render failed: " << status;
        ++badBlocks;
        continue;
      }
      // One gain for the whole block, and one of those set.
      float ratio = out.Data(1)[200] / Source::Sample(t, 200, 1);
      bool known = false;
      for (float g : gains) {
        known = known || std::abs(ratio - g) < 1e-4f;
      }
      for (UInt32 i = 1; i < 256 && known; i += 51) {
        float expected = Source::Sample(t, i, 0) * ratio;
        known = std::abs(out.Data(0)[i] - expected) <= 1e-5f * std::abs(expected) + 1e-6f;
      }
      if (!known) {
        ADD_FAILURE() << "block at " << t << " has gain " << ratio;
        ++badBlocks;
      }
      ++blocks;
      t += 256;
    }
  });
  std::thread setter([&] {
    for (int i = 0; i < 300; ++i) {
      setParam(storage, kGain, kAudioUnitScope_Global, 0, (i % 2) ? 0.f : 6.f, 0);
      SetParam(unit, kMode, static_cast<Float32>(i % 3));
    }
  });
  std::thread restorer([&] {
    for (int i = 0; i < 100; ++i) {
      AudioUnitSetProperty(unit, kAudioUnitProperty_ClassInfo, 0, 0, &quiet, sizeof quiet);
      AudioUnitReset(unit, kAudioUnitScope_Global, 0);
      Float64 rate = (i % 2) ? 48000.0 : 44100.0;
      AudioUnitSetProperty(unit, kAudioUnitProperty_SampleRate, 0, 0, &rate, sizeof rate);
    }
  });
  setter.join();
  restorer.join();
  while (blocks < 50) {
    std::this_thread::yield();
  }
  stop = true;
  renderer.join();
  EXPECT_EQ(badBlocks, 0);
  CFRelease(quiet);
  EXPECT_EQ(CloseComponent(unit), noErr);
}
