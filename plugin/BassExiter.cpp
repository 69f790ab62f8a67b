#include "BassExiter.h"

#include <cmath>

BassExiter::BassExiter(double sampleRate)
{
  mDrive = 10.0;
  reset(sampleRate);
}

void BassExiter::reset(double sampleRate)
{
  mSampleRate = sampleRate;
  mGainScale = 8.65617025;
  mDenormal = 1e-25;
  mLowState = 0.0;
  mHpState1 = 0.0;
  mHpState2 = 0.0;
  mBiasState = 0.0;
  // one-pole coefficients 1 - exp(-2 pi f / sr) for 10 Hz, 1 Hz and 100 Hz
  mHpCoef = 1.0 - std::exp(-62.83185307179586 / sampleRate);
  mBiasCoef = 1.0 - std::exp(-6.283185307179586 / sampleRate);
  mLowCoef = 1.0 - std::exp(-628.3185307179587 / sampleRate);
  setDrive(mDrive);
  initWoow();
}

void BassExiter::setDrive(double drive)
{
  mDriveIn = std::exp((drive - 10.0) / mGainScale);
  mDriveOut = std::exp((10.0 - drive) / mGainScale);
  mHarmGain = std::exp(((drive - 3.5) - 10.0) * 0.2 / mGainScale);
  mDrive = drive;
}

void BassExiter::setWoow(int on)
{
  mWoowS1 = mDenormal;
  mWoowS2 = mDenormal;
  mWoowOn = on;
}

void BassExiter::initWoow()
{
  // second-order all-pass at 612 Hz: w = 2 pi 612 / sr, alpha = sin(w) x 2.05
  const double w = 3845.309407993907 / mSampleRate;
  const double alpha = std::sin(w) * 0.5 * 4.1;
  const double n = 1.0 / (alpha + 1.0);
  mWoowA2 = mWoowB0 = (1.0 - alpha) * n;
  mWoowA1 = mWoowB1 = std::cos(w) * -2.0 * n;
  mWoowB2 = (alpha + 1.0) * n;
  mWoowS1 = 0.0;
  mWoowS2 = 0.0;
}

void BassExiter::copyStates(double* out) const
{
  const double states[kNumStates] = {mWoowS1, mWoowS2, mHpState1, mHpState2, mBiasState, mLowState};
  for (int i = 0; i < kNumStates; ++i) {
    out[i] = states[i];
  }
}
