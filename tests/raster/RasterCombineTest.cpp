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

using ApplyFn = Px (*)(Px, Px, int);

}  // namespace

TEST(RasterCombine, EachClassMixesTheBytesByItsFormula)
{
  const Px red{255, 0, 0, 9}, d{21, 0, 255, 10}, s{10, 255, 0, 21};
  const struct
  {
    ApplyFn apply, clamped;  // the clamping twin, where there is one, must agree
    Px d, s;
    int weight;
    Px want;
  } rows[] = {
      {Apply<_RAS_CombinePixelsCopyNoClamp>, Apply<_RAS_CombinePixelsCopyClamp>, d, s, 256, s},
      // halfway points 15.5, 127.5, 127.5, 15.5 truncated toward the source
      {Apply<_RAS_CombinePixelsCopyNoClamp>, Apply<_RAS_CombinePixelsCopyClamp>, d, s, 128, {15, 128, 127, 16}},
      // 255 + (0 - 255) * 255 / 256 = 1
      {Apply<_RAS_CombinePixelsCopyNoClamp>, nullptr, {0, 0, 0, 0}, {255, 255, 255, 255}, 1, {1, 1, 1, 1}},
      {Apply<_RAS_CombinePixelsClobberNoClamp>, Apply<_RAS_CombinePixelsClobberClamp>, {9, 9, 9, 9}, {1, 2, 3, 4}, 7,
       {1, 2, 3, 4}},
      {Apply<_RAS_CombinePixelsHalfMixNoClamp>, Apply<_RAS_CombinePixelsHalfMixClamp>, {9, 0, 0, 255},
       {2, 255, 1, 255}, 3, {5, 127, 0, 255}},
      {Apply<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp>, nullptr, {9, 9, 9, 9}, {1, 2, 3, 255}, 0,
       {1, 2, 3, 255}},
      {Apply<_RAS_CombinePixelsCopySourceAlphaIgnoreAlphaParmClamp>, Apply<_RAS_CombinePixelsCopySourceAlphaClamp>,
       {9, 9, 9, 9}, {1, 2, 3, 0}, 256, {9, 9, 9, 9}},
      {Apply<_RAS_CombinePixelsAdd>, nullptr, {200, 155, 10, 255}, {100, 100, 0, 1}, 256, {255, 255, 10, 255}},
      {Apply<_RAS_CombinePixelsAdd>, nullptr, {200, 200, 10, 30}, {100, 9, 1, 1}, 128, {250, 204, 10, 30}},
      {Apply<_RAS_CombinePixelsAddSourceAlpha>, nullptr, {200, 200, 10, 30}, {100, 9, 1, 0}, 256, {200, 200, 10, 30}},
      // s.a = 127 at full weight: w = 128
      {Apply<_RAS_CombinePixelsAddSourceAlpha>, nullptr, {200, 200, 10, 30}, {100, 9, 1, 127}, 256, {250, 204, 10, 93}},
      // k = 128: 100 * 256 / 128; k = 1 saturates; black stays black
      {Apply<_RAS_CombinePixelsColorDodge>, nullptr, {100, 100, 0, 0}, {128, 255, 255, 0}, 256, {200, 255, 0, 0}},
      // k = 256 - 255 * 128 / 256 = 129: 100 * 256 / 129
      {Apply<_RAS_CombinePixelsColorDodge>, nullptr, {100, 100, 0, 0}, {255, 0, 255, 0}, 128, {198, 100, 0, 0}},
      // w = 128 as above; alpha 1 * 256 / 193
      {Apply<_RAS_CombinePixelsColorDodgeSourceAlpha>, nullptr, {100, 100, 0, 1}, {255, 0, 255, 127}, 256,
       {198, 100, 0, 1}},
      // multiply by white keeps 255 / 256
      {Apply<_RAS_CombinePixelsMulNoClamp>, Apply<_RAS_CombinePixelsMulClamp>, {200, 255, 0, 100},
       {255, 255, 255, 255}, 256, {199, 254, 0, 99}},
      {Apply<_RAS_CombinePixelsMulNoClamp>, nullptr, {201, 255, 0, 100}, {0, 0, 0, 0}, 128, {100, 127, 0, 50}},
      {Apply<_RAS_CombinePixelsMulSourceAlphaNoClamp>, Apply<_RAS_CombinePixelsMulSourceAlphaClamp>,
       {201, 255, 0, 100}, {0, 0, 0, 0}, 256, {201, 255, 0, 100}},
      // t = 32768 leaves every value
      {Apply<_RAS_CombinePixelsOverlay>, nullptr, {77, 0, 255, 128}, {128, 128, 128, 128}, 256, {77, 0, 255, 128}},
      // s = 255: t = 65280, 128 * ((32768 - 65280) * 128 / 256 + 65280) / 32768 = 191; s = 0: 64
      {Apply<_RAS_CombinePixelsOverlay>, nullptr, {128, 128, 255, 0}, {255, 0, 255, 255}, 256, {191, 64, 255, 0}},
      // source alpha 0 is not skipped: w = 0 at weight 255 gives t = 32768
      {Apply<_RAS_CombinePixelsOverlaySourceAlpha>, nullptr, {128, 128, 255, 0}, {255, 0, 255, 0}, 255,
       {128, 128, 255, 0}},
      // neutral source: (128 + 64 - 192), (128 - 128), (128 - 128)
      {Apply<_RAS_CombinePixelsHSVAdjust>, nullptr, red, {128, 128, 128, 77}, 256, {255, 0, 0, 77}},
      // hue + 129 (214 + 107 - 192): sector 2 with f = 1, blue 255 * 255 / 16320
      {Apply<_RAS_CombinePixelsHSVAdjust>, nullptr, red, {214, 128, 128, 77}, 256, {0, 255, 3, 77}},
      // saturation - 256 gives grey, value - 256 gives black
      {Apply<_RAS_CombinePixelsHSVAdjust>, nullptr, red, {128, 0, 128, 5}, 256, {255, 255, 255, 5}},
      {Apply<_RAS_CombinePixelsHSVAdjust>, nullptr, red, {128, 128, 0, 5}, 256, {0, 0, 0, 5}},
      // a transparent source is not skipped: the alpha becomes 0
      {Apply<_RAS_CombinePixelsHSVAdjustSourceAlpha>, nullptr, red, {128, 128, 128, 0}, 256, {255, 0, 0, 0}},
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Word(rows[i].want), Word(rows[i].apply(rows[i].d, rows[i].s, rows[i].weight)));
    if (rows[i].clamped) {
      EXPECT_EQ(Word(rows[i].want), Word(rows[i].clamped(rows[i].d, rows[i].s, rows[i].weight)));
    }
  }
}

