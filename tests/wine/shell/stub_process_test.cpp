// The real stub executable, started as a user starts it, with its temporary path in a scratch
// folder so that everything it leaves behind can be seen.
#include <gtest/gtest.h>

#include "htmlui/wizard_window_win.h"
#include "shell/application_win.h"
#include "support/log_lines.h"
#include "support/wine_support.h"

using namespace stubframework;
using namespace testing_support;

namespace {

class StubProcess : public ::testing::Test {
 protected:
  void SetUp() override { DeleteRegistryTree(HKEY_CURRENT_USER, kProductSubKey); }
  void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, kProductSubKey); }

  ProgramRun runStub(const std::wstring& tempPath, const wchar_t* program = L"IdeagroveSetup.exe") {
    return RunProgram(BinFolder() + program, L"", {{L"TMP", tempPath}, {L"TEMP", tempPath}},
                      std::chrono::seconds(60));
  }

  // The lines of the one log copy the run kept.
  std::vector<std::string> keptLog(const std::wstring& tempPath) {
    std::vector<std::wstring> copies = ListFolder(tempPath + L"Ideagrove_log");
    if (copies.size() != 1 || copies[0].rfind(L"installer_log_", 0) != 0) return {};
    return LogLines(ReadFileBytes(tempPath + L"Ideagrove_log\\" + copies[0]));
  }

  void setProductValue(const wchar_t* name, const wchar_t* text) {
    HKEY key;
    ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kProductSubKey, 0, nullptr, 0,
                                KEY_ALL_ACCESS | KEY_WOW64_32KEY, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    ::RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text),
                     static_cast<DWORD>((wcslen(text) + 1) * sizeof(wchar_t)));
    ::RegCloseKey(key);
  }
};

}  // namespace

TEST_F(StubProcess, ARunKeepsOnlyTheLogCopy) {
  ScratchFolder temp;
  ProgramRun run = runStub(temp.path());
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  // The bundle's folder and the log's own folder are gone; the copy stays in Ideagrove_log.
  EXPECT_EQ(ListFolder(temp.path()), std::vector<std::wstring>{L"Ideagrove_log"});
  std::vector<std::string> lines = keptLog(temp.path());
  ASSERT_FALSE(lines.empty());
  for (const auto& line : lines) EXPECT_TRUE(IsLogLine(line)) << line;
  // The pages were unpacked, but Wine has no HTML engine: the window could not be made, and a
  // run that never reported a status keeps the initial 4, which is not stored.
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kProductSubKey, L"status"));
  for (const auto& line : lines) EXPECT_EQ(line.find("] Property "), std::string::npos) << line;
}

TEST_F(StubProcess, WithoutItsPagesTheRunFailsWithStatus2) {
  ScratchFolder temp;
  ProgramRun run = runStub(temp.path(), L"IdeagroveSetup-nobundle.exe");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kProductSubKey, L"status"), L"2");
  EXPECT_EQ(ListFolder(temp.path()), std::vector<std::wstring>{L"Ideagrove_log"});
  std::vector<std::string> lines = keptLog(temp.path());
  bool failed = false, dumped = false;
  for (const auto& line : lines) {
    EXPECT_TRUE(IsLogLine(line)) << line;
    failed |= line.find("] Load Resource from pe failed.") != std::string::npos;
    dumped |= line.find("] Property uninstallOption: ") != std::string::npos;
  }
  EXPECT_TRUE(failed);
  EXPECT_TRUE(dumped);
}

TEST_F(StubProcess, ASelfUpdateCodeInTheRegistryBecomesTheExitCode) {
  ScratchFolder temp;
  setProductValue(L"selfupdate_code", L"197800");
  ProgramRun run = runStub(temp.path());
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 197800u);
}

TEST_F(StubProcess, WithoutATemporaryFolderItRunsAndWritesNoLog) {
  ScratchFolder temp;
  ProgramRun run = runStub(temp.path() + L"missing\\");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  EXPECT_TRUE(ListFolder(temp.path()).empty());
}

TEST_F(StubProcess, ASecondInstanceRestoresTheFirstWizardAndEnds) {
  // This process plays the first instance: it holds the mutex and a minimised wizard window.
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, L"QuillonStubFramework");
  ASSERT_NE(mutex, nullptr);
  core::Application first(nullptr);
  bool done = false;
  HWND window = htmlui::CreateWizardWindow(L"", first.htmlExternal(), &done);
  ASSERT_NE(window, nullptr);
  ::ShowWindow(window, SW_SHOWMINIMIZED);
  ASSERT_TRUE(::IsIconic(window));

  ScratchFolder temp;
  StartedProgram second(BinFolder() + L"IdeagroveSetup.exe", L"", {{L"TMP", temp.path()}, {L"TEMP", temp.path()}});
  ASSERT_TRUE(second.started());
  ProgramRun run;
  // Pump this thread's messages while the second instance asks the window to restore.
  for (int i = 0; i < 600 && !run.finished; ++i) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    run = second.wait(std::chrono::milliseconds(50));
  }
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  for (int i = 0; i < 20 && ::IsIconic(window); ++i) {
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ::DispatchMessageW(&msg);
    ::Sleep(50);
  }
  EXPECT_FALSE(::IsIconic(window));
  EXPECT_TRUE(ListFolder(temp.path()).empty());  // no log
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, kProductSubKey, L"status"));

  ::DestroyWindow(window);
  ::CloseHandle(mutex);
}
