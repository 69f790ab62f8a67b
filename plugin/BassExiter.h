#pragma once

#include "helpers.h"

#include <algorithm>
#include <cmath>

// The optional low-end stage of one channel: replaces the band below about 100 Hz by a
// harmonically enhanced version of itself (biased quadratic shaper, soft saturator, 10 Hz
// high-passes), with an optional all-pass at 612 Hz ("Woow") on the result. A plain value
// type; the owner may copy it. Not thread-safe: the owner calls the setters and reset
// under its lock and process from the render path.
class BassExiter
{
public:
  static constexpr int kNumStates = 6;

  // Drive 10 dB (unity gains), all-pass off.
  explicit BassExiter(double sampleRate);

  // Clears the band, high-pass and bias states, recomputes the rate-dependent
  // coefficients, re-applies the stored drive and rebuilds the all-pass with clear states.
  void reset(double sampleRate);
  // drive in dB (0..20): raises the level into the shaper and scales the generated low end;
  // content above the split keeps unity gain.
  void setDrive(double drive);
  // 0 bypasses the all-pass, other values run it; restarts its states from 1e-25 and
  // leaves its coefficients.
  void setWoow(int on);
  // All-pass coefficients at 612 Hz for the held sample rate; clears its states.
  void initWoow();

  // Render thread, once per sample, in place: arithmetic only, two divisions, no
  // allocation. Raises *peak to the drive-scaled magnitude of the sample.
  inline void process(double* sample, double* peak);

  double sampleRate() const { return mSampleRate; }
  double drive() const { return mDrive; }
  double driveIn() const { return mDriveIn; }
  double driveOut() const { return mDriveOut; }
  double harmGain() const { return mHarmGain; }
  int woowOn() const { return mWoowOn; }
  double woowS1() const { return mWoowS1; }
  double woowS2() const { return mWoowS2; }
  // Copies the kNumStates states (all-pass 1 and 2, high-pass 1 and 2, bias, low band).
  void copyStates(double* out) const;

private:
  double mWoowA1 = 0.0, mWoowA2 = 0.0;
  double mWoowB0 = 0.0, mWoowB1 = 0.0, mWoowB2 = 0.0;
  double mWoowS1 = 0.0, mWoowS2 = 0.0;
  int mWoowOn = 0;
  double mGainScale = 0.0;  // 8.65617025 = 6 / ln 2, divisor of the exp() gains
  double mDenormal = 0.0;   // 1e-25, added into recursive state updates
  double mHpCoef = 0.0;     // one-pole coefficient for 10 Hz
  double mHpState1 = 0.0, mHpState2 = 0.0;
  double mBiasState = 0.0;  // settles from 0 towards 0.0016110721900001635 in about 1 s
  double mLowState = 0.0;   // band below the 100 Hz split
  double mLowCoef = 0.0;    // one-pole coefficient for 100 Hz
  double mSampleRate = 0.0;
  double mDriveIn = 0.0, mDriveOut = 0.0;
  double mDrive = 0.0;
  double mHarmGain = 0.0;
  double mBiasCoef = 0.0;   // one-pole coefficient for 1 Hz
};

inline void BassExiter::process(double* sample, double* peak)
{
  const double v = *sample * mDriveIn;
  *sample = v;

  mLowState = ((v - mLowState) * mLowCoef + mDenormal) + mLowState;
  const double low = mLowState;

  *peak = std::max(std::fabs(v), *peak);

  mBiasState = (0.0016110721900001635 - mBiasState) * mBiasCoef + mBiasState;
  const double bias = mBiasState + 1.34839892781;

  // Quadratic shaper: about 1.485 x low plus its square, hence a second harmonic.
  const double u = bias + low;
  const double q = (u * 0.55) * u - 1.0;

  mHpState1 = ((q - mHpState1) * mHpCoef + mDenormal) + mHpState1;
  const double h = q - mHpState1;

  const double t = tanh_approx1(h * 0.7) / 0.7;

  mHpState2 = ((t - mHpState2) * mHpCoef + mDenormal) + mHpState2;
  const double e = (t - mHpState2) * mHarmGain;

  // The generated signal takes the place of the low band.
  double y = (e + v) - low;

  if (mWoowOn != 0) {
    // transposed direct form II all-pass
    const double out = y * mWoowB0 + mWoowS1;
    mWoowS1 = ((mWoowB1 * y - out * mWoowA1) + mWoowS2) + mDenormal;
    mWoowS2 = (mWoowB2 * y - mWoowA2 * out) + mDenormal;
    y = out;
  }

  *sample = y * mDriveOut;
}
