#include "RasterTestBitmap.h"
#include "raster_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <random>

namespace {

const RAS_pixel kWhite = RAS_RGBA(255, 255, 255, 255);
const RAS_pixel kRed = RAS_RGBA(200, 10, 20, 255);

}  // namespace

TEST(RAS_Line, HorizontalLineSetsExactlyItsPixelsInEitherDirection)
{
  for (bool reversed : {false, true}) {
    TestBitmap bm(12, 3);
    if (reversed)
      RAS_Line(&bm, 9, 1, 0, 1, kRed, 1.0f, 0, false);
    else
      RAS_Line(&bm, 0, 1, 9, 1, kRed, 1.0f, 0, false);
    for (int x = 0; x < 10; ++x) EXPECT_EQ(kRed, bm.at(x, 1)) << x;
    EXPECT_EQ(10, bm.countNot(0));
  }
}

TEST(RAS_Line, StraightRunsUseWholeWordMixesForCopyAtCommonWeights)
{
  const RAS_pixel d = 0x10203040, c = 0x50607080;
  struct Case
  {
    float alpha;
    RAS_pixel expected;
  } cases[] = {
    {1.0f, c},
    {0.5f, 0x08101820 + 0x28303840},                // both halved, then added
    {0.25f, 0x08101820 + 0x04080c10 + 0x14181c20},  // d/2 + d/4 + c/4
    {0.75f, 0x28303840 + 0x14181c20 + 0x04080c10},  // c/2 + c/4 + d/4
  };
  for (const Case& k : cases) {
    TestBitmap bm(3, 4, d);
    RAS_Line(&bm, 1, 3, 1, 0, c, k.alpha, 0, true);  // vertical, antialiasing ignored
    for (int y = 0; y < 4; ++y) EXPECT_EQ(k.expected, bm.at(1, y)) << k.alpha << " row " << y;
    EXPECT_EQ(d, bm.at(0, 2));
    EXPECT_EQ(d, bm.at(2, 2));
  }
}

TEST(RAS_Line, OtherWeightsAndModesCombineThroughTheClass)
{
  // copy at 96/256: d + (s - d) * 96 / 256, truncated toward the source
  TestBitmap copy(4, 1, RAS_RGBA(0, 100, 200, 0));
  RAS_Line(&copy, 0, 0, 3, 0, RAS_RGBA(255, 0, 100, 255), 0.375f, 0, false);
  EXPECT_EQ(RAS_RGBA(96, 62, 162, 96), copy.at(2, 0));

  // add at half weight, the source-alpha and filter bits of the mode ignored
  TestBitmap add(1, 3, RAS_RGBA(10, 250, 0, 0));
  RAS_Line(&add, 0, 0, 0, 2, RAS_RGBA(100, 100, 3, 255), 0.5f, 0x10101, false);
  EXPECT_EQ(RAS_RGBA(60, 255, 1, 127), add.at(0, 1));

  // unknown blend modes and zero weight draw nothing
  TestBitmap none(5, 5, 7);
  RAS_Line(&none, 0, 0, 4, 2, kWhite, 1.0f, 6, false);
  RAS_Line(&none, 0, 0, 4, 2, kWhite, 0.0f, 0, true);
  RAS_Line(&none, 0, 0, 4, 0, kWhite, 0.003f, 0, false);  // weight 0
  RAS_Line(nullptr, 0, 0, 4, 0, kWhite, 1.0f, 0, false);
  EXPECT_EQ(0, none.countNot(7));
}

TEST(RAS_Line, HalfWeightCopyOfAGeneralLineAveragesPerChannel)
{
  // the straight run halves each byte before adding; a general line takes (d + s) / 2
  TestBitmap bm(3, 3, RAS_RGBA(0x11, 0x11, 0x11, 0x11));
  RAS_Line(&bm, 0, 0, 2, 0, RAS_RGBA(0x21, 0x21, 0x21, 0x21), 0.5f, 0, false);
  RAS_Line(&bm, 0, 1, 2, 2, RAS_RGBA(0x21, 0x21, 0x21, 0x21), 0.5f, 0, false);
  EXPECT_EQ(RAS_RGBA(0x18, 0x18, 0x18, 0x18), bm.at(1, 0));
  EXPECT_EQ(RAS_RGBA(0x19, 0x19, 0x19, 0x19), bm.at(0, 1));
  EXPECT_EQ(RAS_RGBA(0x19, 0x19, 0x19, 0x19), bm.at(2, 2));
}

TEST(RAS_Line, DiagonalSetsOnePixelPerStep)
{
  TestBitmap bm(5, 5);
  RAS_Line(&bm, 4, 0, 1, 3, kRed, 1.0f, 0, false);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(kRed, bm.at(4 - i, i));
  EXPECT_EQ(4, bm.countNot(0));
}

