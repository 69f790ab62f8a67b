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
  explicit ChainModel(const Kelvo& plug) : eq{ plug.EQ(0), plug.EQ(1) }, ex{ plug.Exciter(0), plug.Exciter(1) } {}

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
  double inPrev = 0.0, outPrev = 0.0;
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

// Runs blocks of silence.
void RunQuiet(Kelvo* plug, int blocks, int n = 512)
{
  for (int k = 0; k < blocks; ++k) {
    Block(n).Run(plug);
  }
}

}  // namespace

TEST(KelvoProcess, StereoAndMonoBlocksFollowTheChainOrderBitForBit)
{
  for (bool stereo : { true, false }) {
    SCOPED_TRACE(stereo ? "stereo" : "mono");
    auto plug = NewKelvo(stereo);
    const std::pair<int, double> settings[] = { { kBoostLow, 4.0 }, { kMidGain, -3.5 }, { kHiGain, 5.0 },
                                                { kHighPass, 40.0 }, { kLowPass, 12.5 }, { kLSDrive, 9.0 },
                                                { kLSWoow, 1 },      { kLSOnOff, 1 },    { kInputGain, 3.0 },
                                                { kOutputGain, -2.0 } };
    for (auto s : settings) {
      SetParam(plug.get(), s.first, s.second);
    }
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
      // mono: the left result on both outputs; the right filter section never runs
      EXPECT_EQ(out[1], out[0]);
      double after[ZurAR::kNumStates];
      plug->EQ(1).copyStates(after);
      for (int i = 0; i < ZurAR::kNumStates; ++i) {
        EXPECT_EQ(after[i], rightStates[i]);
      }
    }
  }
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
  const std::pair<double, int> cases[] = { { 44100.0, 512 }, { 96000.0, 64 }, { 48000.0, 1024 }, { 44100.0, 7 } };
  for (auto tc : cases) {
    const double rate = tc.first;
    const int n = tc.second;
    SCOPED_TRACE(testing::Message() << rate << " Hz, blocks of " << n);
    auto plug = NewKelvo();
    plug->SetSampleRate(rate);
    plug->Reset();
    plug->OnParamReset();
    SetParam(plug.get(), kLSOnOff, 1);
    int start = 0;
    // rising: each block moves 60 % of the way to that block's exciter peak
    for (int blockIdx = 0; blockIdx < 20; ++blockIdx, start += n) {
      Block b(n);
      FillSignal(&b, start, 0.5);
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
    const double r = 0.9375 * n / rate;
    double m = m0;
    for (int blocks = 0; blocks * n < rate * 1.07; ++blocks, start += n) {
      Block b(n);
      FillSignal(&b, start, 0.5);
      b.Run(plug.get());
      EXPECT_NEAR(plug->MeterLevel(), m * (1.0 - r), 1e-15 * m0);
      m = plug->MeterLevel();
    }
    EXPECT_NEAR(plug->MeterLevel() / m0, std::exp(-1.0), 0.02);
  }
}

TEST(KelvoProcess, ClipLedLightsAtFullScaleAndHoldsForTwoSeconds)
{
  auto plug = NewKelvo();
  const int n = 512;
  RunQuiet(plug.get(), 2);

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
    RunQuiet(plug.get(), 1);
    ASSERT_EQ(plug->ClipOn(), 1) << k;
    ASSERT_EQ(plug->ClipCount(), k * n);
  }
  RunQuiet(plug.get(), 1);
  EXPECT_EQ(plug->ClipOn(), 0);
  EXPECT_EQ(plug->ClipCount(), 0);

  // a block that clips again at the re-judgement keeps it lit with a fresh count
  Block again(n);
  again.in[0][0] = -1.5;
  again.Run(plug.get());
  RunQuiet(plug.get(), 172);
  Block last(n);
  last.in[0][511] = 2.0;
  last.Run(plug.get());
  EXPECT_EQ(plug->ClipOn(), 1);
  EXPECT_EQ(plug->ClipCount(), 0);
}

TEST(KelvoProcess, EmptyBlockMovesTheRampTargetsAndLeavesMeterAndHeldLedAlone)
{
  // a fresh instance: the meter stays at rest and the LED dark
  auto fresh = NewKelvo();
  Block(0).Run(fresh.get());
  EXPECT_EQ(fresh->MeterLevel(), 0.0);
  EXPECT_EQ(fresh->ClipOn(), 0);
  EXPECT_EQ(fresh->ClipCount(), 0);

  auto plug = NewKelvo();
  SetParam(plug.get(), kLSOnOff, 1);
  Block loud(256);
  FillSignal(&loud, 0, 2.0);
  loud.Run(plug.get());
  ASSERT_EQ(plug->ClipOn(), 1);
  const double meter = plug->MeterLevel();
  const int count = plug->ClipCount();
  SetParam(plug.get(), kOutputGain, -6.0);
  Block(0).Run(plug.get());
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
  EXPECT_EQ(next.out[0], model.expectedOut[0]);
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
  // the gains are not ramped in again after a reset
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
  RunQuiet(plug.get(), 1);
  EXPECT_NEAR(plug->MeterLevel(), m * (1.0 - 0.9375 * 512 / 96000.0), 1e-15);
  // hold of two seconds at the new rate: lit after blocks 1 to 374 after the clipping one
  int lit = 0;
  for (; plug->ClipOn() == 1 && lit < 1000; ++lit) {
    RunQuiet(plug.get(), 1);
  }
  EXPECT_EQ(lit + 1, 375);
  plug->Reset();
  EXPECT_EQ(plug->EQ(1).sampleRate(), 96000.0);
  EXPECT_EQ(plug->Exciter(0).sampleRate(), 96000.0);
}
