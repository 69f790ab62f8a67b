#include "RasterTestBitmaps.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr RAS_pixel kSentinel = 0xA5A5A5A5u;

// grey levels of a row of pixels, opaque
void Row(TestBitmap& bm, int y, std::initializer_list<int> levels)
{
  int x = 0;
  for (int v : levels) bm.at(x++, y) = Grey(v);
}

// source whose pixel (x, y) is grey 3 x^2 + y: averages of its boxes differ with the box size
TestBitmap Parabola(int w, int h)
{
  TestBitmap bm(w, h);
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) bm.at(x, y) = Grey(3 * x * x + y);
  return bm;
}

}  // namespace

TEST(RAS_ScaledBlit, EqualSizesAtAnIntegerPositionAreAPlainBlit)
{
  std::mt19937 rng(3);
  TestBitmap src(6, 5);
  src.fillRandom(rng);
  for (int mode : {0, 0x100, 0x10000, 0x10101})
    for (float alpha : {1.0f, 0.5f, 0.3f}) {
      TestBitmap a(7, 6), b(7, 6);
      a.fillRandom(rng);
      b.copyFrom(a);
      RAS_ScaledBlit(&a, &src, -1, 2, 4, 3, 1.0f, 2.0f, 4.0f, 3.0f, alpha, mode);
      RAS_Blit(&b, &src, -1, 2, 1, 2, 4, 3, alpha, mode);
      EXPECT_EQ(b.words(), a.words()) << mode << " " << alpha;
      // within 0.03 of an integer the bilinear blit still does not filter
      RAS_ScaledBlit(&a, &src, 0, 0, 4, 3, 0.98f, 2.02f, 4.0004f, 3.0f, alpha, mode);
      RAS_Blit(&b, &src, 0, 0, 1, 2, 4, 3, alpha, mode);
      EXPECT_EQ(b.words(), a.words()) << mode << " " << alpha;
    }
}

TEST(RAS_ScaledBlit, BilinearFilteringOfAFractionalOffsetMixesNeighbours)
{
  TestBitmap src(4, 1);
  Row(src, 0, {0, 200, 100, 50});
  TestBitmap dest(2, 1);
  // 1.05f is 68812 / 65536: fraction 3276; the only row is the last, so the mix is linear
  RAS_ScaledBlit(&dest, &src, 0, 0, 2, 1, 1.05f, 0.0f, 2.0f, 1.0f, 1.0f, 0x100);
  EXPECT_EQ(Grey(195), dest.at(0, 0));  // (200 * 62260 + 100 * 3276) / 65536
  EXPECT_EQ(Grey(97), dest.at(1, 0));   // (100 * 62260 + 50 * 3276) / 65536
  // without the filter the position is rounded and the source copied
  RAS_ScaledBlit(&dest, &src, 0, 0, 2, 1, 1.55f, 0.0f, 2.0f, 1.0f, 1.0f, 0);
  EXPECT_EQ(Grey(100), dest.at(0, 0));
  EXPECT_EQ(Grey(50), dest.at(1, 0));
}

TEST(RAS_ScaledBlit, NearestNeighbourEnlargementRepeatsPixelsAndClipsAtEveryEdge)
{
  TestBitmap src(3, 2);
  for (int y = 0; y < 2; ++y)
    for (int x = 0; x < 3; ++x) src.at(x, y) = static_cast<RAS_pixel>(10 * y + x + 1);
  for (int dx = -7; dx <= 5; ++dx)
    for (int dy = -5; dy <= 4; ++dy)
      for (int mirror = 0; mirror < 2; ++mirror) {
        TestBitmap dest(5, 4, dy & 1);
        dest.fill(kSentinel);
        // twice the size; a mirrored blit covers the same area drawn right to left
        if (mirror)
          RAS_ScaledBlit(&dest, &src, dx + 6, dy, -6, 4, 0.0f, 0.0f, 3.0f, 2.0f, 0.7f, 0);
        else
          RAS_ScaledBlit(&dest, &src, dx, dy, 6, 4, 0.0f, 0.0f, 3.0f, 2.0f, 0.7f, 0);
        for (int y = 0; y < 4; ++y)
          for (int x = 0; x < 5; ++x) {
            const int i = x - dx, j = y - dy;
            const bool inside = i >= 0 && i < 6 && j >= 0 && j < 4;
            const int u = mirror ? 2 - i / 2 : i / 2;
            const RAS_pixel want =
                inside ? RAS_CombinePixels(kSentinel, src.at(u, j / 2), 0.7f, 0) : kSentinel;
            ASSERT_EQ(want, dest.at(x, y)) << dx << "," << dy << " at " << x << "," << y << " mirror " << mirror;
          }
      }
}

