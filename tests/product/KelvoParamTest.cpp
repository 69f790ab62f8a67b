// The parameter table and what each parameter change does to the filter sections, the
// exciters and the gain targets.

#include "KelvoTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

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

// What one channel's filter section and exciter hold, in parameter order.
std::vector<double> ChannelSettings(const Kelvo& plug, int ch)
{
  const ZurAR& eq = plug.EQ(ch);
  return { double(eq.lowFreqIdx()), eq.lowBoost(),     eq.lowAtten(),    eq.midGain(),
           eq.midFreq(),            eq.hiGain(),       double(eq.hiFreqIdx()), eq.highPassFreq(),
           eq.lowPassFreq(),        plug.Exciter(ch).drive(), double(plug.Exciter(ch).woowOn()) };
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
  EXPECT_TRUE(plug->LegalIO(1, 1) && plug->LegalIO(2, 2));
  EXPECT_FALSE(plug->LegalIO(1, 2));
  EXPECT_FALSE(plug->IsInst());
  EXPECT_FALSE(plug->DoesStateChunks());
}

TEST(KelvoParams, DefaultsGiveAFlatChainAndEachChangeReachesBothChannelsWithItsDerivedValue)
{
  auto plug = NewKelvo();
  for (int ch = 0; ch < 2; ++ch) {
    EXPECT_EQ(ChannelSettings(*plug, ch), (std::vector<double>{ 1, 0, 0, 0, 832, 0, 2, 0, 22000, 4.5, 0 })) << ch;
  }
  EXPECT_EQ(plug->ExciterOn(), 0);
  EXPECT_EQ(plug->InGainTarget(), 1.0);
  EXPECT_EQ(plug->OutGainTarget(), 1.0);

  const std::pair<int, double> changes[] = { { kBoostLow, 5.0 }, { kAttenLow, 2.5 }, { kLowFreq, 3 },
                                             { kMidGain, -4.0 }, { kMidFreq, 2000.0 }, { kHiGain, 12.0 },
                                             { kHiFreq, 0 },     { kHighPass, 120.0 }, { kLSDrive, 13.0 } };
  for (auto c : changes) {
    SetParam(plug.get(), c.first, c.second);
  }
  const std::vector<double> expected = { 3, 1.6 * 5.0, -2.2 * 2.5, -4.0, 2000, 0.8333 * 12.0, 0, 120, 22000, 13.0, 0 };
  for (int ch = 0; ch < 2; ++ch) {
    EXPECT_EQ(ChannelSettings(*plug, ch), expected) << ch;
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
  for (int ch = 0; ch < 2; ++ch) {
    EXPECT_EQ(plug->Exciter(ch).woowOn(), 1);
    EXPECT_EQ(plug->Exciter(ch).drive(), 17.0);
  }
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
