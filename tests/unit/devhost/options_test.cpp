#include <gtest/gtest.h>

#include "devhost/options.h"

using namespace stubframework::devhost;

TEST(DevhostOptions, OwnSwitchesAmongTheStubs) {
  std::wstring error;
  auto o = ParseDevhostOptions({L"/S", L"--devhost-port=8123", L"--devhost-url-file=C:\\t\\url.txt",
                                L"--devhost-answer=Cancel", L"lang=de"}, &error);
  ASSERT_TRUE(o);
  EXPECT_EQ(o->port, 8123);
  EXPECT_EQ(o->urlFile, L"C:\\t\\url.txt");
  EXPECT_EQ(o->answerOk, false);
  auto defaults = ParseDevhostOptions({}, &error);
  ASSERT_TRUE(defaults);
  EXPECT_EQ(defaults->port, 0);
  EXPECT_FALSE(defaults->answerOk);

  for (const wchar_t* bad : {L"--devhost-port=65536", L"--devhost-port=-1", L"--devhost-port=8x",
                             L"--devhost-port=", L"--devhost-answer=yes", L"--devhost-url-file="}) {
    EXPECT_FALSE(ParseDevhostOptions({bad}, &error));
    EXPECT_NE(error.find(bad), std::wstring::npos);
  }
  EXPECT_EQ(DevhostUrlLine(8123, "abc"), "devhost: http://127.0.0.1:8123/Load.html?token=abc");
}
