#include "downloader/download_url_to_file_win.h"

#include <atomic>
#include <new>

#include "downloader/result_codes.h"
#include "shell/win_raii.h"

namespace downloader {
namespace {

constexpr HRESULT kPending = static_cast<HRESULT>(0x8000000A);

// The bind-status callback that writes the pulled stream into the file and then forwards to
// the caller's callback.
class BSCHolder final : public IBindStatusCallback {
 public:
  BSCHolder(HANDLE file, IBindStatusCallback* inner) : file_(file), inner_(inner) {
    if (inner_) inner_->AddRef();
  }
  ~BSCHolder() {
    if (inner_) inner_->Release();
    if (ownsFile_) ::CloseHandle(file_);
  }
  // After a quit message the caller stops waiting: the holder keeps the file open until the
  // library lets go of it, and takes no more data.
  void Abandon() {
    ownsFile_ = true;
    abandoned_ = true;
  }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (iid == IID_IUnknown || iid == IID_IBindStatusCallback) {
      *out = static_cast<IBindStatusCallback*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++count_; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --count_;
    if (left == 0) delete this;
    return left;
  }
  HRESULT STDMETHODCALLTYPE OnStartBinding(DWORD reserved, IBinding* binding) override {
    return inner_ ? inner_->OnStartBinding(reserved, binding) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetPriority(LONG* priority) override {
    return inner_ ? inner_->GetPriority(priority) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnLowResource(DWORD reserved) override {
    return inner_ ? inner_->OnLowResource(reserved) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnProgress(ULONG progress, ULONG maximum, ULONG status, LPCWSTR text) override {
    if (status == BINDSTATUS_BEGINDOWNLOADDATA && maximum != 0) {
      // Allocates the announced length at once, then writes from the start.
      LARGE_INTEGER at;
      at.QuadPart = maximum;
      if (::SetFilePointerEx(file_, at, nullptr, FILE_BEGIN)) ::SetEndOfFile(file_);
      at.QuadPart = 0;
      ::SetFilePointerEx(file_, at, nullptr, FILE_BEGIN);
    }
    return inner_ ? inner_->OnProgress(progress, maximum, status, text) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnStopBinding(HRESULT code, LPCWSTR text) override {
    LARGE_INTEGER zero{}, position{}, size{};
    ::SetFilePointerEx(file_, zero, &position, FILE_CURRENT);
    ::GetFileSizeEx(file_, &size);
    if (code != S_OK) {
      ::SetEndOfFile(file_);
    } else if (position.QuadPart != size.QuadPart) {
      code = 1;  // ended without an error but shorter than announced
      ::SetEndOfFile(file_);
    }
    if (!writeFailed_) result = code;
    return inner_ ? inner_->OnStopBinding(code, text) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetBindInfo(DWORD* flags, BINDINFO* info) override {
    return inner_ ? inner_->GetBindInfo(flags, info) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnDataAvailable(DWORD flags, DWORD size, FORMATETC* format, STGMEDIUM* medium) override {
    if (abandoned_) return E_ABORT;
    if (medium && medium->tymed == TYMED_ISTREAM && medium->pstm) {
      char chunk[8192];
      for (;;) {
        ULONG read = 0;
        const HRESULT hr = medium->pstm->Read(chunk, sizeof chunk, &read);
        if (read) {
          DWORD written = 0;
          if (!::WriteFile(file_, chunk, read, &written, nullptr) || written != read) {
            const DWORD error = ::GetLastError();
            writeFailed_ = true;
            result = ResultFromError(error ? error : ERROR_DISK_FULL);
            return E_ABORT;
          }
        }
        if (hr != S_OK) {
          if (hr != kPending && hr != S_FALSE) return hr;
          break;
        }
        if (!read) break;  // a stream that answers success with nothing would be read forever
      }
    }
    return inner_ ? inner_->OnDataAvailable(flags, size, format, medium) : E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE OnObjectAvailable(REFIID, IUnknown*) override { return E_NOTIMPL; }

  ULONG count() const { return count_; }
  std::atomic<long> result{kPending};

 private:
  std::atomic<ULONG> count_{1};
  HANDLE file_;
  bool writeFailed_ = false;
  std::atomic<bool> abandoned_{false};
  bool ownsFile_ = false;
  IBindStatusCallback* inner_;
};

}  // namespace

long DownloadUrlToFile(const std::wstring& url, const std::wstring& path, IBindStatusCallback* inner) {
  return DownloadUrlToFileWith(&::URLOpenPullStreamW, url, path, inner);
}

long DownloadUrlToFileWith(PullStreamOpener open, const std::wstring& url, const std::wstring& path,
                           IBindStatusCallback* inner) {
  stubframework::win::UniqueHandle file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return ResultFromError(::GetLastError());
  auto* holder = new (std::nothrow) BSCHolder(file.get(), inner);
  if (!holder) return kOutOfMemory;
  long result = open(nullptr, url.c_str(), 0, holder);
  if (SUCCEEDED(result)) {
    bool quit = false;
    while (holder->result == kPending) {
      MSG message;
      const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
      if (got == 0) {
        ::PostQuitMessage(static_cast<int>(message.wParam));
        quit = true;
        break;
      }
      if (got == -1) continue;
      ::TranslateMessage(&message);
      ::DispatchMessageW(&message);
    }
    result = holder->result;
    if (quit) {
      // Without a message pump the binding may never end: the holder outlives this call with
      // the file, and whoever releases it last closes it.
      holder->Abandon();
      file.release();
      holder->Release();
      return result;
    }
    while (holder->count() != 1) ::Sleep(1);
  }
  holder->Release();
  return result;
}

}  // namespace downloader

namespace stubframework::core {

HRESULT STDMETHODCALLTYPE DownloadCallback::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (iid == IID_IUnknown || iid == IID_IBindStatusCallback) {
    *out = static_cast<IBindStatusCallback*>(this);
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

HRESULT STDMETHODCALLTYPE DownloadCallback::OnProgress(ULONG progress, ULONG maximum, ULONG status, LPCWSTR) {
  if (status == BINDSTATUS_BEGINDOWNLOADDATA) {
    store_.setCounter(kDownloadTotal, maximum);
    if (sizeProbe_ && *sizeProbe_) return E_ABORT;
  } else if (status == BINDSTATUS_DOWNLOADINGDATA || status == BINDSTATUS_ENDDOWNLOADDATA) {
    progressSeen_ = true;
    store_.setCounter(kDownloadCurrent, progress);
  }
  return stop_ && *stop_ ? E_ABORT : S_OK;
}

}  // namespace stubframework::core
