#include "RasterTestBitmap.h"
#include "raster_arc.h"

#include <gtest/gtest.h>

#include <cmath>
#include <random>

namespace {

const RAS_pixel kWhite = RAS_RGBA(255, 255, 255, 255);
const float kPi = 3.14159265358979f;

// White opaque on black at full weight leaves the coverage itself in every byte, so the
// bitmaps below read as coverage maps.
int coverageAt(TestBitmap& bm, int x, int y) { return RAS_GETR(bm.at(x, y)); }

}  // namespace

TEST(RAS_Circle, RadiusFourAntialiasedDrawsTheStoredMask)
{
  TestBitmap bm(20, 20);
  RAS_Circle(&bm, 10.0f, 10.0f, 4.0f, kWhite, 1.0f, 0, true);
  const int rows[5][9] = {
    {0, 31, 176, 255, 255, 255, 176, 31, 0},
    {31, 240, 209, 79, 64, 79, 209, 240, 31},
    {176, 209, 0, 0, 0, 0, 0, 209, 176},
    {255, 79, 0, 0, 0, 0, 0, 79, 255},
    {255, 64, 0, 0, 0, 0, 0, 64, 255},
  };
  // top-left at (cx - r, cy - r) = (6, 6); symmetric about both axes
  for (int j = 0; j < 9; ++j)
    for (int i = 0; i < 9; ++i)
      EXPECT_EQ(Grey4(rows[j < 5 ? j : 8 - j][i]), bm.at(6 + i, 6 + j)) << i << "," << j;
  EXPECT_EQ(52, bm.countNot(0));  // the mask's own, so nothing outside it
}

TEST(RAS_Circle, CachedRadiiDrawSingleOutlinesOrSmoothRingsAtTheirPlace)
{
  // radius 2, not antialiased: a 5 x 5 outline from (cx - 2, cy - 2) = (1, 3)
  TestBitmap bm(8, 8);
  RAS_Circle(&bm, 3.5f, 5.25f, 2.0f, RAS_RGBA(9, 8, 7, 255), 1.0f, 0, false);
  EXPECT_EQ(MaskPixels("........................"
                       "..###....#...#...#...#...#...#....###...",
                       RAS_RGBA(9, 8, 7, 255)),
            bm.pixels());

  // every cached radius: masks square and symmetric, outlines hollow, rings antialiased
  for (float r : {2.0f, 2.5f, 3.0f, 3.5f, 4.0f})
    for (bool aa : {false, true}) {
      const int size = static_cast<int>(2 * r) + 1;
      TestBitmap c(12, 12);
      RAS_Circle(&c, 1.0f + r, 1.0f + r, r, kWhite, 1.0f, 0, aa);
      int partial = 0;
      for (int j = 0; j < size; ++j)
        for (int i = 0; i < size; ++i) {
          const int v = coverageAt(c, 1 + i, 1 + j);
          EXPECT_EQ(v, coverageAt(c, 1 + size - 1 - i, 1 + j)) << r;
          EXPECT_EQ(v, coverageAt(c, 1 + i, 1 + size - 1 - j)) << r;
          EXPECT_EQ(v, coverageAt(c, 1 + j, 1 + i)) << r;
          partial += v != 0 && v != 255;
        }
      EXPECT_EQ(0, coverageAt(c, 1 + size / 2, 1 + size / 2)) << r;  // outline only
      EXPECT_LE(aa ? 240 : 255, coverageAt(c, 1 + size / 2, 1)) << r;  // top of the ring
      EXPECT_EQ(aa, partial > 0) << r;
      EXPECT_EQ(0, coverageAt(c, 0, 0));
    }
}

TEST(RAS_Circle, AntialiasedRadiusFourAndAHalfIsComputed)
{
  // y = sqrt(r^2 - x^2); the fraction f of y goes to the pixel outside, 1 - f inside:
  // x = 0: y = 4.5 (128 / 128); x = 1: 4.387 (99 / 157); x = 2: 4.031 (7 / 249);
  // x = 3: 3.354 (90 outside at 4, 166 inside at 3, on the diagonal once).
  TestBitmap bm(21, 21);
  RAS_Circle(&bm, 10.0f, 10.0f, 4.5f, kWhite, 1.0f, 0, true);
  const struct { int x, y, g; } spots[] = {{10, 5, 128}, {10, 6, 128}, {11, 5, 99}, {11, 6, 157}, {12, 5, 7},
                                           {12, 6, 249}, {13, 6, 90},  {13, 7, 166}, {14, 7, 90},  {14, 8, 249},
                                           {15, 8, 7},   {10, 10, 0},  {13, 5, 0}};
  for (const auto& s : spots) EXPECT_EQ(Grey4(s.g), bm.at(s.x, s.y)) << s.x << "," << s.y;
  // the whole outline is symmetric about both axes and the diagonal
  for (int d = 0; d <= 10; ++d)
    for (int y = 0; y < 21; ++y) {
      EXPECT_EQ(bm.at(10 + d, y), bm.at(10 - d, y));
      EXPECT_EQ(bm.at(y, 10 + d), bm.at(y, 10 - d));
      EXPECT_EQ(bm.at(10 + d, y), bm.at(y, 10 + d));
    }
  EXPECT_EQ(4 * 2 + 8 * 2 + 8 * 2 + 4 + 8, bm.countNot(0));
}

