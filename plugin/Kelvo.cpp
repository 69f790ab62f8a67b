#include "Kelvo.h"

#include "BASE_Mutex.h"
#include "IControl.h"
#include "IEffectAU_ViewFactory.h"
#include "IGraphicsMac.h"

#include <algorithm>
#include <cmath>

KELVO_DECLARE_AU_ENTRIES(Kelvo)
KELVO_DECLARE_VIEW_FACTORY(Kelvo_View);

namespace {

const char* const kBundleID = "com.brantel.audiounit.Kelvo";
const char* const kViewFactoryClassName = "Kelvo_View";

const int kNumPresets = 6;
const int kEditorW = 802, kEditorH = 253;

// dB to linear gain: exp(dB / (20 / ln 10)) = 10^(dB / 20)
const double kDBDivisor = 8.685889638065037;

int FourCC(const char* code)
{
  return (code[0] << 24) | (code[1] << 16) | (code[2] << 8) | code[3];
}

// Resource IDs of the editor's images.
enum EImages
{
  kBackgroundID = 101,
  kBigKnobID = 102,
  kSmallKnobID = 103,
  kSwitchID = 104,
  kHSliderID = 105,
  kLedID = 106,
  kLedAlphaID = 107,
  kFreqLedID = 108,
  kVuID = 109,
  kCreditsID = 110,
};

}  // namespace

// Constructor (under the factory's lock): creates the editor for the plug-in and tells it the
// bundle that holds its images.
IGraphics* MakeGraphics(IEffectAU* plug, int w, int h, int fps)
{
  IGraphicsMac* pGraphics = new IGraphicsMac(plug, w, h, fps);
  pGraphics->SetBundleID(kBundleID);
  return pGraphics;
}

// Any thread, from the host's open selector: a new, fully built plug-in.
IEffectAU* MakePlug()
{
  // serialises construction across instances opened from several threads at once
  static BASE_Mutex sFactoryMutex;
  BASE_MutexLock lock(sFactoryMutex);
  IEffectInstanceInfo info;
  info.mBundleID.Set(kBundleID);
  info.mCocoaViewFactoryClassName.Set(kViewFactoryClassName);
  return new Kelvo(info);
}

