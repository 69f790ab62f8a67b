#pragma once

#include "IEffectAU.h"

// A small stereo gain used to test the adapter through the public calls: gain in dB, a
// three-way mode with display texts, a polarity switch and a latency in samples that is
// reported to the host when it changes. Four read-only parameters show what the last render
// learnt from the host's transport callbacks. Controller 7 moves the gain as a user's
// gesture on the editor would: begin, change and end are reported to the host.
class TestEffect : public IEffectAU
{
public:
  enum EParams
  {
    kGain = 0,
    kMode,
    kInvert,
    kLatency,
    kTempo,         // beats per minute seen by the last render
    kSamplePos,     // transport position seen by the last render
    kTimeSigNum,
    kTimeSigDen,
    kNumParams
  };

  explicit TestEffect(IEffectInstanceInfo instanceInfo);

  void Reset() override;
  // Any thread, instance lock held: converts the parameter into what the render reads.
  void OnParamChange(int paramIdx) override;
  // Render thread: out = in x gain x polarity, per channel.
  void ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames) override;
  // Host thread, instance lock held.
  void ProcessMidiMsg(IMidiMsg* msg) override;

private:
  double mGain = 1.0;   // linear, from kGain in dB
  double mSign = 1.0;   // -1 when kInvert is on
};
