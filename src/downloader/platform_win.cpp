#include "downloader/platform_win.h"

#include <wincrypt.h>

#include <new>

#include "downloader/download_simple_task.h"
#include "downloader/http_to_file_task.h"
#include "downloader/http_to_mem_task.h"

namespace downloader {

ITask* CreateWinInetHttpTask(const std::wstring& url, RangeRequest&& request, IHttpCallback* callback,
                             ILogger* logger);  // http_task_win.cpp

HandleFile::~HandleFile() {
  if (owned_ && handle_ != INVALID_HANDLE_VALUE) ::CloseHandle(handle_);
}

std::uint32_t HandleFile::Read(void* data, std::uint32_t size, std::uint32_t* read) {
  DWORD got = 0;
  const BOOL ok = ::ReadFile(handle_, data, size, &got, nullptr);
  *read = got;
  return ok ? 0 : ::GetLastError();
}

std::uint32_t HandleFile::Write(const void* data, std::uint32_t size, std::uint32_t* written) {
  DWORD put = 0;
  const BOOL ok = ::WriteFile(handle_, data, size, &put, nullptr);
  *written = put;
  return ok ? 0 : ::GetLastError();
}

std::uint32_t HandleFile::Seek(std::int64_t position) {
  LARGE_INTEGER to;
  to.QuadPart = position;
  return ::SetFilePointerEx(handle_, to, nullptr, FILE_BEGIN) ? 0 : ::GetLastError();
}

std::uint32_t HandleFile::SetEnd() { return ::SetEndOfFile(handle_) ? 0 : ::GetLastError(); }

namespace {

class CryptoSha1 : public IBlockDigest {
 public:
  ~CryptoSha1() override {
    if (provider_) ::CryptReleaseContext(provider_, 0);
  }
  bool Digest(const unsigned char* data, std::uint32_t size, unsigned char* digest) override {
    if (!provider_ && !::CryptAcquireContextW(&provider_, nullptr, nullptr, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
      provider_ = 0;
      return false;
    }
    HCRYPTHASH hash = 0;
    if (!::CryptCreateHash(provider_, CALG_SHA1, 0, 0, &hash)) return false;
    DWORD length = kDigestSize;
    const bool ok = ::CryptHashData(hash, data, size, 0) && ::CryptGetHashParam(hash, HP_HASHVAL, digest, &length, 0) &&
                    length == kDigestSize;
    ::CryptDestroyHash(hash);
    return ok;
  }

 private:
  HCRYPTPROV provider_ = 0;
};

DWORD WINAPI RunQueued(void* context) {
  std::unique_ptr<std::function<void()>> work(static_cast<std::function<void()>*>(context));
  (*work)();
  return 0;
}

class WindowsEngine : public IEngine {
 public:
  ITask* CreateHttpTask(const std::wstring& url, RangeRequest&& request, IHttpCallback* callback,
                        ILogger* logger) override {
    return CreateWinInetHttpTask(url, std::move(request), callback, logger);
  }
  ITask* CreateHashTask(IFile* file, IHashCallback* callback) override {
    return downloader::CreateHashTask(file, nullptr, callback, CreateCryptoSha1(), QueueOnThreadPool);
  }
  std::unique_ptr<IFile> OpenFile(const std::wstring& path, std::uint32_t* error) override {
    HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
      *error = ::GetLastError();
      return nullptr;
    }
    return std::make_unique<HandleFile>(file, true);
  }
};

}  // namespace

std::unique_ptr<IBlockDigest> CreateCryptoSha1() { return std::make_unique<CryptoSha1>(); }

bool QueueOnThreadPool(std::function<void()> work) {
  auto* item = new (std::nothrow) std::function<void()>(std::move(work));
  if (!item) return false;
  if (::QueueUserWorkItem(RunQueued, item, WT_EXECUTELONGFUNCTION)) return true;
  delete item;
  return false;
}

IEngine* PlatformEngine() {
  static WindowsEngine engine;
  return &engine;
}

ITask* CreateHttpTask(const std::wstring& url, RangeRequest&& request, IHttpCallback* callback, ILogger* logger) {
  return CreateWinInetHttpTask(url, std::move(request), callback, logger);
}

ITask* CreateHashTask(HANDLE file, IHashCallback* callback) {
  auto view = std::make_unique<HandleFile>(file, false);
  IFile* raw = view.get();
  return downloader::CreateHashTask(raw, std::move(view), callback, CreateCryptoSha1(), QueueOnThreadPool);
}

ITask* CreateHttpToFileTask(const std::wstring& url, HANDLE file, std::int64_t offset, std::int64_t size,
                            IHttpToFileCallback* callback, ILogger* logger) {
  return downloader::CreateHttpToFileTask(PlatformEngine(), url, std::make_unique<HandleFile>(file, false), offset,
                                         size, callback, logger);
}

ITask* CreateHttpToMemTask(const std::wstring& url, IHttpToMemCallback* callback, ILogger* logger) {
  return downloader::CreateHttpToMemTask(PlatformEngine(), url, callback, logger);
}

ITask* CreateDownloadSimpleTask(const std::wstring& url, const std::wstring& metaUrl, const std::wstring& path,
                                IDownloadCallback* callback, ILogger* logger) {
  return downloader::CreateDownloadSimpleTask(PlatformEngine(), url, metaUrl, path, callback, logger);
}

}  // namespace downloader
