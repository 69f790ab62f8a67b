#include "AllocatorHook.h"
#include "BASE_HeapBuf.h"
#include "BASE_TypedBuf.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

std::vector<unsigned char> Pattern(int n)
{
  std::vector<unsigned char> bytes(n);
  for (int i = 0; i < n; ++i) {
    bytes[i] = static_cast<unsigned char>(i * 7 + 3);
  }
  return bytes;
}

void FillPattern(BASE_HeapBuf& buf) { std::memcpy(buf.Get(), Pattern(buf.GetSize()).data(), buf.GetSize()); }

bool HasPattern(const BASE_HeapBuf& buf, int n) { return std::memcmp(buf.Get(), Pattern(n).data(), n) == 0; }

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
  EXPECT_EQ(138, buf.GetAlloc());
  FillPattern(buf);
  void* before = buf.Get();
  EXPECT_EQ(before, buf.Resize(138));  // within the allocation: only the used size changes
  EXPECT_EQ(138, buf.GetSize());
  EXPECT_EQ(138, buf.GetAlloc());
  buf.Resize(300);
  EXPECT_EQ(450, buf.GetAlloc());
  EXPECT_TRUE(HasPattern(buf, 10));
  EXPECT_EQ(buf.Get(), buf.Resize(-1));
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
  for (int size : {1, 0}) {
    pages.Resize(size, true);
    EXPECT_EQ(8096, pages.GetAlloc()) << size;
  }
}

TEST(BASE_HeapBuf, FailedReallocationFallsBackToANewBlockAndAFailedFallbackKeepsTheOldStorage)
{
  BASE_HeapBuf buf(128);
  buf.Resize(100);
  FillPattern(buf);
  for (int size : {1000, 10}) {
    // growing or shrinking through the fallback copies the bytes that remain
    AllocatorHook hook(true, false);
    ASSERT_NE(nullptr, buf.Resize(size, true));
    EXPECT_EQ(1, AllocatorHook::Reallocations());
    EXPECT_EQ(1, AllocatorHook::Allocations());
    EXPECT_EQ(size, buf.GetSize());
    EXPECT_EQ(size == 10 ? 138 : 1500, buf.GetAlloc());
    EXPECT_TRUE(HasPattern(buf, size == 10 ? 10 : 100));
    FillPattern(buf);
  }

  BASE_HeapBuf pages(4096), empty(128);
  pages.Resize(3000);
  FillPattern(pages);
  void* before = pages.Get();
  AllocatorHook hook(true, true);
  EXPECT_EQ(before, pages.Resize(10000));
  EXPECT_EQ(1, AllocatorHook::Reallocations());
  EXPECT_EQ(1, AllocatorHook::Allocations());
  EXPECT_EQ(3000, pages.GetSize());
  EXPECT_EQ(4000, pages.GetAlloc());
  EXPECT_TRUE(HasPattern(pages, 3000));
  EXPECT_EQ(nullptr, empty.Resize(5));
  EXPECT_EQ(0, empty.GetSize());
  EXPECT_EQ(0, empty.GetAlloc());
}

TEST(BASE_TypedBuf, CountsElementsAndRejectsImpossibleCounts)
{
  BASE_TypedBuf<double> buf;
  EXPECT_EQ(nullptr, buf.Get());
  double* p = buf.Resize(513);
  ASSERT_NE(nullptr, p);
  EXPECT_EQ(513, buf.GetSize());
  for (int i = 0; i < 513; ++i) {
    p[i] = i * 0.5;
  }
  buf.Resize(INT_MAX / 4);  // more bytes than an int can count
  buf.Resize(-3);
  EXPECT_EQ(513, buf.GetSize());
  EXPECT_EQ(256.0, buf.Get()[512]);
  EXPECT_EQ(nullptr, buf.Resize(0));
  EXPECT_EQ(0, buf.GetSize());
}
