#include "methods/property_methods_win.h"

#include "htmlui/html_external_win.h"
#include "methods/external_methods_win.h"
#include "shell/application_win.h"

namespace stubframework {

void RegisterPropertyMethods(ExternalMethods& methods) {
  methods.registerScript(
      L"setProperty", {kFlagsMethod, {VT_BSTR, VT_BSTR}},
      [&methods](ScriptCall& call) {
        std::wstring name = call.text(0), value = call.text(1);
        methods.application()->htmlExternal().setPageProperty(name, value);
        methods.log()->debug(L"EMSetProperty %s, %s", value.c_str(), name.c_str());
        return S_OK;
      },
      L"EMSetProperty");
  methods.registerScript(L"getProperty", {kFlagsMethodGet, {VT_BSTR}}, [&methods](ScriptCall& call) {
    if (!call.wantsResult()) return S_OK;
    return call.returnText(methods.application()->htmlExternal().getPageProperty(call.text(0)));
  });
}

}  // namespace stubframework
