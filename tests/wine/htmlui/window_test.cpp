// The wizard window and the window methods on a real window (Wine, Xvfb). Wine has no HTML
// engine, so the window is the one the development host uses: the same class and procedure,
// without a document.
#include <gtest/gtest.h>

#include <thread>

#include "htmlui/message_box_win.h"
#include "htmlui/wizard_window_win.h"
#include "shell/file_system_win.h"
#include "shell/application_win.h"
#include "support/log_lines.h"
#include "stub/my_external_methods_win.h"
#include "support/script_caller.h"
#include "support/wine_support.h"

using namespace stubframework;
using namespace testing_support;

namespace {

class WizardWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    application.htmlExternal().publish(methods);
    window = htmlui::CreateWizardWindow(L"", application.htmlExternal(), &done);
    ASSERT_NE(window, nullptr);
  }
  void TearDown() override {
    htmlui::SetMessageBoxAnswer(std::nullopt);
    if (::IsWindow(window)) ::DestroyWindow(window);
    DeleteRegistryTree(HKEY_CURRENT_USER, kProductSubKey);
  }

  ScriptCaller script() { return ScriptCaller(&application.htmlExternal()); }
  std::vector<std::string> logLines() { return LogLines(ReadFileBytes(application.logger().path())); }
  bool logHas(const std::string& text) {
    for (const auto& line : logLines())
      if (line.size() >= text.size() && line.compare(line.size() - text.size(), text.size(), text) == 0) return true;
    return false;
  }
  RECT windowRect() {
    RECT r;
    ::GetWindowRect(window, &r);
    return r;
  }

  core::Application application{nullptr};
  myexternalmethods::MyExternalMethods methods{&application};
  bool done = false;
  HWND window = nullptr;
};

LRESULT CALLBACK PlainWindowProc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return ::DefWindowProcW(w, m, wp, lp); }

}  // namespace

TEST_F(WizardWindow, CreationTellsTheMethodTableAndDestructionForgetsIt) {
  EXPECT_EQ(methods.window(), window);
  EXPECT_EQ(application.htmlExternal().window(), window);
  LONG style = ::GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_POPUP);
  EXPECT_FALSE(style & WS_CAPTION);
  EXPECT_TRUE(::GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW);
  ::DestroyWindow(window);
  EXPECT_EQ(methods.window(), nullptr);
  EXPECT_EQ(application.htmlExternal().window(), nullptr);
}

TEST_F(WizardWindow, CloseSetsTheFlagAndTheScriptGoesOn) {
  // closeWindow and a call after it in the same script.
  EXPECT_EQ(script().call(L"closeWindow", 1, {}), S_OK);
  EXPECT_TRUE(done);
  EXPECT_EQ(script().call(L"setProperty", 1, {ScriptCaller::Text(L"after"), ScriptCaller::Text(L"close")}), S_OK);
  EXPECT_EQ(application.htmlExternal().getPageProperty(L"after"), L"close");
  EXPECT_TRUE(::IsWindow(window));  // the loop, not the method, ends the window
  htmlui::RunWizardLoop(window, &done);
  EXPECT_TRUE(logHas("] ZSClose"));
}

TEST_F(WizardWindow, CloseActsOnlyOnTheWizardClass) {
  WNDCLASSW other{};
  other.lpfnWndProc = PlainWindowProc;
  other.hInstance = ::GetModuleHandleW(nullptr);
  other.lpszClassName = L"NotTheWizard";
  ::RegisterClassW(&other);
  HWND stranger = ::CreateWindowW(L"NotTheWizard", L"", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, other.hInstance,
                                  nullptr);
  methods.setWindow(stranger);
  EXPECT_EQ(script().call(L"closeWindow", 1, {}), S_OK);
  EXPECT_FALSE(done);
  ::DestroyWindow(stranger);
  // WM_CLOSE, as the system's close command sends it, also only sets the flag.
  ::SendMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(done);
  EXPECT_TRUE(::IsWindow(window));
}

TEST_F(WizardWindow, AQuitMessageEndsTheLoopAndIsPostedAgain) {
  ::PostQuitMessage(7);
  htmlui::RunWizardLoop(window, &done);
  MSG msg;
  ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
  EXPECT_EQ(msg.wParam, 7u);
}

