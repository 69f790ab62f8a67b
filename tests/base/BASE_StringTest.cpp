#include "AllocatorHook.h"
#include "BASE_String.h"

#include <gtest/gtest.h>

TEST(BASE_String, UnsetStringIsEmptyTextAndSettingEmptyOrShorterTextAllocatesNothing)
{
  BASE_String s;
  ASSERT_NE(nullptr, s.Get());
  EXPECT_STREQ("", s.Get());
  {
    AllocatorHook hook(false, false);
    EXPECT_TRUE(s.Set(""));
    EXPECT_TRUE(s.Set(nullptr));
    EXPECT_EQ(0, AllocatorHook::Reallocations() + AllocatorHook::Allocations());
  }
  EXPECT_STREQ("", s.Get());
  // the storage never shrinks
  std::string longText(1000, 'x');
  s.Set(longText.c_str());
  const char* storage = s.Get();
  {
    AllocatorHook hook(false, false);
    s.Set("short");
    s.Set(longText.c_str(), 999);
    EXPECT_EQ(0, AllocatorHook::Reallocations() + AllocatorHook::Allocations());
  }
  EXPECT_EQ(storage, s.Get());
}

TEST(BASE_String, SetCopiesAtMostMaxLengthCharacters)
{
  BASE_String s;
  s.Set("equaliser", 5);
  EXPECT_STREQ("equal", s.Get());
  s.Set("eq", 5);
  EXPECT_STREQ("eq", s.Get());
  s.Set("program equaliser", 0);
  EXPECT_STREQ("program equaliser", s.Get());
  EXPECT_EQ(17, s.GetLength());
}

TEST(BASE_String, FailedGrowthKeepsTheOldText)
{
  BASE_String s("abc");
  std::string longText(500, 'y');
  {
    AllocatorHook hook(true, true);
    EXPECT_FALSE(s.Set(longText.c_str()));
    EXPECT_FALSE(s.Append(longText.c_str()));
  }
  EXPECT_STREQ("abc", s.Get());
}

TEST(BASE_String, AppendAddsTextIncludingItsOwn)
{
  BASE_String s("user");
  s.Append(" preset");
  s.Append(" 12345", 2);
  EXPECT_STREQ("user preset 1", s.Get());
  s.Append(s.Get());
  EXPECT_STREQ("user preset 1user preset 1", s.Get());
  BASE_String copy(s);
  EXPECT_STREQ(s.Get(), copy.Get());
}

TEST(BASE_String, DeleteSubRemovesUpToLengthInsideTheText)
{
  BASE_String s("0123456789");
  s.DeleteSub(2, 3);
  EXPECT_STREQ("0156789", s.Get());
  s.DeleteSub(5, 100);
  EXPECT_STREQ("01567", s.Get());
  s.DeleteSub(-1, 2);
  s.DeleteSub(5, 1);
  s.DeleteSub(9, 1);
  s.DeleteSub(1, 0);
  EXPECT_STREQ("01567", s.Get());
  s.DeleteSub(0, 5);
  EXPECT_STREQ("", s.Get());
  BASE_String never;
  never.DeleteSub(0, 1);
  EXPECT_STREQ("", never.Get());
}
