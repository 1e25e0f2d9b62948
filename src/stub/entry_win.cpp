// The entry routine of the Ideagrove setup stub and its development host.
#include <windows.h>

#include <optional>

#include "core/product.h"
#include "shell/application_win.h"
#include "stub/entry_win.h"
#include "stub/my_external_methods_win.h"

using namespace stubframework;

namespace {

// A second start brings the running wizard to the front.
void ActivateFirstInstance() {
  HWND window = ::FindWindowW(kWindowClassName, nullptr);
  if (!window) return;
  if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
  ::SetForegroundWindow(window);
}

}  // namespace

namespace myexternalmethods {

int RunStubEntry(htmlui::WizardHost& host) {
  HANDLE mutex = ::CreateMutexW(nullptr, FALSE, kInstanceMutexName);
  if (::GetLastError() == ERROR_ALREADY_EXISTS) {
    // This process keeps its handle until it ends.
    ActivateFirstInstance();
    return 0;
  }

  int32_t exitCode = 0;
  {
    std::optional<core::Application> application(std::in_place, mutex);
    myexternalmethods::MyExternalMethods methods(&*application);
    try {
      application->run(methods, host);
    } catch (...) {
      core::error(&*application, L"The run ended by an exception");
    }
    exitCode = application->exitCode();
    application.reset();
    // The hand-over to the updated stub: nothing after the application may run.
    if (exitCode == kRelaunchExitCode) ::ExitProcess(static_cast<UINT>(kRelaunchExitCode));
  }
  return exitCode;
}

}  // namespace myexternalmethods
