#include "raster.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

struct Px
{
  int r, g, b, a;
};

// dest combined with source (r, g, b, a) through Combine::doPix
template <class Combine>
Px Apply(Px d, Px s, int alpha)
{
  unsigned char bytes[4];
  bytes[RAS_BYTE_R] = static_cast<unsigned char>(d.r);
  bytes[RAS_BYTE_G] = static_cast<unsigned char>(d.g);
  bytes[RAS_BYTE_B] = static_cast<unsigned char>(d.b);
  bytes[RAS_BYTE_A] = static_cast<unsigned char>(d.a);
  Combine::doPix(bytes, s.r, s.g, s.b, s.a, alpha);
  return Px{bytes[RAS_BYTE_R], bytes[RAS_BYTE_G], bytes[RAS_BYTE_B], bytes[RAS_BYTE_A]};
}

RAS_pixel Word(Px p) { return RAS_RGBA(p.r, p.g, p.b, p.a); }

void ExpectPx(Px want, Px got)
{
  EXPECT_EQ(want.r, got.r);
  EXPECT_EQ(want.g, got.g);
  EXPECT_EQ(want.b, got.b);
  EXPECT_EQ(want.a, got.a);
}

}  // namespace

TEST(RasterCombine, CopyAtFullWeightYieldsSourceAndAtHalfTruncatesTowardSource)
{
  const Px d{21, 0, 255, 10};
  const Px s{10, 255, 0, 21};
  ExpectPx(s, Apply<_RAS_CombinePixelsCopyNoClamp>(d, s, 256));
  ExpectPx(s, Apply<_RAS_CombinePixelsCopyClamp>(d, s, 256));
  // halfway points 15.5, 127.5, 127.5, 15.5 truncated toward the source
  ExpectPx(Px{15, 128, 127, 16}, Apply<_RAS_CombinePixelsCopyNoClamp>(d, s, 128));
  ExpectPx(Px{15, 128, 127, 16}, Apply<_RAS_CombinePixelsCopyClamp>(d, s, 128));
  // weight 1: 255 + (0 - 255) * 255 / 256 = 1
  ExpectPx(Px{1, 1, 1, 1}, Apply<_RAS_CombinePixelsCopyNoClamp>(Px{0, 0, 0, 0}, Px{255, 255, 255, 255}, 1));

  EXPECT_EQ(Word(s), RAS_CombinePixels(Word(d), Word(s), 1.0f, 0));
  EXPECT_EQ(Word(Px{15, 128, 127, 16}), RAS_CombinePixels(Word(d), Word(s), 0.5f, 0));
  EXPECT_EQ(Word(d), RAS_CombinePixels(Word(d), Word(s), 0.0f, 0));
  EXPECT_EQ(Word(d), RAS_CombinePixels(Word(d), Word(s), 0.5f / 256, 0));  // weight 0
}

TEST(RasterCombine, ClobberAndHalfMixIgnoreTheWeight)
{
  ExpectPx(Px{1, 2, 3, 4}, Apply<_RAS_CombinePixelsClobberNoClamp>(Px{9, 9, 9, 9}, Px{1, 2, 3, 4}, 7));
  ExpectPx(Px{1, 2, 3, 4}, Apply<_RAS_CombinePixelsClobberClamp>(Px{9, 9, 9, 9}, Px{1, 2, 3, 4}, 7));
  ExpectPx(Px{5, 127, 0, 255}, Apply<_RAS_CombinePixelsHalfMixNoClamp>(Px{9, 0, 0, 255}, Px{2, 255, 1, 255}, 3));
  ExpectPx(Px{5, 127, 0, 255}, Apply<_RAS_CombinePixelsHalfMixClamp>(Px{9, 0, 0, 255}, Px{2, 255, 1, 255}, 3));
}

