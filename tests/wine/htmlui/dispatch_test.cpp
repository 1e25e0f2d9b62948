// window.external driven as a script engine drives it: names to identifiers, Invoke with the
// per-method flags and VARIANT arguments, expandos through IDispatchEx.
#include <gtest/gtest.h>

#include <vector>

#include "htmlui/html_external_win.h"
#include "shell/application_win.h"
#include "stub/my_external_methods_win.h"
#include "support/script_caller.h"

using namespace stubframework;

namespace {

class Dispatch : public ::testing::Test {
 protected:
  void SetUp() override {
    methods.registerMethod(L"getFileVersionEx", Succeed());
    methods.registerMethod(L"getFileVersion", Succeed());
    methods.registerMethod(L"Zebra", Succeed());
    application.htmlExternal().publish(methods);
    external = &application.htmlExternal();
  }

  static ScriptHandler Succeed() {
    return [](WORD, DISPPARAMS*, VARIANT*) { return S_OK; };
  }

  DISPID idOf(const wchar_t* name) { return caller().idOf(name); }
  HRESULT call(const wchar_t* name, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr) {
    return caller().call(name, flags, std::move(args), result);
  }
  testing_support::ScriptCaller caller() { return testing_support::ScriptCaller(external); }
  static VARIANT Text(const wchar_t* text) { return testing_support::ScriptCaller::Text(text); }
  static VARIANT Int(LONG value) { return testing_support::ScriptCaller::Int(value); }

  core::Application application{nullptr};
  myexternalmethods::MyExternalMethods methods{&application};
  core::HtmlExternal* external = nullptr;
};

std::wstring TextOf(const VARIANT& v) { return v.vt == VT_BSTR && v.bstrVal ? v.bstrVal : L"<not text>"; }

}  // namespace

