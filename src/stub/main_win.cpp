// Entry of the Ideagrove setup stub: the wizard in the MSHTML window.
#include <windows.h>

#include "htmlui/wizard_window_win.h"
#include "stub/entry_win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  stubframework::htmlui::MshtmlWizardHost host;
  return myexternalmethods::RunStubEntry(host);
}
