#include "IParam.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Display(const IParam& p, double v, bool normalized = false)
{
  char out[64];
  p.GetDisplayForHost(v, normalized, out, sizeof(out));
  return out;
}

} // namespace

TEST(IParam, InitialisersSetKindRangeAndTexts)
{
  IParam d;
  d.InitDouble("Mid Gain", 13.0, -12.0, 12.0, 0.1, "dB");
  EXPECT_EQ(IParam::kTypeDouble, d.Type());
  EXPECT_EQ(13.0, d.Value());  // the default is not limited

  IParam narrow;
  narrow.InitDouble("narrow", 0.0, 5.0, 5.2, 0.5, "");
  EXPECT_EQ(5.5, narrow.GetMax());  // at least min + step

  IParam e;
  e.InitEnum("Hi Freq.", 2, 4);
  EXPECT_EQ(IParam::kTypeEnum, e.Type());
  EXPECT_EQ(0.0, e.GetMin());
  EXPECT_EQ(3.0, e.GetMax());
  // The kind is decided once; a later initialiser keeps it.
  e.InitDouble("again", 0.0, 0.0, 1.0, 0.01, "");
  EXPECT_EQ(IParam::kTypeEnum, e.Type());

  IParam b;
  b.InitBool("bypass", true, "ignored");
  EXPECT_EQ(IParam::kTypeBool, b.Type());
  ASSERT_EQ(2, b.GetNDisplayTexts());
  int v = -1;
  EXPECT_STREQ("off", b.GetDisplayTextAtIdx(0, &v));
  EXPECT_EQ(0, v);
  EXPECT_STREQ("on", b.GetDisplayTextAtIdx(1, &v));
  EXPECT_EQ(1, v);
  EXPECT_EQ(nullptr, b.GetDisplayTextAtIdx(2));
  EXPECT_EQ("on", Display(b, 1.0));
  EXPECT_STREQ("", b.GetLabelForHost());
}

TEST(IParam, PrecisionCountsDecimalPlacesOfTheStepUpToSix)
{
  struct { double step; int places; } cases[] = {
    { 1.0, 0 }, { 0.1, 1 }, { 0.01, 2 }, { 0.25, 2 }, { 0.5, 1 }, { 2.0, 0 },
    { 0.001, 3 }, { 1.0 / 3.0, 6 }, { 1e-9, 6 },
  };
  for (const auto& c : cases) {
    IParam p;
    p.InitDouble("p", 0.0, 0.0, 10.0, c.step, "");
    EXPECT_EQ(c.places, p.GetPrecision()) << "step " << c.step;
  }
}

TEST(IParam, LongTextsAreCutTo31Characters)
{
  IParam p;
  p.InitDouble(std::string(40, 'n').c_str(), 0.0, 0.0, 1.0, 0.1, std::string(50, 'l').c_str());
  p.SetDisplayText(1, std::string(33, 't').c_str());
  EXPECT_EQ(std::string(31, 'n'), p.GetNameForHost());
  p.Set(0.5);
  EXPECT_EQ(std::string(31, 'l'), p.GetLabelForHost());
  EXPECT_EQ(std::string(31, 't'), p.GetDisplayText(1));
}

TEST(IParam, InitialisingAgainWithItsOwnTextsKeepsThem)
{
  // Fault: a parameter initialised again with its own name and label lost both.
  IParam p;
  p.InitDouble("Mid Gain", 0.0, -12.0, 12.0, 0.1, "dB");
  p.InitDouble(p.GetNameForHost(), 0.0, -12.0, 12.0, 0.1, p.GetLabelForHost());
  EXPECT_STREQ("Mid Gain", p.GetNameForHost());
  EXPECT_STREQ("dB", p.GetLabelForHost());
  p.InitDouble(p.GetNameForHost() + 4, 0.0, -12.0, 12.0, 0.1, "");
  EXPECT_STREQ("Gain", p.GetNameForHost());
}

TEST(IParam, DisplayTextCopiedFromAnotherEntrySurvivesTheTablesGrowth)
{
  // Fault: a display text taken from the parameter's own table was read after the table moved.
  IParam p;
  p.InitEnum("Hi Freq.", 0, 400);
  p.SetDisplayText(0, "6 Khz");
  for (int i = 1; i < 400; ++i) {
    p.SetDisplayText(i, p.GetDisplayText(i - 1));
  }
  EXPECT_STREQ("6 Khz", p.GetDisplayText(399));
}

TEST(IParam, SetLimitsWithoutRoundingAndIntTruncates)
{
  IParam p;
  p.InitInt("n", 0, 0, 3, "");
  struct { double set, value; } rows[] = { { 3.7, 3.0 }, { -1.0, 0.0 }, { -0.5, 0.0 }, { 2.7, 2.7 } };
  for (const auto& r : rows) {
    p.Set(r.set);
    EXPECT_EQ(r.value, p.Value()) << r.set;
  }
  EXPECT_EQ(2, p.Int());
  EXPECT_EQ("2", Display(p, p.Value()));
}