TEST(RasterCombine, SourceAlphaCopySkipsTransparentAndMakesOpaquePixelsOpaque)
{
  const RAS_pixel d = RAS_RGBA(200, 0, 50, 200);
  EXPECT_EQ(d, RAS_CombinePixels(d, RAS_RGBA(1, 2, 3, 0), 1.0f, 0x10000));
  EXPECT_EQ(d, RAS_CombinePixels(d, RAS_RGBA(1, 2, 3, 0), 0.5f, 0x10000));
  EXPECT_EQ(RAS_RGBA(1, 2, 3, 255), RAS_CombinePixels(d, RAS_RGBA(1, 2, 3, 255), 1.0f, 0x10000));

  // full weight, s.a = 127: w = 128; colour 100 + 100 * 128 / 256, alpha 128 + 72 * 128 / 256
  const RAS_pixel s = RAS_RGBA(100, 255, 50, 127);
  EXPECT_EQ(RAS_RGBA(150, 128, 50, 164), RAS_CombinePixels(d, s, 1.0f, 0x10000));
  // weight 255 takes the general class: w = 128 * 255 / 256 = 127 on every channel
  EXPECT_EQ(RAS_RGBA(150, 127, 50, 163), RAS_CombinePixels(d, s, 255.0f / 256, 0x10000));
  // an opaque source at half weight mixes as a plain copy at 128
  EXPECT_EQ(RAS_CombinePixels(d, RAS_RGBA(9, 8, 7, 255), 0.5f, 0),
            RAS_CombinePixels(d, RAS_RGBA(9, 8, 7, 255), 0.5f, 0x10000));

  ExpectPx(Px{1, 2, 3, 255},
           Apply<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp>(Px{9, 9, 9, 9}, Px{1, 2, 3, 255}, 0));
  ExpectPx(Px{9, 9, 9, 9},
           Apply<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp>(Px{9, 9, 9, 9}, Px{1, 2, 3, 0}, 256));
  ExpectPx(Px{9, 9, 9, 9}, Apply<_RAS_CombinePixelsCopySourceAlphaClamp>(Px{9, 9, 9, 9}, Px{1, 2, 3, 0}, 256));
}

TEST(RasterCombine, AddSaturatesAndItsSourceAlphaFormSkipsTransparentPixels)
{
  ExpectPx(Px{255, 255, 10, 255}, Apply<_RAS_CombinePixelsAdd>(Px{200, 155, 10, 255}, Px{100, 100, 0, 1}, 256));
  ExpectPx(Px{250, 204, 10, 30}, Apply<_RAS_CombinePixelsAdd>(Px{200, 200, 10, 30}, Px{100, 9, 1, 1}, 128));
  ExpectPx(Px{200, 200, 10, 30}, Apply<_RAS_CombinePixelsAddSourceAlpha>(Px{200, 200, 10, 30}, Px{100, 9, 1, 0}, 256));
  // s.a = 127 at full weight: w = 128
  ExpectPx(Px{250, 204, 10, 93},
           Apply<_RAS_CombinePixelsAddSourceAlpha>(Px{200, 200, 10, 30}, Px{100, 9, 1, 127}, 256));
}

TEST(RasterCombine, DodgeDividesByTheInvertedSource)
{
  // k = 128: 100 * 256 / 128; k = 1 saturates; black stays black
  ExpectPx(Px{200, 255, 0, 0}, Apply<_RAS_CombinePixelsColorDodge>(Px{100, 100, 0, 0}, Px{128, 255, 255, 0}, 256));
  // k = 256 - 255 * 128 / 256 = 129: 100 * 256 / 129
  ExpectPx(Px{198, 100, 0, 0}, Apply<_RAS_CombinePixelsColorDodge>(Px{100, 100, 0, 0}, Px{255, 0, 255, 0}, 128));
  // source alpha 127 at full weight: w = 128, as above; alpha 1 * 256 / 193
  ExpectPx(Px{198, 100, 0, 1},
           Apply<_RAS_CombinePixelsColorDodgeSourceAlpha>(Px{100, 100, 0, 1}, Px{255, 0, 255, 127}, 256));
}

TEST(RasterCombine, MultiplyByWhiteKeepsTwoHundredFiftyFiveOverTwoHundredFiftySix)
{
  ExpectPx(Px{199, 254, 0, 99}, Apply<_RAS_CombinePixelsMulNoClamp>(Px{200, 255, 0, 100}, Px{255, 255, 255, 255}, 256));
  ExpectPx(Px{199, 254, 0, 99}, Apply<_RAS_CombinePixelsMulClamp>(Px{200, 255, 0, 100}, Px{255, 255, 255, 255}, 256));
  // black at half weight halves
  ExpectPx(Px{100, 127, 0, 50}, Apply<_RAS_CombinePixelsMulNoClamp>(Px{201, 255, 0, 100}, Px{0, 0, 0, 0}, 128));
  ExpectPx(Px{201, 255, 0, 100},
           Apply<_RAS_CombinePixelsMulSourceAlphaNoClamp>(Px{201, 255, 0, 100}, Px{0, 0, 0, 0}, 256));
  ExpectPx(Px{201, 255, 0, 100},
           Apply<_RAS_CombinePixelsMulSourceAlphaClamp>(Px{201, 255, 0, 100}, Px{0, 0, 0, 0}, 256));
}

