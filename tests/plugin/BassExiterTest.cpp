#include "BassExiter.h"

#include "ToneMeasure.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const double kSr = 44100.0;

BassExiter exciter(double drive, int woow, double sr = kSr)
{
  BassExiter ex(sr);
  ex.setDrive(drive);
  ex.setWoow(woow);
  return ex;
}

// One sample at a time, with the peak the processing chain would keep.
struct Runner
{
  BassExiter& ex;
  double peak = 0.0;
  double operator()(double x)
  {
    ex.process(&x, &peak);
    return x;
  }
};

}  // namespace

TEST(BassExiter, DriveSetsInputOutputAndHarmonicGains)
{
  BassExiter ex(kSr);
  EXPECT_EQ(ex.drive(), 10.0);
  EXPECT_EQ(ex.driveIn(), 1.0);
  EXPECT_EQ(ex.driveOut(), 1.0);
  ex.setDrive(4.5);
  EXPECT_NEAR(ex.driveIn(), 0.5297315, 1e-7);
  EXPECT_NEAR(ex.harmGain(), 0.8122524, 1e-7);
  for (double drive : {0.0, 4.5, 13.3, 20.0, 10.0}) {
    ex.setDrive(drive);
    EXPECT_NEAR(ex.driveIn() * ex.driveOut(), 1.0, 1e-15) << drive;
  }
  EXPECT_EQ(ex.driveIn(), 1.0);
  EXPECT_EQ(ex.driveOut(), 1.0);
}

TEST(BassExiter, FreshExciterRunsWithItsAllPassOff)
{
  // Fault guarded: the constructor left the all-pass switch undefined.
  BassExiter ex(kSr);
  EXPECT_EQ(ex.woowOn(), 0);
  BassExiter off = exciter(10.0, 0);
  Runner a{ex}, b{off};
  for (int i = 0; i < 4410; ++i) {
    const double x = std::sin(i * 0.3);
    ASSERT_EQ(a(x), b(x)) << i;
  }
}

TEST(BassExiter, PeakReportsTheDriveScaledMagnitude)
{
  BassExiter ex = exciter(0.0, 0);
  Runner step{ex};
  // the peak only rises; a negative input counts by its magnitude
  const double rows[][3] = {
      {0.0, 1.0, 0.3149803}, {0.3149803, -0.5, 0.3149803}, {0.0, -1.0, 0.3149803}, {2.0, 1.0, 2.0}};
  for (const auto& row : rows) {
    step.peak = row[0];
    step(row[1]);
    EXPECT_NEAR(step.peak, row[2], 1e-7) << row[0] << " " << row[1];
  }
}

TEST(BassExiter, FiftyHertzGainsASecondHarmonicThatGrowsWithDrive)
{
  double previous = 0.0;
  for (double drive : {0.0, 4.5, 10.0, 15.0, 20.0}) {
    BassExiter ex = exciter(drive, 0);
    const auto h = tone::harmonics(Runner{ex}, 50.0, kSr, 2, 0.5, 3.0);
    const double ratio = std::abs(h[1]) / std::abs(h[0]);
    EXPECT_GT(ratio, 0.01) << drive;
    EXPECT_GT(ratio, previous * 1.2) << drive;
    previous = ratio;
  }
}

TEST(BassExiter, ContentAboveTheSplitPassesAtUnity)
{
  // (the all-pass, flat at every drive, is checked on its own below)
  for (double drive : {0.0, 4.5, 10.0, 20.0}) {
    for (double f : {1000.0, 2000.0, 5000.0, 10000.0, 18000.0}) {
      BassExiter ex = exciter(drive, 0);
      const auto h = tone::response(Runner{ex}, f, kSr);
      // What leaks through the split's one-pole is replaced by a near copy of itself.
      EXPECT_NEAR(std::abs(h), 1.0, f < 5000.0 ? 0.02 : 0.006) << drive << " dB at " << f;
    }
  }
}