Kelvo::Kelvo(IEffectInstanceInfo instanceInfo)
  : IEffectAU(instanceInfo, kNumParams, "1-1 2-2", kNumPresets, "Kelvo", "", "Brantel", 0x10101, FourCC("Kvlo"),
              FourCC("Brnt"), 0, false, false, false),
    mEQ{ ZurAR(GetSampleRate()), ZurAR(GetSampleRate()) },
    mExciter{ BassExiter(GetSampleRate()), BassExiter(GetSampleRate()) }
{
  mMeterLevel = 0.0;

  GetParam(kBoostLow)->InitDouble("boost low", 0.0, 0.0, 10.0, 0.1, "dB");
  GetParam(kAttenLow)->InitDouble("Atten low", 0.0, 0.0, 10.0, 0.1, "dB");
  GetParam(kMidGain)->InitDouble("Mid Gain", 0.0, -12.0, 12.0, 0.1, "dB");
  GetParam(kMidFreq)->InitDouble("Mid Freq", 832.0, 150.0, 4000.0, 1.0, "Hz");
  GetParam(kMidFreq)->SetShape(2.4);
  GetParam(kHiGain)->InitDouble("Hi Gain", 0.0, -12.0, 12.0, 0.01, "dB");
  GetParam(kLowFreq)->InitEnum("Low Freq.", 1, 4);
  GetParam(kLowFreq)->SetDisplayText(0, "20 Hz");
  GetParam(kLowFreq)->SetDisplayText(1, "30 Hz");
  GetParam(kLowFreq)->SetDisplayText(2, "60 Hz");
  GetParam(kLowFreq)->SetDisplayText(3, "100 Hz");
  GetParam(kHiFreq)->InitEnum("Hi Freq.", 2, 4);
  GetParam(kHiFreq)->SetDisplayText(0, "6 Khz");
  GetParam(kHiFreq)->SetDisplayText(1, "8 khz");
  GetParam(kHiFreq)->SetDisplayText(2, "12 khz");
  GetParam(kHiFreq)->SetDisplayText(3, "15 khz");
  GetParam(kMidQ)->InitEnum("Mid Q", 0, 2);
  GetParam(kHighPass)->InitDouble("High Pass", 0.0, 0.0, 350.0, 1.0, "Hz");
  GetParam(kHighPass)->SetDisplayText(0, "OFF");
  GetParam(kLowPass)->InitDouble("Low Pass", 22.0, 2.0, 22.0, 0.1, "Khz");
  GetParam(kLowPass)->SetDisplayText(22, "OFF");
  GetParam(kLSWoow)->InitEnum("LS Woow", 0, 2);
  GetParam(kLSOnOff)->InitEnum("LS on/off", 0, 2);
  GetParam(kLSDrive)->InitDouble("LS Drive", 4.5, 0.0, 20.0, 0.1, "dB");
  GetParam(kInputGain)->InitDouble("Input gain", 0.0, -12.0, 12.0, 0.01, "dB");
  GetParam(kOutputGain)->InitDouble("Output gain", 0.0, -12.0, 12.0, 0.01, "dB");

  // Factory presets, values in index order: ints for the enum parameters, doubles otherwise.
  MakePreset("Init", 0, 0.0, 0.0, 0.0, 832.0, 0, 0.0, 2, 4.5, 0, 0, 0.0, 0.0, 0.0, 22.0);
  MakePreset("Mix Exiter 1", 1, 1.6, 1.8, 0.3, 3416.0, 0, 3.6, 0, 10.7, 1, 1, -5.0, 5.0, 0.0, 22.0);
  MakePreset("Final mix 2", 1, 2.4, 2.6, 0.3, 832.0, 0, 2.22, 0, 0.1, 0, 1, 4.0, -4.0, 0.0, 22.0);
  MakePreset("Drums - Kick", 1, 7.2, 8.9, 5.5, 3204.0, 0, 12.0, 0, 1.0, 0, 1, 6.0, -6.0, 30.0, 14.3);
  MakeDefaultPreset("-", 15);

  IGraphics* pGraphics = MakeGraphics(this, kEditorW, kEditorH, 0);
  BuildEditor(pGraphics);
  AttachGraphics(pGraphics);

  mInGain = std::exp(GetParam(kInputGain)->Value() / kDBDivisor);
  mOutGain = std::exp(GetParam(kOutputGain)->Value() / kDBDivisor);
  mInGainPrev = 0.0;
  mOutGainPrev = 0.0;
  mClipCount = 0;
  mClipOn = 0;
  mExciterOn = 0;
}

Kelvo::~Kelvo() = default;

