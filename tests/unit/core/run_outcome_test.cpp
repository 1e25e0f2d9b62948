#include "core/run_outcome.h"

#include <gtest/gtest.h>

#include "core/product.h"

using namespace stubframework;
using namespace stubframework::core;

TEST(SettleFinalStatus, TheExitTable) {
  struct Case {
    int32_t status;
    const wchar_t* option;
    int32_t want;
  } cases[] = {
      {0, L"", 3},        {0, L"Remove", 93}, {0, L"remove", 3},  {0, L"Modify", 73}, {0, L"Repair", 83},
      {1, L"", 1},        {2, L"Repair", 82}, {3, L"Modify", 73}, {4, L"Remove", 4},  {70, L"", 70},
      {-1, L"", -1},      {-5, L"Remove", 85},
  };
  for (const auto& c : cases) EXPECT_EQ(SettleFinalStatus(c.status, c.option), c.want) << c.status << c.option;
}

TEST(ExitCodeOf, RecordThenRegistryThenZero) {
  EXPECT_EQ(ExitCodeOf(kRelaunchExitCode, std::nullopt), kRelaunchExitCode);
  EXPECT_EQ(ExitCodeOf(kUnsetMarker, L"197800"), kRelaunchExitCode);
  EXPECT_EQ(ExitCodeOf(5, L"197800"), 5);
  EXPECT_EQ(ExitCodeOf(kUnsetMarker, L"no digits"), 0);
  EXPECT_EQ(ExitCodeOf(kUnsetMarker, L"-3x"), -3);
  EXPECT_EQ(ExitCodeOf(kUnsetMarker, std::nullopt), 0);
}
