#include "core/wide_format.h"

#include <gtest/gtest.h>

using stubframework::utils::FormatWide;

TEST(FormatWide, WideStringsAndIntegersAsTheWindowsRuntimeReadsThem) {
  EXPECT_EQ(FormatWide(L"EMDownload: CoMarshalInterThreadInterfaceInStream failed with %x", 0x80004005u),
            L"EMDownload: CoMarshalInterThreadInterfaceInStream failed with 80004005");
  EXPECT_EQ(FormatWide(L"EMSetProperty %s, %s", L"value", L"name"), L"EMSetProperty value, name");
  EXPECT_EQ(FormatWide(L"EMSetDataToReg %d, %s", -1, L"x"), L"EMSetDataToReg -1, x");
  EXPECT_EQ(FormatWide(L"%hs|%S", "narrow", "also"), L"narrow|also");
  EXPECT_EQ(FormatWide(L"%lu %ld %lld %I64d", 3000000000ul, -5l, -9000000000ll, 9000000000ll),
            L"3000000000 -5 -9000000000 9000000000");
}

TEST(FormatWide, WidthPrecisionAndFlags) {
  struct Case {
    std::wstring got, want;
  } cases[] = {
      {FormatWide(L"%4d%02d%02d", 2024, 1, 31), L"20240131"},
      {FormatWide(L"%3d", 7), L"  7"},
      {FormatWide(L"%-4d|", 7), L"7   |"},
      {FormatWide(L"%08X", 0xBEEFu), L"0000BEEF"},
      {FormatWide(L"%#x", 255u), L"0xff"},
      {FormatWide(L"%.3s", L"abcdef"), L"abc"},
      {FormatWide(L"%5s", L"ab"), L"   ab"},
      {FormatWide(L"%d", INT32_MIN), L"-2147483648"},
      {FormatWide(L"%u", 0u), L"0"},
      {FormatWide(L"100%%"), L"100%"},
      {FormatWide(L"%c", L'Z'), L"Z"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.got, c.want);
}

TEST(FormatWide, OddFormatsNeverReadPastTheirArguments) {
  EXPECT_EQ(FormatWide(L"%s", static_cast<const wchar_t*>(nullptr)), L"(null)");
  EXPECT_EQ(FormatWide(L"trailing %"), L"trailing %");
  EXPECT_EQ(FormatWide(L"%q stays"), L"%q stays");
  EXPECT_EQ(FormatWide(nullptr), L"");
}
