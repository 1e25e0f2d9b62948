#include "core/log_format.h"

#include <gtest/gtest.h>

using namespace stubframework::debug;

TEST(LogFormat, LinePrefixPadsMillisecondsWithSpaces) {
  EXPECT_EQ(LinePrefix({2024, 1, 31, 9, 30, 5, 42}, kDebug), "[20240131 09:30:05  42 DEBUG] ");
  EXPECT_EQ(LinePrefix({2024, 1, 31, 9, 30, 5, 7}, kError), "[20240131 09:30:05   7 ERROR] ");
  EXPECT_EQ(LinePrefix({2026, 12, 1, 23, 59, 59, 999}, kTrace), "[20261201 23:59:59 999 TRACE] ");
  EXPECT_EQ(LinePrefix({2026, 12, 1, 0, 0, 0, 0}, kWarning), "[20261201 00:00:00   0 WARNING] ");
}

TEST(LogFormat, Timestamp14) { EXPECT_EQ(Timestamp14({2024, 1, 31, 9, 30, 5, 42}), L"20240131093005"); }

TEST(LogFormat, CurrentUtcTimeIsInRange) {
  UtcTime t = CurrentUtcTime();
  EXPECT_GE(t.year, 2024);
  EXPECT_TRUE(t.month >= 1 && t.month <= 12 && t.day >= 1 && t.day <= 31);
  EXPECT_TRUE(t.hour < 24 && t.minute < 60 && t.second < 61 && t.millisecond < 1000);
}
