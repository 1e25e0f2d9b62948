#pragma once
// The object behind window.external as the HTML host sees it.
#include <windows.h>
#include <dispex.h>

#include <functional>
#include <string>

namespace stubframework {

// A script-callable method: invocation flags, argument block, result slot (null when the
// caller wants no result).
using ScriptHandler = std::function<HRESULT(WORD flags, DISPPARAMS* params, VARIANT* result)>;

namespace htmlui {

struct PublishedEntry {
  const std::wstring* name;
  const ScriptHandler* handler;
};

class MSHTMLExternal : public IDispatchEx {
 public:
  virtual ~MSHTMLExternal() = default;
  virtual void setWindow(HWND window) = 0;
  virtual void onDocumentComplete(IUnknown* site) = 0;
  // The published entries in dispatch-identifier order (identifier = index + 1).
  virtual size_t getEntries(const PublishedEntry** entries) = 0;
};

}  // namespace htmlui
}  // namespace stubframework