TEST(RasterCombine, OverlayDarkensBelowMidGreyAndBrightensAbove)
{
  // t = 32768 leaves every value
  ExpectPx(Px{77, 0, 255, 128}, Apply<_RAS_CombinePixelsOverlay>(Px{77, 0, 255, 128}, Px{128, 128, 128, 128}, 256));
  // s = 255: t = 65280, 128 * ((32768 - 65280) * 128 / 256 + 65280) / 32768 = 191
  // s = 0: t = 0, 128 * (32768 * 128 / 256) / 32768 = 64
  ExpectPx(Px{191, 64, 255, 0}, Apply<_RAS_CombinePixelsOverlay>(Px{128, 128, 255, 0}, Px{255, 0, 255, 255}, 256));
  // source alpha 0 is not skipped: w = 0 at weight 255 gives t = 32768
  ExpectPx(Px{128, 128, 255, 0},
           Apply<_RAS_CombinePixelsOverlaySourceAlpha>(Px{128, 128, 255, 0}, Px{255, 0, 255, 0}, 255));
}

TEST(RasterCombine, HsvConversionFollowsTheSixtyFourStepSectors)
{
  EXPECT_EQ(0, _RAS_RGB2HSV_invtab[0]);
  EXPECT_EQ(65535, _RAS_RGB2HSV_invtab[1]);
  EXPECT_EQ(654, _RAS_RGB2HSV_invtab[100]);
  EXPECT_EQ(256, _RAS_RGB2HSV_invtab[255]);

  struct Case
  {
    int r, g, b, h, s, v;
  };
  const Case cases[] = {
      {255, 0, 0, 0, 255, 255},  {0, 255, 0, 128, 255, 255}, {0, 0, 255, 256, 255, 255},
      {255, 0, 128, 351, 255, 255},  // base 383 + 257 * -128 / 1024
      {100, 50, 50, 0, 127, 100},    // s = 654 * 50 / 256
      {0, 0, 0, 0, 0, 0},        {90, 90, 90, 0, 0, 90},
  };
  for (const Case& c : cases) {
    int h, s, v;
    _RAS_RGB2HSV(c.r, c.g, c.b, &h, &s, &v);
    EXPECT_EQ(c.h, h) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(c.s, s) << c.r << "," << c.g << "," << c.b;
    EXPECT_EQ(c.v, v) << c.r << "," << c.g << "," << c.b;
  }
}

TEST(RasterCombine, HsvAdjustShiftsHueSaturationAndValueAndTakesTheSourceAlpha)
{
  const Px red{255, 0, 0, 9};
  // neutral source: (128 + 64 - 192), (128 - 128), (128 - 128)
  ExpectPx(Px{255, 0, 0, 77}, Apply<_RAS_CombinePixelsHSVAdjust>(red, Px{128, 128, 128, 77}, 256));
  // hue + 129 (214 + 107 - 192): sector 2 with f = 1, blue 255 * 255 / 16320
  ExpectPx(Px{0, 255, 3, 77}, Apply<_RAS_CombinePixelsHSVAdjust>(red, Px{214, 128, 128, 77}, 256));
  // saturation - 256 gives grey, value - 256 gives black
  ExpectPx(Px{255, 255, 255, 5}, Apply<_RAS_CombinePixelsHSVAdjust>(red, Px{128, 0, 128, 5}, 256));
  ExpectPx(Px{0, 0, 0, 5}, Apply<_RAS_CombinePixelsHSVAdjust>(red, Px{128, 128, 0, 5}, 256));
  // the source-alpha form does not skip a transparent source: the alpha becomes 0
  ExpectPx(Px{255, 0, 0, 0}, Apply<_RAS_CombinePixelsHSVAdjustSourceAlpha>(red, Px{128, 128, 128, 0}, 256));
  EXPECT_EQ(RAS_RGBA(0, 255, 3, 77), RAS_CombinePixels(RAS_RGBA(255, 0, 0, 9), RAS_RGBA(214, 128, 128, 77), 1.0f, 5));
}

TEST(RasterCombine, HsvAdjustLimitsAWeightPassedAsSourceAlphaTo255)
{
  // fault: fills pass their weight 256 as the source alpha, which wrapped the alpha to 0
  ExpectPx(Px{255, 0, 0, 255}, Apply<_RAS_CombinePixelsHSVAdjust>(Px{255, 0, 0, 9}, Px{128, 128, 128, 256}, 256));
}

