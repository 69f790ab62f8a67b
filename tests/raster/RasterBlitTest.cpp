#include "RasterTestBitmaps.h"

#include <gtest/gtest.h>

namespace {

constexpr RAS_pixel kSentinel = 0xA5A5A5A5u;

// source of w x h pixels numbered 1, 2, 3 ... row by row
void Number(TestBitmap& bm)
{
  RAS_pixel n = 1;
  for (int y = 0; y < bm.getHeight(); ++y)
    for (int x = 0; x < bm.getWidth(); ++x) bm.at(x, y) = n++;
}

}  // namespace

TEST(RAS_Blit, FullWeightCopyPlacesTheSourceRectangleAndNothingElse)
{
  TestBitmap src(3, 2);
  Number(src);
  TestBitmap dest(5, 4);
  dest.fill(kSentinel);
  RAS_Blit(&dest, &src, 1, 1, nullptr, 1.0f, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 5; ++x) {
      const bool inside = x >= 1 && x < 4 && y >= 1 && y < 3;
      EXPECT_EQ(inside ? static_cast<RAS_pixel>((y - 1) * 3 + x) : kSentinel, dest.at(x, y)) << x << "," << y;
    }

  // the (x, y, w, h) form takes (srcx, srcy, srcx + w, srcy + h)
  dest.fill(kSentinel);
  RAS_Blit(&dest, &src, 0, 0, 1, 1, 2, 1, 1.0f, 0);
  EXPECT_EQ(5u, dest.at(0, 0));
  EXPECT_EQ(6u, dest.at(1, 0));
  EXPECT_EQ(kSentinel, dest.at(2, 0));
  EXPECT_EQ(kSentinel, dest.at(0, 1));
}

TEST(RAS_Blit, HalfWeightCopyIsTheBytewiseAverageOfHalvedBytes)
{
  TestBitmap src(1, 1), dest(1, 1);
  src.at(0, 0) = 0x01010101u;
  dest.at(0, 0) = 0xFFFFFFFFu;
  RAS_Blit(&dest, &src, 0, 0, nullptr, 0.5f, 0);
  EXPECT_EQ(0x7F7F7F7Fu, dest.at(0, 0));  // the copy formula would give 0x80
  dest.at(0, 0) = 0xFFFFFFFFu;
  RAS_Blit(&dest, &src, 0, 0, nullptr, 0.5f - 1.0f / 256, 0);
  EXPECT_EQ(0x80808080u, dest.at(0, 0));  // weight 127: 1 + 254 * 129 / 256
  // with the filter field the same mode still takes the shortcut
  dest.at(0, 0) = 0xFFFFFFFFu;
  RAS_Blit(&dest, &src, 0, 0, nullptr, 0.5f, 0x100);
  EXPECT_EQ(0x7F7F7F7Fu, dest.at(0, 0));
}

TEST(RAS_Blit, SourceRectangleOutsideTheSourceShiftsTheDestination)
{
  TestBitmap src(3, 3);
  Number(src);
  TestBitmap dest(6, 6);
  dest.fill(kSentinel);
  RECT rect = {-2, -1, 2, 2};  // two columns and one row outside
  RAS_Blit(&dest, &src, 0, 0, &rect, 1.0f, 0);
  EXPECT_EQ(1u, dest.at(2, 1));
  EXPECT_EQ(2u, dest.at(3, 1));
  EXPECT_EQ(5u, dest.at(3, 2));
  EXPECT_EQ(kSentinel, dest.at(4, 1));
  EXPECT_EQ(kSentinel, dest.at(1, 1));
  EXPECT_EQ(kSentinel, dest.at(2, 0));
  EXPECT_EQ(kSentinel, dest.at(2, 3));

  // right and bottom beyond the source are cut at the source
  dest.fill(kSentinel);
  rect = {1, 1, 10, 10};
  RAS_Blit(&dest, &src, 0, 0, &rect, 1.0f, 0);
  EXPECT_EQ(5u, dest.at(0, 0));
  EXPECT_EQ(9u, dest.at(1, 1));
  EXPECT_EQ(kSentinel, dest.at(2, 0));
  EXPECT_EQ(kSentinel, dest.at(0, 2));
}

TEST(RAS_Blit, ClipsAtEveryEdgeOfBothBitmaps)
{
  TestBitmap src(3, 2);
  Number(src);
  for (int flips = 0; flips < 4; ++flips) {
    TestBitmap fsrc(3, 2, flips & 1);
    fsrc.copyFrom(src);
    for (int dx = -4; dx <= 5; ++dx)
      for (int dy = -3; dy <= 4; ++dy)
        for (int l = -2; l <= 3; ++l)
          for (int t = -2; t <= 2; ++t)
            for (int mode : {0, 1}) {
              TestBitmap dest(4, 3, flips & 2, 1);
              dest.fill(kSentinel);
              RECT rect = {l, t, l + 3, t + 2};
              RAS_Blit(&dest, &fsrc, dx, dy, &rect, 1.0f, mode);
              for (int y = 0; y < 3; ++y)
                for (int x = 0; x < 5; ++x) {
                  const int u = x - dx + l, v = y - dy + t;
                  const bool inside = x < 4 && u >= 0 && u < 3 && v >= 0 && v < 2 && u >= l && u < l + 3 &&
                                      v >= t && v < t + 2;
                  const RAS_pixel s = inside ? src.at(u, v) : 0;
                  const RAS_pixel want = !inside ? kSentinel : mode == 0 ? s : RAS_CombinePixels(kSentinel, s, 1, 1);
                  ASSERT_EQ(want, dest.at(x, y)) << dx << "," << dy << " rect " << l << "," << t << " at " << x
                                                 << "," << y << " flips " << flips;
                }
            }
  }
}

