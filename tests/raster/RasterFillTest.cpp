#include "RasterTestBitmaps.h"

#include <gtest/gtest.h>

namespace {

constexpr RAS_pixel kSentinel = 0xA5A5A5A5u;

RAS_pixel FillOne(RAS_pixel before, RAS_pixel color, float alpha, int mode)
{
  TestBitmap bm(1, 1);
  bm.at(0, 0) = before;
  RAS_FillRect(&bm, 0, 0, 1, 1, color, alpha, mode);
  return bm.at(0, 0);
}

}  // namespace

TEST(RAS_FillRect, CommonCopyWeightsUseWholeWords)
{
  for (int mode : {0, 0x100}) {
    EXPECT_EQ(0x12345678u, FillOne(0xFFFFFFFFu, 0x12345678u, 1.0f, mode));
    EXPECT_EQ(0x7F7F7F7Fu, FillOne(0xFFFFFFFFu, 0, 0.5f, mode));
    EXPECT_EQ(0xBEBEBEBEu, FillOne(0xFFFFFFFFu, 0, 0.25f, mode));  // a quarter colour
    EXPECT_EQ(0x3F3F3F3Fu, FillOne(0xFFFFFFFFu, 0, 0.75f, mode));  // three quarters colour
    EXPECT_EQ(0x12345678u, FillOne(0xFFFFFFFFu, 0x12345678u, 3.0f, mode));
  }
}

TEST(RAS_FillRect, OtherWeightsCombineWithTheWeightAsSourceAlpha)
{
  // weight 76: colour 100 + 100 * 180 / 256; alpha 76 + 124 * 180 / 256
  EXPECT_EQ(RAS_RGBA(170, 170, 170, 163), FillOne(Grey(200, 200), Grey(100, 7), 0.3f, 0));
  // add at 128: 200 + 100 / 2, 200 + 9 / 2, alpha 100 + 128 * 128 / 256
  EXPECT_EQ(RAS_RGBA(250, 204, 200, 164), FillOne(Grey(200, 100), RAS_RGBA(100, 9, 0, 3), 0.5f, 1));
  // multiply by white at full weight: colour * 255 / 256, alpha * 65536 / 65536
  EXPECT_EQ(RAS_RGBA(199, 199, 199, 100), FillOne(Grey(200, 100), Grey(255, 0), 1.0f, 3));
  // dodge by black leaves the colour; its alpha is dodged by the weight: k = 256 - 128 / 2
  EXPECT_EQ(RAS_RGBA(200, 200, 200, 133), FillOne(Grey(200, 100), Grey(0, 0), 0.5f, 2));
  // overlay by mid grey leaves the colour
  EXPECT_EQ(200, RAS_GETR(FillOne(Grey(200, 100), Grey(128, 0), 1.0f, 4)));
  // HSV adjust with a neutral colour: the alpha becomes the weight, at most 255
  EXPECT_EQ(RAS_RGBA(255, 0, 0, 255), FillOne(RAS_RGBA(255, 0, 0, 9), Grey(128, 0), 1.0f, 5));
  EXPECT_EQ(RAS_RGBA(255, 0, 0, 128), FillOne(RAS_RGBA(255, 0, 0, 9), Grey(128, 0), 0.5f, 5));
}

TEST(RAS_FillRect, SourceAlphaBitScalesTheWeightByTheColoursAlpha)
{
  EXPECT_EQ(0xFFFFFFFFu, FillOne(0xFFFFFFFFu, RAS_RGBA(0, 0, 0, 0), 1.0f, 0x10000));
  EXPECT_EQ(0xFFFFFFFFu, FillOne(0xFFFFFFFFu, RAS_RGBA(0, 0, 0, 0), 1.0f, 0x10001));
  // alpha 128: weight 128, the half mix (alpha byte 0x7F + 0x40)
  EXPECT_EQ(0x7F7F7FBFu, FillOne(0xFFFFFFFFu, RAS_RGBA(0, 0, 0, 128), 1.0f, 0x10000));
  // alpha 64: weight 64, the quarter mix (alpha byte 0x7F + 0x3F + 0x10)
  EXPECT_EQ(0xBEBEBECEu, FillOne(0xFFFFFFFFu, RAS_RGBA(0, 0, 0, 64), 1.0f, 0x10000));
  EXPECT_EQ(RAS_RGBA(1, 2, 3, 255), FillOne(0xFFFFFFFFu, RAS_RGBA(1, 2, 3, 255), 1.0f, 0x10000));
  // without the bit the colour's alpha does not matter
  EXPECT_EQ(RAS_RGBA(1, 2, 3, 0), FillOne(0xFFFFFFFFu, RAS_RGBA(1, 2, 3, 0), 1.0f, 0));
}

