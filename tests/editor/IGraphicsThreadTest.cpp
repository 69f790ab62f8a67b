#include "BitmapStorage.h"
#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

// Values pushed by the audio and host threads while the user-interface thread paints must
// all arrive and the last of them must be painted; run under ThreadSanitizer as well.
TEST(IGraphicsThreads, ValuesPushedWhilePaintingAreNeverLost)
{
  EditorPlug plug;
  TestEditor* ed = new TestEditor(&plug, 120, 60);
  ed->AttachBackground(RegisterSolid(120, 60, COLOR_GRAY), "bg.png");
  IBitmap strip = ed->LoadIBitmap(RegisterStrip(20, 20, 11), "knob.png", 11);
  IKnobMultiControl* knob = new IKnobMultiControl(&plug, 10, 10, kGain, &strip);
  ed->AttachControl(knob);
  ProbeControl* meter = new ProbeControl(&plug, IRECT(40, 10, 60, 30), -1, 0, nullptr);
  int meterIdx = ed->AttachControl(meter);
  ProbeControl* freq = new ProbeControl(&plug, IRECT(70, 10, 90, 30), kFreq, 1, nullptr);
  ed->AttachControl(freq);
  plug.AttachGraphics(ed);
  ed->PaintAll();

  // One audio thread for the whole test; each round it pushes a short burst while this
  // thread runs timer passes, so the last value lands at every point of a paint pass.
  const int kRounds = 3000;
  std::atomic<int> started{0};
  std::atomic<int> finished{0};
  double lastMeter = 0.0, lastGain = 0.0, lastFreq = 0.0;
  std::thread audio([&]() {
    for (int round = 1; round <= kRounds; ++round) {
      while (started.load() < round) {
      }
      for (int i = 1; i <= 1 + round % 5; ++i) {
        lastMeter = ((round + i) % 97) / 96.0;
        ed->SetControlFromPlug(meterIdx, lastMeter);
        lastGain = ((round * 7 + i) % 25) / 24.0;
        ed->SetParameterFromPlug(kGain, lastGain, true);
        lastFreq = 20.0 + ((round + i) % 50) * 100.0;
        ed->SetParameterFromPlug(kFreq, lastFreq, false);
      }
      finished.store(round);
    }
  });

  int failures = 0;
  for (int round = 1; round <= kRounds && failures < 5; ++round) {
    started.store(round);
    while (finished.load() < round) {
      ed->TimerPass();
    }
    // the next timer passes paint whatever arrived last
    for (int pass = 0; pass < 4 && ed->TimerPass(); ++pass) {
    }
    bool ok = !ed->TimerPass() && !meter->mDrawnValues.empty() && meter->mDrawnValues.back() == lastMeter &&
              !freq->mDrawnValues.empty() &&
              freq->mDrawnValues.back() == plug.GetParam(kFreq)->GetNormalized(lastFreq) &&
              knob->GetValue() == lastGain &&
              ed->Pixel(15, 15) == FrameColor(static_cast<int>(10 * lastGain + 0.5) + 1);
    EXPECT_TRUE(ok) << "round " << round << ": meter painted " << meter->mDrawnValues.back() << ", last "
                    << lastMeter;
    failures += ok ? 0 : 1;
  }
  started.store(kRounds);
  audio.join();
}

// Editors of several instances share the bitmap cache from their own threads.
TEST(IGraphicsThreads, EditorsOnTwoThreadsShareTheBitmapCache)
{
  int shared = RegisterStrip(4, 4, 2);
  int before = BitmapStorage::Instance().Count();
  // instances are built one at a time, as the plug-in factory does
  EditorPlug plugA, plugB;
  TestEditor* edA = new TestEditor(&plugA, 8, 8);
  TestEditor* edB = new TestEditor(&plugB, 8, 8);
  plugA.AttachGraphics(edA);
  plugB.AttachGraphics(edB);
  auto work = [shared](TestEditor* ed, void** seen) {
    for (int i = 0; i < 300; ++i) {
      IBitmap b = ed->LoadIBitmap(shared, "shared.png", 2);
      seen[i % 2] = b.mData;
      IBitmap own(MakeSolid(2, 2, COLOR_RED), 2, 2, 1);
      ed->RetainBitmap(&own);
      ed->ReleaseBitmap(&own);
    }
  };
  void* seenA[2] = {nullptr, nullptr};
  void* seenB[2] = {nullptr, nullptr};
  std::thread a(work, edA, seenA);
  std::thread b(work, edB, seenB);
  a.join();
  b.join();
  // both may have loaded the image at the same moment; later loads find the first copy
  EXPECT_LE(TestEditor::sLoads[shared], 2);
  EXPECT_EQ(seenA[0], seenB[0]);
  EXPECT_EQ(seenA[0], BitmapStorage::Instance().Find(shared));
  EXPECT_EQ(BitmapStorage::Instance().Count(), before + TestEditor::sLoads[shared]);
}
