#pragma once
// Calls window.external as a script engine does: the name's identifier from GetIDsOfNames, then
// Invoke with the flags, the arguments placed last first, and a result slot when asked for.
#include <windows.h>
#include <oaidl.h>

#include <string>
#include <vector>

namespace testing_support {

class ScriptCaller {
 public:
  explicit ScriptCaller(IDispatch* external) : external_(external) {}

  DISPID idOf(const wchar_t* name) const {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    external_->GetIDsOfNames(IID_NULL, names, 1, 0, &id);
    return id;
  }

  // Arguments in script order; they are cleared afterwards.
  HRESULT call(const wchar_t* name, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr) const {
    std::vector<VARIANT> block(args.rbegin(), args.rend());
    DISPPARAMS params{block.data(), nullptr, static_cast<UINT>(block.size()), 0};
    HRESULT hr = external_->Invoke(idOf(name), IID_NULL, 0, flags, &params, result, nullptr, nullptr);
    for (auto& v : block) ::VariantClear(&v);
    return hr;
  }

  static VARIANT Text(const wchar_t* text) {
    VARIANT v;
    v.vt = VT_BSTR;
    v.bstrVal = ::SysAllocString(text);
    return v;
  }
  static VARIANT Int(LONG value) {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = value;
    return v;
  }

 private:
  IDispatch* external_;
};

}  // namespace testing_support