TEST(RAS_Circle, MidpointOutlinePlotsEachPixelOnce)
{
  // r = 5: octant points (0, 5), (1, 5), (2, 5), (3, 4), and the 3 / 4 diagonal's swap;
  // adding a quarter of white twice would show as 126 instead of 63
  TestBitmap bm(13, 13);
  RAS_Circle(&bm, 6.0f, 6.0f, 5.0f, kWhite, 0.25f, 1, false);
  const char* half[7] = {".............", "....#####....", "...#.....#...", "..#.......#..",
                         ".#.........#.", ".#.........#.", ".#.........#."};
  std::string mask;
  for (int y = 0; y < 13; ++y) mask += half[y < 7 ? y : 12 - y];
  EXPECT_EQ(MaskPixels(mask, Grey4(63)), bm.pixels());
}

TEST(RAS_Circle, ClippedCircleMatchesTheSameCircleDrawnWhole)
{
  // Exact-size bitmaps straddled at every edge: AddressSanitizer catches stray writes,
  // and the part inside must equal that part of the circle drawn far from any edge.
  std::mt19937 rng(99);
  for (int i = 0; i < 600; ++i) {
    const int w = 1 + static_cast<int>(rng() % 12), h = 1 + static_cast<int>(rng() % 12);
    const float r = 0.25f * static_cast<float>(rng() % 40);
    const float cx = -6.0f + 0.25f * static_cast<float>(rng() % 100);
    const float cy = -6.0f + 0.25f * static_cast<float>(rng() % 100);
    const bool aa = rng() & 1;
    const int mode = static_cast<int>(rng() % 6);
    const float alpha = (rng() & 1) ? 1.0f : 0.4f;
    TestBitmap part(w, h, 0x40404040), whole(w + 80, h + 80, 0x40404040);
    RAS_Circle(&part, cx, cy, r, kWhite, alpha, mode, aa);
    RAS_Circle(&whole, cx + 40, cy + 40, r, kWhite, alpha, mode, aa);
    for (int y = 0; y < h; ++y)
      for (int x = 0; x < w; ++x)
        ASSERT_EQ(whole.at(x + 40, y + 40), part.at(x, y)) << i << ": r " << r << " at " << cx << "," << cy;
  }
}

TEST(RAS_Circle, NothingIsDrawnForEmptyInput)
{
  TestBitmap bm(10, 10, 5);
  RAS_Circle(&bm, 5, 5, 3.3f, kWhite, 0.0f, 0, true);
  RAS_Circle(&bm, 5, 5, 3.3f, kWhite, 1.0f, 7, true);
  RAS_Circle(&bm, 5, 5, -3.0f, kWhite, 1.0f, 0, false);
  RAS_Circle(&bm, 5, 5, NAN, kWhite, 1.0f, 0, false);
  RAS_Circle(&bm, -20, 5, 3.3f, kWhite, 1.0f, 0, false);
  RAS_Circle(&bm, 5, 5, 100.0f, kWhite, 1.0f, 0, true);  // encloses the bitmap
  RAS_Circle(nullptr, 5, 5, 3.3f, kWhite, 1.0f, 0, false);
  RAS_Circle(&bm, 5, 5, 4.0f, kWhite, 1.0f, 9, true);  // cached radius, unknown mode
  RAS_Circle(&bm, 3e9f, -3e9f, 4.0f, kWhite, 1.0f, 0, true);
  RAS_Arc(&bm, 5, 5, 3e30f, 0.0f, 1.0f, kWhite, 1.0f, 0, true);
  RAS_Arc(&bm, 5, 5, 3.0f, 0.0f, INFINITY, kWhite, 1.0f, 0, true);
  EXPECT_EQ(0, bm.countNot(5));
}

