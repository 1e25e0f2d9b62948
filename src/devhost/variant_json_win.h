#pragma once
// Between the browser's JSON values and the script engine's VARIANTs.
#include <windows.h>
#include <oaidl.h>

#include "devhost/call_protocol.h"
#include "devhost/json.h"

namespace stubframework::devhost {

// The VARIANT a script engine passes for the argument; a function becomes a FunctionProxy that
// reports to `events`. False when a text is not valid UTF-8.
bool ToVariant(const ScriptArg& arg, EventQueue& events, VARIANT& out);

// A result or callback argument for the browser: VT_BSTR a string, VT_BOOL true/false,
// VT_I4/VT_UI4 (and the other integer types, VT_R8) a number, anything else null.
JsonValue ToJson(const VARIANT& value);

}  // namespace stubframework::devhost
