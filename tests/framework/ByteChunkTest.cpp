#include "../base/AllocatorHook.h"
#include "ByteChunk.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <vector>

namespace {

std::vector<unsigned char> Bytes(const ByteChunk& c)
{
  return std::vector<unsigned char>(c.GetBytes(), c.GetBytes() + c.Size());
}

} // namespace

TEST(ByteChunk, ValuesAreLittleEndianWithoutPadding)
{
  ByteChunk c;
  EXPECT_EQ(0, c.Size());
  EXPECT_EQ(nullptr, c.GetBytes());
  EXPECT_EQ(4, c.Put(0x01020304));
  EXPECT_EQ(12, c.Put(1.0));
  EXPECT_EQ(13, c.PutBool(true));
  EXPECT_EQ(14, c.PutBool(false));
  EXPECT_EQ(21, c.PutStr("abc"));
  EXPECT_EQ(25, c.Put(-2));
  std::vector<unsigned char> expected = {
    4, 3, 2, 1,                                      // int
    0, 0, 0, 0, 0, 0, 0xF0, 0x3F,                    // 1.0
    1, 0,                                            // true, false
    3, 0, 0, 0, 'a', 'b', 'c',                       // "abc"
    0xFE, 0xFF, 0xFF, 0xFF,                          // -2
  };
  EXPECT_EQ(expected, Bytes(c));

  ByteChunk other;
  other.PutStr("");
  EXPECT_EQ(4, other.Size());
  EXPECT_EQ(29, c.PutChunk(&other));
  EXPECT_EQ(29, c.PutChunk(nullptr));
  EXPECT_EQ(58, c.PutChunk(&c));  // a chunk appended to itself
  EXPECT_EQ(0, std::memcmp(c.GetBytes(), c.GetBytes() + 29, 29));
}

TEST(ByteChunk, BytesTakenFromTheChunkItselfSurviveItsGrowth)
{
  // Fault: appending bytes of the chunk itself read them from storage the growth had freed.
  ByteChunk c;
  for (int i = 0; i < 3000; ++i) {
    unsigned char b = static_cast<unsigned char>(i * 7 + 1);
    c.PutBytes(&b, 1);
  }
  {
    AllocatorHook moveOnGrowth(true, false);
    EXPECT_EQ(5000, c.PutBytes(c.GetBytes() + 1000, 2000));
    EXPECT_EQ(1, AllocatorHook::Allocations());
  }
  EXPECT_EQ(0, std::memcmp(c.GetBytes() + 1000, c.GetBytes() + 3000, 2000));
  EXPECT_EQ(5000, c.PutBytes(nullptr, 4));
}

TEST(ByteChunk, ReadsBackEveryValueAndFailsPastTheEnd)
{
  ByteChunk c;
  c.Put(-123456);
  c.Put(-0.1);
  c.PutBool(true);
  c.PutStr("Mid Freq");

  int i = 0;
  double d = 0.0;
  bool b = false;
  BASE_String s;
  int pos = c.Get(&i, 0);
  EXPECT_EQ(4, pos);
  EXPECT_EQ(-123456, i);
  pos = c.Get(&d, pos);
  EXPECT_EQ(12, pos);
  EXPECT_EQ(-0.1, d);
  pos = c.GetBool(&b, pos);
  EXPECT_EQ(13, pos);
  EXPECT_TRUE(b);
  pos = c.GetStr(&s, pos);
  EXPECT_EQ(c.Size(), pos);
  EXPECT_STREQ("Mid Freq", s.Get());

  // Every read that would pass the end, or starts before 0, fails and touches nothing.
  i = 7;
  d = 7.0;
  EXPECT_EQ(-1, c.Get(&i, c.Size() - 3));
  EXPECT_EQ(-1, c.Get(&d, c.Size() - 7));
  EXPECT_EQ(-1, c.Get(&i, -1));
  EXPECT_EQ(-1, c.GetBool(&b, c.Size()));
  EXPECT_EQ(-1, c.GetStr(&s, c.Size() - 3));
  EXPECT_EQ(7, i);
  EXPECT_EQ(7.0, d);
  EXPECT_STREQ("Mid Freq", s.Get());
  EXPECT_EQ(c.Size(), c.Get(&i, c.Size() - 4));
}

TEST(ByteChunk, AnyNonZeroByteReadsTrue)
{
  ByteChunk c;
  c.Resize(2);
  c.GetBytes()[1] = 2;
  bool b = true;
  EXPECT_EQ(1, c.GetBool(&b, 0));
  EXPECT_FALSE(b);
  EXPECT_EQ(2, c.GetBool(&b, 1));
  EXPECT_TRUE(b);
}

TEST(ByteChunk, StringOfLengthZeroLeavesTextAndLongerThanChunkGivesPositionPastEnd)
{
  ByteChunk c;
  c.PutStr("");
  BASE_String s("kept");
  EXPECT_EQ(4, c.GetStr(&s, 0));
  EXPECT_STREQ("kept", s.Get());

  ByteChunk shortData;
  shortData.Put(10);
  shortData.PutBytes("abc", 3);
  EXPECT_EQ(14, shortData.GetStr(&s, 0));
  EXPECT_STREQ("kept", s.Get());
  int i;
  EXPECT_EQ(-1, shortData.Get(&i, 14));
}

TEST(ByteChunk, StringWithNegativeOrOverflowingLengthFails)
{
  // Fault: a negative length, or one whose end overflowed, was returned as a position.
  ByteChunk c;
  c.Put(-5);
  c.PutBytes("abcdefgh", 8);
  BASE_String s("kept");
  EXPECT_EQ(-1, c.GetStr(&s, 0));
  EXPECT_STREQ("kept", s.Get());

  ByteChunk huge;
  huge.Put(0);
  huge.Put(INT_MAX - 2);
  EXPECT_EQ(-1, huge.GetStr(&s, 4));
  EXPECT_STREQ("kept", s.Get());
}

TEST(ByteChunk, ResizeZeroFillsAndReturnsPreviousSize)
{
  ByteChunk c;
  c.Put(-1);
  EXPECT_EQ(4, c.Resize(10));
  EXPECT_EQ(10, c.Size());
  std::vector<unsigned char> expected = { 0xFF, 0xFF, 0xFF, 0xFF, 0, 0, 0, 0, 0, 0 };
  EXPECT_EQ(expected, Bytes(c));
  EXPECT_EQ(10, c.Resize(2));
  EXPECT_EQ(2, c.Resize(6));
  expected = { 0xFF, 0xFF, 0, 0, 0, 0 };
  EXPECT_EQ(expected, Bytes(c));
  EXPECT_EQ(6, c.Resize(-1));
  EXPECT_EQ(6, c.Size());
  EXPECT_EQ(6, c.Resize(0));
  EXPECT_EQ(0, c.Size());

  ByteChunk a, b;
  a.Put(3.5);
  b.Put(3.5);
  EXPECT_TRUE(a.IsEqual(b));
  b.PutBool(false);
  EXPECT_FALSE(a.IsEqual(b));
}
