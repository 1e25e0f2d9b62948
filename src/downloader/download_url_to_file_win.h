#pragma once
// The blocking URL-moniker download (pull mode) of the plain download path and the size probe.
#include <windows.h>
#include <urlmon.h>

#include <atomic>
#include <string>

#include "core/property_store.h"

namespace downloader {

// Downloads `url` into `path`, pumping window messages while it waits (it may run on the UI
// thread). 0, 1 (ended without error but shorter than announced), or a failure code.
long DownloadUrlToFile(const std::wstring& url, const std::wstring& path, IBindStatusCallback* inner);

// The same over another pull-mode opener with `URLOpenPullStreamW`'s contract: the tests drive the
// holder through a stand-in binding where the system's moniker library lacks the function.
using PullStreamOpener = HRESULT(WINAPI*)(IUnknown*, LPCWSTR, DWORD, IBindStatusCallback*);
long DownloadUrlToFileWith(PullStreamOpener open, const std::wstring& url, const std::wstring& path,
                           IBindStatusCallback* inner);

}  // namespace downloader

namespace stubframework::core {

// The moniker callback of a download job: feeds "downloadTotal" and "downloadCurrent" and aborts
// the binding when `stop` is set, or once the length is known when `sizeProbe` is set. Lives on
// its caller's stack for one call.
class DownloadCallback : public IBindStatusCallback {
 public:
  DownloadCallback(PropertyStore& store, const std::atomic<bool>* stop, const std::atomic<bool>* sizeProbe)
      : store_(store), stop_(stop), sizeProbe_(sizeProbe) {}
  bool progressSeen() const { return progressSeen_; }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override;
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD, IBinding*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG maximum, ULONG status, LPCWSTR text) override;
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT, LPCWSTR) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD*, BINDINFO*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD, DWORD, FORMATETC*, STGMEDIUM*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return S_OK; }

 private:
  PropertyStore& store_;
  const std::atomic<bool>* stop_;
  const std::atomic<bool>* sizeProbe_;
  bool progressSeen_ = false;
};

}  // namespace stubframework::core
