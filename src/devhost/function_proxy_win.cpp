#include "devhost/function_proxy_win.h"

#include <vector>

#include "devhost/variant_json_win.h"

namespace stubframework::devhost {

HRESULT STDMETHODCALLTYPE FunctionProxy::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IDispatch) {
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG STDMETHODCALLTYPE FunctionProxy::Release() {
  ULONG left = --refs_;
  if (left == 0) delete this;
  return left;
}

HRESULT STDMETHODCALLTYPE FunctionProxy::GetTypeInfoCount(UINT* count) {
  if (count) *count = 0;
  return S_OK;
}

HRESULT STDMETHODCALLTYPE FunctionProxy::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE FunctionProxy::GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) {
  for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
  return DISP_E_UNKNOWNNAME;
}

HRESULT STDMETHODCALLTYPE FunctionProxy::Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result,
                                                EXCEPINFO*, UINT*) {
  if (id != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
  try {
    ScriptEvent event;
    event.function = number_;
    if (params)
      for (UINT i = params->cArgs; i > 0; --i) event.args.push_back(ToJson(params->rgvarg[i - 1]));
    events_.push(std::move(event));
  } catch (...) {
    return E_OUTOFMEMORY;
  }
  if (result) ::VariantInit(result);
  return S_OK;
}

}  // namespace stubframework::devhost