TEST(RAS_ScaledBlit, NegativeSizesDrawTheExactMirrorImage)
{
  // fault: a mirrored blit started on the source's right edge, leaving its first column
  // undrawn and the image one pixel off
  std::mt19937 rng(5);
  TestBitmap src(5, 3);
  src.fillRandom(rng);
  for (int mode : {0, 0x100, 0x10001}) {
    TestBitmap plain(7, 4), mirrored(7, 4);
    plain.fill(kSentinel);
    mirrored.fill(kSentinel);
    RAS_ScaledBlit(&plain, &src, 0, 0, 7, 4, 0.0f, 0.0f, 5.0f, 3.0f, 1.0f, mode);
    RAS_ScaledBlit(&mirrored, &src, 7, 4, -7, -4, 0.0f, 0.0f, 5.0f, 3.0f, 1.0f, mode);
    // a negative source rectangle (walked from its right and bottom edges) mirrors alike
    TestBitmap bySource(7, 4);
    bySource.fill(kSentinel);
    RAS_ScaledBlit(&bySource, &src, 0, 0, 7, 4, 5.0f, 3.0f, -5.0f, -3.0f, 1.0f, mode);
    EXPECT_EQ(mirrored.words(), bySource.words()) << mode;
    // both negative: the two mirrors cancel
    TestBitmap twice(7, 4);
    twice.fill(kSentinel);
    RAS_ScaledBlit(&twice, &src, 7, 4, -7, -4, 5.0f, 3.0f, -5.0f, -3.0f, 1.0f, mode);
    EXPECT_EQ(plain.words(), twice.words()) << mode;
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 7; ++x)
        if (mode != 0x100)  // the filter mixes toward the other neighbour when mirrored
          ASSERT_EQ(plain.at(x, y), mirrored.at(6 - x, 3 - y)) << x << "," << y << " mode " << mode;
        else
          ASSERT_NE(kSentinel, mirrored.at(x, y));
  }
  TestBitmap row(3, 1), dest(3, 1);
  Row(row, 0, {10, 20, 30});
  RAS_ScaledBlit(&dest, &row, 3, 0, -3, 1, 0.0f, 0.0f, 3.0f, 1.0f, 1.0f, 0);
  EXPECT_EQ((std::vector<RAS_pixel>{Grey(30), Grey(20), Grey(10)}), dest.words());
}

TEST(RAS_ScaledBlit, BilinearEnlargementMixesFourThenTwoThenOnePixel)
{
  TestBitmap src(2, 2);
  Row(src, 0, {0, 200});
  Row(src, 1, {100, 40});
  TestBitmap dest(4, 4);
  RAS_ScaledBlit(&dest, &src, 0, 0, 4, 4, 0.0f, 0.0f, 2.0f, 2.0f, 1.0f, 0x100);
  EXPECT_EQ(Grey(0), dest.at(0, 0));
  EXPECT_EQ(Grey(100), dest.at(1, 0));  // half way along the top row
  EXPECT_EQ(Grey(85), dest.at(1, 1));   // (0 + 200 + 100 + 40) / 4
  EXPECT_EQ(Grey(120), dest.at(3, 1));  // last column: (200 + 40) / 2 down the column
  EXPECT_EQ(Grey(70), dest.at(1, 3));   // last row: (100 + 40) / 2 along the row
  EXPECT_EQ(Grey(40), dest.at(3, 3));   // last corner: the pixel itself
  EXPECT_EQ(Grey(200), dest.at(2, 0));
}

TEST(RAS_ScaledBlit, FilteredReductionAveragesThreeByThreeOrFiveByFiveBoxes)
{
  // halving: 3 x 3 boxes centred on (0, 0), (2, 2), (4, 0), cut at the source edge
  TestBitmap six = Parabola(6, 6);
  TestBitmap half(3, 3);
  RAS_ScaledBlit(&half, &six, 0, 0, 3, 3, 0.0f, 0.0f, 6.0f, 6.0f, 1.0f, 0x100);
  EXPECT_EQ(Grey(2), half.at(0, 0));   // (0 + 3 + 1 + 4) / 4
  EXPECT_EQ(Grey(16), half.at(1, 1));  // 144 / 9
  EXPECT_EQ(Grey(50), half.at(2, 0));  // 303 / 6
  // without the filter: the nearest pixel
  RAS_ScaledBlit(&half, &six, 0, 0, 3, 3, 0.0f, 0.0f, 6.0f, 6.0f, 1.0f, 0);
  EXPECT_EQ(Grey(14), half.at(1, 1));

  // a step of exactly three still uses 3 x 3
  TestBitmap nine = Parabola(9, 9);
  TestBitmap third(3, 3);
  RAS_ScaledBlit(&third, &nine, 0, 0, 3, 3, 0.0f, 0.0f, 9.0f, 9.0f, 1.0f, 0x100);
  EXPECT_EQ(Grey(32), third.at(1, 1));  // boxes 2..4: 288 / 9 (5 x 5 would give 36)

  // reducing by four: 5 x 5 boxes
  TestBitmap eight = Parabola(8, 8);
  TestBitmap quarter(2, 2);
  RAS_ScaledBlit(&quarter, &eight, 0, 0, 2, 2, 0.0f, 0.0f, 8.0f, 8.0f, 1.0f, 0x100);
  EXPECT_EQ(Grey(6), quarter.at(0, 0));   // boxes 0..2: 54 / 9
  EXPECT_EQ(Grey(58), quarter.at(1, 1));  // boxes 2..6: 1450 / 25 (3 x 3 would give 54)

  // a source rectangle limits the box: columns from 4 on are outside
  TestBitmap part(2, 1);
  RAS_ScaledBlit(&part, &six, 0, 0, 2, 1, 0.0f, 0.0f, 4.0f, 2.0f, 1.0f, 0x100);
  EXPECT_EQ(Grey(2), part.at(0, 0));
  EXPECT_EQ(Grey(14), part.at(1, 0));  // x 1..3, y 0..1: (3 + 12 + 27) * 2 + 3 = 87; 87 / 6
}

