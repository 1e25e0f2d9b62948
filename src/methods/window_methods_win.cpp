#include "methods/window_methods_win.h"

#include "htmlui/message_box_win.h"
#include "htmlui/wizard_window_win.h"
#include "methods/external_methods_win.h"
#include "shell/application_win.h"

namespace stubframework {
namespace {

// Drags a captionless window as if by its caption (SC_MOVE + HTCAPTION).
constexpr WPARAM kMoveByCaption = 0xF012;

}  // namespace

void RegisterWindowMethods(ExternalMethods& methods) {
  const ScriptSignature noArguments{kFlagsMethod, {}};
  methods.registerScript(L"closeWindow", noArguments, [&methods](ScriptCall&) {
    methods.log()->debug(L"ZSClose");
    htmlui::RequestWizardClose(methods.window());
    return S_OK;
  });
  methods.registerScript(L"dragWindow", noArguments, [&methods](ScriptCall&) {
    methods.log()->debug(L"ZSDragWindow");
    // Returns when the mouse button is released.
    if (methods.window()) ::SendMessageW(methods.window(), WM_SYSCOMMAND, kMoveByCaption, 0);
    return S_OK;
  });
  methods.registerScript(L"hideWindow", noArguments, [&methods](ScriptCall&) {
    if (methods.window()) ::ShowWindow(methods.window(), SW_HIDE);
    methods.log()->debug(L"EMHideWindow");
    return S_OK;
  });
  methods.registerScript(L"showWindow", noArguments, [&methods](ScriptCall&) {
    if (methods.window()) ::ShowWindow(methods.window(), SW_SHOW);
    methods.log()->debug(L"EMShowWindow");
    return S_OK;
  });
  methods.registerScript(L"terminateWindow", noArguments, [](ScriptCall&) -> HRESULT {
    // At once: no log line, no shutdown step.
    ::TerminateProcess(::GetCurrentProcess(), 0);
    return S_OK;
  });
  methods.registerScript(L"setWindowSize", {kFlagsMethod, {VT_I4, VT_I4}}, [&methods](ScriptCall& call) {
    methods.log()->debug(L"ZSWindowSize: %d", call.integer(0));
    htmlui::SizeWizardWindow(methods.application()->htmlExternal(), call.integer(0), call.integer(1));
    return S_OK;
  });
  methods.registerScript(L"messageBox", {kFlagsMethod, {VT_BSTR, VT_BSTR}}, [&methods](ScriptCall& call) {
    std::wstring text = call.text(0), caption = call.text(1);
    methods.log()->debug(L"ZSMessageBox: %s %s", text.c_str(), caption.c_str());
    htmlui::ShowMessageBox(methods.window(), text, caption, MB_OK);
    return S_OK;
  });
  methods.registerScript(
      L"confirmMessageBox", {kFlagsMethodGet, {VT_BSTR, VT_BSTR}},
      [&methods](ScriptCall& call) {
        int answer = htmlui::ShowMessageBox(methods.window(), call.text(0), call.text(1), MB_OKCANCEL);
        if (!call.wantsResult()) return S_OK;
        bool confirmed = answer != IDCANCEL;
        call.returnBool(confirmed);
        methods.log()->debug(L"EMConfirmMessageBox Result : %s", confirmed ? L"Close" : L"Cancel Close");
        return S_OK;
      },
      L"EMConfirmMessageBox");
}

void RegisterMinimizedWindow(ExternalMethods& methods) {
  methods.registerScript(
      L"minimizedWindow", {kFlagsMethod, {}},
      [&methods](ScriptCall&) {
        if (methods.window()) ::ShowWindow(methods.window(), SW_SHOWMINIMIZED);
        return S_OK;
      },
      L"EMMinimizedWindow");
}

}  // namespace stubframework