TEST(RAS_Line, AntialiasedDiagonalGivesThreeQuartersOnItAndAQuarterBeside)
{
  TestBitmap bm(5, 5);
  RAS_Line(&bm, 0, 0, 3, 3, kWhite, 1.0f, 0, true);
  // 3/4 white on black by halves and quarters of each byte: 0x7F + 0x3F
  const RAS_pixel threeQuarters = Grey4(0xBE), quarter = Grey4(0x3F);
  for (int i = 0; i < 4; ++i) EXPECT_EQ(threeQuarters, bm.at(i, i)) << i;
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(quarter, bm.at(i + 1, i)) << i;
    EXPECT_EQ(quarter, bm.at(i, i + 1)) << i;
  }
  EXPECT_EQ(10, bm.countNot(0));  // the last pixel has no neighbours

  // other weights go through the copy class: 3/4 and 1/4 of 128
  TestBitmap half(4, 4);
  RAS_Line(&half, 3, 3, 0, 0, kWhite, 0.5f, 0, true);
  EXPECT_EQ(Grey4(96), half.at(3, 3));
  EXPECT_EQ(Grey4(32), half.at(2, 3));
  EXPECT_EQ(Grey4(32), half.at(3, 2));
  EXPECT_EQ(Grey4(96), half.at(0, 0));
  EXPECT_EQ(Grey4(32), half.at(1, 0));
  EXPECT_EQ(0u, half.at(2, 0));
  EXPECT_EQ(10, half.countNot(0));
}

TEST(RAS_Line, GeneralLineMeetsInTheMiddleFromBothEnds)
{
  // slope 1/4: the error passes half a pixel after the second step
  for (bool reversed : {false, true}) {
    TestBitmap bm(5, 2);
    if (reversed)
      RAS_Line(&bm, 4, 1, 0, 0, kRed, 1.0f, 0, false);
    else
      RAS_Line(&bm, 0, 0, 4, 1, kRed, 1.0f, 0, false);
    EXPECT_EQ(kRed, bm.at(0, 0));
    EXPECT_EQ(kRed, bm.at(1, 0));
    EXPECT_EQ(kRed, bm.at(2, 1));  // middle pixel, drawn last from the first end
    EXPECT_EQ(kRed, bm.at(3, 1));
    EXPECT_EQ(kRed, bm.at(4, 1));
    EXPECT_EQ(5, bm.countNot(0));
  }
  // steep, odd extent: two steps from each end
  TestBitmap steep(2, 4);
  RAS_Line(&steep, 0, 0, 1, 3, kRed, 1.0f, 0, false);
  EXPECT_EQ(kRed, steep.at(0, 0));
  EXPECT_EQ(kRed, steep.at(0, 1));
  EXPECT_EQ(kRed, steep.at(1, 2));
  EXPECT_EQ(kRed, steep.at(1, 3));
  EXPECT_EQ(4, steep.countNot(0));
}

TEST(RAS_Line, AntialiasedGeneralLineSharesCoverageWithTheMinorNeighbour)
{
  // slope 1/4 = 0x4000: one step gives coverage 64 beside, 191 on the line; the middle
  // (error 0x8000) 128 beside and 127 on it. White on black copies the weight itself.
  TestBitmap bm(5, 2);
  RAS_Line(&bm, 0, 0, 4, 1, kWhite, 1.0f, 0, true);
  const int expected[2][5] = {{255, 191, 127, 64, 0}, {0, 64, 128, 191, 255}};
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(Grey4(expected[y][x]), bm.at(x, y)) << x << "," << y;

  // half weight: (255 - w) * 128 / 256 and w * 128 / 256
  TestBitmap half(5, 2);
  RAS_Line(&half, 0, 0, 4, 1, kWhite, 0.5f, 0, true);
  EXPECT_EQ(Grey4(128), half.at(0, 0));
  EXPECT_EQ(Grey4(95), half.at(1, 0));
  EXPECT_EQ(Grey4(32), half.at(1, 1));
  EXPECT_EQ(Grey4(63), half.at(2, 0));
  EXPECT_EQ(Grey4(64), half.at(2, 1));
}