TEST(BassExiter, WoowIsAFlatAllPassThroughMinus180DegreesAt612Hz)
{
  // The all-pass is the last linear stage, so on/off of a tone's component is its response.
  for (double sr : {44100.0, 96000.0}) {
    for (double f : {50.0, 200.0, 400.0, 612.0, 900.0, 3000.0, 15000.0}) {
      BassExiter on = exciter(4.5, 1, sr);
      BassExiter off = exciter(4.5, 0, sr);
      const auto ap = tone::response(Runner{on}, f, sr) / tone::response(Runner{off}, f, sr);
      EXPECT_NEAR(std::abs(ap), 1.0, 1e-6) << f;
      if (f < 612.0) {
        EXPECT_LT(ap.imag(), 0.0) << f;  // phase between 0 and -180 degrees
      } else if (f > 612.0) {
        EXPECT_GT(ap.imag(), 0.0) << f;  // phase between -180 and -360 degrees
      } else {
        EXPECT_NEAR(ap.real(), -1.0, 1e-6);
        EXPECT_NEAR(ap.imag(), 0.0, 1e-6);
      }
    }
  }
}

TEST(BassExiter, WoowSwitchRestartsTheAllPassFromTinyStates)
{
  BassExiter ex = exciter(6.0, 1);
  Runner step{ex};
  for (int i = 0; i < 2000; ++i) {
    step(std::sin(i * 0.1));
  }
  EXPECT_GT(std::fabs(ex.woowS1()), 1e-3);
  ex.setWoow(0);
  EXPECT_EQ(ex.woowS1(), 1e-25);
  EXPECT_EQ(ex.woowS2(), 1e-25);
  for (int i = 0; i < 100; ++i) {
    step(std::sin(i * 0.1));
  }
  EXPECT_EQ(ex.woowS1(), 1e-25);
  ex.setWoow(1);
  EXPECT_EQ(ex.woowS1(), 1e-25);
  EXPECT_EQ(ex.woowS2(), 1e-25);
}

TEST(BassExiter, TenSecondsOfSilenceDecayWithoutSubnormalNumbers)
{
  for (double drive : {0.0, 20.0}) {
    for (int woow : {0, 1}) {
      BassExiter ex = exciter(drive, woow);
      Runner step{ex};
      // from the fresh states, then after a loud burst
      for (bool burst : {false, true}) {
        for (int i = 0; burst && i < 4410; ++i) {
          step(std::sin(i * 0.007));
        }
        bool subnormal = false;
        double last = 1.0;
        for (long i = 0; i < long(10.0 * kSr); ++i) {
          last = step(0.0);
          subnormal = subnormal || tone::anySubnormal(ex, last);
        }
        EXPECT_FALSE(subnormal) << drive << " " << woow << " " << burst;
        EXPECT_LT(std::fabs(last), 1e-6);
        if (!burst) {
          EXPECT_EQ(step.peak, 0.0);
        }
      }
    }
  }
}

TEST(BassExiter, ResetTakesNewRateClearsStatesAndKeepsDriveAndSwitch)
{
  BassExiter ex = exciter(15.0, 1);
  Runner step{ex};
  for (int i = 0; i < 5000; ++i) {
    step(std::sin(i * 0.01));
  }
  ex.reset(96000.0);
  double states[BassExiter::kNumStates];
  ex.copyStates(states);
  for (double s : states) {
    EXPECT_EQ(s, 0.0);
  }

  // It now runs as a fresh exciter built at the new rate with the same settings.
  BassExiter fresh = exciter(15.0, 1, 96000.0);
  fresh.initWoow();
  Runner a{ex}, b{fresh};
  for (int i = 0; i < 20000; ++i) {
    const double x = 0.8 * std::sin(i * 0.004);
    ASSERT_EQ(a(x), b(x)) << i;
  }
  EXPECT_EQ(a.peak, b.peak);
}
