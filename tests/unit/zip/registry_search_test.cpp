#include <gtest/gtest.h>

#include "core/registry_search.h"

using namespace stubframework::utils;

TEST(RegistrySearchRule, MatchesTheWantedPathAsASuffixBeforeTheTrailingBackslash) {
  const struct {
    const wchar_t* relative;
    const wchar_t* wanted;
    bool match;
  } cases[] = {
      {L"16.0\\Word\\InstallRoot\\", L"Word\\InstallRoot", true},
      {L"16.0\\Word\\InstallRoot\\", L"16.0\\Word\\InstallRoot", true},
      {L"16.0\\word\\INSTALLROOT\\", L"Word\\InstallRoot", true},
      // No backslash is needed before the matched part.
      {L"16.0\\MSWord\\InstallRoot\\", L"Word\\InstallRoot", true},
      {L"16.0\\Word\\InstallRoot\\Sub\\", L"Word\\InstallRoot", false},
      {L"16.0\\Excel\\InstallRoot\\", L"Word\\InstallRoot", false},
      // The wanted path must be shorter than the relative path.
      {L"Word\\InstallRoot\\", L"Word\\InstallRoot\\", false},
      {L"", L"Word", false},
      {L"A\\", L"A", true},
  };
  for (const auto& c : cases)
    EXPECT_EQ(MatchWantedRegistryPath(c.relative, c.wanted), c.match)
        << std::string(c.relative, c.relative + wcslen(c.relative));
}

TEST(RegistrySearchRule, GuidShape) {
  EXPECT_TRUE(IsGuidText(L"6F9619FF-8B86-D011-B42D-00C04FC964FF"));
  EXPECT_TRUE(IsGuidText(L"6f9619ff-8b86-d011-b42d-00c04fc964ff"));
  EXPECT_FALSE(IsGuidText(L"{6F9619FF-8B86-D011-B42D-00C04FC964FF}"));
  EXPECT_FALSE(IsGuidText(L"6F9619FF-8B86-D011-B42D-00C04FC964F"));
  EXPECT_FALSE(IsGuidText(L"6F9619FF-8B86-D011-B42D-00C04FC964FG"));
  EXPECT_FALSE(IsGuidText(L"Microsoft"));
  EXPECT_FALSE(IsGuidText(L""));
}