TEST(RAS_FillRect, ClipsAtEveryEdge)
{
  for (int x = -6; x <= 5; ++x)
    for (int y = -5; y <= 4; ++y)
      for (int w = -1; w <= 7; ++w)
        for (int h : {-1, 0, 1, 2, 6}) {
          TestBitmap bm(4, 3, (x + y) & 1, 2);
          bm.fill(kSentinel);
          RAS_FillRect(&bm, x, y, w, h, 0x01020304u, 1.0f, 0);
          RAS_FillRect(&bm, x, y, w, h, 0x01010101u, 0.3f, 1);
          const RAS_pixel painted = FillOne(0x01020304u, 0x01010101u, 0.3f, 1);
          for (int py = 0; py < 3; ++py)
            for (int px = 0; px < 6; ++px) {
              const bool inside = px < 4 && px >= x && px < x + w && py >= y && py < y + h;
              ASSERT_EQ(inside ? painted : kSentinel, bm.at(px, py))
                  << x << "," << y << " " << w << "x" << h << " at " << px << "," << py;
            }
        }
}

TEST(RAS_FillRect, NullEmptyTransparentAndUnknownFillsDrawNothing)
{
  TestBitmap bm(2, 2), empty(0, 0);
  bm.fill(kSentinel);
  RAS_FillRect(nullptr, 0, 0, 2, 2, 0, 1.0f, 0);
  RAS_FillRect(&empty, 0, 0, 2, 2, 0, 1.0f, 0);
  RAS_FillRect(&bm, 0, 0, 2, 2, 0, 0.0f, 0);
  RAS_FillRect(&bm, 0, 0, 2, 2, 0, 1.0f / 512, 0);
  RAS_FillRect(&bm, 0, 0, 2, 2, 0, -1.0f, 1);
  RAS_FillRect(&bm, 0, 0, 2, 2, 0, 1.0f, 6);
  RAS_FillRect(&bm, 0, 0, 2, 2, 0, 1.0f, 0xF5);
  RAS_FillRect(&bm, -0x7FFFFFFF, -0x7FFFFFFF, 0x7FFFFFFF, 0x7FFFFFFF, 0, 1.0f, 0);
  RAS_FillRect(&bm, 0x7FFFFFFF, 0, 0x7FFFFFFF, 2, 0, 1.0f, 0);
  EXPECT_EQ(std::vector<RAS_pixel>(4, kSentinel), bm.words());
}

TEST(RAS_Clear, SetsEveryPixelButNotTheRowPadding)
{
  TestBitmap bm(3, 2, false, 2);
  bm.fill(kSentinel);
  RAS_Clear(&bm, 0x11223344u);
  const RAS_pixel c = 0x11223344u;
  EXPECT_EQ((std::vector<RAS_pixel>{c, c, c, kSentinel, kSentinel, c, c, c, kSentinel, kSentinel}), bm.words());
  RAS_Clear(nullptr, 0);
  TestBitmap empty(0, 0);
  RAS_Clear(&empty, 0);
}

TEST(RAS_ClearRect, MasksAndSetsBitsOfTheClippedRectangle)
{
  TestBitmap bm(3, 2, true);
  bm.fill(0x11223344u);
  RAS_ClearRect(&bm, -1, 1, 3, 5, 0xFFFFFF00u, 0);  // clears the alpha byte of (0..1, 1)
  EXPECT_EQ(0x11223300u, bm.at(0, 1));
  EXPECT_EQ(0x11223300u, bm.at(1, 1));
  EXPECT_EQ(0x11223344u, bm.at(2, 1));
  EXPECT_EQ(0x11223344u, bm.at(0, 0));
  RAS_ClearRect(&bm, 2, 0, 1, 1, 0x00FFFFFFu, 0xAA000000u);
  EXPECT_EQ(0xAA223344u, bm.at(2, 0));
  RAS_ClearRect(&bm, 3, 0, 5, 5, 0, 0);
  RAS_ClearRect(&bm, 0, 0, 0, 5, 0, 0);
  RAS_ClearRect(nullptr, 0, 0, 1, 1, 0, 0);
  EXPECT_EQ(0x11223344u, bm.at(1, 0));
}

TEST(RAS_FillRect, LargeFillsMatchPixelByPixelFills)
{
  std::mt19937 rng(17);
  for (int mode = 0; mode <= 5; ++mode)
    for (float alpha : {0.3f, 0.5f, 0.9f, 1.0f}) {
      TestBitmap big(64, 33), small(64, 33);
      big.fillRandom(rng);
      small.copyFrom(big);
      const RAS_pixel color = rng();
      RAS_FillRect(&big, 0, 0, 64, 33, color, alpha, mode);
      for (int y = 0; y < 33; ++y)
        for (int x = 0; x < 64; ++x) RAS_FillRect(&small, x, y, 1, 1, color, alpha, mode);
      ASSERT_EQ(small.words(), big.words()) << "mode " << mode << " alpha " << alpha;
    }
}
