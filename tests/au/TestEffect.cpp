#include "TestEffect.h"

#include <mutex>

KELVO_DECLARE_AU_ENTRIES(TestEffect)

namespace {

const int kNumPresets = 4;  // three made, one left empty and pruned at open

int FourCC(const char* code)
{
  return (code[0] << 24) | (code[1] << 16) | (code[2] << 8) | code[3];
}

}  // namespace

IEffectAU* MakePlug()
{
  static std::mutex* factoryMutex = new std::mutex();
  std::lock_guard<std::mutex> lock(*factoryMutex);
  IEffectInstanceInfo info;
  info.mBundleID.Set("org.kelvo.tests.TestEffect");
  info.mCocoaViewFactoryClassName.Set("TestEffect_View");
  return new TestEffect(info);
}

TestEffect::TestEffect(IEffectInstanceInfo instanceInfo)
  : IEffectAU(instanceInfo, kNumParams, "1-1 2-2", kNumPresets, "TestEffect", "Kelvo Test Effect", "Kelvo Tests",
              0x00010203, FourCC("Tsfx"), FourCC("KlvT"), 0, false, false, false)
{
  GetParam(kGain)->InitDouble("Gain", 0.0, -24.0, 12.0, 0.1, "dB");
  GetParam(kMode)->InitEnum("Mode of operation", 0, 3);
  GetParam(kMode)->SetDisplayText(0, "Clean");
  GetParam(kMode)->SetDisplayText(1, "Warm");
  GetParam(kMode)->SetDisplayText(2, "Hot");
  GetParam(kInvert)->InitBool("Invert", false);
  GetParam(kLatency)->InitInt("Latency", 0, 0, 4096);
  GetParam(kTempo)->InitDouble("Tempo", 0.0, 0.0, 1000.0, 0.001);
  GetParam(kSamplePos)->InitDouble("Position", 0.0, -1e9, 1e9, 1.0);
  GetParam(kTimeSigNum)->InitInt("Beats per bar", 0, 0, 64);
  GetParam(kTimeSigDen)->InitInt("Beat unit", 0, 0, 64);

  MakePresetFromNamedParams("Unity", 2, kGain, 0.0, kMode, 0);
  MakePresetFromNamedParams("Leise \xE2\x80\x93 ruhig", 2, kGain, -12.0, kMode, 1);
  MakePresetFromNamedParams("Loud", 3, kGain, 6.0, kMode, 2, kInvert, 1);
  RestorePreset(0);
  OnParamReset();
}

void TestEffect::Reset()
{
  BASE_MutexLock lock(mMutex);
}

void TestEffect::OnParamChange(int paramIdx)
{
  BASE_MutexLock lock(mMutex);
  switch (paramIdx) {
    case kGain:
      mGain = GetParam(kGain)->DBToAmp();
      break;
    case kInvert:
      mSign = GetParam(kInvert)->Bool() ? -1.0 : 1.0;
      break;
    case kLatency:
      if (GetParam(kLatency)->Int() != GetLatency()) {
        SetLatency(GetParam(kLatency)->Int());
      }
      break;
    default:
      break;
  }
}

void TestEffect::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  GetParam(kTempo)->Set(GetTempo());
  GetParam(kSamplePos)->Set(GetSamplePos());
  int num = GetParam(kTimeSigNum)->Int(), den = GetParam(kTimeSigDen)->Int();
  GetTimeSig(&num, &den);
  GetParam(kTimeSigNum)->Set(num);
  GetParam(kTimeSigDen)->Set(den);
  double g = mGain * mSign;
  for (int c = 0; c < 2; ++c) {
    for (int i = 0; i < nFrames; ++i) {
      outputs[c][i] = inputs[c][i] * g;
    }
  }
}

void TestEffect::ProcessMidiMsg(IMidiMsg* msg)
{
  const int kVolumeController = 7;
  if (msg->StatusMsg() == IMidiMsg::kControlChange && msg->ControlChangeIdx() == kVolumeController) {
    BeginInformHostOfParamChange(kGain);
    SetParameterFromGUI(kGain, msg->ControlChange(kVolumeController));
    EndInformHostOfParamChange(kGain);
    return;
  }
  IEffectAU::ProcessMidiMsg(msg);
}
