#include "methods/external_methods_win.h"

#include "methods/file_methods_win.h"
#include "methods/property_methods_win.h"
#include "methods/registry_methods_win.h"
#include "methods/window_methods_win.h"
#include "shell/application_win.h"

namespace stubframework {

ExternalMethods::ExternalMethods(core::Application* application) : application_(application) {
  RegisterPropertyMethods(*this);
  RegisterRegistryMethods(*this);
  RegisterFileMethods(*this);
  RegisterWindowMethods(*this);
}

debug::LogWriter* ExternalMethods::log() const { return application_ ? &application_->logger() : nullptr; }

void ExternalMethods::registerMethod(const std::wstring& name, ScriptHandler handler) {
  registry_[name] = std::move(handler);
}

void ExternalMethods::registerScript(const std::wstring& name, ScriptSignature signature, CheckedHandler body,
                                     const wchar_t* entryLog) {
  registerMethod(name, [this, signature = std::move(signature), body = std::move(body), entryLog](
                           WORD flags, DISPPARAMS* params, VARIANT* result) -> HRESULT {
    if (entryLog && log()) log()->debug(L"%s", entryLog);
    HRESULT hr = CheckScriptCall(signature, flags, params, log());
    if (FAILED(hr)) return hr;
    ScriptCall call(params, result);
    return body(call);
  });
}

}  // namespace stubframework