TEST(IParam, NormalisedMappingFollowsShapeAndRoundsNonDoubleKindsToStep)
{
  // Non-double kinds round half up, counting steps from zero (not from min); doubles do not
  // round; all are limited to max.
  IParam n, stepped, d;
  n.InitInt("n", 0, 0, 3, "");
  stepped.InitInt("s", 0, 1, 4, "");
  d.InitDouble("d", 0.0, -12.0, 12.0, 0.1, "dB");
  struct { IParam* p; double normalized, value; } rows[] = {
    { &n, 0.5, 2.0 }, { &n, 0.49, 1.0 }, { &n, 1.2, 3.0 }, { &stepped, 1.0 / 6.0, 2.0 },
    { &d, 0.5, 0.0 }, { &d, 0.3, -12.0 + 0.3 * 24.0 },
  };
  for (const auto& r : rows) {
    r.p->SetNormalized(r.normalized);
    EXPECT_EQ(r.value, r.p->Value()) << r.p->GetNameForHost() << " " << r.normalized;
  }

  IParam f;
  f.InitDouble("Mid Freq", 832.0, 150.0, 4000.0, 1.0, "Hz");
  f.SetShape(0.0);
  EXPECT_EQ(1.0, f.GetShape());
  f.SetShape(2.4);
  double pos = f.GetNormalized(832.0);
  EXPECT_NEAR(0.48618, pos, 1e-5);
  EXPECT_EQ(pos, f.GetNormalized());
  f.SetNormalized(pos);
  EXPECT_NEAR(832.0, f.Value(), 1e-9);
  EXPECT_EQ(0.0, f.GetNormalized(-5.0));
  EXPECT_EQ(1.0, f.GetNormalized(1e9));
  EXPECT_EQ(2.0, ToNormalizedParam(8.0, 0.0, 4.0, 1.0));  // not limited
}

TEST(IParam, DisplayStringUsesTextsZeroIntegerOrPrecision)
{
  IParam lp, g, f;
  lp.InitDouble("Low Pass", 22.0, 2.0, 22.0, 0.1, "Khz");
  lp.SetDisplayText(22, "OFF");
  g.InitDouble("Hi Gain", 0.0, -12.0, 12.0, 0.01, "dB");
  f.InitDouble("Mid Freq", 832.0, 150.0, 4000.0, 1.0, "Hz");
  struct { const IParam* p; double value; bool normalized; const char* text; } rows[] = {
    { &lp, 22.0, false, "OFF" }, { &lp, 22.05, false, "OFF" },  // looked up by the truncated value
    { &lp, 21.9, false, "21.9" }, { &lp, 1.0, true, "OFF" }, { &lp, 0.5, true, "12.0" },
    { &g, 0.0, false, "0" }, { &g, -0.0, false, "0" }, { &g, -3.25, false, "-3.25" },
    { &g, 0.001, false, "0.00" },  // not exactly zero
    { &g, 0.5, true, "0" }, { &f, 832.9, false, "832" }, { &f, -5.7, false, "-5" },
  };
  for (const auto& r : rows) {
    EXPECT_EQ(r.text, Display(*r.p, r.value, r.normalized)) << r.p->GetNameForHost() << " " << r.value;
  }
  // The label gives way to a display text.
  EXPECT_STREQ("", lp.GetLabelForHost());
  lp.Set(21.9);
  EXPECT_STREQ("Khz", lp.GetLabelForHost());

  // A small buffer receives a cut, terminated string.
  char small[4];
  lp.GetDisplayForHost(12.5, false, small, sizeof(small));
  EXPECT_STREQ("12.", small);
}

TEST(IParam, DisplayTextLookupsReturnFirstMatch)
{
  IParam p;
  p.InitEnum("Low Freq.", 1, 4);
  p.SetDisplayText(1, "30 Hz");
  p.SetDisplayText(1, "duplicate");
  p.SetDisplayText(3, "OFF");
  EXPECT_STREQ("30 Hz", p.GetDisplayText(1));
  EXPECT_STREQ("", p.GetDisplayText(2));
  int v = 99;
  EXPECT_FALSE(p.MapDisplayText("off", &v));
  EXPECT_FALSE(p.MapDisplayText("OF", &v));
  EXPECT_EQ(99, v);
  EXPECT_TRUE(p.MapDisplayText("OFF", &v));
  EXPECT_EQ(3, v);
  EXPECT_TRUE(p.MapDisplayText("duplicate", &v));
  EXPECT_EQ(1, v);
}
