// Languages, OS names, registry paths and the command line's pass-through values.
#include <gtest/gtest.h>

#include "core/command_line.h"
#include "core/languages.h"
#include "core/os_names.h"
#include "core/registry_path.h"

using namespace stubframework::utils;

TEST(Languages, IdentifierToRow) {
  struct Case {
    uint16_t id;
    int row;
  } cases[] = {
      {0x0409, 1},  {0x0C0A, 6},  {0x2C0A, 6},  {0x0C07, 3},  {0x0812, 9}, {0x0814, 67}, {0x046E, 58},
      {0x0438, 0},  {0x0404, 13}, {0x1004, 12}, {0x041A, 80}, {0x101A, 29}, {0x141A, 25}, {0x0C1A, 80},
      {0x3C1A, 0},  {0x0478, 105}, {0x0491, 79}, {0x0000, 0},  {0xFFFF, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(LanguageIndexOf(c.id), c.row) << std::hex << c.id;
}

TEST(Languages, TableRowsAndBounds) {
  ASSERT_EQ(LanguageCount(), 108);
  EXPECT_STREQ(LanguageByIndex(1)->code, L"en");
  EXPECT_STREQ(LanguageByIndex(1)->name, L"English");
  EXPECT_STREQ(LanguageByIndex(5)->code, L"jp");
  EXPECT_STREQ(LanguageByIndex(107)->name, L"Zulu");
  EXPECT_EQ(LanguageByIndex(-1), nullptr);
  EXPECT_EQ(LanguageByIndex(108), nullptr);
}

TEST(OsNames, VersionInfoRule) {
  struct Case {
    VersionFacts facts;
    const wchar_t* want;
  } cases[] = {
      {{5, 1, true, false}, L"Windows XP"},  {{5, 2, true, true}, L"Windows XP"},   {{5, 2, false, true}, L"Other"},
      {{6, 0, true, false}, L"Windows Vista"}, {{6, 1, true, true}, L"Windows 7"},  {{6, 3, true, true}, L"Windows 8"},
      {{6, 4, true, true}, L"Windows 10"},   {{6, 5, true, true}, L"Other"},        {{10, 0, true, true}, L"Windows 10"},
      {{10, 0, false, true}, L"Other"},      {{11, 0, true, true}, L"Other"},
  };
  for (const auto& c : cases) EXPECT_EQ(OsNameByVersionInfo(c.facts), c.want);
}

TEST(RegistryPath, RootsSubKeysAndTheProductKey) {
  EXPECT_EQ(SplitRegistryPath(L"hklm\\SOFTWARE\\X").root, RegistryRoot::LocalMachine);
  EXPECT_EQ(SplitRegistryPath(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\X").subKey, L"SOFTWARE\\X");
  EXPECT_EQ(SplitRegistryPath(L"Hku\\S").root, RegistryRoot::Users);
  EXPECT_EQ(SplitRegistryPath(L"HKEY_PERFORMANCE_DATA\\x").root, RegistryRoot::None);
  // A path without a backslash names no key at all, not the root.
  EXPECT_EQ(SplitRegistryPath(L"HKCU").root, RegistryRoot::None);
  EXPECT_EQ(MajorVersionOf(L"25.0.0"), L"25");
  EXPECT_EQ(MajorVersionOf(L"7"), L"7");
  EXPECT_EQ(ProductRegistryKey(L"Ideagrove", L"25.0.0"),
            L"HKEY_CURRENT_USER\\SOFTWARE\\Quillon\\stubframework\\Ideagrove\\25");
}

TEST(PassthroughArguments, BothKeysAndTheirQuotes) {
  EXPECT_EQ(PassthroughArguments(L"a.exe passthrough=\"/x 1\""), L"/x 1");
  EXPECT_EQ(PassthroughArguments(L"a.exe passthrough=\"A\" passthro=\"B\""), L"A B");
  EXPECT_EQ(PassthroughArguments(L"a.exe passthro=\"B\""), L" B");
  EXPECT_EQ(PassthroughArguments(L"a.exe passthrough=\"open"), L"");
  EXPECT_EQ(PassthroughArguments(L"a.exe PASSTHROUGH=\"x\""), L"");
}