TEST(RAS_ScaledBlit, FullAndHalfWeightCopiesUseWholeWordsOthersTheCombineClass)
{
  TestBitmap src(1, 1), dest(2, 2);
  src.at(0, 0) = 0x01010101u;
  dest.fill(0xFFFFFFFFu);
  RAS_ScaledBlit(&dest, &src, 0, 0, 2, 2, 0.0f, 0.0f, 1.0f, 1.0f, 0.5f, 0);
  EXPECT_EQ(0x7F7F7F7Fu, dest.at(1, 1));
  dest.fill(0xFFFFFFFFu);
  RAS_ScaledBlit(&dest, &src, 0, 0, 2, 2, 0.0f, 0.0f, 1.0f, 1.0f, 0.5f, 0x100);
  EXPECT_EQ(0x80808080u, dest.at(1, 1));  // the copy class at 128
  RAS_ScaledBlit(&dest, &src, 0, 0, 2, 2, 0.0f, 0.0f, 1.0f, 1.0f, 1.0f, 0);
  EXPECT_EQ(0x01010101u, dest.at(0, 1));
}

TEST(RAS_ScaledBlit, NullEmptyAndTransparentCallsDrawNothingAndHugeStepsStayInside)
{
  TestBitmap src(3, 3), dest(3, 3), empty(0, 0);
  src.fill(0x12345678u);
  dest.fill(kSentinel);
  RAS_ScaledBlit(nullptr, &src, 0, 0, 3, 3, 0, 0, 2, 2, 1.0f, 0);
  RAS_ScaledBlit(&dest, nullptr, 0, 0, 3, 3, 0, 0, 2, 2, 1.0f, 0);
  RAS_ScaledBlit(&dest, &empty, 0, 0, 3, 3, 0, 0, 2, 2, 1.0f, 0);
  RAS_ScaledBlit(&empty, &src, 0, 0, 3, 3, 0, 0, 2, 2, 1.0f, 0);
  RAS_ScaledBlit(&dest, &src, 0, 0, 0, 3, 0, 0, 2, 2, 1.0f, 0);
  RAS_ScaledBlit(&dest, &src, 0, 0, 3, 0, 0, 0, 2, 2, 1.0f, 0);
  RAS_ScaledBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 2, 2, 0.0f, 0);
  RAS_ScaledBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 2, 2, 0.7f, 6);
  RAS_ScaledBlit(&dest, &src, 0, 0, 3, 3, 3.0f, 0, 2, 2, 1.0f, 0);    // right of the source
  RAS_ScaledBlit(&dest, &src, 0, 0, 3, 3, -5.0f, 0, 2, 2, 1.0f, 0);   // left of it
  RAS_ScaledBlit(&dest, &src, 3, 0, 3, 3, 0, 0, 2, 2, 1.0f, 0);       // right of the destination
  RAS_ScaledBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 2, 2, std::nanf(""), 0);
  EXPECT_EQ(std::vector<RAS_pixel>(9, kSentinel), dest.words());

  // a step of 1e30 / 3 pixels reads column 0 for the first column and nothing after it
  RAS_ScaledBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 1e30f, 2, 1.0f, 0x100);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(0x12345678u, dest.at(0, y));
    EXPECT_EQ(kSentinel, dest.at(1, y));
    EXPECT_EQ(kSentinel, dest.at(2, y));
  }
  RAS_ScaledBlit(&dest, &src, 0, 0, 3, 3, std::nanf(""), -1e30f, 2, 1e30f, 1.0f, 0x100);
  RAS_ScaledBlit(&dest, &src, -2000000000, -2000000000, 2100000000, 2100000000, 0, 0, 2, 2, 1.0f, 0x100);
}
