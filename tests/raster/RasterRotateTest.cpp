#include "RasterTestBitmaps.h"

#include <gtest/gtest.h>

namespace {

constexpr RAS_pixel kSentinel = 0xA5A5A5A5u;

}  // namespace

TEST(RAS_RotatedBlit, AngleZeroReproducesTheSourceWhereverItIsClipped)
{
  std::mt19937 rng(11);
  TestBitmap src(5, 3, true);
  src.fillRandom(rng);
  for (bool clip : {false, true})
    for (int dx = -6; dx <= 5; ++dx)
      for (int dy = -4; dy <= 3; ++dy) {
        TestBitmap dest(5, 3, dx & 1, 1);
        dest.fill(kSentinel);
        RAS_RotatedBlit(&dest, &src, dx, dy, 5, 3, 0.0f, 0.0f, 5.0f, 3.0f, 0.0f, clip, 1.0f, 0, 0.0f, 0.0f);
        for (int y = 0; y < 3; ++y)
          for (int x = 0; x < 6; ++x) {
            const int u = x - dx, v = y - dy;
            const bool inside = x < 5 && u >= 0 && u < 5 && v >= 0 && v < 3;
            ASSERT_EQ(inside ? src.at(u, v) : kSentinel, dest.at(x, y)) << dx << "," << dy << " at " << x << "," << y;
          }
      }
}

TEST(RAS_RotatedBlit, CentreOffsetMovesTheSourceAndTheClipKeepsToTheRectangle)
{
  TestBitmap src(4, 1);
  for (int x = 0; x < 4; ++x) src.at(x, 0) = Grey(10 * (x + 1));
  TestBitmap dest(4, 1);
  dest.fill(kSentinel);
  RAS_RotatedBlit(&dest, &src, 0, 0, 4, 1, 0.0f, 0.0f, 4.0f, 1.0f, 0.0f, false, 1.0f, 0, 1.0f, 0.0f);
  EXPECT_EQ((std::vector<RAS_pixel>{Grey(20), Grey(30), Grey(40), kSentinel}), dest.words());

  // the rectangle is columns 1 and 2; the offset -1 reads columns 0 and 1
  dest.fill(kSentinel);
  RAS_RotatedBlit(&dest, &src, 0, 0, 2, 1, 1.0f, 0.0f, 2.0f, 1.0f, 0.0f, true, 1.0f, 0, -1.0f, 0.0f);
  EXPECT_EQ((std::vector<RAS_pixel>{kSentinel, Grey(20), kSentinel, kSentinel}), dest.words());
  dest.fill(kSentinel);
  RAS_RotatedBlit(&dest, &src, 0, 0, 2, 1, 1.0f, 0.0f, 2.0f, 1.0f, 0.0f, false, 1.0f, 0, -1.0f, 0.0f);
  EXPECT_EQ((std::vector<RAS_pixel>{Grey(10), Grey(20), kSentinel, kSentinel}), dest.words());
}

TEST(RAS_RotatedBlit, NegativeSizesMirrorAndBilinearFilteringMixesNeighbours)
{
  TestBitmap src(3, 1);
  src.at(0, 0) = Grey(0);
  src.at(1, 0) = Grey(200);
  src.at(2, 0) = Grey(100);
  TestBitmap dest(3, 1);
  RAS_RotatedBlit(&dest, &src, 3, 0, -3, 1, 0.0f, 0.0f, 3.0f, 1.0f, 0.0f, true, 1.0f, 0, 0.0f, 0.0f);
  EXPECT_EQ((std::vector<RAS_pixel>{Grey(100), Grey(200), Grey(0)}), dest.words());

  // half a pixel in: the only row is the last, so neighbours mix along it; the last
  // column is taken as it is
  dest.fill(kSentinel);
  RAS_RotatedBlit(&dest, &src, 0, 0, 3, 1, 0.5f, 0.0f, 3.0f, 1.0f, 0.0f, false, 1.0f, 0x100, 0.0f, 0.0f);
  EXPECT_EQ((std::vector<RAS_pixel>{Grey(100), Grey(150), Grey(100)}), dest.words());
}

