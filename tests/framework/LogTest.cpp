#include "Log.h"
#include "Timer.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <string>

TEST(Log, TraceWritesNothingButArgumentsAreEvaluated)
{
  int evaluated = 0;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  TRACE("%d:%s", ++evaluated, "text");
  Trace("function", 12, "%s", CurrentTime());
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
  EXPECT_EQ("", testing::internal::GetCapturedStderr());
  EXPECT_EQ(1, evaluated);
}

TEST(Log, CurrentTimeIsDateHoursMinutesAndZoneCapitals)
{
  std::string t = CurrentTime();
  ASSERT_GE(t.size(), 15u);
  for (int i : { 0, 1, 2, 3, 4, 5, 6, 7, 9, 10, 12, 13 }) {
    EXPECT_TRUE(isdigit(static_cast<unsigned char>(t[i]))) << t;
  }
  EXPECT_EQ(' ', t[8]);
  EXPECT_EQ(':', t[11]);
  EXPECT_EQ(' ', t[14]);
  for (size_t i = 15; i < t.size(); ++i) {
    EXPECT_TRUE(isupper(static_cast<unsigned char>(t[i]))) << t;
  }
}

TEST(Log, CompileTimestampDropsTheBlankAfterTheMonthAndTheSeconds)
{
  BASE_String s;
  CompileTimestamp("Dec  5 2026", "13:45:12", &s);
  EXPECT_STREQ("[Dec 5 13:45]", s.Get());
  CompileTimestamp("Jan 15 2026", "09:05:59", &s);
  EXPECT_STREQ("[Jan15 09:05]", s.Get());
  CompileTimestamp("", "", &s);
  EXPECT_STREQ("[ ]", s.Get());
  CompileTimestamp(nullptr, nullptr, nullptr);

  // The text is kept for the process; each call appends a stamp.
  EXPECT_STREQ("Kelvo [Dec 5 13:45]", AppendTimestamp("Dec  5 2026", "13:45:12", "Kelvo"));
  EXPECT_STREQ("Kelvo [Dec 5 13:45] [Dec 6 01:02]",
               AppendTimestamp("Dec  6 2026", "01:02:03", "ignored"));
}

TEST(Timer, FiresOnlyAfterTheIntervalAndRestarts)
{
  Timer timer;
  EXPECT_FALSE(timer.Every(1e12));
  // Burn processor time until a 0-interval timer fires; it then restarts from now.
  volatile double x = 0.0;
  bool fired = false;
  for (int i = 0; i < 100000000 && !fired; ++i) {
    x = x + 1.0;
    fired = timer.Every(0.0);
  }
  EXPECT_TRUE(fired);
  EXPECT_FALSE(timer.Every(1e12));
}
