#pragma once
// What the transfers and the segmented download need from the platform: HTTP request tasks,
// block hashers and files. The Windows build answers with WinINet, the thread pool and CryptoAPI;
// tests answer with scripted tasks.
#include <cstdint>
#include <memory>
#include <string>

#include "downloader/file.h"
#include "downloader/interfaces.h"

namespace downloader {

class IEngine {
 public:
  virtual ~IEngine() = default;
  // A started-once HTTP GET (reference count 1, owned by the caller), or null.
  virtual ITask* CreateHttpTask(const std::wstring& url, RangeRequest&& request, IHttpCallback* callback,
                                ILogger* logger) = 0;
  // A hasher reading `file` (borrowed) from its current position to the end, or null.
  virtual ITask* CreateHashTask(IFile* file, IHashCallback* callback) = 0;
  // Opens `path` for reading and writing without sharing, creating it when absent. Null and
  // `*error` set on failure.
  virtual std::unique_ptr<IFile> OpenFile(const std::wstring& path, std::uint32_t* error) = 0;
};

}  // namespace downloader
