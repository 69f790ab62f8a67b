// The processing chain: evaluation order, gain ramps, mono handling, meter ballistics, clip
// LED hold, empty blocks, reset and sample-rate changes.

#include "KelvoTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

using kelvotest::Block;
using kelvotest::NewKelvo;
using kelvotest::SetParam;

namespace {

// The chain written out independently, sample by sample in the documented order, on
// copies of the plug-in's filter sections and exciters taken before the block.
struct ChainModel
{
  explicit ChainModel(const Kelvo& plug)
    : eq{ plug.EQ(0), plug.EQ(1) }, ex{ plug.Exciter(0), plug.Exciter(1) }
  {
  }

  // Runs one block; returns the exciter peak that feeds the meter.
  double Run(Block* b, bool stereo, bool exciterOn, double inTarget, double outTarget)
  {
    const int nFrames = b->Frames();
    const double n = nFrames;
    double inStep = (inTarget - inPrev) / n, inCur = inPrev;
    double outStep = (outTarget - outPrev) / n, outCur = outPrev;
    inPrev = inTarget;
    outPrev = outTarget;
    eq[0].blockProcess(n);
    eq[1].blockProcess(n);
    double peak[2] = { 0.0, 0.0 };
    for (int i = 0; i < nFrames; ++i) {
      inCur += inStep;
      double l = inCur * (b->in[0][i] + 1e-25);
      double r = stereo ? (b->in[1][i] + 1e-25) * inCur : 0.0;
      eq[0].process(&l);
      if (stereo) {
        eq[1].process(&r);
      }
      if (exciterOn) {
        ex[0].process(&l, &peak[0]);
        if (stereo) {
          ex[1].process(&r, &peak[1]);
        }
      }
      outCur += outStep;
      expectedOut[0].push_back(outCur * l);
      expectedOut[1].push_back(stereo ? r * outCur : outCur * l);
    }
    return peak[1] > peak[0] ? peak[1] : peak[0];
  }

  ZurAR eq[2];
  BassExiter ex[2];
  double inPrev = 0.0;
  double outPrev = 0.0;
  std::vector<double> expectedOut[2];
};

double DBToGain(double dB)
{
  return std::exp(dB / 8.685889638065037);
}

// A deterministic test signal: two partials, different per channel.
void FillSignal(Block* b, int start, double amp)
{
  for (int i = 0; i < b->Frames(); ++i) {
    double t = start + i;
    b->in[0][i] = amp * (std::sin(t * 0.013) + 0.3 * std::sin(t * 0.21));
    b->in[1][i] = amp * (std::cos(t * 0.011) - 0.4 * std::sin(t * 0.17));
  }
}

}  // namespace

