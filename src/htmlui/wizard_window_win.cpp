#include "htmlui/wizard_window_win.h"

#include <urlmon.h>

#include <memory>

#include "core/product.h"
#include "htmlui/html_external_win.h"
#include "htmlui/mshtml_client_win.h"
#include "htmlui/placement.h"

namespace stubframework::htmlui {
namespace {

// MSHTML's document class (CLSID_HTMLDocument), which the import libraries do not carry.
constexpr CLSID kHtmlDocumentClass = {0x25336920, 0x03f9, 0x11cf, {0x8f, 0xd0, 0x00, 0xaa, 0x00, 0x68, 0x6f, 0x13}};

constexpr DWORD kWindowStyle = WS_POPUP | WS_VISIBLE;
constexpr DWORD kWindowExStyle = WS_EX_APPWINDOW;

// Stored in the window's extra data.
struct WindowRecord {
  MSHTMLClient* site = nullptr;  // one reference, released when the window goes
  win::ComPtr<core::HtmlExternal> external;
  HWND focus = nullptr;
  bool* done = nullptr;
};

struct CreationParameters {
  const std::wstring* bootPage;
  core::HtmlExternal* external;
  bool* done;
};

WindowRecord* RecordOf(HWND window) {
  return reinterpret_cast<WindowRecord*>(::GetWindowLongPtrW(window, 0));
}

HRESULT LoadDocument(MSHTMLClient& site, const std::wstring& bootPage) {
  win::ComPtr<IHTMLDocument2> document;
  HRESULT hr = ::CoCreateInstance(kHtmlDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IHTMLDocument2,
                                  document.putVoid());
  if (FAILED(hr)) return hr;
  if (FAILED(hr = site.attach(document.get()))) return hr;
  win::ComPtr<IMoniker> moniker;
  if (FAILED(hr = ::CreateURLMonikerEx(nullptr, bootPage.c_str(), moniker.put(), URL_MK_UNIFORM))) return hr;
  win::ComPtr<IBindCtx> context;
  if (FAILED(hr = ::CreateBindCtx(0, context.put()))) return hr;
  auto persist = document.query<IPersistMoniker>();
  if (!persist) return E_NOINTERFACE;
  return persist->Load(FALSE, moniker.get(), context.get(), 0);
}

// Undoes what creation made: the document, the site, the external's window.
void ReleaseRecord(HWND window, WindowRecord* record) {
  ::SetWindowLongPtrW(window, 0, 0);
  if (!record) return;
  if (record->site) {
    record->site->detach();
    record->site->clear();
    record->site->Release();
  }
  if (record->external) record->external->setWindow(nullptr);
  delete record;
}

LRESULT OnCreate(HWND window, const CREATESTRUCTW* create) {
  auto* parameters = static_cast<const CreationParameters*>(create->lpCreateParams);
  if (!parameters || !parameters->bootPage || !parameters->external) return -1;
  auto* record = new (std::nothrow) WindowRecord;
  if (!record) return -1;
  record->external = win::ComPtr<core::HtmlExternal>(parameters->external);
  record->done = parameters->done;
  record->site = new (std::nothrow) MSHTMLClient(window, parameters->external);
  ::SetWindowLongPtrW(window, 0, reinterpret_cast<LONG_PTR>(record));
  if (!record->site) {
    ReleaseRecord(window, record);
    return -1;
  }
  record->external->setWindow(window);
  // An empty boot page asks for the window alone (the development host shows the pages in a
  // browser).
  if (!parameters->bootPage->empty() && FAILED(LoadDocument(*record->site, *parameters->bootPage))) {
    ReleaseRecord(window, record);
    return -1;
  }
  return 0;
}

LRESULT CALLBACK WizardWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  WindowRecord* record = RecordOf(window);
  switch (message) {
    case WM_CREATE:
      return OnCreate(window, reinterpret_cast<const CREATESTRUCTW*>(lParam));
    case WM_SIZE:
      if (record && record->site) {
        RECT client{0, 0, LOWORD(lParam), HIWORD(lParam)};
        record->site->resize(client);
      }
      return 0;
    case WM_ACTIVATE:
      if (record && wParam == 0) {
        HWND focus = ::GetFocus();
        record->focus = focus == window ? nullptr : focus;
      }
      break;
    case WM_SETFOCUS:
      if (record && record->focus) {
        ::SetFocus(record->focus);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (!record) break;
      if (record->done) *record->done = true;
      return 0;
    case WM_DESTROY:
      ReleaseRecord(window, record);
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(window, message, wParam, lParam);
}

Rect ToRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

// The placement rule for a size in 96-dpi units.
Rect PlaceWindow(HWND window, int width, int height) {
  HDC screen = ::GetDC(nullptr);
  int dpi = screen ? ::GetDeviceCaps(screen, LOGPIXELSX) : 96;
  if (screen) ::ReleaseDC(nullptr, screen);
  RECT outer{0, 0, ScaleForDpi(width, dpi), ScaleForDpi(height, dpi)};
  ::AdjustWindowRectEx(&outer, static_cast<DWORD>(::GetWindowLongW(window, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(::GetWindowLongW(window, GWL_EXSTYLE)));

  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  RECT reference{};
  if (HWND owner = ::GetWindow(window, GW_OWNER)) {
    ::GetWindowRect(owner, &reference);
    ::GetMonitorInfoW(::MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
  } else {
    POINT cursor{};
    ::GetCursorPos(&cursor);
    ::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &monitor);
    reference = monitor.rcWork;
  }
  return PlaceWithin(outer.right - outer.left, outer.bottom - outer.top, ToRect(reference), ToRect(monitor.rcWork));
}

}  // namespace

ATOM WizardWindowClass() {
  static const ATOM atom = [] {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = WizardWindowProc;
    windowClass.cbWndExtra = sizeof(WindowRecord*);
    windowClass.hInstance = ::GetModuleHandleW(nullptr);
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.lpszClassName = kWindowClassName;
    return ::RegisterClassExW(&windowClass);
  }();
  return atom;
}

HWND CreateWizardWindow(const std::wstring& bootPage, core::HtmlExternal& external, bool* done) {
  ATOM atom = WizardWindowClass();
  if (!atom) return nullptr;
  CreationParameters parameters{&bootPage, &external, done};
  return ::CreateWindowExW(kWindowExStyle, MAKEINTATOM(atom), nullptr, kWindowStyle, 0, 0, 0, 0, nullptr, nullptr,
                           ::GetModuleHandleW(nullptr), &parameters);
}

void RunWizardLoop(HWND window, bool* done) {
  for (;;) {
    MSG msg;
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (*done) return;
      ::WaitMessage();
      continue;
    }
    if (msg.message == WM_QUIT) {
      // The quit belongs to an outer loop too.
      ::PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    WindowRecord* record = ::IsWindow(window) ? RecordOf(window) : nullptr;
    win::ComPtr<IOleInPlaceActiveObject> active;
    if (record && record->site) active = record->site->activeObject();
    if (active && active->TranslateAccelerator(&msg) == S_OK) continue;
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

bool RequestWizardClose(HWND window) {
  if (!window || static_cast<ATOM>(::GetClassLongW(window, GCW_ATOM)) != WizardWindowClass()) return false;
  WindowRecord* record = RecordOf(window);
  if (!record || !record->done || *record->done) return false;
  *record->done = true;
  return true;
}

void SizeWizardWindow(core::HtmlExternal& external, int width, int height) {
  HWND window = external.window();
  if (!window) return;
  Rect place = PlaceWindow(window, width, height);
  if (place.width() == external.lastWidth && place.height() == external.lastHeight) return;
  ::SetWindowPos(window, nullptr, place.left, place.top, place.width(), place.height(),
                 SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER);
  external.lastWidth = place.width();
  external.lastHeight = place.height();
}

void MshtmlWizardHost::showWizard(const std::wstring& bundleFolder, core::HtmlExternal& external) {
  bool done = false;
  HWND window = CreateWizardWindow(bundleFolder + L"Load.html", external, &done);
  if (!window) return;
  RunWizardLoop(window, &done);
  ::DestroyWindow(window);
}

}  // namespace stubframework::htmlui
