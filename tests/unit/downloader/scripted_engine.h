#pragma once
// Test doubles for the engine's platform side, for the portable tests: HTTP tasks that answer
// from their own threads following a script (no WinINet here), an in-memory file, a
// non-cryptographic stand-in digest, and a logger that records its lines.
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "downloader/download_meta_simple.h"
#include "downloader/engine.h"
#include "downloader/hash_task.h"

namespace downloader::testing {

class RecordingLogger : public ILogger {
 public:
  void Log(const wchar_t* where, const wchar_t* format, ...) override;
  std::vector<std::wstring> lines();
  bool contains(const std::wstring& text);
  static Ref<RecordingLogger> Create();

 private:
  std::mutex lock_;
  std::vector<std::wstring> lines_;
};

// A file in memory whose bytes the test reads and sets; can be told to fail writes (a full disk).
struct InMemoryFileData {
  std::mutex lock;
  std::string bytes;
  std::uint32_t writeError = 0;    // answered by every write when not 0
  std::int64_t writeLimit = -1;    // bytes beyond this offset are refused with writeError
};

class InMemoryFile : public IFile {
 public:
  explicit InMemoryFile(std::shared_ptr<InMemoryFileData> data) : data_(std::move(data)) {}
  std::uint32_t Read(void* out, std::uint32_t size, std::uint32_t* read) override;
  std::uint32_t Write(const void* in, std::uint32_t size, std::uint32_t* written) override;
  std::uint32_t Seek(std::int64_t position) override;
  std::uint32_t SetEnd() override;

 private:
  std::shared_ptr<InMemoryFileData> data_;
  std::int64_t position_ = 0;
};

// Stand-in for SHA-1 (FNV-1a spread over 20 bytes): the real digest is tested under Wine.
std::unique_ptr<IBlockDigest> CreateFakeDigest();
Digest FakeDigestOf(const std::string& bytes);
// The meta file of `content` under the stand-in digest.
std::string FakeMetaOf(const std::string& content);
// Runs each work item on a new thread.
QueueWork ThreadQueue();

// One scripted answer: the header, then the body pieces, then the completion code. A piece
// delay makes a body trickle so that a cancellation can land mid-transfer.
struct ScriptedResponse {
  bool sendHeader = true;
  HttpHeader header;
  std::vector<std::string> body;
  long result = 0;
  std::chrono::milliseconds pieceDelay{0};
};

// What a server with nginx's range behaviour answers for `content`; `piece` is the body's
// chunk size.
ScriptedResponse RangeAnswer(const std::string& content, const RangeRequest& request, const std::string& etag = "\"e1\"",
                             std::size_t piece = 65536);

class ScriptedEngine : public IEngine {
 public:
  using Server = std::function<ScriptedResponse(const std::wstring& url, const RangeRequest& request, int index)>;
  explicit ScriptedEngine(Server server) : server_(std::move(server)) {}
  ~ScriptedEngine() override;

  ITask* CreateHttpTask(const std::wstring& url, RangeRequest&& request, IHttpCallback* callback,
                        ILogger* logger) override;
  ITask* CreateHashTask(IFile* file, IHashCallback* callback) override;
  std::unique_ptr<IFile> OpenFile(const std::wstring& path, std::uint32_t* error) override;

  // Every request made, in order.
  struct Request {
    std::wstring url;
    RangeRequest range;
  };
  std::vector<Request> requests();
  int hashPasses() const { return hashPasses_; }
  std::shared_ptr<InMemoryFileData> file(const std::wstring& path);
  std::uint32_t openError = 0;
  bool failHttpCreation = false;

  // Called by the scripted tasks.
  void track(std::thread thread);

 private:
  Server server_;
  std::mutex lock_;
  std::vector<Request> requests_;
  std::vector<std::pair<std::wstring, std::shared_ptr<InMemoryFileData>>> files_;
  std::vector<std::thread> threads_;
  std::atomic<int> hashPasses_{0};
};

// Waits for OnComplete and keeps what arrived.
template <class T>
class Completion {
 public:
  void set(T value) {
    std::lock_guard guard(lock_);
    values_.push_back(std::move(value));
    done_.notify_all();
  }
  bool wait(std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    std::unique_lock guard(lock_);
    return done_.wait_for(guard, timeout, [&] { return !values_.empty(); });
  }
  std::vector<T> values() {
    std::lock_guard guard(lock_);
    return values_;
  }

 private:
  std::mutex lock_;
  std::condition_variable done_;
  std::vector<T> values_;
};

}  // namespace downloader::testing