TEST_F(WizardWindow, SizeIsCentredAndAppliedOnce) {
  EXPECT_EQ(script().call(L"setWindowSize", 1, {ScriptCaller::Int(655), ScriptCaller::Int(513)}), S_OK);
  RECT placed = windowRect();
  HDC screen = ::GetDC(nullptr);
  int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(placed.right - placed.left, 655 * dpi / 96);
  EXPECT_EQ(placed.bottom - placed.top, 513 * dpi / 96);
  RECT work;
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_LE(std::abs((placed.left + placed.right) - (work.left + work.right)), 1);
  EXPECT_LE(std::abs((placed.top + placed.bottom) - (work.top + work.bottom)), 1);
  EXPECT_TRUE(logHas("] ZSWindowSize: 655"));

  // The user drags the window away; the same size again leaves it there.
  ::SetWindowPos(window, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  script().call(L"setWindowSize", 1, {ScriptCaller::Int(655), ScriptCaller::Int(513)});
  EXPECT_EQ(windowRect().left, 10);
  EXPECT_EQ(windowRect().top, 20);

  // Larger than the work area: its top-left corner.
  script().call(L"setWindowSize", 1, {ScriptCaller::Int(5000), ScriptCaller::Int(4000)});
  EXPECT_EQ(windowRect().left, work.left);
  EXPECT_EQ(windowRect().top, work.top);
}

TEST_F(WizardWindow, AFinishedPageThatNeverSizedTheWindowGetsTheDefault) {
  application.htmlExternal().onDocumentComplete(nullptr);
  RECT r = windowRect();
  HDC screen = ::GetDC(nullptr);
  int dpi = ::GetDeviceCaps(screen, LOGPIXELSX);
  ::ReleaseDC(nullptr, screen);
  EXPECT_EQ(r.right - r.left, 400 * dpi / 96);
  // Once sized, completion leaves it alone.
  script().call(L"setWindowSize", 1, {ScriptCaller::Int(300), ScriptCaller::Int(100)});
  application.htmlExternal().onDocumentComplete(nullptr);
  EXPECT_EQ(windowRect().right - windowRect().left, 300 * dpi / 96);
}

TEST_F(WizardWindow, ShowHideAndMinimise) {
  EXPECT_EQ(script().call(L"hideWindow", 1, {}), S_OK);
  EXPECT_FALSE(::IsWindowVisible(window));
  EXPECT_EQ(script().call(L"showWindow", 1, {}), S_OK);
  EXPECT_TRUE(::IsWindowVisible(window));
  // minimizedWindow logs before its checks, so even a malformed call leaves its line.
  EXPECT_EQ(script().call(L"minimizedWindow", 3, {}), DISP_E_MEMBERNOTFOUND);
  EXPECT_TRUE(logHas("] EMMinimizedWindow"));
  EXPECT_FALSE(::IsIconic(window));
  EXPECT_EQ(script().call(L"minimizedWindow", 1, {}), S_OK);
  EXPECT_TRUE(::IsIconic(window));
  EXPECT_TRUE(logHas("] EMHideWindow"));
  EXPECT_TRUE(logHas("] EMShowWindow"));
}

TEST_F(WizardWindow, ConfirmAnswersOnlyWhenAskedAndLogsTheResult) {
  htmlui::SetMessageBoxAnswer(IDCANCEL);
  EXPECT_EQ(script().call(L"confirmMessageBox", 3, {ScriptCaller::Text(L"Quit?"), ScriptCaller::Text(L"Setup")}),
            S_OK);
  EXPECT_TRUE(logHas("] EMConfirmMessageBox"));
  for (const auto& line : logLines()) EXPECT_EQ(line.find("EMConfirmMessageBox Result"), std::string::npos);

  VARIANT result;
  ::VariantInit(&result);
  script().call(L"confirmMessageBox", 3, {ScriptCaller::Text(L"Quit?"), ScriptCaller::Text(L"Setup")}, &result);
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_FALSE);
  EXPECT_TRUE(logHas("] EMConfirmMessageBox Result : Cancel Close"));
  htmlui::SetMessageBoxAnswer(IDOK);
  script().call(L"confirmMessageBox", 3, {ScriptCaller::Text(L"Quit?"), ScriptCaller::Text(L"Setup")}, &result);
  EXPECT_EQ(result.boolVal, VARIANT_TRUE);
  EXPECT_TRUE(logHas("] EMConfirmMessageBox Result : Close"));
  EXPECT_EQ(script().call(L"messageBox", 1, {ScriptCaller::Text(L"Hello"), ScriptCaller::Text(L"Setup")}), S_OK);
  EXPECT_TRUE(logHas("] ZSMessageBox: Hello Setup"));
}

