#include "RasterTestBitmap.h"
#include "raster_line.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>

namespace {

const RAS_pixel kWhite = RAS_RGBA(255, 255, 255, 255);
const RAS_pixel kRed = RAS_RGBA(200, 10, 20, 255);

}  // namespace

TEST(RAS_Line, PlainLinesSetExactlyTheirPixelsFromEitherEnd)
{
  // slope 1/4: the error passes half a pixel after the second step, so the ends meet in the
  // middle; a steep odd extent takes two steps from each end
  struct Row { const char* name; int w, h, x1, y1, x2, y2; const char* mask; } rows[] = {
    {"horizontal", 12, 3, 0, 1, 9, 1, "............##########.............."},
    {"diagonal", 5, 5, 4, 0, 1, 3, "....#...#...#...#........"},
    {"slope 1/4", 5, 2, 0, 0, 4, 1, "##.....###"},
    {"steep", 2, 4, 0, 0, 1, 3, "#.#..#.#"},
  };
  for (const Row& r : rows)
    for (bool reversed : {false, true}) {
      SCOPED_TRACE(std::string(r.name) + (reversed ? " reversed" : ""));
      TestBitmap bm(r.w, r.h);
      if (reversed)
        RAS_Line(&bm, r.x2, r.y2, r.x1, r.y1, kRed, 1.0f, 0, false);
      else
        RAS_Line(&bm, r.x1, r.y1, r.x2, r.y2, kRed, 1.0f, 0, false);
      EXPECT_EQ(MaskPixels(r.mask, kRed), bm.pixels());
    }
}

TEST(RAS_Line, StraightCopyRunsMixWholeWordsAndOtherWeightsGoThroughTheClass)
{
  const RAS_pixel d = 0x10203040, c = 0x50607080;
  const struct { float alpha; RAS_pixel expected; } cases[] = {
    {1.0f, c},
    {0.5f, 0x08101820 + 0x28303840},                // both halved, then added
    {0.25f, 0x08101820 + 0x04080c10 + 0x14181c20},  // d/2 + d/4 + c/4
    {0.75f, 0x28303840 + 0x14181c20 + 0x04080c10},  // c/2 + c/4 + d/4
  };
  for (const auto& k : cases) {
    TestBitmap bm(3, 4, d);
    RAS_Line(&bm, 1, 3, 1, 0, c, k.alpha, 0, true);  // vertical, antialiasing ignored
    for (int y = 0; y < 4; ++y) EXPECT_EQ(k.expected, bm.at(1, y)) << k.alpha << " row " << y;
    EXPECT_EQ(4, bm.countNot(d)) << k.alpha;  // the column only
  }

  // other weights and modes combine through the class; copy at 96/256: d + (s - d) * 96 / 256, truncated toward the source
  TestBitmap copy(4, 1, RAS_RGBA(0, 100, 200, 0));
  RAS_Line(&copy, 0, 0, 3, 0, RAS_RGBA(255, 0, 100, 255), 0.375f, 0, false);
  EXPECT_EQ(RAS_RGBA(96, 62, 162, 96), copy.at(2, 0));

  // add at half weight, the source-alpha and filter bits of the mode ignored
  TestBitmap add(1, 3, RAS_RGBA(10, 250, 0, 0));
  RAS_Line(&add, 0, 0, 0, 2, RAS_RGBA(100, 100, 3, 255), 0.5f, 0x10101, false);
  EXPECT_EQ(RAS_RGBA(60, 255, 1, 127), add.at(0, 1));

  // half-weight copy: a straight run halves each byte before adding, a general line takes (d + s) / 2
  TestBitmap half(3, 3, Grey4(0x11));
  RAS_Line(&half, 0, 0, 2, 0, Grey4(0x21), 0.5f, 0, false);
  RAS_Line(&half, 0, 1, 2, 2, Grey4(0x21), 0.5f, 0, false);
  EXPECT_EQ(Grey4(0x18), half.at(1, 0));
  EXPECT_EQ(Grey4(0x19), half.at(0, 1));
  EXPECT_EQ(Grey4(0x19), half.at(2, 2));

  // unknown blend modes and zero weight draw nothing
  TestBitmap none(5, 5, 7);
  RAS_Line(&none, 0, 0, 4, 2, kWhite, 1.0f, 6, false);
  RAS_Line(&none, 0, 0, 4, 2, kWhite, 0.0f, 0, true);
  RAS_Line(&none, 0, 0, 4, 0, kWhite, 0.003f, 0, false);  // weight 0
  RAS_Line(nullptr, 0, 0, 4, 0, kWhite, 1.0f, 0, false);
  EXPECT_EQ(0, none.countNot(7));
}

