#include "devhost/variant_json_win.h"

#include "core/text.h"
#include "devhost/function_proxy_win.h"

namespace stubframework::devhost {

bool ToVariant(const ScriptArg& arg, EventQueue& events, VARIANT& out) {
  ::VariantInit(&out);
  switch (arg.kind) {
    case ScriptArg::Kind::Text: {
      auto text = utils::FromUtf8(arg.text);
      if (!text) return false;
      out.vt = VT_BSTR;
      out.bstrVal = ::SysAllocStringLen(text->data(), static_cast<UINT>(text->size()));
      return out.bstrVal != nullptr;
    }
    case ScriptArg::Kind::Int:
      out.vt = VT_I4;
      out.lVal = arg.integer;
      return true;
    case ScriptArg::Kind::Bool:
      out.vt = VT_BOOL;
      out.boolVal = arg.boolean ? VARIANT_TRUE : VARIANT_FALSE;
      return true;
    case ScriptArg::Kind::Function: {
      auto* proxy = new (std::nothrow) FunctionProxy(arg.function, events);
      if (!proxy) return false;
      out.vt = VT_DISPATCH;
      out.pdispVal = proxy;  // the VARIANT owns the creator's reference
      return true;
    }
    case ScriptArg::Kind::Number:
      out.vt = VT_R8;
      out.dblVal = arg.number;
      return true;
    case ScriptArg::Kind::Null:
      out.vt = VT_NULL;
      return true;
  }
  return false;
}

JsonValue ToJson(const VARIANT& value) {
  switch (value.vt) {
    case VT_BSTR:
      return JsonValue::Text(value.bstrVal ? utils::ToUtf8(std::wstring(value.bstrVal, ::SysStringLen(value.bstrVal)))
                                           : std::string());
    case VT_BOOL: return JsonValue::Bool(value.boolVal != VARIANT_FALSE);
    case VT_I4: return JsonValue::Int(value.lVal);
    case VT_UI4: return JsonValue::Int(value.ulVal);
    case VT_I2: return JsonValue::Int(value.iVal);
    case VT_UI2: return JsonValue::Int(value.uiVal);
    case VT_I1: return JsonValue::Int(value.cVal);
    case VT_UI1: return JsonValue::Int(value.bVal);
    case VT_INT: return JsonValue::Int(value.intVal);
    case VT_UINT: return JsonValue::Int(value.uintVal);
    case VT_R8: {
      JsonValue v;
      v.type = JsonValue::Type::Number;
      v.number = value.dblVal;
      return v;
    }
    default: return JsonValue::Null();
  }
}

}  // namespace stubframework::devhost
