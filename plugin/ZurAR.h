#pragma once

// One channel of the equaliser's filters: low boost and attenuation shelves, peaking mid
// band, high shelf, two-pole high-pass and two-pole low-pass, in that order. A plain
// value type; the owner may copy it. Not thread-safe: the owner calls the setters and
// reset under its lock and blockProcess/process from the render path.
//
// Gains inside this class follow six units per doubling: exp(x / 8.65617025) = 2^(x/6).
// Every recursive state takes 1e-25 per update so that silence never decays into
// denormal numbers (no processor flush-to-zero mode is set).
class ZurAR
{
public:
  static constexpr int kNumStates = 11;

  // Neutral settings, low frequency set 1, high frequency set 2, low-pass at 0 Hz (silent
  // output until the owner applies its parameters).
  explicit ZurAR(double sampleRate);

  // Clears the states, takes the sample rate and recomputes every band from the stored
  // settings; the mid band comes back with Q setting 0. The next block does not ramp.
  void reset(double sampleRate);

  // boost 0..16, atten -22..0 (six units per doubling), freqIdx 0..3 picks the corner set.
  void setLowShelv(double boost, double atten, int freqIdx);
  // gain in dB, freq in Hz, qIdx 1 narrows the band.
  void setMid(double gain, double freq, int qIdx);
  // gain -10..10 (six units per doubling), freqIdx 0..3 picks the corner set.
  void setHiShelv(double gain, int freqIdx);
  // Hz; 0 makes the high-pass a pass-through.
  void setHighPass(double freq);
  // Hz; exactly 22000 makes the low-pass a pass-through.
  void setLowPass(double freq);

  // Render thread, once before each block of nFrames samples: starts the linear ramps of
  // the high-pass and low-pass coefficients, which reach their targets on the last sample.
  void blockProcess(double nFrames);
  // Render thread, once per sample, in place: arithmetic only, no allocation, no branch.
  inline void process(double* sample);

  double sampleRate() const { return mSampleRate; }
  double lowBoost() const { return mLowBoost; }
  double lowAtten() const { return mLowAtten; }
  double midFreq() const { return mMidFreq; }
  double midGain() const { return mMidGain; }
  double hiGain() const { return mHiGain; }
  double highPassFreq() const { return mHighPassFreq; }
  double lowPassFreq() const { return mLowPassFreq; }
  int lowFreqIdx() const { return mLowFreqIdx; }
  int hiFreqIdx() const { return mHiFreqIdx; }
  double boostCoef() const { return mBoostCoef; }
  double boostGain() const { return mBoostGain; }
  double attenGain() const { return mAttenGain; }
  double attenCoef() const { return mAttenCoef; }
  double highPassCoef() const { return mHighPassCoef; }
  double lowPassCoef() const { return mLowPassCoef; }
  double midB() const { return mMidB; }
  double midC1() const { return mMidC1; }
  double midC2() const { return mMidC2; }
  double hiShelfGain() const { return mHiShelfGain; }
  double hiPole() const { return mHiPole; }
  double highPassCur() const { return mHighPassCur; }
  double lowPassCur() const { return mLowPassCur; }
  // Copies the kNumStates filter states and histories, for inspection.
  void copyStates(double* out) const;

private:
  // one-pole low-pass coefficient for freq Hz at the held sample rate
  double onePoleCoef(double freq) const;

  double mSampleRate = 0.0;
  double mLowBoost = 0.0;
  double mLowAtten = 0.0;
  double mMidFreq = 0.0;
  double mMidGain = 0.0;
  double mHiGain = 0.0;
  double mHighPassFreq = 0.0;
  double mLowPassFreq = 0.0;
  int mLowFreqIdx = 0;
  int mHiFreqIdx = 0;
  double mBoostCoef = 0.0, mBoostGain = 0.0;
  double mAttenGain = 0.0, mAttenCoef = 0.0;
  double mHighPassCoef = 0.0, mLowPassCoef = 0.0;
  double mMidB = 0.0, mMidC1 = 0.0, mMidC2 = 0.0;
  double mHiShelfGain = 0.0;
  double mHiPole = 0.0, mHiOneMinusPole = 0.0, mHiNegPole = 0.0;
  double mLowBoostState = 0.0, mLowAttenState = 0.0;
  double mHiShelfState = 0.0;
  double mHighPassState1 = 0.0, mHighPassState2 = 0.0;
  double mLowPassState1 = 0.0, mLowPassState2 = 0.0;
  double mMidX1 = 0.0, mMidX2 = 0.0, mMidY1 = 0.0, mMidY2 = 0.0;
  double mGainScale = 0.0;  // 8.65617025 = 6 / ln 2, divisor of every exp() gain
  double mDenormal = 0.0;   // 1e-25, added into every recursive state update
  double mHighPassStep = 0.0, mHighPassPrev = 0.0, mHighPassCur = 0.0;
  double mLowPassStep = 0.0, mLowPassPrev = 0.0, mLowPassCur = 0.0;
};

inline void ZurAR::process(double* sample)
{
  const double x = *sample;

  // Low section: two one-poles fed in parallel; y = x + (gB - 1) lb + (gA - 1) la.
  mLowBoostState = ((x - mLowBoostState) * mBoostCoef + mDenormal) + mLowBoostState;
  mLowAttenState = ((x - mLowAttenState) * mAttenCoef + mDenormal) + mLowAttenState;
  const double y1 = mLowAttenState * mAttenGain
                    + ((mLowBoostState * mBoostGain + (x - mLowBoostState)) - mLowAttenState);

  // Mid band: constant-peak band-pass scaled by (A - 1), added to the dry signal.
  const double bp = mMidB * (y1 - mMidX2) + mMidC1 * mMidY1 + mMidC2 * mMidY2;
  mMidX2 = mMidX1;
  mMidX1 = y1;
  mMidY2 = mMidY1 + mDenormal;
  mMidY1 = bp;
  const double y2 = y1 + bp;

  // High shelf: the part above a one-pole low-pass is scaled by the shelf gain.
  mHiShelfState = (y2 * mHiOneMinusPole - mHiNegPole * mHiShelfState) + mDenormal;
  const double h = y2 - mHiShelfState;
  const double y3 = (y2 - h) + h * mHiShelfGain;

  // High-pass: two cascaded first-order high-passes on the ramped coefficient.
  mHighPassCur += mHighPassStep;
  mHighPassState1 = ((y3 - mHighPassState1) * mHighPassCur + mDenormal) + mHighPassState1;
  const double h1 = y3 - mHighPassState1;
  mHighPassState2 = ((h1 - mHighPassState2) * mHighPassCur + mDenormal) + mHighPassState2;
  const double h2 = h1 - mHighPassState2;

  // Low-pass: two cascaded one-poles on the ramped coefficient.
  mLowPassCur += mLowPassStep;
  mLowPassState1 = ((h2 - mLowPassState1) * mLowPassCur + mDenormal) + mLowPassState1;
  mLowPassState2 = ((mLowPassState1 - mLowPassState2) * mLowPassCur + mDenormal) + mLowPassState2;
  *sample = mLowPassState2;
}
