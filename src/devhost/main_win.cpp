// Entry of the development host: the stub's program with the pages in a browser.
#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "core/text.h"
#include "devhost/devhost_host_win.h"
#include "stub/entry_win.h"

int wmain(int argc, wchar_t** argv) {
  std::vector<std::wstring> arguments(argv + (argc > 0 ? 1 : 0), argv + argc);
  std::wstring error;
  auto options = stubframework::devhost::ParseDevhostOptions(arguments, &error);
  if (!options) {
    stubframework::devhost::PrintLine("devhost: " + stubframework::utils::ToUtf8(error));
    return 2;
  }
  stubframework::devhost::DevhostWizardHost host(*options);
  return myexternalmethods::RunStubEntry(host);
}
