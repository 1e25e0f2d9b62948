#pragma once
// The method table of a real application object, called as a script engine calls it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "htmlui/html_external_win.h"
#include "shell/application_win.h"
#include "stub/my_external_methods_win.h"
#include "support/script_caller.h"

namespace method_fixture {

class Methods : public ::testing::Test {
 protected:
  void SetUp() override { application.htmlExternal().publish(methods); }

  // Calls with a result slot; the text result, or "<not text>".
  std::wstring text(const wchar_t* name, WORD flags, std::vector<VARIANT> args) {
    VARIANT result;
    ::VariantInit(&result);
    HRESULT hr = caller().call(name, flags, std::move(args), &result);
    EXPECT_EQ(hr, S_OK) << "calling " << std::string(name, name + wcslen(name));
    std::wstring out = result.vt == VT_BSTR && result.bstrVal ? result.bstrVal : L"<not text>";
    ::VariantClear(&result);
    return out;
  }
  bool boolean(const wchar_t* name, WORD flags, std::vector<VARIANT> args) {
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(caller().call(name, flags, std::move(args), &result), S_OK);
    EXPECT_EQ(result.vt, VT_BOOL);
    return result.vt == VT_BOOL && result.boolVal == VARIANT_TRUE;
  }
  HRESULT call(const wchar_t* name, WORD flags, std::vector<VARIANT> args) {
    return caller().call(name, flags, std::move(args));
  }
  testing_support::ScriptCaller caller() { return testing_support::ScriptCaller(&application.htmlExternal()); }

  static VARIANT Text(const std::wstring& text) { return testing_support::ScriptCaller::Text(text.c_str()); }
  static VARIANT Int(LONG value) { return testing_support::ScriptCaller::Int(value); }
  static VARIANT Bool(bool value) {
    VARIANT v;
    v.vt = VT_BOOL;
    v.boolVal = value ? VARIANT_TRUE : VARIANT_FALSE;
    return v;
  }

  stubframework::core::Application application{nullptr};
  myexternalmethods::MyExternalMethods methods{&application};
};

}  // namespace method_fixture