TEST(RAS_Line, AntialiasedLinesShareCoverageWithTheMinorNeighbour)
{
  // diagonal: 3/4 white on black by halves and quarters of each byte (0x7F + 0x3F = 190),
  // a quarter (63) beside; the last pixel has no neighbours
  TestBitmap diag(5, 5);
  RAS_Line(&diag, 0, 0, 3, 3, kWhite, 1.0f, 0, true);
  EXPECT_EQ(Greys({190, 63, 0, 0, 0, 63, 190, 63, 0, 0, 0, 63, 190, 63, 0, 0, 0, 63, 190, 0, 0, 0, 0, 0, 0}),
            diag.pixels());

  // slope 1/4 = 0x4000: one step gives coverage 64 beside, 191 on the line; the middle
  // (error 0x8000) 128 beside and 127 on it. White on black copies the weight itself.
  TestBitmap general(5, 2);
  RAS_Line(&general, 0, 0, 4, 1, kWhite, 1.0f, 0, true);
  EXPECT_EQ(Greys({255, 191, 127, 64, 0, 0, 64, 128, 191, 255}), general.pixels());

  // other weights go through the copy class: (255 - w) * 128 / 256 and w * 128 / 256
  struct Spot { int x, y, g; };
  TestBitmap half(4, 4);
  RAS_Line(&half, 3, 3, 0, 0, kWhite, 0.5f, 0, true);
  for (Spot s : {Spot{3, 3, 96}, {2, 3, 32}, {3, 2, 32}, {0, 0, 96}, {1, 0, 32}, {2, 0, 0}})
    EXPECT_EQ(Grey4(s.g), half.at(s.x, s.y)) << s.x << "," << s.y;
  EXPECT_EQ(10, half.countNot(0));
  TestBitmap halfGeneral(5, 2);
  RAS_Line(&halfGeneral, 0, 0, 4, 1, kWhite, 0.5f, 0, true);
  for (Spot s : {Spot{0, 0, 128}, {1, 0, 95}, {1, 1, 32}, {2, 0, 63}, {2, 1, 64}})
    EXPECT_EQ(Grey4(s.g), halfGeneral.at(s.x, s.y)) << s.x << "," << s.y;
}

TEST(ClipLine, EachEdgeMovesTheOutsideEndToItsCrossing)
{
  // crossings truncate toward zero; the first end is clipped first
  const struct { const char* name; int in[4], w, h; bool visible; int out[4]; } rows[] = {
    {"bottom", {0, 0, 4, 10}, 10, 5, true, {0, 0, 2, 4}},
    {"top", {4, -4, 0, 4}, 10, 10, true, {2, 0, 0, 4}},
    {"right", {0, 0, 10, 4}, 5, 10, true, {0, 0, 4, 2}},
    {"left, 1.5 truncated", {-3, 0, 1, 2}, 10, 10, true, {0, 1, 1, 2}},
    {"both ends outside", {5, -5, 5, 15}, 10, 10, true, {5, 0, 5, 9}},
    {"outside a corner", {-5, 3, 3, -5}, 10, 10, false, {}},
    {"wholly left", {-5, 0, -1, 9}, 10, 10, false, {}},
    {"empty area", {0, 0, 1, 1}, 0, 10, false, {}},
  };
  for (const auto& r : rows) {
    SCOPED_TRACE(r.name);
    int p[4] = {r.in[0], r.in[1], r.in[2], r.in[3]};
    ASSERT_EQ(r.visible, ClipLine(&p[0], &p[1], &p[2], &p[3], r.w, r.h));
    for (int i = 0; r.visible && i < 4; ++i) EXPECT_EQ(r.out[i], p[i]) << i;
  }
}

TEST(RAS_Line, LinesAreClippedToTheEdgePixels)
{
  TestBitmap left(10, 10);
  RAS_Line(&left, -5, 0, -1, 9, kWhite, 1.0f, 0, false);
  EXPECT_EQ(0, left.countNot(0));

  TestBitmap across(10, 5);
  RAS_Line(&across, -5, 2, 20, 2, kRed, 1.0f, 0, false);
  EXPECT_EQ(MaskPixels(std::string(20, '.') + std::string(10, '#') + std::string(20, '.'), kRed), across.pixels());

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
  TestBitmap flipped(5, 3, 0, true), plain(5, 3);
  for (TestBitmap* bm : {&flipped, &plain}) {
    RAS_Line(bm, 0, 0, 4, 0, kRed, 1.0f, 0, false);
    RAS_Line(bm, 0, 1, 4, 2, kWhite, 1.0f, 0, true);
  }
  EXPECT_EQ(kRed, flipped.getBits()[2 * 5]);  // stored in the last row
  EXPECT_EQ(plain.pixels(), flipped.pixels());
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