TEST(KelvoProcess, StereoAndMonoBlocksFollowTheChainOrderBitForBit)
{
  for (bool stereo : { true, false }) {
    SCOPED_TRACE(stereo ? "stereo" : "mono");
    auto plug = NewKelvo(stereo);
    SetParam(plug.get(), kBoostLow, 4.0);
    SetParam(plug.get(), kMidGain, -3.5);
    SetParam(plug.get(), kHiGain, 5.0);
    SetParam(plug.get(), kHighPass, 40.0);
    SetParam(plug.get(), kLowPass, 12.5);
    SetParam(plug.get(), kLSDrive, 9.0);
    SetParam(plug.get(), kLSWoow, 1);
    SetParam(plug.get(), kLSOnOff, 1);
    SetParam(plug.get(), kInputGain, 3.0);
    SetParam(plug.get(), kOutputGain, -2.0);
    ChainModel model(*plug);
    double rightStates[ZurAR::kNumStates];
    plug->EQ(1).copyStates(rightStates);

    std::vector<double> out[2];
    int start = 0;
    const int sizes[] = { 1, 37, 512, 0, 100, 4096 };
    for (int blockIdx = 0; blockIdx < 6; ++blockIdx) {
      if (blockIdx == 3) {
        SetParam(plug.get(), kInputGain, -7.25);
        SetParam(plug.get(), kOutputGain, 4.5);
      }
      Block b(sizes[blockIdx]);
      FillSignal(&b, start, 0.4);
      if (!stereo) {
        std::fill(b.in[1].begin(), b.in[1].end(), std::nan(""));
      }
      Block copy = b;
      double x = model.Run(&copy, stereo, true, plug->InGainTarget(), plug->OutGainTarget());
      double m = plug->MeterLevel();
      b.Run(plug.get());
      // the meter follows the exciter peaks (only the left one in mono)
      double k = m > x ? (96000.0 / 44100.0) * ((sizes[blockIdx] * 0.04) * 0.000244140625) : 0.6;
      ASSERT_EQ(plug->MeterLevel(), x * k + m * (1.0 - k)) << blockIdx;
      for (int c = 0; c < 2; ++c) {
        out[c].insert(out[c].end(), b.out[c].begin(), b.out[c].end());
      }
      start += sizes[blockIdx];
    }
    for (int c = 0; c < 2; ++c) {
      ASSERT_EQ(out[c].size(), model.expectedOut[c].size());
      for (size_t i = 0; i < out[c].size(); ++i) {
        ASSERT_EQ(out[c][i], model.expectedOut[c][i]) << "channel " << c << " sample " << i;
      }
    }
    // the first sample of an instance starts one step up from silence
    EXPECT_LT(std::fabs(out[0][1]), 0.05);
    if (!stereo) {
      for (size_t i = 0; i < out[0].size(); ++i) {
        ASSERT_EQ(out[1][i], out[0][i]) << i;
      }
      // the right filter section was never run
      double after[ZurAR::kNumStates];
      plug->EQ(1).copyStates(after);
      for (int i = 0; i < ZurAR::kNumStates; ++i) {
        EXPECT_EQ(after[i], rightStates[i]);
      }
    }
  }
}

TEST(KelvoProcess, FirstBlockFadesInAndAGainChangeRampsOverTheNextBlock)
{
  auto plug = NewKelvo();
  const int n = 512;
  Block first(n, 0.25, -0.25);
  first.Run(plug.get());
  // both gain ramps (and the filter section's low-pass) start from silence
  EXPECT_LT(std::fabs(first.out[0][0]), 1e-6);
  for (int i = 1; i < n; ++i) {
    ASSERT_GE(first.out[0][i], first.out[0][i - 1]) << i;
    ASSERT_EQ(first.out[1][i], -first.out[0][i]) << i;
  }
  EXPECT_LT(first.out[0][n / 4], 0.25 * 0.1);
  EXPECT_NEAR(first.out[0][n - 1], 0.25, 0.25 * 0.01);
  Block settled(n, 0.25, -0.25);
  settled.Run(plug.get());
  EXPECT_NEAR(settled.out[0][0], 0.25, 1e-6);

  SetParam(plug.get(), kInputGain, 6.0);
  const double target = DBToGain(6.0);
  Block ramp(n, 0.25, -0.25);
  ramp.Run(plug.get());
  for (int i = 0; i < n; ++i) {
    double g = 1.0 + (target - 1.0) * (i + 1.0) / n;
    ASSERT_NEAR(ramp.out[0][i], 0.25 * g, 1e-6) << i;
  }
  EXPECT_NEAR(ramp.out[0][n - 1], 0.25 * target, 1e-9);
  Block after(n, 0.25, -0.25);
  after.Run(plug.get());
  EXPECT_NEAR(after.out[0][0], 0.25 * target, 1e-6);
  EXPECT_NEAR(after.out[1][n - 1], -0.25 * target, 1e-6);
}

TEST(KelvoProcess, SilenceCarriesOnlyTheTinyOffsetsAndNeverDenormals)
{
  auto plug = NewKelvo();
  for (int blockIdx = 0; blockIdx < 200; ++blockIdx) {
    Block b(512);
    b.Run(plug.get());
    for (int c = 0; c < 2; ++c) {
      for (double v : b.out[c]) {
        ASSERT_LT(std::fabs(v), 1e-15);
        ASSERT_NE(std::fpclassify(v), FP_SUBNORMAL);
      }
    }
  }
  EXPECT_EQ(plug->ClipOn(), 0);
  EXPECT_LT(plug->MeterLevel(), 1e-12);
}