TEST(RAS_Arc, HalfTurnsDrawTheirHalfWholeTurnsTheCircleReversedRangesNothing)
{
  // 0 .. pi is the right half; -pi / 2 .. pi / 2 the top half, drawn in two pieces;
  // pi / 2 .. 3 pi / 2 crosses pi: the lower half, from three o'clock's row down
  // each row also names both ends of its half, drawn whether antialiased or not
  const struct { const char* name; float r, lo, hi; bool (*inside)(int x, int y); int ends[4]; } rows[] = {
    {"right", 6.0f, 0.0f, kPi, [](int x, int) { return x >= 10; }, {10, 4, 10, 16}},
    {"top", 6.0f, -kPi / 2, kPi / 2, [](int, int y) { return y <= 10; }, {4, 10, 16, 10}},
    {"lower", 6.5f, kPi / 2, 3 * kPi / 2, [](int, int y) { return y >= 10; }, {}},
  };
  for (const auto& row : rows)
    for (bool aa : {false, true}) {
      SCOPED_TRACE(std::string(row.name) + (aa ? " antialiased" : ""));
      TestBitmap circle(21, 21), arc(21, 21);
      RAS_Circle(&circle, 10.0f, 10.0f, row.r, kWhite, 1.0f, 0, aa);
      RAS_Arc(&arc, 10.0f, 10.0f, row.r, row.lo, row.hi, kWhite, 1.0f, 0, aa);
      for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 21; ++x) EXPECT_EQ(row.inside(x, y) ? circle.at(x, y) : 0u, arc.at(x, y)) << x << "," << y;
      for (int e = 0; row.ends[0] && e < 4; e += 2) EXPECT_NE(0u, arc.at(row.ends[e], row.ends[e + 1])) << e;
    }

  // a whole turn or more is the circle, angles a whole turn on draw the same, and a
  // reversed range draws nothing
  TestBitmap circle(21, 21), full(21, 21), lower(21, 21), shifted(21, 21), reversed(21, 21);
  RAS_Circle(&circle, 10.0f, 10.0f, 6.5f, kWhite, 1.0f, 0, false);
  RAS_Arc(&full, 10.0f, 10.0f, 6.5f, 1.0f, 1.0f + 2 * kPi + 0.1f, kWhite, 1.0f, 0, false);
  EXPECT_EQ(circle.pixels(), full.pixels());
  RAS_Arc(&lower, 10.0f, 10.0f, 6.5f, kPi / 2, 3 * kPi / 2, kWhite, 1.0f, 0, false);
  RAS_Arc(&shifted, 10.0f, 10.0f, 6.5f, kPi / 2 + 2 * kPi, 3 * kPi / 2 + 2 * kPi, kWhite, 1.0f, 0, false);
  EXPECT_EQ(lower.pixels(), shifted.pixels());
  RAS_Arc(&reversed, 10.0f, 10.0f, 6.5f, 2.0f, 1.0f, kWhite, 1.0f, 0, false);
  EXPECT_EQ(0, reversed.countNot(0));
}

TEST(RAS_Arc, FlippedBitmapShowsTheSameArc)
{
  for (bool aa : {false, true}) {
    TestBitmap plain(20, 21), flipped(20, 21, 0, true), plainCircle(20, 21), flippedCircle(20, 21, 0, true);
    // the top right quarter: rows from twelve o'clock down to three o'clock's
    RAS_Arc(&plain, 9.0f, 10.0f, 7.0f, 0.0f, kPi / 2, kWhite, 1.0f, 0, aa);
    RAS_Arc(&flipped, 9.0f, 10.0f, 7.0f, 0.0f, kPi / 2, kWhite, 1.0f, 0, aa);
    EXPECT_EQ(plain.pixels(), flipped.pixels());
    EXPECT_NE(0u, flipped.at(9, 3));
    EXPECT_NE(0u, flipped.at(16, 10));
    EXPECT_EQ(0u, flipped.at(16, 11));
    RAS_Circle(&plainCircle, 9.0f, 10.0f, 3.5f, kWhite, 1.0f, 0, aa);
    RAS_Circle(&flippedCircle, 9.0f, 10.0f, 3.5f, kWhite, 1.0f, 0, aa);
    EXPECT_EQ(plainCircle.pixels(), flippedCircle.pixels());
  }
}

TEST(RAS_DrawGlyph, CoverageScalesTheWeightAndIsClipped)
{
  const unsigned char mask[2 * 3] = {255, 128, 0, 64, 0, 255};
  TestBitmap bm(3, 2);
  RAS_DrawGlyph(&bm, 1, 0, mask, 3, 2, kWhite, 0.5f, 0);  // column 2 of the mask is outside
  // weights 255 * 128 / 256 = 127, 128 * 128 / 256 = 64 and 64 * 128 / 256 = 32
  EXPECT_EQ(Greys({0, 127, 64, 0, 32, 0}), bm.pixels());
  RAS_DrawGlyph(&bm, -5, -5, mask, 3, 2, kWhite, 1.0f, 0);
  RAS_DrawGlyph(&bm, 0, 0, mask, 3, 2, kWhite, 1.0f, 6);
  EXPECT_EQ(3, bm.countNot(0));
}
