#include "ZurAR.h"

#include "helpers.h"

#include <cmath>

namespace {

const double kTwoPiNeg = -6.283185307179586;

// Frequency through two points (g0, f0) and (g1, f1) of a corner table, at g; it
// extrapolates beyond them.
double line(double g, double g0, double f0, double g1, double f1)
{
  return (-f0 * g1 - f1 * g + g0 * f1 + g * f0) / (g0 - g1);
}

// Measured bandwidth points of the mid band against its gain in dB, for boosts and cuts.
const double kMidBoostX[5] = {1.947, 3.888, 5.849, 8.639, 11.575};
const double kMidBoostY[5] = {5.68, 3.745, 2.875, 2.16, 1.695};
const double kMidCutX[5] = {-1.975, -3.938, -5.95, -8.807, -11.757};
const double kMidCutY[5] = {1.735, 1.445, 1.405, 1.465, 1.61};

// 0.9 as held in single precision: what Q setting 1 takes off the bandwidth value.
const double kMidNarrow = 0.8999999761581421;

// High shelf gain correction per frequency set for sample rates above 44.1 kHz, one row
// per band: up to 48 kHz, 88.2 kHz, 96 kHz, above.
const double kHiRateFactor[4][4] = {
    {0.985, 0.9805, 0.969, 0.96169},
    {0.924, 0.8873, 0.8229, 0.7835},
    {0.918, 0.8775, 0.80955, 0.768},
    {0.889, 0.835, 0.7409, 0.69},
};

}  // namespace

ZurAR::ZurAR(double sampleRate)
{
  mLowBoost = 0.0;
  mLowAtten = 0.0;
  mLowFreqIdx = 1;
  mMidFreq = 1.0;
  mMidGain = 0.0;
  mHiGain = 0.0;
  mHighPassFreq = 0.0;
  mLowPassFreq = 0.0;
  mHiFreqIdx = 2;
  reset(sampleRate);
}

void ZurAR::reset(double sampleRate)
{
  mLowBoostState = 0.0;
  mLowAttenState = 0.0;
  mHiShelfState = 0.0;
  mHighPassState1 = 0.0;
  mHighPassState2 = 0.0;
  mLowPassState1 = 0.0;
  mLowPassState2 = 0.0;
  mGainScale = 8.65617025;
  mDenormal = 1e-25;
  mSampleRate = sampleRate;

  setLowShelv(mLowBoost, mLowAtten, mLowFreqIdx);
  mMidX1 = 0.0;
  mMidX2 = 0.0;
  mMidY1 = 0.0;
  mMidY2 = 0.0;
  setMid(mMidGain, mMidFreq, 0);
  setHiShelv(mHiGain, mHiFreqIdx);
  setHighPass(mHighPassFreq);
  setLowPass(mLowPassFreq);
  mHighPassPrev = mHighPassCoef;
  mLowPassPrev = mLowPassCoef;
}

double ZurAR::onePoleCoef(double freq) const
{
  return 1.0 - std::exp(freq * kTwoPiNeg / mSampleRate);
}

void ZurAR::setLowShelv(double boost, double atten, int freqIdx)
{
  const double b = boost;
  const double a = atten;

  // Corners fall as the amounts grow. The boost table switches rows at 4.5 although the
  // rows share the point at 4.54.
  double fb;
  if (b <= 3.52) {
    fb = line(b, 0.77, 1539.9, 3.52, 372.58);
  } else if (b <= 4.5) {
    fb = line(b, 3.52, 372.58, 4.54, 263.16);
  } else if (b <= 8.27) {
    fb = line(b, 4.54, 263.16, 8.27, 110.35);
  } else if (b <= 12.3) {
    fb = line(b, 8.27, 110.35, 12.3, 55.66);
  } else {
    fb = line(b, 12.3, 55.66, 15.6, 33.77);
  }

  double fa;
  if (a >= -1.71) {
    fa = line(a, 0.5, 2503.4, -1.71, 1318.79);
  } else if (a >= -5.82) {
    fa = line(a, -1.71, 1318.79, -5.82, 539.6);
  } else if (a >= -12.97) {
    fa = line(a, -5.82, 539.6, -12.97, 364.44);
  } else {
    fa = line(a, -12.97, 364.44, -25.0, 285.78);
  }

  switch (freqIdx) {
  case 0:
    fb = fb + -15.56;
    fa = fa + -132.63;
    break;
  case 1:
    fb = fb + 2.0;
    break;
  case 2:
    fb = fb + 37.29;
    fa = fa + 360.01;
    break;
  case 3:
    fb = fb + 66.28;
    fa = fa + 600.5;
    break;
  default:
    break;
  }

  mBoostCoef = onePoleCoef(fb);
  mAttenCoef = onePoleCoef(fa);
  mAttenGain = std::exp(a / mGainScale);
  mBoostGain = std::exp(b / mGainScale);
  mLowBoost = b;
  mLowFreqIdx = freqIdx;
  mLowAtten = a;
}

