#include "raster_bitmap.h"

#include <cstdint>
#include <gtest/gtest.h>

TEST(RAS_MemBitmap, RowSpanFollowsLineAlignment)
{
  EXPECT_EQ(12, RAS_MemBitmap(10, 3, 4).getRowSpan());
  EXPECT_EQ(10, RAS_MemBitmap(10, 3, 0).getRowSpan());
  EXPECT_EQ(10, RAS_MemBitmap(10, 3, 1).getRowSpan());
  EXPECT_EQ(16, RAS_MemBitmap(10, 3, 64).getRowSpan());
  EXPECT_EQ(12, RAS_MemBitmap(10, 3, 12).getRowSpan());  // lowest set bit of 12 is 4
}

TEST(RAS_MemBitmap, BitsAre64ByteAlignedAndGrowthKeepsHeadroom)
{
  RAS_MemBitmap bm(10, 10, 4);
  ASSERT_NE(nullptr, bm.getBits());
  EXPECT_EQ(0u, reinterpret_cast<uintptr_t>(bm.getBits()) % 64);
  EXPECT_EQ(12 * 10 * 4, bm.getAllocatedBytes());

  EXPECT_FALSE(bm.resize(10, 10));
  EXPECT_TRUE(bm.resize(12, 12));
  const int grown = 12 * 12 * 4;
  EXPECT_EQ(grown + grown / 4, bm.getAllocatedBytes());
  EXPECT_TRUE(bm.resize(4, 4));  // smaller: the allocation stays
  EXPECT_EQ(grown + grown / 4, bm.getAllocatedBytes());

  EXPECT_TRUE(bm.resize(0, 0));
  EXPECT_EQ(nullptr, bm.getBits());
  EXPECT_EQ(0, bm.getAllocatedBytes());
  EXPECT_TRUE(bm.resize(3, 3));
  EXPECT_EQ(4 * 3 * 4, bm.getAllocatedBytes());
}

TEST(RAS_SysBitmap, RowSpanIsWidthRoundedToFourAndPixelsComeFromItsContext)
{
  RAS_SysBitmap bm(5, 3);
  EXPECT_EQ(8, bm.getRowSpan());
  ASSERT_NE(nullptr, bm.getDC());
  EXPECT_EQ(static_cast<void*>(bm.getBits()), GDI_GetCtxFrameBuffer(bm.getDC()));
  EXPECT_EQ(8, GDI_GetCtxWidth(bm.getDC()));

  GDI_HDC before = bm.getDC();
  EXPECT_TRUE(bm.resize(4, 2));  // fits: the context stays
  EXPECT_EQ(before, bm.getDC());
  EXPECT_EQ(8, bm.getRowSpan());

  EXPECT_TRUE(bm.resize(9, 2));
  EXPECT_EQ(12, bm.getRowSpan());
  EXPECT_FALSE(bm.resize(0, 2));
  EXPECT_EQ(nullptr, bm.getDC());
  EXPECT_EQ(nullptr, bm.getBits());
}