TEST(RAS_RotatedBlit, SourceAlphaSkipsTransparentPixelsAtAnyAngle)
{
  TestBitmap src(4, 4), dest(4, 4);
  src.fill(RAS_RGBA(255, 255, 255, 0));
  for (float angle : {0.0f, 0.7f, 3.0f}) {
    dest.fill(kSentinel);
    RAS_RotatedBlit(&dest, &src, 0, 0, 4, 4, 0.0f, 0.0f, 4.0f, 4.0f, angle, false, 1.0f, 0x10100, 0.0f, 0.0f);
    EXPECT_EQ(std::vector<RAS_pixel>(16, kSentinel), dest.words());
    RAS_RotatedBlit(&dest, &src, 0, 0, 4, 4, 0.0f, 0.0f, 4.0f, 4.0f, angle, false, 0.5f, 0x10000, 0.0f, 0.0f);
    EXPECT_EQ(std::vector<RAS_pixel>(16, kSentinel), dest.words());
  }
}

TEST(RAS_RotatedBlit, RotatingABitmapOntoItselfReadsTheUnchangedSource)
{
  std::mt19937 rng(13);
  TestBitmap bm(6, 5), copy(6, 5), want(6, 5);
  bm.fillRandom(rng);
  copy.copyFrom(bm);
  want.copyFrom(bm);
  RAS_RotatedBlit(&want, &copy, 1, 0, 6, 5, 0.0f, 0.0f, 6.0f, 5.0f, 0.4f, false, 0.8f, 0x100, 0.5f, 0.0f);
  RAS_RotatedBlit(&bm, &bm, 1, 0, 6, 5, 0.0f, 0.0f, 6.0f, 5.0f, 0.4f, false, 0.8f, 0x100, 0.5f, 0.0f);
  EXPECT_EQ(want.words(), bm.words());
}

TEST(RAS_RotatedBlit, NullEmptyTransparentAndUnknownCallsDrawNothing)
{
  TestBitmap src(3, 3), dest(3, 3), empty(0, 0);
  src.fill(0x12345678u);
  dest.fill(kSentinel);
  RAS_RotatedBlit(nullptr, &src, 0, 0, 3, 3, 0, 0, 3, 3, 0.5f, false, 1.0f, 0);
  RAS_RotatedBlit(&dest, nullptr, 0, 0, 3, 3, 0, 0, 3, 3, 0.5f, false, 1.0f, 0);
  RAS_RotatedBlit(&dest, &empty, 0, 0, 3, 3, 0, 0, 3, 3, 0.5f, false, 1.0f, 0);
  RAS_RotatedBlit(&empty, &src, 0, 0, 3, 3, 0, 0, 3, 3, 0.5f, false, 1.0f, 0);
  RAS_RotatedBlit(&dest, &src, 0, 0, 0, 3, 0, 0, 3, 3, 0.5f, false, 1.0f, 0);
  RAS_RotatedBlit(&dest, &src, 0, 0, 3, 0, 0, 0, 3, 3, 0.5f, false, 1.0f, 0);
  RAS_RotatedBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 3, 3, 0.5f, false, 0.0f, 0);
  RAS_RotatedBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 3, 3, 0.5f, false, 1.0f, 6);
  RAS_RotatedBlit(&dest, &src, 0, 0, 3, 3, 5, 0, 3, 3, 0.5f, true, 1.0f, 0);  // rectangle off the source
  RAS_RotatedBlit(&dest, &src, 3, 3, 3, 3, 0, 0, 3, 3, 0.5f, false, 1.0f, 0);
  RAS_RotatedBlit(&dest, &src, 0, 0, 3, 3, 0, 0, 3, 3, 0.0f, false, 1.0f, 0, 1e20f, 0.0f);
  EXPECT_EQ(std::vector<RAS_pixel>(9, kSentinel), dest.words());
}
