#include "IParam.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace {

std::string Display(const IParam& p, double v, bool normalized = false)
{
  char out[64];
  p.GetDisplayForHost(v, normalized, out, sizeof(out));
  return out;
}

} // namespace

TEST(IParam, InitialisersSetKindRangeAndPrecision)
{
  IParam d;
  d.InitDouble("Mid Gain", 13.0, -12.0, 12.0, 0.1, "dB");
  EXPECT_EQ(IParam::kTypeDouble, d.Type());
  EXPECT_EQ(13.0, d.Value());  // the default is not limited

  IParam narrow;
  narrow.InitDouble("narrow", 0.0, 5.0, 5.2, 0.5, "");
  EXPECT_EQ(5.5, narrow.GetMax());  // at least min + step
  double lo, hi;
  narrow.GetBounds(&lo, &hi);
  EXPECT_EQ(5.0, lo);
  EXPECT_EQ(5.5, hi);

  IParam e;
  e.InitEnum("Hi Freq.", 2, 4);
  EXPECT_EQ(IParam::kTypeEnum, e.Type());
  EXPECT_EQ(0.0, e.GetMin());
  EXPECT_EQ(3.0, e.GetMax());
  EXPECT_EQ(1.0, e.GetStep());
  EXPECT_EQ(0, e.GetPrecision());
  EXPECT_STREQ("", e.GetLabelForHost());
  EXPECT_EQ(2, e.Int());

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

  // The kind is decided once; a later initialiser keeps it.
  e.InitDouble("again", 0.0, 0.0, 1.0, 0.01, "");
  EXPECT_EQ(IParam::kTypeEnum, e.Type());
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
  std::string longName(40, 'n');
  p.InitDouble(longName.c_str(), 0.0, 0.0, 1.0, 0.1, std::string(50, 'l').c_str());
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

TEST(IParam, SetLimitsWithoutRounding)
{
  IParam p;
  p.InitInt("n", 0, 0, 3, "");
  p.Set(3.7);
  EXPECT_EQ(3.0, p.Value());
  p.Set(2.7);
  EXPECT_EQ(2.7, p.Value());
  EXPECT_EQ("2", Display(p, p.Value()));  // truncation, no rounding
  EXPECT_EQ(2, p.Int());
  p.Set(-1.0);
  EXPECT_EQ(0.0, p.Value());
  p.Set(-0.5);
  EXPECT_EQ(0.0, p.Value());
}

TEST(IParam, NormalisedMappingFollowsShapeAndRoundsNonDoubleKindsToStep)
{
  IParam n;
  n.InitInt("n", 0, 0, 3, "");
  n.SetNormalized(0.5);
  EXPECT_EQ(2.0, n.Value());  // 1.5 rounded half up
  n.SetNormalized(0.49);
  EXPECT_EQ(1.0, n.Value());
  n.SetNormalized(1.2);
  EXPECT_EQ(3.0, n.Value());  // limited to max

  IParam d;
  d.InitDouble("d", 0.0, -12.0, 12.0, 0.1, "dB");
  d.SetNormalized(0.5);
  EXPECT_EQ(0.0, d.Value());
  d.SetNormalized(0.3);
  EXPECT_EQ(-12.0 + 0.3 * 24.0, d.Value());  // no step rounding for doubles

  // Rounding counts steps from zero, not from min.
  IParam stepped;
  stepped.InitInt("s", 0, 1, 4, "");
  stepped.SetNormalized(1.0 / 6.0);  // 1.5
  EXPECT_EQ(2.0, stepped.Value());

  IParam f;
  f.InitDouble("Mid Freq", 832.0, 150.0, 4000.0, 1.0, "Hz");
  f.SetShape(0.0);
  EXPECT_EQ(1.0, f.GetShape());
  f.SetShape(2.4);
  double pos = f.GetNormalized(832.0);
  EXPECT_NEAR(0.48618, pos, 1e-5);
  EXPECT_DOUBLE_EQ(std::pow((832.0 - 150.0) / 3850.0, 1.0 / 2.4), pos);
  EXPECT_EQ(pos, f.GetNormalized());
  f.SetNormalized(pos);
  EXPECT_NEAR(832.0, f.Value(), 1e-9);
  EXPECT_EQ(0.0, f.GetNormalized(-5.0));
  EXPECT_EQ(1.0, f.GetNormalized(1e9));

  EXPECT_EQ(0.25, ToNormalizedParam(1.0, 0.0, 4.0, 1.0));
  EXPECT_EQ(2.0, ToNormalizedParam(8.0, 0.0, 4.0, 1.0));  // not limited
  EXPECT_EQ(0.5, ToNormalizedParam(1.0, 0.0, 4.0, 2.0));
}

TEST(IParam, DisplayStringUsesTextsZeroIntegerOrPrecision)
{
  IParam lp;
  lp.InitDouble("Low Pass", 22.0, 2.0, 22.0, 0.1, "Khz");
  lp.SetDisplayText(22, "OFF");
  EXPECT_EQ("OFF", Display(lp, 22.0));
  EXPECT_EQ("OFF", Display(lp, 22.05));  // looked up by the truncated value
  EXPECT_STREQ("", lp.GetLabelForHost());
  lp.Set(21.9);
  EXPECT_STREQ("Khz", lp.GetLabelForHost());
  EXPECT_EQ("21.9", Display(lp, 21.9));
  EXPECT_EQ("OFF", Display(lp, 1.0, true));
  EXPECT_EQ("12.0", Display(lp, 0.5, true));

  IParam g;
  g.InitDouble("Hi Gain", 0.0, -12.0, 12.0, 0.01, "dB");
  EXPECT_EQ("0", Display(g, 0.0));
  EXPECT_EQ("0", Display(g, -0.0));
  EXPECT_EQ("-3.25", Display(g, -3.25));
  EXPECT_EQ("0.00", Display(g, 0.001));  // not exactly zero
  EXPECT_EQ("0", Display(g, 0.5, true));

  IParam f;
  f.InitDouble("Mid Freq", 832.0, 150.0, 4000.0, 1.0, "Hz");
  EXPECT_EQ("832", Display(f, 832.9));
  EXPECT_EQ("-5", Display(f, -5.7));

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
  EXPECT_EQ(99, v);
  EXPECT_FALSE(p.MapDisplayText("OF", &v));
  EXPECT_TRUE(p.MapDisplayText("OFF", &v));
  EXPECT_EQ(3, v);
  EXPECT_TRUE(p.MapDisplayText("duplicate", &v));
  EXPECT_EQ(1, v);
  EXPECT_EQ(3, p.GetNDisplayTexts());
}