TEST_F(WizardWindow, ARealConfirmBoxDismissedWithEscapeIsFalse) {
  // Another thread plays the user: it waits for the box and presses Escape in it.
  std::thread user([] {
    for (int i = 0; i < 200; ++i) {
      HWND box = ::FindWindowW(L"#32770", L"Real box");
      if (box) {
        ::PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 0);
        ::PostMessageW(box, WM_KEYUP, VK_ESCAPE, 0);
        return;
      }
      ::Sleep(50);
    }
  });
  VARIANT result;
  ::VariantInit(&result);
  script().call(L"confirmMessageBox", 3, {ScriptCaller::Text(L"Really?"), ScriptCaller::Text(L"Real box")}, &result);
  user.join();
  EXPECT_EQ(result.vt, VT_BOOL);
  EXPECT_EQ(result.boolVal, VARIANT_FALSE);
}

// The child: a run whose page ends the process with terminateWindow.
static int TerminateChild(int, char**) {
  core::Application application(nullptr);
  myexternalmethods::MyExternalMethods methods(&application);
  application.htmlExternal().publish(methods);
  application.data().setStatus(5);
  // Where the parent can find what the run leaves behind.
  WriteFileBytes(BinFolder() + L"terminate-child.txt",
                 std::string(application.logger().folder().begin(), application.logger().folder().end()));
  ScriptCaller(&application.htmlExternal()).call(L"terminateWindow", 1, {});
  return 3;  // never reached
}
static const bool kTerminateChild = RegisterChild("terminate", TerminateChild);

TEST(TerminateWindow, EndsAtOnceLeavingTheRunAsItWas) {
  DeleteRegistryTree(HKEY_CURRENT_USER, kProductSubKey);
  ProgramRun run = RunChildProgram("terminate");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 0u);
  std::string folder = ReadFileBytes(BinFolder() + L"terminate-child.txt");
  ::DeleteFileW((BinFolder() + L"terminate-child.txt").c_str());
  std::wstring logFolder(folder.begin(), folder.end());
  ASSERT_FALSE(logFolder.empty());
  // No shutdown step ran: the log folder is still there and the status was not settled.
  EXPECT_TRUE(PathExists(logFolder));
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kProductSubKey, L"status"), L"5");
  stubframework::utils::DeleteFolderTree(logFolder);
  DeleteRegistryTree(HKEY_CURRENT_USER, kProductSubKey);
}

TEST(MshtmlWizardHost, WithoutTheHtmlEngineTheWizardIsNotShown) {
  // Wine has no HTML engine: the document cannot be made, so the window is not created and the
  // host returns at once.
  win::ComApartment sta(COINIT_APARTMENTTHREADED);
  core::Application application(nullptr);
  myexternalmethods::MyExternalMethods methods(&application);
  application.htmlExternal().publish(methods);
  ScratchFolder bundle;
  WriteFileBytes(bundle.path() + L"Load.html", "<html><head><title>Load</title></head></html>");
  htmlui::MshtmlWizardHost host;
  host.showWizard(bundle.path(), application.htmlExternal());
  EXPECT_EQ(::FindWindowW(L"HTMLUI", nullptr), nullptr);
  EXPECT_EQ(methods.window(), nullptr);
  DeleteRegistryTree(HKEY_CURRENT_USER, kProductSubKey);
}

// The child: a wizard window sized to 655 x 513; answers the outer size as width * 10000 + height.
static int SizeChild(int, char**) {
  core::Application application(nullptr);
  myexternalmethods::MyExternalMethods methods(&application);
  application.htmlExternal().publish(methods);
  bool done = false;
  HWND window = htmlui::CreateWizardWindow(L"", application.htmlExternal(), &done);
  if (!window) return 1;
  ScriptCaller(&application.htmlExternal()).call(L"setWindowSize", 1, {ScriptCaller::Int(655), ScriptCaller::Int(513)});
  RECT r;
  ::GetWindowRect(window, &r);
  ::DestroyWindow(window);
  return (r.right - r.left) * 10000 + (r.bottom - r.top);
}
static const bool kSizeChild = RegisterChild("size", SizeChild);

TEST(WindowDpi, At144DpiTheWindowIsScaled) {
  // The screen's dpi is read when a process starts: the child runs with the setting changed.
  HKEY key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, L"Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
            ERROR_SUCCESS);
  DWORD saved = 0, size = sizeof saved, type = 0;
  bool hadValue = ::RegQueryValueExW(key, L"LogPixels", nullptr, &type, reinterpret_cast<BYTE*>(&saved), &size) ==
                  ERROR_SUCCESS;
  DWORD dpi = 144;
  ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&dpi), sizeof dpi);
  ProgramRun run = RunChildProgram("size");
  if (hadValue)
    ::RegSetValueExW(key, L"LogPixels", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&saved), sizeof saved);
  else
    ::RegDeleteValueW(key, L"LogPixels");
  ::RegCloseKey(key);
  DeleteRegistryTree(HKEY_CURRENT_USER, kProductSubKey);
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(run.exitCode, 982u * 10000 + 769);
}
