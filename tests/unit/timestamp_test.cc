#include "checker/timestamp.h"

#include <gtest/gtest.h>

namespace {

std::tm Time(int year, int month, int day, int wday, int hour, int minute, int second) {
  std::tm t = {};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_wday = wday;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  return t;
}

TEST(TimestampLine, FixedLayoutWithLeadingZeros) {
  EXPECT_EQ(FormatTimestampLine(Time(2024, 3, 5, 2, 14, 3, 7)), "Tue Mar 05 14:03:07 2024\n");
  EXPECT_EQ(FormatTimestampLine(Time(1999, 12, 31, 5, 23, 59, 59)), "Fri Dec 31 23:59:59 1999\n");
  EXPECT_EQ(FormatTimestampLine(Time(2007, 1, 1, 0, 0, 0, 0)), "Sun Jan 01 00:00:00 2007\n");
  EXPECT_EQ(FormatTimestampLine(Time(2026, 8, 15, 6, 9, 30, 1)), "Sat Aug 15 09:30:01 2026\n");
}

}  // namespace