void Kelvo::BuildEditor(IGraphics* pGraphics)
{
  pGraphics->AttachBackground(kBackgroundID, "img/background.png");

  IBitmap bitmap = pGraphics->LoadIBitmap(kBigKnobID, "img/big_knob.png", 102);
  const struct
  {
    int x, y, param;
  } bigKnobs[] = { { 158, 35, kBoostLow }, { 257, 35, kAttenLow },  { 537, 35, kHiGain },     { 397, 35, kMidGain },
                   { 689, 127, kLSDrive }, { 26, 18, kInputGain }, { 26, 161, kOutputGain } };
  for (const auto& k : bigKnobs) {
    pGraphics->AttachControl(new IKnobMultiControl(this, k.x, k.y, k.param, &bitmap, kVertical, 4.0));
  }

  // four buttons side by side, each one frame of the image
  bitmap = pGraphics->LoadIBitmap(kFreqLedID, "img/freq_led.png", 2);
  IRECT lowFreqRect(187, 145, 187 + 4 * bitmap.W, 145 + bitmap.FrameHeight());
  pGraphics->AttachControl(new IRadioButtonsControl(this, &lowFreqRect, kLowFreq, 4, &bitmap, kHorizontal));
  IRECT hiFreqRect(516, 145, 516 + 4 * bitmap.W, 145 + bitmap.FrameHeight());
  pGraphics->AttachControl(new IRadioButtonsControl(this, &hiFreqRect, kHiFreq, 4, &bitmap, kHorizontal));

  bitmap = pGraphics->LoadIBitmap(kHSliderID, "img/h_slider.png", 1);
  pGraphics->AttachControl(new IFaderControl(this, 365, 158, 131, kMidFreq, &bitmap, kHorizontal));

  bitmap = pGraphics->LoadIBitmap(kSmallKnobID, "img/small_knob.png", 101);
  pGraphics->AttachControl(new IKnobMultiControl(this, 171, 219, kHighPass, &bitmap, kVertical, 4.0));
  pGraphics->AttachControl(new IKnobMultiControl(this, 558, 219, kLowPass, &bitmap, kVertical, 4.0));

  IColor captionColor(255, 113, 124, 127);
  IText caption(13, &captionColor, DEFAULT_FONT, kStyleNormal, kAlignCenter, 0);
  IRECT highPassCaption(134, 232, 168, 248);
  IText text = caption;
  pGraphics->AttachControl(new ICaptionControl(this, &highPassCaption, kHighPass, &text, true));
  IRECT lowPassCaption(592, 232, 635, 248);
  text = caption;
  pGraphics->AttachControl(new ICaptionControl(this, &lowPassCaption, kLowPass, &text, true));
  IRECT midFreqCaption(405, 139, 457, 155);
  text = caption;
  pGraphics->AttachControl(new ICaptionControl(this, &midFreqCaption, kMidFreq, &text, true));

  bitmap = pGraphics->LoadIBitmap(kSwitchID, "img/switch.png", 2);
  pGraphics->AttachControl(new ISwitchControl(this, 377, 232, kMidQ, &bitmap, kBlendNormal));
  pGraphics->AttachControl(new ISwitchControl(this, 719, 201, kLSOnOff, &bitmap, kBlendNormal));
  pGraphics->AttachControl(new ISwitchControl(this, 719, 91, kLSWoow, &bitmap, kBlendNormal));

  bitmap = pGraphics->LoadIBitmap(kLedID, "img/led.png", 2);
  mMidQLedIdx = pGraphics->AttachControl(new IBitmapControl(this, 409, 228, &bitmap, kBlendNormal));
  mClipLedIdx = pGraphics->AttachControl(new IBitmapControl(this, 45, 116, &bitmap, kBlendNormal));
  mWoowLedIdx = pGraphics->AttachControl(new IBitmapControl(this, 747, 88, &bitmap, kBlendNormal));
  mExciterLedIdx = pGraphics->AttachControl(new IBitmapControl(this, 747, 197, &bitmap, kBlendNormal));

  // glass drawn over three of the LEDs
  bitmap = pGraphics->LoadIBitmap(kLedAlphaID, "img/led_alpha.png", 1);
  pGraphics->AttachControl(new IBitmapControl(this, 409, 228, &bitmap, kBlendNormal));
  pGraphics->AttachControl(new IBitmapControl(this, 747, 88, &bitmap, kBlendNormal));
  pGraphics->AttachControl(new IBitmapControl(this, 747, 197, &bitmap, kBlendNormal));

  bitmap = pGraphics->LoadIBitmap(kVuID, "img/vu.png", 59);
  mMeterIdx = pGraphics->AttachControl(new IBitmapControl(this, 664, 24, &bitmap, kBlendNormal));

  // last, so that it is hit first while shown
  bitmap = pGraphics->LoadIBitmap(kCreditsID, "img/credits.png", 1);
  IRECT creditsTarget(661, 225, 780, 250);
  mCreditsIdx = pGraphics->AttachControl(new IBitmapOverlayControl(this, 1, 1, &bitmap, &creditsTarget));
}