TEST(RasterCombine, HsvAdjustLimitsAWeightPassedAsSourceAlphaTo255)
{
  // fault: fills pass their weight 256 as the source alpha, which wrapped the alpha to 0
  EXPECT_EQ(RAS_RGBA(255, 0, 0, 255),
            Word(Apply<_RAS_CombinePixelsHSVAdjust>(Px{255, 0, 0, 9}, Px{128, 128, 128, 256}, 256)));
}

TEST(RasterCombine, CombinePixelsWeighsByAlphaAndSourceAlpha)
{
  const RAS_pixel d = RAS_RGBA(21, 0, 255, 10), s = RAS_RGBA(10, 255, 0, 21);
  const RAS_pixel da = RAS_RGBA(200, 0, 50, 200), sa = RAS_RGBA(100, 255, 50, 127);
  const RAS_pixel clear = RAS_RGBA(1, 2, 3, 0), opaque = RAS_RGBA(1, 2, 3, 255);
  const struct
  {
    RAS_pixel d, s;
    float alpha;
    int mode;
    RAS_pixel want;
  } rows[] = {
      {d, s, 1.0f, 0, s},
      {d, s, 0.5f, 0, RAS_RGBA(15, 128, 127, 16)},
      {d, s, 0.0f, 0, d},
      {d, s, 0.5f / 256, 0, d},  // weight 0
      {da, clear, 1.0f, 0x10000, da},
      {da, clear, 0.5f, 0x10000, da},
      {da, opaque, 1.0f, 0x10000, opaque},
      // full weight, s.a = 127: w = 128; colour 100 + 100 * 128 / 256, alpha 128 + 72 * 128 / 256
      {da, sa, 1.0f, 0x10000, RAS_RGBA(150, 128, 50, 164)},
      // weight 255 takes the general class: w = 128 * 255 / 256 = 127 on every channel
      {da, sa, 255.0f / 256, 0x10000, RAS_RGBA(150, 127, 50, 163)},
      // an opaque source at half weight mixes as a plain copy at 128
      {da, opaque, 0.5f, 0x10000, RAS_CombinePixels(da, opaque, 0.5f, 0)},
      {RAS_RGBA(255, 0, 0, 9), RAS_RGBA(214, 128, 128, 77), 1.0f, 5, RAS_RGBA(0, 255, 3, 77)},
  };
  for (size_t i = 0; i < sizeof(rows) / sizeof(rows[0]); ++i)
    EXPECT_EQ(rows[i].want, RAS_CombinePixels(rows[i].d, rows[i].s, rows[i].alpha, rows[i].mode)) << "row " << i;
}

