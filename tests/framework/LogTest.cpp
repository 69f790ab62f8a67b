#include "Log.h"
#include "Timer.h"

#include <gtest/gtest.h>

#include <cctype>
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
  // "YYYYMMDD HH:MM ZONE": every character's class by position.
  std::string t = CurrentTime();
  const std::string pattern = "dddddddd dd:dd ";
  ASSERT_GT(t.size(), pattern.size());
  for (size_t i = 0; i < t.size(); ++i) {
    char want = i < pattern.size() ? pattern[i] : 'A';
    unsigned char c = static_cast<unsigned char>(t[i]);
    EXPECT_TRUE(want == 'd' ? isdigit(c) : want == 'A' ? isupper(c) : t[i] == want) << t << " at " << i;
  }
}

TEST(Log, CompileTimestampDropsTheBlankAfterTheMonthAndTheSeconds)
{
  BASE_String s;
  struct { const char* date; const char* time; const char* stamp; } rows[] = {
    { "Dec  5 2026", "13:45:12", "[Dec 5 13:45]" }, { "Jan 15 2026", "09:05:59", "[Jan15 09:05]" }, { "", "", "[ ]" },
  };
  for (const auto& r : rows) {
    CompileTimestamp(r.date, r.time, &s);
    EXPECT_STREQ(r.stamp, s.Get()) << r.date;
  }
  CompileTimestamp(nullptr, nullptr, nullptr);

  // The text is kept for the process; each call appends a stamp.
  EXPECT_STREQ("Kelvo [Dec 5 13:45]", AppendTimestamp("Dec  5 2026", "13:45:12", "Kelvo"));
  EXPECT_STREQ("Kelvo [Dec 5 13:45] [Dec 6 01:02]", AppendTimestamp("Dec  6 2026", "01:02:03", "ignored"));
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
