#include "core/text.h"

#include <gtest/gtest.h>

using namespace stubframework::utils;

TEST(Utf8, RoundTripsEveryPlane) {
  std::wstring text = L"a\u00e9\u4e2d";
  text += static_cast<wchar_t>(0x10000 <= WCHAR_MAX ? 0x1F600 : 0xD83D);
  if (sizeof(wchar_t) == 2) text += static_cast<wchar_t>(0xDE00);
  std::string bytes = ToUtf8(text);
  EXPECT_EQ(bytes, "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80");
  EXPECT_EQ(FromUtf8(bytes), text);
}

TEST(Utf8, RefusesBytesThatAreNotUtf8) {
  for (const char* bad : {"\xC3", "\xC0\xAF", "\xED\xA0\x80", "\xF5\x80\x80\x80", "\x80", "ab\xE4\xB8"})
    EXPECT_FALSE(FromUtf8(bad).has_value()) << bad;
  EXPECT_EQ(FromUtf8(""), L"");
}

TEST(ParseDecimalInt32, ReadsLikeTheRuntime) {
  struct Case {
    const wchar_t* text;
    int32_t want;
  } cases[] = {
      {L"197800", 197800}, {L"  -42xyz", -42}, {L"+7", 7},          {L"abc", 0},
      {L"", 0},            {L"3000000000", INT32_MAX},               {L"-99999999999", INT32_MIN},
      {L"2147483647", INT32_MAX}, {L"-2147483648", INT32_MIN},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseDecimalInt32(c.text), c.want) << c.text;
}

TEST(ParseStrictInt32, OnlyWholeNumbersInRange) {
  EXPECT_EQ(ParseStrictInt32(L"-1"), -1);
  EXPECT_EQ(ParseStrictInt32(L"2147483647"), INT32_MAX);
  for (const wchar_t* bad : {L"", L"-", L"12a", L" 1", L"2147483648", L"-2147483649"})
    EXPECT_FALSE(ParseStrictInt32(bad).has_value()) << bad;
}

TEST(SplitText, DropsEmptyPieces) {
  using V = std::vector<std::wstring>;
  EXPECT_EQ(SplitText(L"a;;b;", L";"), (V{L"a", L"b"}));
  EXPECT_EQ(SplitText(L";Word\\InstallRoot", L";"), (V{L"Word\\InstallRoot"}));
  EXPECT_EQ(SplitText(L"", L";"), V{});
  EXPECT_EQ(SplitText(L";;;", L";"), V{});
}
