#include "htmlui/mshtml_client_win.h"

#include <mshtmdid.h>

namespace stubframework::htmlui {
namespace {

// The document host's command group (CGID_DocHostCommandHandler).
constexpr GUID kDocHostCommandGroup = {0xf38bc242, 0xb950, 0x11d1, {0x89, 0x18, 0x00, 0xc0, 0x4f, 0xc2, 0xc8, 0x36}};
constexpr DWORD kCommandSetTitle = 28;

bool IsNullGroup(const GUID* group) { return group == nullptr || *group == GUID_NULL; }

}  // namespace

MSHTMLClient::MSHTMLClient(HWND window, core::HtmlExternal* external)
    : window_(window), external_(external) {}

HRESULT MSHTMLClient::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid == IID_IUnknown || iid == IID_IDispatch) *object = static_cast<IDispatch*>(this);
  else if (iid == IID_IDocHostUIHandler || iid == __uuidof(IDocHostUIHandler2))
    *object = static_cast<IDocHostUIHandler2*>(this);
  else if (iid == __uuidof(IDocHostShowUI)) *object = static_cast<IDocHostShowUI*>(this);
  else if (iid == IID_IOleClientSite) *object = static_cast<IOleClientSite*>(this);
  else if (iid == IID_IOleDocumentSite) *object = static_cast<IOleDocumentSite*>(this);
  else if (iid == IID_IOleWindow || iid == IID_IOleInPlaceSite || iid == IID_IOleInPlaceSiteEx)
    *object = static_cast<IOleInPlaceSiteEx*>(this);
  else if (iid == IID_IOleInPlaceUIWindow || iid == IID_IOleInPlaceFrame)
    *object = static_cast<IOleInPlaceFrame*>(this);
  else if (iid == IID_IPropertyNotifySink) *object = static_cast<IPropertyNotifySink*>(this);
  else if (iid == IID_IOleCommandTarget) *object = static_cast<IOleCommandTarget*>(this);
  else return E_NOINTERFACE;
  AddRef();
  return S_OK;
}

ULONG MSHTMLClient::AddRef() { return ++refs_; }

ULONG MSHTMLClient::Release() {
  ULONG remaining = --refs_;
  if (remaining == 0) delete this;
  return remaining;
}

HRESULT MSHTMLClient::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS*, VARIANT* result, EXCEPINFO*, UINT*) {
  if (id != DISPID_AMBIENT_DLCONTROL) return DISP_E_MEMBERNOTFOUND;
  if (result) {
    ::VariantInit(result);
    result->vt = VT_I4;
    result->lVal = kDownloadControl;
  }
  return S_OK;
}

HRESULT MSHTMLClient::ShowContextMenu(DWORD kind, POINT*, IUnknown*, IDispatch*) {
  // The engine's own menu only where it edits: controls, selected text, the scroll bars.
  switch (kind) {
    case CONTEXT_MENU_CONTROL:
    case CONTEXT_MENU_TEXTSELECT:
    case CONTEXT_MENU_VSCROLL:
    case CONTEXT_MENU_HSCROLL:
      return S_FALSE;
    default:
      return S_OK;
  }
}

HRESULT MSHTMLClient::GetHostInfo(DOCHOSTUIINFO* info) {
  if (!info) return E_POINTER;
  info->dwFlags = kHostInfoFlags;
  info->dwDoubleClick = DOCHOSTUIDBLCLK_DEFAULT;
  info->pchHostCss = nullptr;
  info->pchHostNS = nullptr;
  return S_OK;
}

HRESULT MSHTMLClient::GetOptionKeyPath(LPOLESTR* key, DWORD) {
  if (key) *key = nullptr;
  return S_FALSE;
}

HRESULT MSHTMLClient::GetOverrideKeyPath(LPOLESTR* key, DWORD) {
  if (key) *key = nullptr;
  return S_FALSE;
}

HRESULT MSHTMLClient::GetDropTarget(IDropTarget*, IDropTarget** target) {
  if (target) *target = nullptr;
  return E_FAIL;
}

HRESULT MSHTMLClient::GetExternal(IDispatch** external) {
  if (!external) return E_POINTER;
  *external = nullptr;
  if (!external_) return S_FALSE;
  *external = static_cast<IDispatchEx*>(external_.get());
  (*external)->AddRef();
  return S_OK;
}

HRESULT MSHTMLClient::TranslateUrl(DWORD, LPWSTR, LPWSTR* out) {
  if (out) *out = nullptr;
  return S_FALSE;
}

HRESULT MSHTMLClient::GetContainer(IOleContainer** container) {
  if (container) *container = nullptr;
  return E_NOINTERFACE;
}

HRESULT MSHTMLClient::ActivateMe(IOleDocumentView* view) {
  win::ComPtr<IOleDocumentView> active(view);
  if (!active) {
    auto document = document_.query<IOleDocument>();
    if (!document || FAILED(document->CreateView(static_cast<IOleInPlaceSite*>(this), nullptr, 0, active.put())))
      return S_OK;
  } else {
    active->SetInPlaceSite(static_cast<IOleInPlaceSite*>(this));
  }
  RECT client = clientRect();
  active->SetRect(&client);
  active->UIActivate(TRUE);
  active->Show(TRUE);
  view_ = active;
  return S_OK;
}

