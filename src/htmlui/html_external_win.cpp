#include "htmlui/html_external_win.h"

#include <new>

#include "core/property_store.h"
#include "core/text.h"
#include "htmlui/wizard_window_win.h"
#include "methods/external_methods_win.h"

namespace stubframework::core {

HtmlExternal::HtmlExternal(PropertyStore& properties) : properties_(properties) {}

HtmlExternal::~HtmlExternal() {
  for (auto& expando : expandos_) ::VariantClear(&expando.value);
}

void HtmlExternal::publish(ExternalMethods& methods) {
  methods_ = &methods;
  entries_.clear();
  entries_.reserve(methods.registry().size());
  for (const auto& [name, handler] : methods.registry()) entries_.push_back({&name, &handler});
}

// --- IUnknown ---------------------------------------------------------------------------

HRESULT HtmlExternal::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IDispatchEx) {
    *object = static_cast<IDispatchEx*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG HtmlExternal::AddRef() { return ++refs_; }

ULONG HtmlExternal::Release() {
  ULONG remaining = --refs_;
  if (remaining == 0) delete this;
  return remaining;
}

// --- IDispatch --------------------------------------------------------------------------

HRESULT HtmlExternal::GetTypeInfoCount(UINT*) { return E_NOTIMPL; }
HRESULT HtmlExternal::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }

int HtmlExternal::findMethod(const wchar_t* name, bool ignoreCase) const {
  if (!name) return -1;
  for (size_t i = 0; i < entries_.size(); ++i) {
    const std::wstring& entryName = *entries_[i].name;
    if (ignoreCase ? utils::EqualsIgnoreCase(entryName, name) : entryName == name) return static_cast<int>(i);
  }
  return -1;
}

int HtmlExternal::findExpando(const wchar_t* name, bool ignoreCase) const {
  if (!name) return -1;
  for (size_t i = 0; i < expandos_.size(); ++i) {
    const std::wstring& expandoName = expandos_[i].name;
    if (ignoreCase ? utils::EqualsIgnoreCase(expandoName, name) : expandoName == name) return static_cast<int>(i);
  }
  return -1;
}

