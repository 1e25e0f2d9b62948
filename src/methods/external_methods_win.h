#pragma once
// The method table: every script-callable method by name, with the property store's owner and
// the wizard window that handlers use.
#include <windows.h>

#include <functional>
#include <map>
#include <string>

#include "htmlui/mshtml_external.h"
#include "htmlui/script_call_win.h"

namespace stubframework::core {
class Application;
}

namespace stubframework {

class ExternalMethods {
 public:
  using CheckedHandler = std::function<HRESULT(ScriptCall& call)>;

  // Makes the base registrations.
  explicit ExternalMethods(core::Application* application);
  virtual ~ExternalMethods() = default;
  ExternalMethods(const ExternalMethods&) = delete;
  ExternalMethods& operator=(const ExternalMethods&) = delete;

  virtual void setWindow(HWND window) { window_ = window; }
  HWND window() const { return window_; }
  core::Application* application() const { return application_; }
  // The installer log (nullptr without an application).
  debug::LogWriter* log() const;

  // Stores a handler that checks its own call; replaces one of the same name.
  void registerMethod(const std::wstring& name, ScriptHandler handler);
  // Stores a handler behind the convention's checks; `entryLog`, when given, is logged before
  // the checks.
  void registerScript(const std::wstring& name, ScriptSignature signature, CheckedHandler body,
                      const wchar_t* entryLog = nullptr);

  // Ordered by UTF-16 code units; fixed once published.
  const std::map<std::wstring, ScriptHandler>& registry() const { return registry_; }

 private:
  core::Application* application_;
  HWND window_ = nullptr;
  std::map<std::wstring, ScriptHandler> registry_;
};

}  // namespace stubframework
