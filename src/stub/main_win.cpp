// Entry of the Ideagrove setup stub.
#include <windows.h>

#include <optional>

#include "core/product.h"
#include "shell/application_win.h"
#include "stub/my_external_methods_win.h"

namespace {

using namespace stubframework;

// A second start brings the running wizard to the front.
void ActivateFirstInstance() {
  HWND window = ::FindWindowW(kWindowClassName, nullptr);
  if (!window) return;
  if (::IsIconic(window)) ::ShowWindow(window, SW_RESTORE);
  ::SetForegroundWindow(window);
}

int RunStub() {
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
      application->run(methods);
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

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) { return RunStub(); }
