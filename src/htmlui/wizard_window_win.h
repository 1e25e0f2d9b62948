#pragma once
// The "HTMLUI" window: class, window record, window procedure and message loop. The window
// hosts the HTML document when it has one; the development host uses the same window without.
#include <windows.h>

#include <string>

#include "htmlui/wizard_host.h"

namespace stubframework::htmlui {

inline constexpr int kDefaultWidth = 400;
inline constexpr int kDefaultHeight = 200;

// The class atom of "HTMLUI", registered on first use.
ATOM WizardWindowClass();

// Creates the visible 0 x 0 pop-up window. With a boot page the window loads it into a new HTML
// document and creation fails when that cannot be done; with an empty boot page the window has
// no document. `done` is the message loop's flag that closing the window sets.
HWND CreateWizardWindow(const std::wstring& bootPage, core::HtmlExternal& external, bool* done);

// Runs until `done` is set (then the queue is emptied first) or a quit message arrives, which is
// posted again for an outer loop. Offers each message to the document's in-place active object.
void RunWizardLoop(HWND window, bool* done);

// Sets the done flag of an "HTMLUI" window (closeWindow); false for any other window.
bool RequestWizardClose(HWND window);

// Centres and sizes the window for a size in 96-dpi units; does nothing when the outer size
// equals the last one applied.
void SizeWizardWindow(core::HtmlExternal& external, int width, int height);

// The stub's host: the window with the MSHTML document.
class MshtmlWizardHost : public WizardHost {
 public:
  void showWizard(const std::wstring& bundleFolder, core::HtmlExternal& external) override;
};

}  // namespace stubframework::htmlui
