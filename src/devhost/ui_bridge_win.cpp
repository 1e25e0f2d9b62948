#include "devhost/ui_bridge_win.h"

namespace stubframework::devhost {

namespace {

constexpr UINT kRunMessage = WM_APP + 0x4D;
constexpr wchar_t kClassName[] = L"IdeagroveDevhostBridge";

ATOM BridgeClass(WNDPROC proc) {
  static ATOM atom = [proc] {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = proc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kClassName;
    return ::RegisterClassExW(&wc);
  }();
  return atom;
}

}  // namespace

UiBridge::UiBridge() {
  if (!BridgeClass(&WindowProc)) return;
  window_ = ::CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ::GetModuleHandleW(nullptr),
                              nullptr);
  if (window_) ::SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

UiBridge::~UiBridge() {
  closing_ = true;
  if (window_) ::DestroyWindow(window_);
}

bool UiBridge::run(const std::function<void()>& work) {
  if (closing_ || !window_) return false;
  return ::SendMessageW(window_, kRunMessage, 0, reinterpret_cast<LPARAM>(&work)) == 1;
}

LRESULT CALLBACK UiBridge::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kRunMessage) return ::DefWindowProcW(window, message, wParam, lParam);
  auto* self = reinterpret_cast<UiBridge*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || self->closing_) return 0;
  (*reinterpret_cast<const std::function<void()>*>(lParam))();
  return 1;
}

void PumpSentMessages(DWORD milliseconds) {
  ::MsgWaitForMultipleObjects(0, nullptr, FALSE, milliseconds, QS_SENDMESSAGE);
  MSG message;
  // Peeking dispatches the messages sent from other threads; nothing posted is taken.
  ::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}

}  // namespace stubframework::devhost
