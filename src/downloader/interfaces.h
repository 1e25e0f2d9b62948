#pragma once
// The interfaces that every task and callback of the engine shares. A task is started once,
// may be cancelled from any thread at any time, and calls OnComplete on its callback exactly once.
#include <cstdint>

#include "downloader/object.h"
#include "downloader/records.h"

namespace downloader {

class ITask : public IObject {
 public:
  virtual void Start() = 0;
  virtual void Cancel() = 0;
};

template <class T>
class ITaskCallback : public IObject {
 public:
  virtual void OnComplete(T result) = 0;
};

class IHttpCallback : public ITaskCallback<long> {
 public:
  virtual void OnHttpHeader(HttpHeader&& header) = 0;
  virtual void OnData(Buffer& data) = 0;
};

class IHttpToFileCallback : public ITaskCallback<long> {
 public:
  virtual void OnProgress(std::int64_t offset, std::int64_t written) = 0;
};

class IDownloadCallback : public ITaskCallback<long> {
 public:
  virtual void OnProgress(std::int64_t current, std::int64_t total) = 0;
};

class IHashCallback : public ITaskCallback<HashResult> {
 public:
  virtual void OnHash(const unsigned char* digest) = 0;
};

using IHttpToMemCallback = ITaskCallback<HttpToMemResult&&>;

}  // namespace downloader