void ZurAR::setMid(double gain, double freq, int qIdx)
{
  const double g = gain;
  mMidFreq = freq;
  mMidGain = g;

  double r = (g >= 0.0) ? nevilleInterpolate(kMidBoostX, kMidBoostY, g)
                        : nevilleInterpolate(kMidCutX, kMidCutY, g);

  const double w = freq * 3.141592653589793 / (0.5 * mSampleRate);
  const double A = std::pow(2.0, g / 6.0);
  const double s = std::sin(w);
  if (qIdx == 1) {
    r = r - kMidNarrow;
  }
  // A cut takes four times the bandwidth of a boost.
  const double k = (A < 1.0) ? 1.0 : 0.25;
  const double alpha = (r * s) * k;
  const double d = 1.0 / (alpha + 1.0);

  // Constant-peak band-pass: unity at w, so the band's gain there is A.
  mMidB = alpha * d * (A - 1.0);
  mMidC1 = (d + d) * std::cos(w);
  mMidC2 = (alpha - 1.0) * d;
}

void ZurAR::setHiShelv(double gain, int freqIdx)
{
  const double g = gain;
  mHiGain = g;
  mHiFreqIdx = freqIdx;

  // The corner follows the gain; the third row's second point lies at 1.65, below the
  // row, so above 7.08 the corner falls gently from 5416 Hz.
  double f;
  if (g >= 0.0) {
    if (g <= 4.83) {
      f = line(g, 2.85, 5696.0, 4.83, 6355.0);
    } else if (g <= 7.08) {
      f = line(g, 4.83, 6355.0, 7.08, 5416.0);
    } else {
      f = line(g, 7.08, 5416.0, 1.65, 5531.0);
    }
  } else {
    f = 2000.0;
  }

  double e = g;
  switch (freqIdx) {
  case 2:
    f = f + 4000.0;
    e = g * 1.26;
    break;
  case 3:
    f = f + 7000.0;
    e = g * 1.5;
    break;
  case 0:
    if (g > 0.0) {
      f = f - 1800.0;
    } else {
      f = 1000.0;
    }
    break;
  default:
    break;
  }

  // At higher rates more of the shelf lies inside the audible band; its gain is trimmed so
  // that what is heard stays alike.
  if (freqIdx >= 0 && freqIdx <= 3 && mSampleRate > 44100.0) {
    int band;
    if (mSampleRate <= 48000.0) {
      band = 0;
    } else if (mSampleRate <= 88200.0) {
      band = 1;
    } else if (mSampleRate <= 96000.0) {
      band = 2;
    } else {
      band = 3;
    }
    e = e * kHiRateFactor[band][freqIdx];
  }

  mHiShelfGain = std::exp(e / mGainScale);
  const double p = std::exp(f * kTwoPiNeg / mSampleRate);
  mHiPole = p;
  mHiOneMinusPole = 1.0 - p;
  mHiNegPole = -p;
}

void ZurAR::setHighPass(double freq)
{
  mHighPassCoef = onePoleCoef(freq);
  mHighPassFreq = freq;
}

void ZurAR::setLowPass(double freq)
{
  if (freq == 22000.0) {
    mLowPassCoef = 1.0;
  } else {
    mLowPassCoef = onePoleCoef(freq);
  }
  mLowPassFreq = freq;
}

void ZurAR::blockProcess(double nFrames)
{
  mHighPassStep = (mHighPassCoef - mHighPassPrev) / nFrames;
  mHighPassCur = mHighPassPrev;
  mHighPassPrev = mHighPassCoef;
  mLowPassStep = (mLowPassCoef - mLowPassPrev) / nFrames;
  mLowPassCur = mLowPassPrev;
  mLowPassPrev = mLowPassCoef;
}

void ZurAR::copyStates(double* out) const
{
  const double states[kNumStates] = {mLowBoostState, mLowAttenState, mHiShelfState,
                                     mHighPassState1, mHighPassState2, mLowPassState1,
                                     mLowPassState2, mMidX1, mMidX2, mMidY1, mMidY2};
  for (int i = 0; i < kNumStates; ++i) {
    out[i] = states[i];
  }
}
