#include "downloader/up_to_date_win.h"

#include <windows.h>
#include <wininet.h>

#include <cstring>
#include <new>

#include "downloader/download_meta_simple.h"
#include "downloader/platform_win.h"
#include "shell/download_logger.h"
#include "shell/win_raii.h"

namespace downloader {
namespace {

using stubframework::win::UniqueHandle;

struct InternetHandle {
  HINTERNET h = nullptr;
  ~InternetHandle() {
    if (h) ::InternetCloseHandle(h);
  }
};

class HttpToMemCallback : public IHttpToMemCallback {
 public:
  explicit HttpToMemCallback(Buffer* out) : out_(out), event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  void OnComplete(HttpToMemResult&& result) override {
    success = result.result >= 0;
    if (success) {
      if (out_->size != result.buffer.size && !out_->SetSize(result.buffer.size)) success = false;
      if (success && result.buffer.size) std::memcpy(out_->data, result.buffer.data, result.buffer.size);
    }
    ::SetEvent(event_.get());
  }
  HANDLE event() const { return event_.get(); }
  bool success = false;

 private:
  Buffer* out_;
  UniqueHandle event_;
};

class HashCallback : public IHashCallback {
 public:
  explicit HashCallback(const DownloadMetaSimple& meta) : meta_(meta), event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  void OnHash(const unsigned char* digest) override {
    if (count_ >= meta_.hashes.size() || std::memcmp(digest, meta_.hashes[count_].data(), kDigestSize) != 0) {
      if (task) task->Cancel();
      return;
    }
    ++count_;
  }
  void OnComplete(HashResult r) override {
    result = r;
    ::SetEvent(event_.get());
  }
  HANDLE event() const { return event_.get(); }
  ITask* task = nullptr;
  HashResult result = HashResult::Cancelled;

 private:
  const DownloadMetaSimple& meta_;
  std::size_t count_ = 0;
  UniqueHandle event_;
};

bool Reachable(const std::wstring& metaUrl) {
  InternetHandle session{::InternetOpenW(L"ValidURL", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)};
  if (!session.h) return false;
  InternetHandle url{::InternetOpenUrlW(session.h, metaUrl.c_str(), nullptr, 0,
                                        INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT, 0)};
  if (!url.h) return false;
  DWORD status = 0, length = sizeof status;
  if (!::HttpQueryInfoW(url.h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length, nullptr)) return false;
  return status == 200;
}

}  // namespace

bool VerifyFileAgainstMeta(const std::wstring& file, const Buffer& buffer) {
  DownloadMetaSimple meta;
  if (!CreateDownloadMetaSimple(buffer, &meta)) return false;
  UniqueHandle handle(::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!handle) return false;
  auto* callback = new (std::nothrow) details::Object<HashCallback>(meta);
  if (!callback) return false;
  ITask* task = CreateHashTask(handle.get(), callback);
  HashResult result = HashResult::Failed;
  if (task) {
    callback->task = task;
    task->Start();
    ::WaitForSingleObject(callback->event(), INFINITE);
    result = callback->result;
    task->Release();
  }
  callback->Release();
  return result == HashResult::Finished;
}

bool IsFileUpToDate(const std::wstring& file, const std::wstring& metaUrl) {
  if (!Reachable(metaUrl)) return true;
  Buffer meta;
  bool fetched = false;
  ILogger* logger = stubframework::debug::DownloadLogger::Create(nullptr);
  auto* callback = new (std::nothrow) details::Object<HttpToMemCallback>(&meta);
  if (logger && callback) {
    if (ITask* task = CreateHttpToMemTask(metaUrl, callback, logger)) {
      task->Start();
      ::WaitForSingleObject(callback->event(), INFINITE);
      fetched = callback->success;
      task->Release();
    }
  }
  if (callback) callback->Release();
  if (logger) logger->Release();
  return fetched && VerifyFileAgainstMeta(file, meta);
}

}  // namespace downloader