void Kelvo::Reset()
{
  double sr = GetSampleRate();
  mEQ[0].reset(sr);
  mEQ[1].reset(sr);
  mExciter[0].reset(sr);
  mExciter[1].reset(sr);
}

void Kelvo::UpdateWoowLed()
{
  bool lit = static_cast<int>(GetParam(kLSOnOff)->Value()) != 0 && static_cast<int>(GetParam(kLSWoow)->Value()) != 0;
  if (IGraphics* pGraphics = GetGUI()) {
    pGraphics->SetControlFromPlug(mWoowLedIdx, lit ? 1.0 : 0.0);
  }
}

void Kelvo::OnParamChange(int paramIdx)
{
  IGraphics* pGraphics = GetGUI();
  switch (paramIdx) {
    case kLowFreq:
    case kBoostLow:
    case kAttenLow: {
      double boost = 1.6 * GetParam(kBoostLow)->Value();
      double atten = -2.2 * GetParam(kAttenLow)->Value();
      int freqIdx = static_cast<int>(GetParam(kLowFreq)->Value());
      mEQ[0].setLowShelv(boost, atten, freqIdx);
      mEQ[1].setLowShelv(boost, atten, freqIdx);
      break;
    }
    case kMidGain:
    case kMidFreq:
    case kMidQ: {
      int q = static_cast<int>(GetParam(kMidQ)->Value());
      double freq = GetParam(kMidFreq)->Value();
      if (pGraphics) {
        pGraphics->SetControlFromPlug(mMidQLedIdx, q);
        pGraphics->SetParameterFromPlug(kMidFreq, freq, false);
      }
      double gain = GetParam(kMidGain)->Value();
      mEQ[0].setMid(gain, freq, q);
      mEQ[1].setMid(gain, freq, q);
      break;
    }
    case kHiGain:
    case kHiFreq: {
      double gain = 0.8333 * GetParam(kHiGain)->Value();
      int freqIdx = static_cast<int>(GetParam(kHiFreq)->Value());
      mEQ[0].setHiShelv(gain, freqIdx);
      mEQ[1].setHiShelv(gain, freqIdx);
      break;
    }
    case kLSDrive:
      mExciter[0].setDrive(GetParam(kLSDrive)->Value());
      mExciter[1].setDrive(GetParam(kLSDrive)->Value());
      break;
    case kLSWoow: {
      UpdateWoowLed();
      int woow = static_cast<int>(GetParam(kLSWoow)->Value());
      mExciter[0].setWoow(woow);
      mExciter[1].setWoow(woow);
      mExciter[0].setDrive(GetParam(kLSDrive)->Value());
      mExciter[1].setDrive(GetParam(kLSDrive)->Value());
      break;
    }
    case kLSOnOff:
      if (pGraphics) {
        pGraphics->SetControlFromPlug(mExciterLedIdx, GetParam(kLSOnOff)->Value());
      }
      UpdateWoowLed();
      mExciterOn = static_cast<int>(GetParam(kLSOnOff)->Value());
      break;
    case kInputGain:
      mInGain = std::exp(GetParam(kInputGain)->Value() / kDBDivisor);
      mOutGain = std::exp(GetParam(kOutputGain)->Value() / kDBDivisor);
      break;
    case kOutputGain:
      mOutGain = std::exp(GetParam(kOutputGain)->Value() / kDBDivisor);
      break;
    case kHighPass: {
      double freq = GetParam(kHighPass)->Value();
      if (pGraphics) {
        pGraphics->SetParameterFromPlug(kHighPass, freq, false);
      }
      mEQ[0].setHighPass(freq);
      mEQ[1].setHighPass(freq);
      break;
    }
    case kLowPass: {
      double kHz = GetParam(kLowPass)->Value();
      if (pGraphics) {
        pGraphics->SetParameterFromPlug(kLowPass, kHz, false);
      }
      mEQ[0].setLowPass(kHz * 1000.0);
      mEQ[1].setLowPass(kHz * 1000.0);
      break;
    }
    default:
      break;
  }
}

