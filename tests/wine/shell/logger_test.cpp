#include "shell/logger_win.h"

#include <gtest/gtest.h>

#include "support/wine_support.h"
#include "support/log_lines.h"

using namespace stubframework;
using namespace testing_support;

namespace {

// Points the temporary path of this process elsewhere for the test's duration.
class TempPathOverride {
 public:
  explicit TempPathOverride(const std::wstring& path) {
    for (const wchar_t* name : {L"TMP", L"TEMP"}) {
      wchar_t old[MAX_PATH];
      DWORD n = ::GetEnvironmentVariableW(name, old, MAX_PATH);
      saved_.emplace_back(name, std::wstring(old, n));
      ::SetEnvironmentVariableW(name, path.c_str());
    }
  }
  ~TempPathOverride() {
    for (const auto& [name, value] : saved_) ::SetEnvironmentVariableW(name.c_str(), value.c_str());
  }

 private:
  std::vector<std::pair<std::wstring, std::wstring>> saved_;
};

}  // namespace

TEST(Logger, WritesFormattedLinesAndStopsAfterClose) {
  std::wstring folder;
  {
    debug::Logger log;
    ASSERT_FALSE(log.path().empty());
    folder = log.folder();
    EXPECT_EQ(log.path().rfind(folder + L"installer_log_", 0), 0u);
    log.debug(L"EMDownload");
    log.error(L"EMDownload: CoMarshalInterThreadInterfaceInStream failed with %x", 0x80004005u);
    log.trace(L"%s> %s %d", L"HttpTask::Start", L"status", 206);
    log.debug(L"Property %s: %s\n", L"uninstallOption", L"");
    log.debug(L"%s", L"caf\u00e9 \u4e2d");
    log.closeFile();
    log.debug(L"after close");

    std::vector<std::string> lines = LogLines(ReadFileBytes(log.path()));
    ASSERT_EQ(lines.size(), 5u);
    for (const auto& line : lines) EXPECT_TRUE(IsLogLine(line)) << line;
    EXPECT_NE(lines[0].find(" DEBUG] EMDownload"), std::string::npos);
    EXPECT_NE(lines[1].find(" ERROR] EMDownload: CoMarshalInterThreadInterfaceInStream failed with 80004005"),
              std::string::npos);
    EXPECT_NE(lines[2].find(" TRACE] HttpTask::Start> status 206"), std::string::npos);
    EXPECT_NE(lines[3].find("] Property uninstallOption: "), std::string::npos);
    // Characters outside the ANSI code page are kept: the message is written as UTF-8.
    EXPECT_NE(lines[4].find("caf\xC3\xA9 \xE4\xB8\xAD"), std::string::npos);
  }
  // The logger takes its folder with it.
  EXPECT_FALSE(PathExists(folder));
}

TEST(Logger, WithoutATemporaryFolderItWritesNothing) {
  ScratchFolder scratch;
  TempPathOverride missing(scratch.path() + L"does\\not\\exist\\");
  debug::Logger log;
  EXPECT_TRUE(log.path().empty());
  log.debug(L"dropped %d", 1);
  log.closeFile();
  EXPECT_TRUE(ListFolder(scratch.path()).empty());
}
