#pragma once
// window.external: the published method table, the expando properties that scripts add, and
// the page-property and progress-counter operations that jobs call directly.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "htmlui/mshtml_external.h"
#include "shell/win_raii.h"
#include "zip/zip_reporter.h"

namespace stubframework {
class ExternalMethods;
}

namespace stubframework::core {

class PropertyStore;

class HtmlExternal final : public htmlui::MSHTMLExternal, public zip::ZipReporter {
 public:
  static constexpr DISPID kExpandoBit = static_cast<DISPID>(0x80000000);
  static constexpr VARTYPE kDeletedType = 0xFFFF;

  // Count 1, owned by the creator.
  explicit HtmlExternal(PropertyStore& properties);

  // Fixes the dispatch identifiers: a sorted snapshot of the table's names and handlers. The
  // table must not change afterwards.
  void publish(ExternalMethods& methods);

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT*) override;
  // IDispatchEx
  HRESULT STDMETHODCALLTYPE GetDispID(BSTR name, DWORD options, DISPID* id) override;
  HRESULT STDMETHODCALLTYPE InvokeEx(DISPID id, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, IServiceProvider* caller) override;
  HRESULT STDMETHODCALLTYPE DeleteMemberByName(BSTR name, DWORD options) override;
  HRESULT STDMETHODCALLTYPE DeleteMemberByDispID(DISPID id) override;
  HRESULT STDMETHODCALLTYPE GetMemberProperties(DISPID, DWORD, DWORD*) override;
  HRESULT STDMETHODCALLTYPE GetMemberName(DISPID, BSTR*) override;
  HRESULT STDMETHODCALLTYPE GetNextDispID(DWORD, DISPID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE GetNameSpaceParent(IUnknown**) override;

  // MSHTMLExternal
  void setWindow(HWND window) override;
  void onDocumentComplete(IUnknown* site) override;
  size_t getEntries(const htmlui::PublishedEntry** entries) override;
  void setSizeProbeFlag(bool value) { sizeProbe_ = value; }
  void setStopFlag(bool value) { stop_ = value; }
  bool sizeProbeFlag() const { return sizeProbe_; }
  bool stopFlag() const { return stop_; }

  // Page properties and progress counters, from any thread.
  void setPageProperty(const std::wstring& name, const std::wstring& value);
  std::wstring getPageProperty(const std::wstring& name);
  void setDownloadTotal(uint32_t n);
  void setDownloadCurrent(uint32_t n);
  void setInstallTotal(uint32_t n);
  void setInstallCurrent(uint32_t n);
  int32_t getDownloadTotal();
  int32_t getDownloadCurrent();
  int32_t getInstallTotal();
  int32_t getInstallCurrent();
  void resetCounters();

  // ZipReporter: "installCurrent" is a tenth of the entry index, "installTotal" the count.
  void entryProgress(unsigned index, unsigned count) override;
  void ioFailure(unsigned long code) override { lastArchiveError_ = code; }
  unsigned long lastArchiveError() const { return lastArchiveError_; }

  HWND window() const { return window_; }
  // The outer size last applied by the window sizing.
  int lastWidth = 0;
  int lastHeight = 0;

 private:
  ~HtmlExternal() override;

  struct Expando {
    std::wstring name;
    VARIANT value;
  };

  // Index of the published entry of that name, or -1.
  int findMethod(const wchar_t* name, bool ignoreCase) const;
  int findExpando(const wchar_t* name, bool ignoreCase) const;

  // Several threads take and drop references (the jobs' callbacks), so the count is atomic.
  std::atomic<ULONG> refs_{1};
  std::vector<Expando> expandos_;
  HWND window_ = nullptr;
  ExternalMethods* methods_ = nullptr;
  std::vector<htmlui::PublishedEntry> entries_;
  PropertyStore& properties_;
  unsigned long lastArchiveError_ = 0;
  std::atomic<bool> sizeProbe_{false};
  std::atomic<bool> stop_{false};
};

}  // namespace stubframework::core