void Kelvo::ProcessDoubleReplacing(double** inputs, double** outputs, int nFrames)
{
  const double n = nFrames;
  mInGainStep = (mInGain - mInGainPrev) / n;
  mInGainCur = mInGainPrev;
  mInGainPrev = mInGain;
  mOutGainStep = (mOutGain - mOutGainPrev) / n;
  mOutGainCur = mOutGainPrev;
  mOutGainPrev = mOutGain;
  mEQ[0].blockProcess(n);
  mEQ[1].blockProcess(n);

  double exPeakL = 0.0, exPeakR = 0.0;
  double outPeakL = 0.0, outPeakR = 0.0;
  double meterIn, blockPeak;
  double* in0 = inputs[0];
  double* in1 = inputs[1];
  double* out0 = outputs[0];
  double* out1 = outputs[1];

  if (IsInChannelConnected(1)) {
    for (int i = 0; i < nFrames; ++i) {
      mInGainCur += mInGainStep;
      in0[i] = mInGainCur * (in0[i] + 1e-25);
      in1[i] = (in1[i] + 1e-25) * mInGainCur;
      mEQ[0].process(&in0[i]);
      mEQ[1].process(&in1[i]);
      if (mExciterOn == 1) {
        mExciter[0].process(&in0[i], &exPeakL);
        mExciter[1].process(&in1[i], &exPeakR);
      }
      mOutGainCur += mOutGainStep;
      out0[i] = mOutGainCur * in0[i];
      out1[i] = in1[i] * mOutGainCur;
      outPeakL = std::max(std::fabs(out0[i]), outPeakL);
      outPeakR = std::max(std::fabs(out1[i]), outPeakR);
      mClipCount += 1;
    }
    meterIn = exPeakR > exPeakL ? exPeakR : exPeakL;
    blockPeak = outPeakR > outPeakL ? outPeakR : outPeakL;
  }
  else {
    for (int i = 0; i < nFrames; ++i) {
      mInGainCur += mInGainStep;
      in0[i] = mInGainCur * (1e-25 + in0[i]);
      mEQ[0].process(&in0[i]);
      if (mExciterOn == 1) {
        mExciter[0].process(&in0[i], &exPeakL);
      }
      mOutGainCur += mOutGainStep;
      double v = mOutGainCur * in0[i];
      out0[i] = v;
      out1[i] = v;
      outPeakL = std::max(std::fabs(v), outPeakL);
      mClipCount += 1;
    }
    meterIn = exPeakL;
    blockPeak = outPeakL;
  }

  // Meter: rises 60 % of the way per block, falls with a time constant of about 1.07 s.
  const double sr = GetSampleRate();
  const double m = mMeterLevel;
  const double release = (96000.0 / sr) * ((n * 0.04) * 0.000244140625);
  const double k = m > meterIn ? release : 0.6;
  mMeterLevel = meterIn * k + m * (1.0 - k);
  // level to meter position: a fifth-order fit, full scale from 1.56 up
  const double L = mMeterLevel;
  double display = 1.0;
  if (L < 1.56) {
    display = -0.78566 * L * L * L * L * L + 3.8402 * L * L * L * L - 6.8878 * L * L * L + 5.1785 * L * L -
              0.60633 * L + 0.0051264;
  }

  // Clip LED: lit by any full-scale output sample, held for two seconds of audio.
  const bool held = mClipOn == 1 && static_cast<double>(mClipCount) < 2.0 * sr;
  if (!held) {
    mClipOn = blockPeak >= 1.0 ? 1 : 0;
    mClipCount = 0;
  }

  if (IGraphics* pGraphics = GetGUI()) {
    pGraphics->SetControlFromPlug(mMeterIdx, display);
    pGraphics->SetControlFromPlug(mClipLedIdx, mClipOn ? 1.0 : 0.0);
  }
}