TEST(RasterCombine, HsvConversionFollowsTheSixtyFourStepSectors)
{
  EXPECT_EQ(0, _RAS_RGB2HSV_invtab[0]);
  EXPECT_EQ(65535, _RAS_RGB2HSV_invtab[1]);
  EXPECT_EQ(654, _RAS_RGB2HSV_invtab[100]);
  EXPECT_EQ(256, _RAS_RGB2HSV_invtab[255]);
  const int cases[][6] = {
      {255, 0, 0, 0, 255, 255},  {0, 255, 0, 128, 255, 255}, {0, 0, 255, 256, 255, 255},
      {255, 0, 128, 351, 255, 255},  // base 383 + 257 * -128 / 1024
      {100, 50, 50, 0, 127, 100},    // s = 654 * 50 / 256
      {0, 0, 0, 0, 0, 0},        {90, 90, 90, 0, 0, 90},
  };
  for (const auto& c : cases) {
    int hsv[3];
    _RAS_RGB2HSV(c[0], c[1], c[2], &hsv[0], &hsv[1], &hsv[2]);
    EXPECT_EQ((std::vector<int>{c[3], c[4], c[5]}), (std::vector<int>{hsv[0], hsv[1], hsv[2]}))
        << c[0] << "," << c[1] << "," << c[2];
  }
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
  const struct
  {
    int mode;
    ApplyFn apply;
  } rows[] = {
      {0, Apply<_RAS_CombinePixelsCopyNoClamp>},
      {1, Apply<_RAS_CombinePixelsAdd>},
      {2, Apply<_RAS_CombinePixelsColorDodge>},
      {3, Apply<_RAS_CombinePixelsMulNoClamp>},
      {4, Apply<_RAS_CombinePixelsOverlay>},
      {5, Apply<_RAS_CombinePixelsHSVAdjust>},
      {0x10000, Apply<_RAS_CombinePixelsCopySourceAlphaNoClamp>},
      {0x10001, Apply<_RAS_CombinePixelsAddSourceAlpha>},
      {0x10002, Apply<_RAS_CombinePixelsColorDodgeSourceAlpha>},
      {0x10003, Apply<_RAS_CombinePixelsMulSourceAlphaNoClamp>},
      {0x10004, Apply<_RAS_CombinePixelsOverlaySourceAlpha>},
      {0x10005, Apply<_RAS_CombinePixelsHSVAdjustSourceAlpha>},
  };
  for (const auto& row : rows) {
    const RAS_pixel want = Word(row.apply(d, s, 192));
    EXPECT_EQ(want, RAS_CombinePixels(Word(d), Word(s), alpha, row.mode)) << row.mode;
    // the filter field does not change the class
    EXPECT_EQ(want, RAS_CombinePixels(Word(d), Word(s), alpha, row.mode | 0x100)) << row.mode;
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
