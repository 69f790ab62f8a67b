#pragma once

#include "BassExiter.h"
#include "IEffectAU.h"
#include "ZurAR.h"

// The product's parameters, in the order the host lists them and the saved state holds them.
enum EParams
{
  kLowFreq = 0,
  kBoostLow,
  kAttenLow,
  kMidGain,
  kMidFreq,
  kMidQ,
  kHiGain,
  kHiFreq,
  kLSDrive,
  kLSWoow,
  kLSOnOff,
  kInputGain,
  kOutputGain,
  kHighPass,
  kLowPass,
  kNumParams
};

// The Kelvo equaliser: input gain, filter section (low shelves, mid band, high shelf,
// high-pass, low-pass), optional bass exciter and output gain on one or two channels, with
// a VU meter of the level entering the exciter and a clip LED handed to the editor after
// every block.
class Kelvo : public IEffectAU
{
public:
  // Constructed by MakePlug under the factory's lock: parameters, factory presets, editor,
  // then the filter sections and exciters at the base object's sample rate.
  explicit Kelvo(IEffectInstanceInfo instanceInfo);
  ~Kelvo() override;

  // Host thread, instance lock held: rebuilds the filter sections and exciters for the
  // current sample rate. Leaves gains, meter and clip indicator alone.
  void Reset() override;
  // Any thread, instance lock held by the caller: turns parameter paramIdx into filter,
  // exciter and gain settings and indicator values; indices outside 0..14 do nothing.
  void OnParamChange(int paramIdx) override;
  // Render thread: one block in place on the input copies, written to both outputs. Gains
  // ramp linearly over the block; meter and clip LED are updated at its end. No allocation,
  // no locks.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;

  // Read-only views of the processing state, for diagnostics and tests.
  double MeterLevel() const { return mMeterLevel; }
  int ClipOn() const { return mClipOn; }
  int ClipCount() const { return mClipCount; }
  int ExciterOn() const { return mExciterOn; }
  double InGainTarget() const { return mInGain; }
  double OutGainTarget() const { return mOutGain; }
  const ZurAR& EQ(int channel) const { return mEQ[channel ? 1 : 0]; }
  const BassExiter& Exciter(int channel) const { return mExciter[channel ? 1 : 0]; }

private:
  // Builds the editor's images and controls in attach order and keeps the indicator indices.
  void BuildEditor(IGraphics* pGraphics);
  // Woow LED: lit when both the exciter and its Woow stage are switched on.
  void UpdateWoowLed();

  int mMeterIdx = -1;       // VU meter control
  int mMidQLedIdx = -1;     // LED of the Mid Q switch
  int mClipLedIdx = -1;     // output clip LED
  int mWoowLedIdx = -1;     // LED lit when exciter and Woow are both on
  int mExciterLedIdx = -1;  // LED of the exciter on/off switch
  int mCreditsIdx = -1;     // credits overlay
  int mClipCount = 0;       // samples since the clip LED was last judged
  int mClipOn = 0;          // clip LED, 0 or 1
  double mMeterLevel = 0.0; // smoothed level entering the exciter
  ZurAR mEQ[2];             // filter sections, left and right
  BassExiter mExciter[2];   // bass exciters, left and right
  int mExciterOn = 0;       // integer "LS on/off"; the exciters run only when it is 1
  double mInGainPrev = 0.0;  // gain targets of the previous block (ramp start)
  double mOutGainPrev = 0.0;
  double mInGain = 1.0;      // linear gain targets
  double mOutGain = 1.0;
  double mInGainStep = 0.0;  // per-sample increment and running value of each ramp
  double mInGainCur = 0.0;
  double mOutGainStep = 0.0;
  double mOutGainCur = 0.0;
};