TEST(RAS_Blit, ChannelCopyMovesOneByteAndIgnoresTheWeight)
{
  TestBitmap src(2, 1), dest(2, 1);
  src.at(0, 0) = 0x44332211u;  // bytes 0x11 0x22 0x33 0x44
  src.at(1, 0) = 0x88776655u;
  struct Case
  {
    int mode;
    RAS_pixel want0;
  };
  const Case cases[] = {
      {0xF5, 0xDDCC22AAu},  // byte 1 to byte 1
      {0xF4, 0xDDCC11AAu},  // byte 0 to byte 1
      {0xFB, 0xDD44BBAAu},  // byte 3 to byte 2
      {0xF0, 0xDDCCBB11u},  // byte 0 to byte 0
      {0x100F2, 0xDDCCBB33u},
  };
  for (const Case& c : cases) {
    dest.at(0, 0) = dest.at(1, 0) = 0xDDCCBBAAu;
    RAS_Blit(&dest, &src, 0, 0, nullptr, 0.3f, c.mode);
    EXPECT_EQ(c.want0, dest.at(0, 0)) << std::hex << c.mode;
  }
  dest.at(0, 0) = 0xDDCCBBAAu;
  RAS_Blit(&dest, &src, 0, 0, nullptr, 0.0f, 0xF5);
  EXPECT_EQ(0xDDCCBBAAu, dest.at(0, 0));
}

TEST(RAS_Blit, FlippedBitmapsAreWalkedFromTheirLastStoredRow)
{
  TestBitmap src(2, 3, true), dest(2, 3);
  Number(src);  // logical rows 1 2 / 3 4 / 5 6, stored bottom-up
  EXPECT_EQ(5u, src.words()[0]);
  RAS_Blit(&dest, &src, 0, 0, nullptr, 1.0f, 0);
  EXPECT_EQ((std::vector<RAS_pixel>{1, 2, 3, 4, 5, 6}), dest.words());

  TestBitmap back(2, 3, true);
  RAS_Blit(&back, &dest, 0, 1, 0, 0, 2, 1, 1.0f, 0);  // logical row 1 is stored in the middle
  EXPECT_EQ(1u, back.words()[2]);
  EXPECT_EQ(2u, back.words()[3]);
  EXPECT_EQ(1u, RAS_GetPixel(&back, 0, 1));
}

TEST(RAS_Blit, NullEmptyTransparentAndUnknownCallsDrawNothing)
{
  TestBitmap src(3, 3), dest(3, 3), empty(0, 0);
  Number(src);
  dest.fill(kSentinel);
  const std::vector<RAS_pixel> before = dest.words();
  RAS_Blit(nullptr, &src, 0, 0, nullptr, 1.0f, 0);
  RAS_Blit(&dest, nullptr, 0, 0, nullptr, 1.0f, 0);
  RAS_Blit(&dest, &empty, 0, 0, nullptr, 1.0f, 0);
  RAS_Blit(&empty, &src, 0, 0, nullptr, 1.0f, 0);
  RAS_Blit(&dest, &src, 0, 0, nullptr, 0.0f, 0);
  RAS_Blit(&dest, &src, 0, 0, nullptr, 1.0f / 512, 1);  // weight 0
  RAS_Blit(&dest, &src, 0, 0, nullptr, -1.0f, 1);
  RAS_Blit(&dest, &src, 0, 0, 1, 1, 0, 2, 1.0f, 0);
  RAS_Blit(&dest, &src, 0, 0, 1, 1, 2, -1, 1.0f, 0);
  RAS_Blit(&dest, &src, 3, 0, nullptr, 1.0f, 0);
  RAS_Blit(&dest, &src, 0, -3, nullptr, 1.0f, 0);
  RAS_Blit(&dest, &src, 0, 0, 3, 0, 1, 1, 1.0f, 0);
  for (int mode : {6, 0x7F, 0x10006, 0x10010})
    RAS_Blit(&dest, &src, 0, 0, nullptr, 0.7f, mode);
  RAS_Blit(&dest, &src, 0x7FFFFFF0, 0x7FFFFFF0, -0x7FFFFFF0, -0x7FFFFFF0, 0x7FFFFFFF, 0x7FFFFFFF, 1.0f, 0);
  EXPECT_EQ(before, dest.words());
}

