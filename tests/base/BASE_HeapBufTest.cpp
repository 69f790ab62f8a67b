#include "AllocatorHook.h"
#include "BASE_HeapBuf.h"
#include "BASE_TypedBuf.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>

namespace {

void FillPattern(BASE_HeapBuf& buf)
{
  unsigned char* p = static_cast<unsigned char*>(buf.Get());
  for (int i = 0; i < buf.GetSize(); ++i) {
    p[i] = static_cast<unsigned char>(i * 7 + 3);
  }
}

bool HasPattern(const BASE_HeapBuf& buf, int n)
{
  const unsigned char* p = static_cast<const unsigned char*>(buf.Get());
  for (int i = 0; i < n; ++i) {
    if (p[i] != static_cast<unsigned char>(i * 7 + 3)) {
      return false;
    }
  }
  return true;
}

} // namespace

TEST(BASE_HeapBuf, AllocationGrowsByHalfTheSizeOrWholePages)
{
  // {size, granularity, allocation}: small granularity gives newSize + max(newSize / 2,
  // granularity); pages give whole pages less 96 bytes, growing by 4 KiB to 4 MiB.
  const int rows[][3] = {{10, 128, 138},      {300, 128, 450},     {0, 128, 128},          {0, 4096, 4000},
                         {1, 4096, 4000},     {4000, 4096, 8096},  {5000, 4096, 8096},     {20000, 4096, 24480},
                         {10000000, 4096, 14192544}};
  for (const auto& row : rows) {
    EXPECT_EQ(row[2], BASE_HeapBuf::AllocationFor(row[0], row[1])) << row[0] << " by " << row[1];
  }
  // Every allocation holds the size asked for.
  for (int n = 0; n < 70000; n += 97) {
    EXPECT_GE(BASE_HeapBuf::AllocationFor(n, 4096), n);
    EXPECT_GE(BASE_HeapBuf::AllocationFor(n, 128), n);
  }
}

TEST(BASE_HeapBuf, GrowsKeepingContentsIgnoresNegativeSizesAndReportsNullWhenEmpty)
{
  BASE_HeapBuf buf(128);
  EXPECT_EQ(nullptr, buf.Get());
  EXPECT_EQ(nullptr, buf.Resize(0));
  EXPECT_EQ(0, buf.GetAlloc());

  ASSERT_NE(nullptr, buf.Resize(10));
  EXPECT_EQ(10, buf.GetSize());
  EXPECT_EQ(138, buf.GetAlloc());
  FillPattern(buf);

  void* before = buf.Get();
  buf.Resize(138);  // within the allocation: only the used size changes
  EXPECT_EQ(before, buf.Get());
  EXPECT_EQ(138, buf.GetAlloc());

  buf.Resize(300);
  EXPECT_EQ(450, buf.GetAlloc());
  EXPECT_TRUE(HasPattern(buf, 10));

  void* p = buf.Get();
  EXPECT_EQ(p, buf.Resize(-1));  // a negative size changes nothing
  EXPECT_EQ(300, buf.GetSize());

  EXPECT_EQ(nullptr, buf.Resize(0, false));
  EXPECT_EQ(0, buf.GetSize());
  EXPECT_EQ(450, buf.GetAlloc());
}

TEST(BASE_HeapBuf, ShrinksOnlyWhenAskedAndBelowHalfAndFourGranulesShort)
{
  BASE_HeapBuf buf(128);
  buf.Resize(1000);
  ASSERT_EQ(1500, buf.GetAlloc());
  FillPattern(buf);

  buf.Resize(100, false);
  EXPECT_EQ(1500, buf.GetAlloc());
  buf.Resize(1000);

  buf.Resize(750, true);  // not below half of 1500
  EXPECT_EQ(1500, buf.GetAlloc());
  buf.Resize(749, true);  // below 750 and below 1500 - 4 * 128
  EXPECT_EQ(749 + 374, buf.GetAlloc());
  EXPECT_TRUE(HasPattern(buf, 749));

  // A page-granular block of 8096 bytes is never more than four granules too large.
  BASE_HeapBuf pages(4096);
  pages.Resize(5000);
  ASSERT_EQ(8096, pages.GetAlloc());
  pages.Resize(1, true);
  EXPECT_EQ(8096, pages.GetAlloc());
  pages.Resize(0, true);
  EXPECT_EQ(8096, pages.GetAlloc());
  EXPECT_EQ(0, pages.GetSize());
}

TEST(BASE_HeapBuf, FailedReallocationFallsBackToNewBlockWithKeptBytes)
{
  BASE_HeapBuf buf(128);
  buf.Resize(100);
  FillPattern(buf);
  {
    AllocatorHook hook(true, false);
    ASSERT_NE(nullptr, buf.Resize(1000));
    EXPECT_EQ(1, AllocatorHook::Reallocations());
    EXPECT_EQ(1, AllocatorHook::Allocations());
  }
  EXPECT_EQ(1000, buf.GetSize());
  EXPECT_EQ(1500, buf.GetAlloc());
  EXPECT_TRUE(HasPattern(buf, 100));

  // Shrinking through the fallback copies only the bytes that remain.
  FillPattern(buf);
  {
    AllocatorHook hook(true, false);
    buf.Resize(10, true);
  }
  EXPECT_EQ(10, buf.GetSize());
  EXPECT_EQ(138, buf.GetAlloc());
  EXPECT_TRUE(HasPattern(buf, 10));
}

TEST(BASE_HeapBuf, WhenBothAllocationsFailOldStorageAndSizeStay)
{
  BASE_HeapBuf buf(4096);
  buf.Resize(3000);
  FillPattern(buf);
  void* before = buf.Get();
  {
    AllocatorHook hook(true, true);
    EXPECT_EQ(before, buf.Resize(10000));
    EXPECT_EQ(1, AllocatorHook::Reallocations());
    EXPECT_EQ(1, AllocatorHook::Allocations());
  }
  EXPECT_EQ(3000, buf.GetSize());
  EXPECT_EQ(4000, buf.GetAlloc());
  EXPECT_TRUE(HasPattern(buf, 3000));

  // An empty buffer that cannot get memory stays empty.
  BASE_HeapBuf empty(128);
  {
    AllocatorHook hook(true, true);
    EXPECT_EQ(nullptr, empty.Resize(5));
  }
  EXPECT_EQ(0, empty.GetSize());
  EXPECT_EQ(0, empty.GetAlloc());
}

TEST(BASE_TypedBuf, CountsElementsAndRejectsImpossibleCounts)
{
  BASE_TypedBuf<double> buf;
  EXPECT_EQ(nullptr, buf.Get());
  EXPECT_EQ(0, buf.GetSize());
  double* p = buf.Resize(513);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(513, buf.GetSize());
  for (int i = 0; i < 513; ++i) {
    p[i] = i * 0.5;
  }
  buf.Resize(INT_MAX / 4);  // more bytes than an int can count
  EXPECT_EQ(513, buf.GetSize());
  buf.Resize(-3);
  EXPECT_EQ(513, buf.GetSize());
  EXPECT_EQ(256.0, buf.Get()[512]);
  EXPECT_EQ(nullptr, buf.Resize(0));
  EXPECT_EQ(0, buf.GetSize());
}
