// The parameter table and what each parameter change does to the filter sections, the
// exciters and the gain targets.

#include "KelvoTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

using kelvotest::NewKelvo;
using kelvotest::SetParam;

namespace {

double DBToGain(double dB)
{
  return std::pow(10.0, dB / 20.0);
}

std::string Display(Kelvo* plug, int idx, double value)
{
  char text[IParam::kTextBytes];
  plug->GetParam(idx)->GetDisplayForHost(value, false, text);
  return text;
}

}  // namespace

TEST(KelvoParams, TableGivesNamesRangesStepsLabelsAndDefaults)
{
  auto plug = NewKelvo();
  ASSERT_EQ(plug->NParams(), kNumParams);
  ASSERT_EQ(kNumParams, 15);
  struct Row
  {
    const char* name;
    double def, lo, hi, step;
    const char* label;
  };
  const Row rows[kNumParams] = {
    { "Low Freq.", 1, 0, 3, 1, "" },         { "boost low", 0, 0, 10, 0.1, "dB" },
    { "Atten low", 0, 0, 10, 0.1, "dB" },     { "Mid Gain", 0, -12, 12, 0.1, "dB" },
    { "Mid Freq", 832, 150, 4000, 1, "Hz" },  { "Mid Q", 0, 0, 1, 1, "" },
    { "Hi Gain", 0, -12, 12, 0.01, "dB" },    { "Hi Freq.", 2, 0, 3, 1, "" },
    { "LS Drive", 4.5, 0, 20, 0.1, "dB" },    { "LS Woow", 0, 0, 1, 1, "" },
    { "LS on/off", 0, 0, 1, 1, "" },          { "Input gain", 0, -12, 12, 0.01, "dB" },
    { "Output gain", 0, -12, 12, 0.01, "dB" }, { "High Pass", 0, 0, 350, 1, "Hz" },
    { "Low Pass", 22, 2, 22, 0.1, "Khz" },
  };
  for (int i = 0; i < kNumParams; ++i) {
    SCOPED_TRACE(rows[i].name);
    IParam* p = plug->GetParam(i);
    EXPECT_STREQ(p->GetNameForHost(), rows[i].name);
    EXPECT_EQ(p->Value(), rows[i].def);
    EXPECT_EQ(p->GetMin(), rows[i].lo);
    EXPECT_EQ(p->GetMax(), rows[i].hi);
    EXPECT_EQ(p->GetStep(), rows[i].step);
    EXPECT_EQ(p->GetShape(), i == kMidFreq ? 2.4 : 1.0);
    // the off positions show "OFF" without a unit
    double saved = p->Value();
    p->Set(i == kHighPass ? 30.0 : i == kLowPass ? 14.3 : saved);
    EXPECT_STREQ(p->GetLabelForHost(), rows[i].label);
    p->Set(saved);
  }
  for (int i : { kLowFreq, kMidQ, kHiFreq, kLSWoow, kLSOnOff }) {
    EXPECT_EQ(plug->GetParam(i)->Type(), IParam::kTypeEnum) << i;
  }
  const char* lowTexts[] = { "20 Hz", "30 Hz", "60 Hz", "100 Hz" };
  const char* hiTexts[] = { "6 Khz", "8 khz", "12 khz", "15 khz" };
  for (int v = 0; v < 4; ++v) {
    EXPECT_STREQ(plug->GetParam(kLowFreq)->GetDisplayText(v), lowTexts[v]);
    EXPECT_STREQ(plug->GetParam(kHiFreq)->GetDisplayText(v), hiTexts[v]);
  }
  EXPECT_EQ(plug->GetParam(kMidQ)->GetNDisplayTexts(), 0);
  EXPECT_EQ(Display(plug.get(), kHighPass, 0.0), "OFF");
  EXPECT_EQ(Display(plug.get(), kLowPass, 22.0), "OFF");
  EXPECT_NE(Display(plug.get(), kLowPass, 21.9), "OFF");
  EXPECT_NE(Display(plug.get(), kHighPass, 30.0), "OFF");

  EXPECT_STREQ(plug->GetEffectName(), "Kelvo");
  EXPECT_STREQ(plug->GetProductName(), "");
  EXPECT_STREQ(plug->GetMfrName(), "Brantel");
  EXPECT_EQ(plug->GetEffectVersion(false), 0x10101);
  EXPECT_EQ(plug->GetUniqueID(), 0x4B766C6F);  // 'Kvlo'
  EXPECT_EQ(plug->GetMfrID(), 0x42726E74);     // 'Brnt'
  EXPECT_EQ(plug->GetLatency(), 0);
  EXPECT_TRUE(plug->LegalIO(1, 1));
  EXPECT_TRUE(plug->LegalIO(2, 2));
  EXPECT_FALSE(plug->LegalIO(1, 2));
  EXPECT_FALSE(plug->IsInst());
  EXPECT_FALSE(plug->DoesStateChunks());
}

TEST(KelvoParams, InitialisedDefaultsGiveAFlatChainWithTheExciterOff)
{
  auto plug = NewKelvo();
  for (int ch = 0; ch < 2; ++ch) {
    const ZurAR& eq = plug->EQ(ch);
    EXPECT_EQ(eq.lowFreqIdx(), 1);
    EXPECT_EQ(eq.lowBoost(), 0.0);
    EXPECT_EQ(eq.lowAtten(), 0.0);
    EXPECT_EQ(eq.midGain(), 0.0);
    EXPECT_EQ(eq.midFreq(), 832.0);
    EXPECT_EQ(eq.hiGain(), 0.0);
    EXPECT_EQ(eq.hiFreqIdx(), 2);
    EXPECT_EQ(eq.highPassFreq(), 0.0);
    EXPECT_EQ(eq.lowPassFreq(), 22000.0);
    EXPECT_EQ(plug->Exciter(ch).drive(), 4.5);
    EXPECT_EQ(plug->Exciter(ch).woowOn(), 0);
  }
  EXPECT_EQ(plug->ExciterOn(), 0);
  EXPECT_EQ(plug->InGainTarget(), 1.0);
  EXPECT_EQ(plug->OutGainTarget(), 1.0);
}

