#pragma once
// The development host's wizard: the "HTMLUI" window without a document, and the bundle folder
// served to a browser whose shim calls window.external through this host.
#include <string>

#include "devhost/options.h"
#include "htmlui/wizard_host.h"

namespace stubframework::devhost {

class DevhostWizardHost : public htmlui::WizardHost {
 public:
  // Applies the message-box answer of the options at once.
  explicit DevhostWizardHost(DevhostOptions options);
  // Serves until the window closes (closeWindow, WM_CLOSE) or a quit message arrives. Returns
  // at once when the window or the server cannot be had.
  void showWizard(const std::wstring& bundleFolder, core::HtmlExternal& external) override;

 private:
  DevhostOptions options_;
};

// Writes a line to standard output (and flushes it), from any thread.
void PrintLine(const std::string& line);

}  // namespace stubframework::devhost