TEST(RasterCombine, WholeWordMixesHalveEachByteBeforeAdding)
{
  EXPECT_EQ(0x7F7F7F7Fu, _RAS_HalfMixWord(0xFF01FF01u, 0x01FF01FFu));
  EXPECT_EQ(0xBEBEBEBEu, _RAS_QuarterMixWord(0xFFFFFFFFu, 0));
  EXPECT_EQ(0x3F3F3F3Fu, _RAS_QuarterMixWord(0, 0xFFFFFFFFu));
  EXPECT_EQ(0x3F3F3F3Fu, _RAS_ThreeQuarterMixWord(0xFFFFFFFFu, 0));
  EXPECT_EQ(0xBEBEBEBEu, _RAS_ThreeQuarterMixWord(0, 0xFFFFFFFFu));
  RAS_pixel p = 0x10203040u;
  _RAS_CombinePixelsHalfMixFAST::doPixFAST(&p, 0x30405060u);
  EXPECT_EQ(0x20304050u, p);
  _RAS_CombinePixelsClobberFAST::doPixFAST(&p, 0x01020304u);
  EXPECT_EQ(0x01020304u, p);
}

TEST(RasterCombine, ModeTableSelectsOneClassPerMaskedModeAndNothingElse)
{
  const Px d{200, 100, 30, 90};
  const Px s{100, 200, 60, 127};
  const float alpha = 0.75f;  // weight 192
  struct Row
  {
    int mode;
    Px want;
  };
  const Row rows[] = {
      {0, Apply<_RAS_CombinePixelsCopyNoClamp>(d, s, 192)},
      {1, Apply<_RAS_CombinePixelsAdd>(d, s, 192)},
      {2, Apply<_RAS_CombinePixelsColorDodge>(d, s, 192)},
      {3, Apply<_RAS_CombinePixelsMulNoClamp>(d, s, 192)},
      {4, Apply<_RAS_CombinePixelsOverlay>(d, s, 192)},
      {5, Apply<_RAS_CombinePixelsHSVAdjust>(d, s, 192)},
      {0x10000, Apply<_RAS_CombinePixelsCopySourceAlphaNoClamp>(d, s, 192)},
      {0x10001, Apply<_RAS_CombinePixelsAddSourceAlpha>(d, s, 192)},
      {0x10002, Apply<_RAS_CombinePixelsColorDodgeSourceAlpha>(d, s, 192)},
      {0x10003, Apply<_RAS_CombinePixelsMulSourceAlphaNoClamp>(d, s, 192)},
      {0x10004, Apply<_RAS_CombinePixelsOverlaySourceAlpha>(d, s, 192)},
      {0x10005, Apply<_RAS_CombinePixelsHSVAdjustSourceAlpha>(d, s, 192)},
  };
  for (const Row& row : rows) {
    EXPECT_EQ(Word(row.want), RAS_CombinePixels(Word(d), Word(s), alpha, row.mode)) << row.mode;
    // the filter field does not change the class
    EXPECT_EQ(Word(row.want), RAS_CombinePixels(Word(d), Word(s), alpha, row.mode | 0x100)) << row.mode;
  }
  for (int mode : {6, 0xF5, 0x10006, 0x10010, 0x100FF})
    EXPECT_EQ(Word(d), RAS_CombinePixels(Word(d), Word(s), alpha, mode)) << mode;
}

TEST(RasterCombine, WeightsOutsideZeroToOneAreLimited)
{
  // fault: alpha 2.0 gave weight 512 and the copy wrapped its bytes
  EXPECT_EQ(256, _RAS_WeightFromAlpha(2.0f));
  EXPECT_EQ(0, _RAS_WeightFromAlpha(-0.5f));
  EXPECT_EQ(0, _RAS_WeightFromAlpha(std::nanf("")));
  EXPECT_EQ(255, _RAS_WeightFromAlpha(0.999f));
  EXPECT_EQ(RAS_RGBA(255, 0, 255, 255), RAS_CombinePixels(0, RAS_RGBA(255, 0, 255, 255), 2.0f, 0));
  EXPECT_EQ(RAS_RGBA(10, 10, 10, 10), RAS_CombinePixels(RAS_RGBA(10, 10, 10, 10), RAS_RGBA(9, 9, 9, 9), -1.0f, 1));
}
