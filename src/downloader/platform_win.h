#pragma once
// The engine's Windows side: files over handles, CryptoAPI SHA-1, the system thread pool, and
// the factories with the handle-based signatures that the workflow uses.
#include <windows.h>

#include <memory>
#include <string>

#include "downloader/engine.h"
#include "downloader/hash_task.h"

namespace downloader {

// A file over a handle; closes it only when `owned`.
class HandleFile : public IFile {
 public:
  HandleFile(HANDLE handle, bool owned) : handle_(handle), owned_(owned) {}
  ~HandleFile() override;
  HandleFile(const HandleFile&) = delete;
  HandleFile& operator=(const HandleFile&) = delete;
  std::uint32_t Read(void* data, std::uint32_t size, std::uint32_t* read) override;
  std::uint32_t Write(const void* data, std::uint32_t size, std::uint32_t* written) override;
  std::uint32_t Seek(std::int64_t position) override;
  std::uint32_t SetEnd() override;

 private:
  HANDLE handle_;
  bool owned_;
};

// SHA-1 per block with the system's provider (a verification context of PROV_RSA_FULL).
std::unique_ptr<IBlockDigest> CreateCryptoSha1();
// Queues work on the system thread pool as a long-running item.
bool QueueOnThreadPool(std::function<void()> work);

// The process's engine: WinINet HTTP tasks, thread-pool hashers, Win32 files.
IEngine* PlatformEngine();

ITask* CreateHttpTask(const std::wstring& url, RangeRequest&& request, IHttpCallback* callback, ILogger* logger);
// `file` is borrowed, open for reading and positioned at the first block to hash.
ITask* CreateHashTask(HANDLE file, IHashCallback* callback);
ITask* CreateHttpToFileTask(const std::wstring& url, HANDLE file, std::int64_t offset, std::int64_t size,
                            IHttpToFileCallback* callback, ILogger* logger);
ITask* CreateHttpToMemTask(const std::wstring& url, IHttpToMemCallback* callback, ILogger* logger);
ITask* CreateDownloadSimpleTask(const std::wstring& url, const std::wstring& metaUrl, const std::wstring& path,
                                IDownloadCallback* callback, ILogger* logger);

}  // namespace downloader