HRESULT MSHTMLClient::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = window_;
  return S_OK;
}

HRESULT MSHTMLClient::GetWindowContext(IOleInPlaceFrame** frame, IOleInPlaceUIWindow** document, LPRECT position,
                                       LPRECT clip, LPOLEINPLACEFRAMEINFO info) {
  if (frame) {
    *frame = static_cast<IOleInPlaceFrame*>(this);
    AddRef();
  }
  if (document) *document = nullptr;
  RECT client = clientRect();
  if (position) *position = client;
  if (clip) *clip = client;
  if (info) {
    info->fMDIApp = FALSE;
    info->hwndFrame = window_;
    info->haccel = nullptr;
    info->cAccelEntries = 0;
  }
  return S_OK;
}

HRESULT MSHTMLClient::OnInPlaceActivateEx(BOOL* noRedraw, DWORD) {
  if (noRedraw) *noRedraw = TRUE;
  return S_OK;
}

HRESULT MSHTMLClient::OnChanged(DISPID id) {
  if (!external_ || id != DISPID_READYSTATE || !document_) return S_OK;
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  win::Variant state;
  if (SUCCEEDED(document_->Invoke(DISPID_READYSTATE, IID_NULL, LOCALE_SYSTEM_DEFAULT, DISPATCH_PROPERTYGET, &none,
                                  state.get(), nullptr, nullptr)) &&
      (*state).vt == VT_I4 && (*state).lVal == 4)
    external_->onDocumentComplete(static_cast<IOleClientSite*>(this));
  return S_OK;
}

HRESULT MSHTMLClient::Exec(const GUID* group, DWORD command, DWORD, VARIANT* input, VARIANT*) {
  if (IsNullGroup(group)) {
    if (command != kCommandSetTitle) return E_NOTIMPL;
    if (input && input->vt == VT_BSTR && window_) ::SetWindowTextW(window_, input->bstrVal ? input->bstrVal : L"");
    return S_OK;
  }
  if (*group == kDocHostCommandGroup) {
    // Script errors (6) and the refresh of a failed page (6041) are handled by not showing them.
    if (command == 6 || command == 6041) return S_OK;
    return OLECMDERR_E_NOTSUPPORTED;
  }
  return OLECMDERR_E_UNKNOWNGROUP;
}

HRESULT MSHTMLClient::attach(IHTMLDocument2* document) {
  detach();
  if (!document) return E_POINTER;
  document_ = win::ComPtr<IHTMLDocument2>(document);
  auto points = document_.query<IConnectionPointContainer>();
  win::ComPtr<IConnectionPoint> point;
  HRESULT hr = points ? points->FindConnectionPoint(IID_IPropertyNotifySink, point.put()) : E_NOINTERFACE;
  if (SUCCEEDED(hr)) hr = point->Advise(static_cast<IPropertyNotifySink*>(this), &sinkCookie_);
  auto object = document_.query<IOleObject>();
  if (SUCCEEDED(hr)) hr = object ? object->SetClientSite(static_cast<IOleClientSite*>(this)) : E_NOINTERFACE;
  if (SUCCEEDED(hr)) {
    RECT client = clientRect();
    hr = object->DoVerb(OLEIVERB_INPLACEACTIVATE, nullptr, static_cast<IOleClientSite*>(this), 0, window_, &client);
  }
  return hr;
}

void MSHTMLClient::detach() {
  if (view_) {
    view_->CloseView(0);
    view_->SetInPlaceSite(nullptr);
    view_.reset();
  }
  if (!document_) return;
  if (sinkCookie_) {
    if (auto points = document_.query<IConnectionPointContainer>()) {
      win::ComPtr<IConnectionPoint> point;
      if (SUCCEEDED(points->FindConnectionPoint(IID_IPropertyNotifySink, point.put()))) point->Unadvise(sinkCookie_);
    }
    sinkCookie_ = 0;
  }
  if (auto object = document_.query<IOleObject>()) object->SetClientSite(nullptr);
  document_.reset();
}

void MSHTMLClient::clear() {
  window_ = nullptr;
  external_.reset();
}

void MSHTMLClient::resize(const RECT& client) {
  if (view_) {
    RECT rect = client;
    view_->SetRect(&rect);
  } else if (auto inPlace = document_.query<IOleInPlaceObject>()) {
    inPlace->SetObjectRects(&client, &client);
  }
}

win::ComPtr<IOleInPlaceActiveObject> MSHTMLClient::activeObject() const {
  return document_.query<IOleInPlaceActiveObject>();
}

RECT MSHTMLClient::clientRect() const {
  RECT rect{0, 0, 0, 0};
  if (window_) ::GetClientRect(window_, &rect);
  return rect;
}

}  // namespace stubframework::htmlui
