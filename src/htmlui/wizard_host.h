#pragma once
// What shows the wizard: the MSHTML window in the stub, a browser in the development host.
#include <string>

namespace stubframework::core {
class HtmlExternal;
}

namespace stubframework::htmlui {

class WizardHost {
 public:
  virtual ~WizardHost() = default;
  // The wizard's whole life on the calling (UI) thread, a single-threaded COM apartment: shows
  // "Load.html" of the bundle folder and returns when the wizard has closed, or at once when it
  // cannot be shown.
  virtual void showWizard(const std::wstring& bundleFolder, core::HtmlExternal& external) = 0;
};

}  // namespace stubframework::htmlui