TEST(KelvoParams, EachChangeReachesBothChannelsWithItsDerivedValue)
{
  auto plug = NewKelvo();
  SetParam(plug.get(), kBoostLow, 5.0);
  SetParam(plug.get(), kAttenLow, 2.5);
  SetParam(plug.get(), kLowFreq, 3);
  SetParam(plug.get(), kMidGain, -4.0);
  SetParam(plug.get(), kMidFreq, 2000.0);
  SetParam(plug.get(), kHiGain, 12.0);
  SetParam(plug.get(), kHiFreq, 0);
  SetParam(plug.get(), kHighPass, 120.0);
  SetParam(plug.get(), kLSDrive, 13.0);
  for (int ch = 0; ch < 2; ++ch) {
    SCOPED_TRACE(ch);
    const ZurAR& eq = plug->EQ(ch);
    EXPECT_EQ(eq.lowBoost(), 1.6 * 5.0);
    EXPECT_EQ(eq.lowAtten(), -2.2 * 2.5);
    EXPECT_EQ(eq.lowFreqIdx(), 3);
    EXPECT_EQ(eq.midGain(), -4.0);
    EXPECT_EQ(eq.midFreq(), 2000.0);
    EXPECT_EQ(eq.hiGain(), 0.8333 * 12.0);
    EXPECT_EQ(eq.hiFreqIdx(), 0);
    EXPECT_EQ(eq.highPassFreq(), 120.0);
    EXPECT_EQ(plug->Exciter(ch).drive(), 13.0);
  }

  // "Low Pass" is in kHz: its maximum is exactly 22000 Hz, the filter's off position
  SetParam(plug.get(), kLowPass, 21.9);
  EXPECT_DOUBLE_EQ(plug->EQ(0).lowPassFreq(), 21900.0);
  EXPECT_DOUBLE_EQ(plug->EQ(1).lowPassFreq(), 21900.0);
  SetParam(plug.get(), kLowPass, 22.0);
  EXPECT_EQ(plug->EQ(0).lowPassFreq(), 22000.0);
  EXPECT_EQ(plug->EQ(1).lowPassFreq(), 22000.0);
  SetParam(plug.get(), kLowPass, 2.0);
  EXPECT_EQ(plug->EQ(1).lowPassFreq(), 2000.0);
}

TEST(KelvoParams, InputGainAlsoRecomputesTheOutputTargetButNotTheOtherWayRound)
{
  auto plug = NewKelvo();
  // values stored without telling the plug-in, as a state restore does before its calls
  plug->GetParam(kOutputGain)->Set(6.0);
  plug->GetParam(kInputGain)->Set(-3.0);
  plug->OnParamChange(kInputGain);
  EXPECT_NEAR(plug->InGainTarget(), DBToGain(-3.0), 1e-15);
  EXPECT_NEAR(plug->OutGainTarget(), DBToGain(6.0), 1e-15);

  plug->GetParam(kInputGain)->Set(9.0);
  plug->GetParam(kOutputGain)->Set(-12.0);
  plug->OnParamChange(kOutputGain);
  EXPECT_NEAR(plug->InGainTarget(), DBToGain(-3.0), 1e-15);
  EXPECT_NEAR(plug->OutGainTarget(), DBToGain(-12.0), 1e-15);
}

TEST(KelvoParams, ExciterSwitchesTouchOnlyWhatTheyOwn)
{
  auto plug = NewKelvo();
  plug->GetParam(kLSDrive)->Set(17.0);
  // Woow re-applies the drive as well
  SetParam(plug.get(), kLSWoow, 1);
  EXPECT_EQ(plug->Exciter(0).woowOn(), 1);
  EXPECT_EQ(plug->Exciter(1).woowOn(), 1);
  EXPECT_EQ(plug->Exciter(0).drive(), 17.0);
  EXPECT_EQ(plug->Exciter(1).drive(), 17.0);
  EXPECT_EQ(plug->ExciterOn(), 0);

  // on/off changes only the switch the chain reads, never the exciters' settings
  plug->GetParam(kLSDrive)->Set(2.0);
  SetParam(plug.get(), kLSOnOff, 1);
  EXPECT_EQ(plug->ExciterOn(), 1);
  EXPECT_EQ(plug->Exciter(0).drive(), 17.0);
  SetParam(plug.get(), kLSOnOff, 0);
  EXPECT_EQ(plug->ExciterOn(), 0);
}

TEST(KelvoParams, IndicesOutsideTheTableDoNothing)
{
  auto plug = NewKelvo();
  SetParam(plug.get(), kMidGain, 3.0);
  SetParam(plug.get(), kInputGain, 2.0);
  const ZurAR before = plug->EQ(0);
  const double in = plug->InGainTarget(), out = plug->OutGainTarget();
  for (int idx : { -1, static_cast<int>(kNumParams), 1000, -1000 }) {
    plug->OnParamChange(idx);
  }
  EXPECT_EQ(plug->InGainTarget(), in);
  EXPECT_EQ(plug->OutGainTarget(), out);
  EXPECT_EQ(plug->EQ(0).midGain(), before.midGain());
  EXPECT_EQ(plug->EQ(0).midB(), before.midB());
  EXPECT_EQ(plug->EQ(0).lowPassCoef(), before.lowPassCoef());
  EXPECT_EQ(plug->ExciterOn(), 0);
}