TEST_F(Dispatch, NamesAreExactButGetDispIdCanIgnoreCase) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"getproperty"), const_cast<LPOLESTR>(L"setProperty")};
  DISPID ids[2] = {0, 0};
  EXPECT_EQ(external->GetIDsOfNames(IID_NULL, names, 2, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);
  EXPECT_EQ(ids[1], idOf(L"setProperty"));  // every name gets its identifier
  EXPECT_GT(ids[1], 0);

  win::Bstr lower(L"getproperty");
  DISPID id = 0;
  EXPECT_EQ(external->GetDispID(lower.get(), fdexNameCaseInsensitive, &id), S_OK);
  EXPECT_EQ(id, idOf(L"getProperty"));
  EXPECT_EQ(external->GetDispID(lower.get(), 0, &id), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(id, DISPID_UNKNOWN);
}

TEST_F(Dispatch, IdentifiersFollowCodeUnitOrder) {
  const htmlui::PublishedEntry* entries = nullptr;
  size_t count = external->getEntries(&entries);
  ASSERT_GE(count, 5u);
  for (size_t i = 1; i < count; ++i) EXPECT_LT(*entries[i - 1].name, *entries[i].name);
  EXPECT_EQ(idOf(L"Zebra"), 1);  // upper case before every lower-case name
  EXPECT_EQ(idOf(L"getFileVersionEx"), idOf(L"getFileVersion") + 1);
  EXPECT_EQ(*entries[idOf(L"getProperty") - 1].name, L"getProperty");
}

TEST_F(Dispatch, IdentifiersOutsideTheTableAreNotMembers) {
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  const DISPID count = static_cast<DISPID>(external->getEntries(nullptr));
  for (DISPID id : {DISPID(0), count + 1, DISPID(-1), DISPID(0x80000000)})
    EXPECT_EQ(external->Invoke(id, IID_NULL, 0, 1, &none, nullptr, nullptr, nullptr), DISP_E_MEMBERNOTFOUND) << id;
  const IID other = IID_IDispatch;
  EXPECT_EQ(external->Invoke(1, other, 0, 1, &none, nullptr, nullptr, nullptr), DISP_E_UNKNOWNINTERFACE);
}

TEST_F(Dispatch, PropertiesRoundTripThroughTheMethods) {
  EXPECT_EQ(call(L"setProperty", 1, {Text(L"answer"), Text(L"42")}), S_OK);
  VARIANT result;
  ::VariantInit(&result);
  EXPECT_EQ(call(L"getProperty", 3, {Text(L"answer")}, &result), S_OK);
  EXPECT_EQ(TextOf(result), L"42");
  ::VariantClear(&result);
  EXPECT_EQ(call(L"getProperty", 3, {Text(L"never set")}, &result), S_OK);
  EXPECT_EQ(TextOf(result), L"");
  ::VariantClear(&result);
  // Without a result slot nothing is returned and nothing fails.
  EXPECT_EQ(call(L"getProperty", 3, {Text(L"answer")}), S_OK);
}

TEST_F(Dispatch, MalformedCallsAnswerTheirDispatchErrors) {
  struct Case {
    const wchar_t* name;
    WORD flags;
    std::vector<VARIANT> args;
    HRESULT want;
  };
  std::vector<Case> cases;
  cases.push_back({L"getProperty", 3, {Int(5)}, DISP_E_TYPEMISMATCH});
  cases.push_back({L"setProperty", 1, {Text(L"only one")}, DISP_E_BADPARAMCOUNT});
  cases.push_back({L"setProperty", 1, {Text(L"a"), Text(L"b"), Text(L"c")}, DISP_E_BADPARAMCOUNT});
  cases.push_back({L"setProperty", 3, {Text(L"a"), Text(L"b")}, DISP_E_MEMBERNOTFOUND});
  cases.push_back({L"getProperty", 1, {Text(L"a")}, DISP_E_MEMBERNOTFOUND});
  cases.push_back({L"getProperty", 2, {Text(L"a")}, DISP_E_MEMBERNOTFOUND});
  cases.push_back({L"setProperty", 1, {Text(L"a"), Int(1)}, DISP_E_TYPEMISMATCH});
  for (auto& c : cases) {
    VARIANT result;
    ::VariantInit(&result);
    EXPECT_EQ(call(c.name, c.flags, c.args, &result), c.want) << c.name << " flags " << c.flags;
    EXPECT_EQ(result.vt, VT_EMPTY);
  }

  // Named arguments are refused, and so is a missing argument block for a method with arguments.
  VARIANT arg = Text(L"x");
  DISPID named = 0;
  DISPPARAMS withNamed{&arg, &named, 1, 1};
  EXPECT_EQ(external->Invoke(idOf(L"getProperty"), IID_NULL, 0, 3, &withNamed, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
  ::VariantClear(&arg);
  EXPECT_EQ(external->Invoke(idOf(L"getProperty"), IID_NULL, 0, 3, nullptr, nullptr, nullptr, nullptr),
            DISP_E_BADPARAMCOUNT);
}

TEST(CheckParamTypes, CountsThenComparesInBlockOrder) {
  VARIANT block[2];
  block[0].vt = VT_BOOL;  // the last script argument
  block[1].vt = VT_BSTR;
  DISPPARAMS params{block, nullptr, 2, 0};
  const VARTYPE right[] = {VT_BOOL, VT_BSTR};
  const VARTYPE wrong[] = {VT_BSTR, VT_BOOL};
  EXPECT_EQ(CheckParamTypes(&params, right, 2, nullptr), S_OK);
  EXPECT_EQ(CheckParamTypes(&params, wrong, 2, nullptr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(CheckParamTypes(&params, right, 1, nullptr), DISP_E_BADPARAMCOUNT);
}

TEST_F(Dispatch, ExpandosLiveDieAndRevive) {
  win::Bstr foo(L"foo");
  DISPID id = 0;
  EXPECT_EQ(external->GetDispID(foo.get(), 0, &id), DISP_E_UNKNOWNNAME);
  ASSERT_EQ(external->GetDispID(foo.get(), fdexNameEnsure, &id), S_OK);
  EXPECT_EQ(static_cast<DWORD>(id), 0x80000000u);

  // foo = 5
  VARIANT five = Int(5);
  DISPID putId = DISPID_PROPERTYPUT;
  DISPPARAMS put{&five, &putId, 1, 1};
  EXPECT_EQ(external->InvokeEx(id, 0, DISPATCH_PROPERTYPUT, &put, nullptr, nullptr, nullptr), S_OK);
  DISPPARAMS putUnnamed{&five, nullptr, 1, 0};
  EXPECT_EQ(external->InvokeEx(id, 0, DISPATCH_PROPERTYPUT, &putUnnamed, nullptr, nullptr, nullptr),
            DISP_E_PARAMNOTFOUND);

  VARIANT got;
  ::VariantInit(&got);
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(external->InvokeEx(id, 0, DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, &got, nullptr, nullptr), S_OK);
  EXPECT_EQ(got.vt, VT_I4);
  EXPECT_EQ(got.lVal, 5);
  EXPECT_EQ(external->InvokeEx(id, 0, DISPATCH_PROPERTYGET, &put, &got, nullptr, nullptr), DISP_E_BADPARAMCOUNT);
  // Expandos are reached through InvokeEx only; a method call on a number does nothing.
  EXPECT_EQ(external->Invoke(id, IID_NULL, 0, DISPATCH_PROPERTYGET, &none, &got, nullptr, nullptr),
            DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(external->InvokeEx(id, 0, DISPATCH_METHOD, &none, nullptr, nullptr, nullptr), S_OK);
  EXPECT_EQ(external->InvokeEx(id, 0, 0, &none, nullptr, nullptr, nullptr), E_NOTIMPL);
  EXPECT_EQ(external->InvokeEx(id + 1, 0, DISPATCH_PROPERTYGET, &none, &got, nullptr, nullptr),
            DISP_E_UNKNOWNNAME);

  // Case-insensitive lookup finds it too; the methods cannot be deleted.
  win::Bstr upper(L"FOO");
  DISPID again = 0;
  EXPECT_EQ(external->GetDispID(upper.get(), fdexNameCaseInsensitive, &again), S_OK);
  EXPECT_EQ(again, id);
  EXPECT_EQ(external->DeleteMemberByDispID(idOf(L"getProperty")), S_FALSE);
  EXPECT_EQ(external->DeleteMemberByDispID(DISPID(0x80001234)), S_OK);

  EXPECT_EQ(external->DeleteMemberByName(foo.get(), 0), S_OK);
  EXPECT_EQ(external->GetDispID(foo.get(), 0, &again), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(external->InvokeEx(id, 0, DISPATCH_PROPERTYGET, &none, &got, nullptr, nullptr), S_OK);
  EXPECT_EQ(got.vt, VT_EMPTY);  // deleted values read as nothing, never as the deletion mark
  EXPECT_EQ(external->GetDispID(foo.get(), fdexNameEnsure, &again), S_OK);
  EXPECT_EQ(again, id);  // revived in place, empty
  EXPECT_EQ(external->GetDispID(foo.get(), fdexNameNoDynamicProperties, &again), DISP_E_UNKNOWNNAME);
}

TEST_F(Dispatch, ManyExpandosGrowTheList) {
  for (int i = 0; i < 100; ++i) {
    win::Bstr name(L"p" + std::to_wstring(i));
    DISPID id = 0;
    ASSERT_EQ(external->GetDispID(name.get(), fdexNameEnsure, &id), S_OK);
    EXPECT_EQ(id & 0x7FFFFFFF, i);
  }
}

TEST_F(Dispatch, QueryInterfaceAndTheUnimplementedOperations) {
  void* object = nullptr;
  for (REFIID iid : {IID_IUnknown, IID_IDispatch, IID_IDispatchEx}) {
    ASSERT_EQ(external->QueryInterface(iid, &object), S_OK);
    static_cast<IUnknown*>(object)->Release();
  }
  EXPECT_EQ(external->QueryInterface(IID_IServiceProvider, &object), E_NOINTERFACE);
  EXPECT_EQ(object, nullptr);
  UINT count;
  EXPECT_EQ(external->GetTypeInfoCount(&count), E_NOTIMPL);
  EXPECT_EQ(external->GetNextDispID(0, 0, nullptr), E_NOTIMPL);
}