TEST(KelvoProcess, MeterRisesSixtyPercentPerBlockAndFallsWithAboutOnePointZeroSevenSeconds)
{
  struct Case
  {
    double rate;
    int block;
  };
  for (Case tc : { Case{ 44100.0, 512 }, Case{ 96000.0, 64 }, Case{ 48000.0, 1024 }, Case{ 44100.0, 7 } }) {
    SCOPED_TRACE(testing::Message() << tc.rate << " Hz, blocks of " << tc.block);
    auto plug = NewKelvo();
    plug->SetSampleRate(tc.rate);
    plug->Reset();
    plug->OnParamReset();
    SetParam(plug.get(), kLSOnOff, 1);
    int start = 0;
    // rising: each block moves 60 % of the way to that block's exciter peak
    for (int blockIdx = 0; blockIdx < 20; ++blockIdx) {
      Block b(tc.block);
      FillSignal(&b, start, 0.5);
      start += tc.block;
      ChainModel model(*plug);
      model.inPrev = model.outPrev = blockIdx ? 1.0 : 0.0;
      Block copy = b;
      double x = model.Run(&copy, true, true, 1.0, 1.0);
      double m = plug->MeterLevel();
      b.Run(plug.get());
      if (m <= x) {
        ASSERT_EQ(plug->MeterLevel(), x * 0.6 + m * (1.0 - 0.6)) << blockIdx;
      }
    }
    // falling: with the exciter off the meter input is 0
    SetParam(plug.get(), kLSOnOff, 0);
    const double m0 = plug->MeterLevel();
    ASSERT_GT(m0, 0.1);
    const double r = 0.9375 * tc.block / tc.rate;
    int blocks = 0;
    double m = m0;
    while (blocks * tc.block < tc.rate * 1.07) {
      Block b(tc.block);
      FillSignal(&b, start, 0.5);
      start += tc.block;
      b.Run(plug.get());
      EXPECT_NEAR(plug->MeterLevel(), m * (1.0 - r), 1e-15 * m0);
      m = plug->MeterLevel();
      ++blocks;
    }
    EXPECT_NEAR(plug->MeterLevel() / m0, std::exp(-1.0), 0.02);
  }
}

TEST(KelvoProcess, ClipLedLightsAtFullScaleAndHoldsForTwoSeconds)
{
  auto plug = NewKelvo();
  const int n = 512;
  Block warm(n);
  warm.Run(plug.get());
  warm.Run(plug.get());

  // a single sample just below full scale does not light it
  Block below(n);
  below.in[0][100] = 0.99999;
  below.Run(plug.get());
  ASSERT_NEAR(below.out[0][100], 0.99999, 1e-12);
  ASSERT_LT(below.out[0][100], 1.0);
  EXPECT_EQ(plug->ClipOn(), 0);

  // on the right channel alone, a sample reaching 1.0 lights it
  Block clip(n);
  clip.in[1][100] = 1.0;
  clip.Run(plug.get());
  ASSERT_EQ(clip.out[1][100], 1.0);
  EXPECT_EQ(plug->ClipOn(), 1);
  EXPECT_EQ(plug->ClipCount(), 0);

  // held through the next 172 block ends (count below 2 x 44100), judged again at the 173rd
  for (int k = 1; k <= 172; ++k) {
    Block quiet(n);
    quiet.Run(plug.get());
    ASSERT_EQ(plug->ClipOn(), 1) << k;
    ASSERT_EQ(plug->ClipCount(), k * n);
  }
  Block quiet(n);
  quiet.Run(plug.get());
  EXPECT_EQ(plug->ClipOn(), 0);
  EXPECT_EQ(plug->ClipCount(), 0);

  // a block that clips again at the re-judgement keeps it lit with a fresh count
  Block again(n);
  again.in[0][0] = -1.5;
  again.Run(plug.get());
  for (int k = 1; k <= 173; ++k) {
    Block q(n);
    if (k == 173) {
      q.in[0][511] = 2.0;
    }
    q.Run(plug.get());
  }
  EXPECT_EQ(plug->ClipOn(), 1);
  EXPECT_EQ(plug->ClipCount(), 0);
}