TEST(RAS_Blit, BlitOntoItselfReadsEverySourcePixelBeforeItIsOverwritten)
{
  std::mt19937 rng(7);
  for (int dx = -2; dx <= 2; ++dx)
    for (int dy = -2; dy <= 2; ++dy)
      for (int mode : {0, 0x10001}) {
        TestBitmap bm(5, 4), copy(5, 4), want(5, 4);
        bm.fillRandom(rng);
        copy.copyFrom(bm);
        want.copyFrom(bm);
        RAS_Blit(&want, &copy, dx, dy, nullptr, 1.0f, mode);
        RAS_Blit(&bm, &bm, dx, dy, nullptr, 1.0f, mode);
        ASSERT_EQ(want.words(), bm.words()) << dx << "," << dy;
      }
}

TEST(RAS_Copy, ResizesTheDestinationAndCopiesEveryPixel)
{
  TestBitmap src(5, 3, true, 2);
  Number(src);
  RAS_MemBitmap dest(1, 1);
  RAS_Copy(&dest, &src);
  ASSERT_EQ(5, dest.getWidth());
  ASSERT_EQ(3, dest.getHeight());
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 5; ++x) EXPECT_EQ(src.at(x, y), RAS_GetPixel(&dest, x, y));
  RAS_Copy(&dest, &dest);
  RAS_Copy(nullptr, &src);
  RAS_Copy(&dest, nullptr);
  EXPECT_EQ(5, dest.getWidth());
  EXPECT_EQ(8u, RAS_GetPixel(&dest, 2, 1));
}

TEST(RAS_GetPixel, ReturnsZeroOutsideTheBitmapOrWithoutPixels)
{
  TestBitmap bm(2, 2, false, 1), empty(0, 0);
  Number(bm);
  EXPECT_EQ(4u, RAS_GetPixel(&bm, 1, 1));
  EXPECT_EQ(0u, RAS_GetPixel(&bm, -1, 0));
  EXPECT_EQ(0u, RAS_GetPixel(&bm, 2, 0));  // the row padding is not a pixel
  EXPECT_EQ(0u, RAS_GetPixel(&bm, 0, 2));
  EXPECT_EQ(0u, RAS_GetPixel(&bm, 0, -1));
  EXPECT_EQ(0u, RAS_GetPixel(&empty, 0, 0));
  EXPECT_EQ(0u, RAS_GetPixel(nullptr, 0, 0));
}

TEST(RAS_PutPixel, UsesTheWholeWordWeightsAndOtherwiseTheColoursOwnAlpha)
{
  TestBitmap bm(3, 1);
  struct Case
  {
    float alpha;
    int mode;
    RAS_pixel color, before, want;
  };
  const Case cases[] = {
      {1.0f, 0, 0x12345678u, 0xFFFFFFFFu, 0x12345678u},
      {0.5f, 0, 0x00000000u, 0xFFFFFFFFu, 0x7F7F7F7Fu},
      {0.25f, 0, 0x00000000u, 0xFFFFFFFFu, 0xBEBEBEBEu},
      {0.75f, 0, 0x00000000u, 0xFFFFFFFFu, 0x3F3F3F3Fu},
      // weight 76 with the colour's alpha 40: 100 + 100 * 180 / 256, 40 + 160 * 180 / 256
      {0.3f, 0, RAS_RGBA(100, 100, 100, 40), RAS_RGBA(200, 200, 200, 200), RAS_RGBA(170, 170, 170, 152)},
      {0.5f, 1, RAS_RGBA(100, 9, 0, 40), RAS_RGBA(200, 200, 200, 200), RAS_RGBA(250, 204, 200, 220)},
      // the source-alpha bit is not consulted: a transparent colour still lands
      {1.0f, 0x10000, RAS_RGBA(1, 2, 3, 0), 0xFFFFFFFFu, RAS_RGBA(1, 2, 3, 0)},
      {0.0f, 0, 0x12345678u, 0xFFFFFFFFu, 0xFFFFFFFFu},
      {1.0f, 6, 0x12345678u, 0xFFFFFFFFu, 0xFFFFFFFFu},
  };
  for (const Case& c : cases) {
    bm.fill(c.before);
    RAS_PutPixel(&bm, 1, 0, c.color, c.alpha, c.mode);
    EXPECT_EQ(c.want, bm.at(1, 0)) << c.alpha << " mode " << c.mode;
    EXPECT_EQ(c.before, bm.at(0, 0));
    EXPECT_EQ(c.before, bm.at(2, 0));
  }
  bm.fill(0);
  for (int x : {-1, 3}) RAS_PutPixel(&bm, x, 0, 0xFFFFFFFFu, 1.0f, 0);
  RAS_PutPixel(&bm, 0, 1, 0xFFFFFFFFu, 1.0f, 0);
  RAS_PutPixel(&bm, 0, -1, 0xFFFFFFFFu, 1.0f, 0);
  RAS_PutPixel(nullptr, 0, 0, 0xFFFFFFFFu, 1.0f, 0);
  EXPECT_EQ((std::vector<RAS_pixel>{0, 0, 0}), bm.words());
}
