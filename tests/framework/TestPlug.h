#pragma once

#include "IEffectBase.h"
#include "IGraphics.h"

#include <vector>

// Parameter indices of a plug-in laid out like the equaliser product.
enum ETestParams
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
  kNumTestParams
};

// Records what the plug-in object tells its editor.
class TestGraphics : public IGraphics
{
public:
  struct Call
  {
    int paramIdx;
    double value;
    bool normalized;
  };

  explicit TestGraphics(bool* deleted = nullptr) : IGraphics(nullptr, 0, 0), mDeleted(deleted) {}
  ~TestGraphics() override
  {
    if (mDeleted) {
      *mDeleted = true;
    }
  }

  void SetParameterFromPlug(int paramIdx, double value, bool normalized) override
  {
    mCalls.push_back({ paramIdx, value, normalized });
  }
  void PrepDraw() override { mPrepDrawAfter = static_cast<int>(mCalls.size()); }

  // The editor's drawing and window operations, which the plug-in object never calls.
  bool DrawScreen(IRECT*) override { return true; }
  bool DrawBitmap(IBitmap*, IRECT*, int, int, const IChannelBlend*) override { return true; }
  bool DrawRotatedBitmap(IBitmap*, int, int, double, int, const IChannelBlend*) override { return true; }
  bool DrawRotatedMask(IBitmap*, IBitmap*, IBitmap*, int, int, double, const IChannelBlend*) override
  {
    return true;
  }
  bool DrawPoint(const IColor*, float, float, const IChannelBlend*, bool) override { return true; }
  bool ForcePixel(const IColor*, int, int) override { return true; }
  bool DrawLine(const IColor*, float, float, float, float, const IChannelBlend*, bool) override { return true; }
  bool DrawArc(const IColor*, float, float, float, float, float, const IChannelBlend*, bool) override
  {
    return true;
  }
  bool DrawCircle(const IColor*, float, float, float, const IChannelBlend*, bool) override { return true; }
  bool FillIRect(const IColor*, IRECT*, const IChannelBlend*) override { return true; }
  bool DrawIText(IText*, const char*, IRECT*) override { return true; }
  IColor GetPoint(int, int) override { return IColor(); }
  void* GetData() override { return nullptr; }
  void PromptUserInput(IControl*, IParam*) override {}
  void HostPath(BASE_String*) override {}
  void PluginPath(BASE_String*) override {}
  void PromptForFile(BASE_String*, EFileAction, const char*, const char*) override {}
  bool PromptForColor(IColor*, const char*) override { return false; }
  bool OpenURL(const char*, const char*, const char*, const char*) override { return false; }
  void* OpenWindow(void*) override { return nullptr; }
  void CloseWindow() override {}
  void* GetWindow() override { return nullptr; }
  IBitmap LoadIBitmap(int, const char*, int) override { return IBitmap(); }
  IBitmap ScaleBitmap(IBitmap*, int, int) override { return IBitmap(); }
  IBitmap CropBitmap(IBitmap*, IRECT*) override { return IBitmap(); }
  void RetainBitmap(IBitmap*) override {}
  void ReleaseBitmap(IBitmap*) override {}

  std::vector<Call> mCalls;
  int mPrepDrawAfter = -1;  // number of parameter calls made before PrepDraw
  bool* mDeleted;
};

// A plug-in object with fifteen parameters like the product's, recording the virtual
// operations that the base object calls.
class TestPlug : public IEffectBase
{
public:
  explicit TestPlug(int nPresets = 6, const char* channelIO = "1-1 2-2",
                    int nParams = kNumTestParams, const char* effectName = "Kelvo")
    : IEffectBase(nParams, channelIO, nPresets, effectName, "", "Brantel", 0x10101, 0x4B766C6F,
                  0x42726E74, 0, false, false, false)
  {
    if (nParams == kNumTestParams) {
      DeclareParams();
    }
  }

  void DeclareParams()
  {
    GetParam(kBoostLow)->InitDouble("boost low", 0., 0., 10., 0.1, "dB");
    GetParam(kAttenLow)->InitDouble("Atten low", 0., 0., 10., 0.1, "dB");
    GetParam(kMidGain)->InitDouble("Mid Gain", 0., -12., 12., 0.1, "dB");
    GetParam(kMidFreq)->InitDouble("Mid Freq", 832., 150., 4000., 1., "Hz");
    GetParam(kMidFreq)->SetShape(2.4);
    GetParam(kHiGain)->InitDouble("Hi Gain", 0., -12., 12., 0.01, "dB");
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
    GetParam(kHighPass)->InitDouble("High Pass", 0., 0., 350., 1., "Hz");
    GetParam(kHighPass)->SetDisplayText(0, "OFF");
    GetParam(kLowPass)->InitDouble("Low Pass", 22., 2., 22., 0.1, "Khz");
    GetParam(kLowPass)->SetDisplayText(22, "OFF");
    GetParam(kLSWoow)->InitEnum("LS Woow", 0, 2);
    GetParam(kLSOnOff)->InitEnum("LS on/off", 0, 2);
    GetParam(kLSDrive)->InitDouble("LS Drive", 4.5, 0., 20., 0.1, "dB");
    GetParam(kInputGain)->InitDouble("Input gain", 0., -12., 12., 0.01, "dB");
    GetParam(kOutputGain)->InitDouble("Output gain", 0., -12., 12., 0.01, "dB");
  }

  void OnParamChange(int paramIdx) override
  {
    IEffectBase::OnParamChange(paramIdx);
    mParamChanges.push_back(paramIdx);
    mLockHeldInParamChange = mLockHeldInParamChange && GetMutex().IsOwnedByCaller();
  }

  void BeginInformHostOfParamChange(int) override {}
  void InformHostOfParamChange(int idx, double normalizedValue) override
  {
    mInformed.push_back({ idx, normalizedValue });
  }
  void EndInformHostOfParamChange(int) override {}
  int GetSamplePos() override { return 0; }
  double GetTempo() override { return mTempo; }
  void GetTimeSig(int* numerator, int* denominator) override
  {
    *numerator = 4;
    *denominator = 4;
  }
  void ResizeGraphics(int, int) override {}
  void HostSpecificInit() override {}
  bool SendMidiMsg(IMidiMsg* msg) override
  {
    mSentMidi.push_back(*msg);
    return false;
  }
  bool SendMidiMsgs(BASE_TypedBuf<IMidiMsg>*) override { return true; }

  // The current values of every parameter.
  std::vector<double> Values() const
  {
    std::vector<double> v;
    for (int i = 0; i < NParams(); ++i) {
      v.push_back(GetParam(i)->Value());
    }
    return v;
  }

  std::vector<int> mParamChanges;
  bool mLockHeldInParamChange = true;
  std::vector<std::pair<int, double>> mInformed;
  std::vector<IMidiMsg> mSentMidi;
  double mTempo = 120.0;
};
