#pragma once
// The calling convention of the script-callable methods: one accepted flags value, an exact
// argument count without named arguments, exact argument types, results only into a slot the
// caller supplied.
#include <windows.h>
#include <oaidl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "core/log_format.h"

namespace stubframework {

inline constexpr WORD kFlagsMethod = DISPATCH_METHOD;                             // 1
inline constexpr WORD kFlagsMethodGet = DISPATCH_METHOD | DISPATCH_PROPERTYGET;  // 3

struct ScriptSignature {
  WORD flags;
  std::vector<VARTYPE> types;  // in script order
};

// Compares the count, then each type code exactly, in the order of the argument block (the
// last script argument first).
HRESULT CheckParamTypes(const DISPPARAMS* params, const VARTYPE* expected, UINT count, debug::LogWriter* log);
// Flags, count and named arguments, then the types.
HRESULT CheckScriptCall(const ScriptSignature& signature, WORD flags, const DISPPARAMS* params,
                        debug::LogWriter* log);

// The arguments (in script order) and the result slot of one checked call.
class ScriptCall {
 public:
  ScriptCall(const DISPPARAMS* params, VARIANT* result) : params_(params), result_(result) {}

  std::wstring text(size_t index) const;
  int32_t integer(size_t index) const;
  // True only for VARIANT_TRUE.
  bool boolean(size_t index) const;
  IDispatch* function(size_t index) const;

  bool wantsResult() const { return result_ != nullptr; }
  HRESULT returnText(const std::wstring& text);
  void returnBool(bool value);
  void returnInt(int32_t value);
  void returnUInt(uint32_t value);

 private:
  const VARIANT& argument(size_t index) const { return params_->rgvarg[params_->cArgs - 1 - index]; }

  const DISPPARAMS* params_;
  VARIANT* result_;
};

}  // namespace stubframework
