#include "htmlui/script_call_win.h"

namespace stubframework {

HRESULT CheckParamTypes(const DISPPARAMS* params, const VARTYPE* expected, UINT count, debug::LogWriter* log) {
  UINT actual = params ? params->cArgs : 0;
  if (actual != count) {
    if (log) log->debug(L"CheckParamTypes -- DISP_E_BADPARAMCOUNT");
    return DISP_E_BADPARAMCOUNT;
  }
  for (UINT i = 0; i < count; ++i)
    if (params->rgvarg[i].vt != expected[i]) return DISP_E_TYPEMISMATCH;
  return S_OK;
}

HRESULT CheckScriptCall(const ScriptSignature& signature, WORD flags, const DISPPARAMS* params,
                        debug::LogWriter* log) {
  if (flags != signature.flags) return DISP_E_MEMBERNOTFOUND;
  UINT count = params ? params->cArgs : 0;
  UINT named = params ? params->cNamedArgs : 0;
  if (count != signature.types.size() || named != 0) return DISP_E_BADPARAMCOUNT;
  // The argument block holds the last script argument first.
  std::vector<VARTYPE> blockOrder(signature.types.rbegin(), signature.types.rend());
  return CheckParamTypes(params, blockOrder.data(), count, log);
}

std::wstring ScriptCall::text(size_t index) const {
  BSTR value = argument(index).bstrVal;
  return value ? std::wstring(value, ::SysStringLen(value)) : std::wstring();
}

int32_t ScriptCall::integer(size_t index) const { return argument(index).lVal; }

bool ScriptCall::boolean(size_t index) const { return argument(index).boolVal == VARIANT_TRUE; }

IDispatch* ScriptCall::function(size_t index) const { return argument(index).pdispVal; }

HRESULT ScriptCall::returnText(const std::wstring& text) {
  if (!result_) return S_OK;
  BSTR value = ::SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  if (!value) return E_OUTOFMEMORY;
  ::VariantClear(result_);
  result_->vt = VT_BSTR;
  result_->bstrVal = value;
  return S_OK;
}

void ScriptCall::returnBool(bool value) {
  if (!result_) return;
  ::VariantClear(result_);
  result_->vt = VT_BOOL;
  result_->boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
}

void ScriptCall::returnInt(int32_t value) {
  if (!result_) return;
  ::VariantClear(result_);
  result_->vt = VT_I4;
  result_->lVal = value;
}

void ScriptCall::returnUInt(uint32_t value) {
  if (!result_) return;
  ::VariantClear(result_);
  result_->vt = VT_UI4;
  result_->ulVal = value;
}

}  // namespace stubframework