HRESULT HtmlExternal::GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
  if (count && (!names || !ids)) return E_POINTER;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    int index = findMethod(names[i], false);
    ids[i] = index < 0 ? DISPID_UNKNOWN : index + 1;
    if (index < 0) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT HtmlExternal::Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                             EXCEPINFO*, UINT*) {
  if (iid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
  if (static_cast<ULONG>(id - 1) >= entries_.size()) return DISP_E_MEMBERNOTFOUND;
  // A call without an argument block is a call without arguments.
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  try {
    return (*entries_[static_cast<size_t>(id - 1)].handler)(flags, params ? params : &none, result);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

// --- IDispatchEx ------------------------------------------------------------------------

HRESULT HtmlExternal::GetDispID(BSTR name, DWORD options, DISPID* id) {
  if (!id) return E_POINTER;
  *id = DISPID_UNKNOWN;
  const bool ignoreCase = (options & fdexNameCaseInsensitive) != 0;
  int method = findMethod(name, ignoreCase);
  if (method >= 0) {
    *id = method + 1;
    return S_OK;
  }
  if (!(options & fdexNameNoDynamicProperties)) {
    int index = findExpando(name, ignoreCase);
    if (index >= 0) {
      Expando& expando = expandos_[static_cast<size_t>(index)];
      if (expando.value.vt == kDeletedType) {
        if (!(options & fdexNameEnsure)) return DISP_E_UNKNOWNNAME;
        expando.value.vt = VT_EMPTY;
      }
      *id = index | kExpandoBit;
      return S_OK;
    }
  }
  if (!(options & fdexNameEnsure)) return DISP_E_UNKNOWNNAME;
  try {
    if (expandos_.size() == expandos_.capacity()) expandos_.reserve(expandos_.size() + 32);
    Expando expando{name ? std::wstring(name, ::SysStringLen(name)) : std::wstring(), {}};
    ::VariantInit(&expando.value);
    expandos_.push_back(std::move(expando));
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  *id = static_cast<DISPID>(expandos_.size() - 1) | kExpandoBit;
  return S_OK;
}

HRESULT HtmlExternal::InvokeEx(DISPID id, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* exception, IServiceProvider*) {
  if (id >= 0) return Invoke(id, IID_NULL, locale, flags, params, result, exception, nullptr);
  size_t index = static_cast<size_t>(id & ~kExpandoBit);
  if (index >= expandos_.size()) return DISP_E_UNKNOWNNAME;
  VARIANT& value = expandos_[index].value;
  const UINT count = params ? params->cArgs : 0;
  const UINT named = params ? params->cNamedArgs : 0;

  if (flags & DISPATCH_PROPERTYGET) {
    if (count || named) return DISP_E_BADPARAMCOUNT;
    if (!result) return S_OK;
    ::VariantInit(result);
    // A deleted property reads as nothing; its mark is not a type any caller could use.
    if (value.vt == kDeletedType) return S_OK;
    return ::VariantCopy(result, &value);
  }
  if (!(flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF))) {
    if (!(flags & DISPATCH_METHOD)) return E_NOTIMPL;
    if (value.vt != VT_DISPATCH || !value.pdispVal) return S_OK;
    // The property holds a script function: call it.
    win::ComPtr<IDispatch> function(value.pdispVal);
    DISPPARAMS none{nullptr, nullptr, 0, 0};
    if (auto functionEx = function.query<IDispatchEx>())
      return functionEx->InvokeEx(DISPID_VALUE, locale, flags, params ? params : &none, result, exception, nullptr);
    return function->Invoke(DISPID_VALUE, IID_NULL, locale, flags, params ? params : &none, result, exception,
                            nullptr);
  }
  if (count != 1) return DISP_E_BADPARAMCOUNT;
  if (named != 1 || params->rgdispidNamedArgs[0] != DISPID_PROPERTYPUT) return DISP_E_PARAMNOTFOUND;
  if (value.vt == kDeletedType) value.vt = VT_EMPTY;  // an assignment revives it
  return ::VariantCopy(&value, &params->rgvarg[0]);
}

HRESULT HtmlExternal::DeleteMemberByName(BSTR name, DWORD options) {
  DISPID id;
  HRESULT hr = GetDispID(name, options, &id);
  if (FAILED(hr)) return hr;
  return DeleteMemberByDispID(id);
}

HRESULT HtmlExternal::DeleteMemberByDispID(DISPID id) {
  if (id >= 0) return S_FALSE;
  size_t index = static_cast<size_t>(id & ~kExpandoBit);
  if (index < expandos_.size()) {
    ::VariantClear(&expandos_[index].value);
    expandos_[index].value.vt = kDeletedType;
  }
  return S_OK;
}

HRESULT HtmlExternal::GetMemberProperties(DISPID, DWORD, DWORD*) { return E_NOTIMPL; }
HRESULT HtmlExternal::GetMemberName(DISPID, BSTR*) { return E_NOTIMPL; }
HRESULT HtmlExternal::GetNextDispID(DWORD, DISPID, DISPID*) { return E_NOTIMPL; }
HRESULT HtmlExternal::GetNameSpaceParent(IUnknown**) { return E_NOTIMPL; }

// --- host side --------------------------------------------------------------------------

void HtmlExternal::setWindow(HWND window) {
  if (window == window_) return;
  window_ = window;
  if (methods_) methods_->setWindow(window);
}

void HtmlExternal::onDocumentComplete(IUnknown*) {
  // A page that never sized the window gets the default size.
  RECT client;
  if (window_ && ::GetClientRect(window_, &client) && (client.right == 0 || client.bottom == 0))
    htmlui::SizeWizardWindow(*this, htmlui::kDefaultWidth, htmlui::kDefaultHeight);
}

size_t HtmlExternal::getEntries(const htmlui::PublishedEntry** entries) {
  if (entries) *entries = entries_.data();
  return entries_.size();
}

void HtmlExternal::setPageProperty(const std::wstring& name, const std::wstring& value) {
  properties_.set(name, value);
}
std::wstring HtmlExternal::getPageProperty(const std::wstring& name) { return properties_.get(name); }

void HtmlExternal::setDownloadTotal(uint32_t n) { properties_.setCounter(kDownloadTotal, n); }
void HtmlExternal::setDownloadCurrent(uint32_t n) { properties_.setCounter(kDownloadCurrent, n); }
void HtmlExternal::setInstallTotal(uint32_t n) { properties_.setCounter(kInstallTotal, n); }
void HtmlExternal::setInstallCurrent(uint32_t n) { properties_.setCounter(kInstallCurrent, n); }
int32_t HtmlExternal::getDownloadTotal() { return properties_.getCounter(kDownloadTotal); }
int32_t HtmlExternal::getDownloadCurrent() { return properties_.getCounter(kDownloadCurrent); }
int32_t HtmlExternal::getInstallTotal() { return properties_.getCounter(kInstallTotal); }
int32_t HtmlExternal::getInstallCurrent() { return properties_.getCounter(kInstallCurrent); }

void HtmlExternal::resetCounters() {
  setDownloadTotal(1);
  setDownloadCurrent(0);
  setInstallTotal(1);
  setInstallCurrent(0);
}

void HtmlExternal::entryProgress(unsigned index, unsigned count) {
  setInstallCurrent(static_cast<uint32_t>(index * 0.1));
  setInstallTotal(count);
}

}  // namespace stubframework::core