TEST(KelvoProcess, EmptyBlockMovesTheRampTargetsAndLeavesMeterAndHeldLedAlone)
{
  auto plug = NewKelvo();
  SetParam(plug.get(), kLSOnOff, 1);
  Block loud(256);
  FillSignal(&loud, 0, 2.0);
  loud.Run(plug.get());
  ASSERT_EQ(plug->ClipOn(), 1);
  const double meter = plug->MeterLevel();
  const int count = plug->ClipCount();

  SetParam(plug.get(), kOutputGain, -6.0);
  Block empty(0);
  empty.Run(plug.get());
  EXPECT_EQ(plug->MeterLevel(), meter);
  EXPECT_EQ(plug->ClipOn(), 1);
  EXPECT_EQ(plug->ClipCount(), count);

  // the empty block took the new target: the next block runs at it from its first sample
  ChainModel model(*plug);
  model.inPrev = 1.0;
  model.outPrev = DBToGain(-6.0);
  Block next(64);
  FillSignal(&next, 256, 0.3);
  Block copy = next;
  model.Run(&copy, true, true, 1.0, DBToGain(-6.0));
  next.Run(plug.get());
  for (int i = 0; i < 64; ++i) {
    ASSERT_EQ(next.out[0][i], model.expectedOut[0][i]) << i;
  }

  // a fresh instance: the meter stays at rest and the LED dark
  auto fresh = NewKelvo();
  Block emptyFresh(0);
  emptyFresh.Run(fresh.get());
  EXPECT_EQ(fresh->MeterLevel(), 0.0);
  EXPECT_EQ(fresh->ClipOn(), 0);
  EXPECT_EQ(fresh->ClipCount(), 0);
}

TEST(KelvoProcess, ResetClearsTheFiltersButNotMeterClipOrGainRamps)
{
  auto plug = NewKelvo();
  SetParam(plug.get(), kLSOnOff, 1);
  SetParam(plug.get(), kBoostLow, 8.0);
  SetParam(plug.get(), kLowPass, 5.0);
  Block loud(512);
  FillSignal(&loud, 0, 3.0);
  loud.Run(plug.get());
  ASSERT_EQ(plug->ClipOn(), 1);
  const double meter = plug->MeterLevel();
  ASSERT_GT(meter, 0.0);

  plug->Reset();
  EXPECT_EQ(plug->MeterLevel(), meter);
  EXPECT_EQ(plug->ClipOn(), 1);
  double states[ZurAR::kNumStates];
  plug->EQ(0).copyStates(states);
  for (double s : states) {
    EXPECT_EQ(s, 0.0);
  }
  // the gains are not ramped in again after a reset: a reset instance and a fresh one fed
  // the same block differ only because the fresh one still fades in
  Block after(64, 0.5, 0.5);
  after.Run(plug.get());
  EXPECT_GT(after.out[0][0], 0.1);
}

TEST(KelvoProcess, AfterARateChangeWithoutResetOnlyTheMeterAndClipHoldUseTheNewRate)
{
  auto plug = NewKelvo();
  SetParam(plug.get(), kLSOnOff, 1);
  Block loud(512);
  FillSignal(&loud, 0, 2.0);
  loud.Run(plug.get());
  SetParam(plug.get(), kLSOnOff, 0);
  plug->SetSampleRate(96000.0);
  EXPECT_EQ(plug->EQ(0).sampleRate(), 44100.0);
  EXPECT_EQ(plug->Exciter(1).sampleRate(), 44100.0);
  const double m = plug->MeterLevel();
  Block quiet(512);
  quiet.Run(plug.get());
  EXPECT_NEAR(plug->MeterLevel(), m * (1.0 - 0.9375 * 512 / 96000.0), 1e-15);
  // hold of two seconds at the new rate: 375 blocks of 512
  int lit = 0;
  while (plug->ClipOn() == 1 && lit < 1000) {
    Block q(512);
    q.Run(plug.get());
    ++lit;
  }
  // lit at the end of blocks 1 to 374 after the clipping one, dark at the 375th
  EXPECT_EQ(lit + 1, 375);
  plug->Reset();
  EXPECT_EQ(plug->EQ(1).sampleRate(), 96000.0);
  EXPECT_EQ(plug->Exciter(0).sampleRate(), 96000.0);
}