TEST(ClipLine, EachEdgeMovesTheOutsideEndToItsCrossing)
{
  int x1, y1, x2, y2;
  // bottom: x = x1 + (x2 - x1) (h - y1) / (y2 - y1), y = h - 1
  x1 = 0, y1 = 0, x2 = 4, y2 = 10;
  ASSERT_TRUE(ClipLine(&x1, &y1, &x2, &y2, 10, 5));
  EXPECT_EQ(2, x2);
  EXPECT_EQ(4, y2);
  // top: x = x1 + (x2 - x1) (0 - y1) / (y2 - y1), y = 0; the first end is clipped first
  x1 = 4, y1 = -4, x2 = 0, y2 = 4;
  ASSERT_TRUE(ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  EXPECT_EQ(2, x1);
  EXPECT_EQ(0, y1);
  // right: y = y1 + (y2 - y1) (w - x1) / (x2 - x1), x = w - 1
  x1 = 0, y1 = 0, x2 = 10, y2 = 4;
  ASSERT_TRUE(ClipLine(&x1, &y1, &x2, &y2, 5, 10));
  EXPECT_EQ(4, x2);
  EXPECT_EQ(2, y2);
  // left, truncated toward zero: 0 + 2 * 3 / 4 = 1.5
  x1 = -3, y1 = 0, x2 = 1, y2 = 2;
  ASSERT_TRUE(ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  EXPECT_EQ(0, x1);
  EXPECT_EQ(1, y1);
  EXPECT_EQ(1, x2);
  EXPECT_EQ(2, y2);
  // both ends outside on opposite sides
  x1 = 5, y1 = -5, x2 = 5, y2 = 15;
  ASSERT_TRUE(ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  EXPECT_EQ(0, y1);
  EXPECT_EQ(9, y2);
  // a segment passing outside a corner, one wholly left, and an empty area
  x1 = -5, y1 = 3, x2 = 3, y2 = -5;
  EXPECT_FALSE(ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  x1 = -5, y1 = 0, x2 = -1, y2 = 9;
  EXPECT_FALSE(ClipLine(&x1, &y1, &x2, &y2, 10, 10));
  x1 = 0, y1 = 0, x2 = 1, y2 = 1;
  EXPECT_FALSE(ClipLine(&x1, &y1, &x2, &y2, 0, 10));
}

TEST(RAS_Line, LinesAreClippedToTheEdgePixels)
{
  TestBitmap left(10, 10);
  RAS_Line(&left, -5, 0, -1, 9, kWhite, 1.0f, 0, false);
  EXPECT_EQ(0, left.countNot(0));

  TestBitmap across(10, 5);
  RAS_Line(&across, -5, 2, 20, 2, kRed, 1.0f, 0, false);
  for (int x = 0; x < 10; ++x) EXPECT_EQ(kRed, across.at(x, 2));
  EXPECT_EQ(10, across.countNot(0));

  TestBitmap diag(10, 10);
  RAS_Line(&diag, -3, -3, 12, 12, kRed, 1.0f, 0, true);  // antialiased diagonal, 3/4 on it
  for (int i = 0; i < 10; ++i) EXPECT_NE(0u, diag.at(i, i));
  EXPECT_EQ(28, diag.countNot(0));

  TestBitmap tall(3, 3);
  RAS_Line(&tall, 1, -100, 1, 100, kRed, 0.3f, 1, false);
  EXPECT_EQ(3, tall.countNot(0));

  // the extremes of int, also mirrored for a flipped bitmap, neither overflow nor escape
  TestBitmap huge(4, 4, 0, true);
  RAS_Line(&huge, INT_MIN, INT_MIN, INT_MAX, INT_MAX, kRed, 1.0f, 0, true);
  RAS_Line(&huge, INT_MAX, INT_MIN, INT_MIN, INT_MAX, kRed, 0.5f, 3, false);
  EXPECT_NE(0, huge.countNot(0));
}

TEST(RAS_Line, FlippedBitmapIsDrawnWithRowZeroAtTheTop)
{
  TestBitmap bm(5, 3, 0, true);
  RAS_Line(&bm, 0, 0, 4, 0, kRed, 1.0f, 0, false);
  RAS_Line(&bm, 0, 1, 4, 2, kWhite, 1.0f, 0, true);
  EXPECT_EQ(kRed, bm.at(0, 0));
  EXPECT_EQ(kRed, bm.getBits()[2 * 5]);  // stored in the last row
  TestBitmap plain(5, 3);
  RAS_Line(&plain, 0, 0, 4, 0, kRed, 1.0f, 0, false);
  RAS_Line(&plain, 0, 1, 4, 2, kWhite, 1.0f, 0, true);
  EXPECT_EQ(plain.pixels(), bm.pixels());
}

TEST(RAS_Line, RandomLinesStayInsideTheBitmapAndTheirBox)
{
  // Exact-size bitmaps: AddressSanitizer catches any stray write. Ends range far outside
  // every edge; every mode, weight and antialiasing.
  std::mt19937 rng(1234);
  const float alphas[] = {1.0f, 0.5f, 0.25f, 0.75f, 0.3f, 1.0f / 256};
  for (int i = 0; i < 4000; ++i) {
    const int w = 1 + static_cast<int>(rng() % 9), h = 1 + static_cast<int>(rng() % 9);
    TestBitmap bm(w, h);
    auto coord = [&](int extent) { return static_cast<int>(rng() % (3 * extent + 8)) - extent - 4; };
    const int x1 = coord(w), y1 = coord(h), x2 = coord(w), y2 = coord(h);
    const int mode = static_cast<int>(rng() % 6);
    const float alpha = alphas[rng() % 6];
    const bool aa = rng() & 1;
    RAS_Line(&bm, x1, y1, x2, y2, kWhite, alpha, mode, aa);
    const int lo = std::min(x1, x2), hi = std::max(x1, x2);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        if (bm.at(x, y)) {
          ASSERT_GE(x, std::min(lo, w - 1)) << i;
          ASSERT_LE(x, std::max(hi, 0)) << i;
        }
    // a line with both ends inside draws both of them in copy mode
    if (mode == 0 && !aa && x1 >= 0 && x1 < w && x2 >= 0 && x2 < w && y1 >= 0 && y1 < h && y2 >= 0 && y2 < h) {
      EXPECT_NE(0u, bm.at(x1, y1)) << i;
      EXPECT_NE(0u, bm.at(x2, y2)) << i;
    }
  }
}
