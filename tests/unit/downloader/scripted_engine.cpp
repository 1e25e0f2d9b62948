#include "scripted_engine.h"

#include <algorithm>
#include <cstdarg>
#include <cstring>
#include <new>

#include "core/wide_format.h"

namespace downloader::testing {

void RecordingLogger::Log(const wchar_t* where, const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring line = std::wstring(where) + L"> " + stubframework::utils::FormatWideV(format, args);
  va_end(args);
  std::lock_guard guard(lock_);
  lines_.push_back(std::move(line));
}

std::vector<std::wstring> RecordingLogger::lines() {
  std::lock_guard guard(lock_);
  return lines_;
}

bool RecordingLogger::contains(const std::wstring& text) {
  std::lock_guard guard(lock_);
  return std::any_of(lines_.begin(), lines_.end(), [&](const std::wstring& l) { return l.find(text) != l.npos; });
}

Ref<RecordingLogger> RecordingLogger::Create() {
  return Ref<RecordingLogger>::adopt(new details::Object<RecordingLogger>());
}

std::uint32_t InMemoryFile::Read(void* out, std::uint32_t size, std::uint32_t* read) {
  std::lock_guard guard(data_->lock);
  const auto length = static_cast<std::int64_t>(data_->bytes.size());
  const std::int64_t n = std::max<std::int64_t>(0, std::min<std::int64_t>(size, length - position_));
  if (n) std::memcpy(out, data_->bytes.data() + position_, static_cast<std::size_t>(n));
  position_ += n;
  *read = static_cast<std::uint32_t>(n);
  return 0;
}

std::uint32_t InMemoryFile::Write(const void* in, std::uint32_t size, std::uint32_t* written) {
  std::lock_guard guard(data_->lock);
  std::uint32_t allowed = size;
  if (data_->writeLimit >= 0)
    allowed = static_cast<std::uint32_t>(std::clamp<std::int64_t>(data_->writeLimit - position_, 0, size));
  else if (data_->writeError)
    allowed = 0;
  const auto end = static_cast<std::size_t>(position_) + allowed;
  if (data_->bytes.size() < end) data_->bytes.resize(end);
  if (allowed) std::memcpy(&data_->bytes[static_cast<std::size_t>(position_)], in, allowed);
  position_ += allowed;
  *written = allowed;
  return allowed < size ? data_->writeError : 0;
}

std::uint32_t InMemoryFile::Seek(std::int64_t position) {
  if (position < 0) return 131;  // ERROR_NEGATIVE_SEEK
  position_ = position;
  return 0;
}

std::uint32_t InMemoryFile::SetEnd() {
  std::lock_guard guard(data_->lock);
  data_->bytes.resize(static_cast<std::size_t>(position_), '\0');
  return 0;
}

namespace {

class FakeDigest : public IBlockDigest {
 public:
  bool Digest(const unsigned char* data, std::uint32_t size, unsigned char* digest) override {
    std::uint64_t h = 1469598103934665603ull;
    for (std::uint32_t i = 0; i < size; ++i) h = (h ^ data[i]) * 1099511628211ull;
    for (std::size_t i = 0; i < kDigestSize; ++i) {
      h = (h ^ i) * 1099511628211ull;
      digest[i] = static_cast<unsigned char>(h >> 56);
    }
    return true;
  }
};

class ScriptedHttpTask : public ITask {
 public:
  ScriptedHttpTask(ScriptedEngine* engine, ScriptedResponse response, IHttpCallback* callback)
      : engine_(engine), response_(std::move(response)), callback_(Ref<IHttpCallback>::share(callback)) {}

  void Start() override {
    AddRef();
    engine_->track(std::thread([this] { Run(); }));
  }
  void Cancel() override { cancelled_ = true; }

 private:
  void Run() {
    long code = response_.result;
    if (response_.sendHeader && !cancelled_) callback_->OnHttpHeader(HttpHeader(response_.header));
    for (const std::string& piece : response_.body) {
      if (response_.pieceDelay.count()) std::this_thread::sleep_for(response_.pieceDelay);
      if (cancelled_) break;
      Buffer buffer;
      if (!buffer.SetSize(static_cast<std::uint32_t>(piece.size()))) break;
      if (!piece.empty()) std::memcpy(buffer.data, piece.data(), piece.size());
      callback_->OnData(buffer);
    }
    if (cancelled_) code = kCancelled;
    Ref<IHttpCallback> callback = std::move(callback_);
    callback->OnComplete(code);
    callback.reset();
    Release();
  }

  ScriptedEngine* engine_;
  ScriptedResponse response_;
  Ref<IHttpCallback> callback_;
  std::atomic<bool> cancelled_{false};
};

}  // namespace

std::unique_ptr<IBlockDigest> CreateFakeDigest() { return std::make_unique<FakeDigest>(); }

Digest FakeDigestOf(const std::string& bytes) {
  Digest d;
  FakeDigest().Digest(reinterpret_cast<const unsigned char*>(bytes.data()), static_cast<std::uint32_t>(bytes.size()),
                      d.data());
  return d;
}

std::string FakeMetaOf(const std::string& content) {
  std::vector<Digest> hashes;
  for (std::size_t at = 0; at < content.size(); at += kBlockSize) hashes.push_back(FakeDigestOf(content.substr(at, kBlockSize)));
  return WriteDownloadMeta(static_cast<std::int64_t>(content.size()), hashes);
}

QueueWork ThreadQueue() {
  return [](std::function<void()> work) {
    std::thread(std::move(work)).detach();
    return true;
  };
}

ScriptedResponse RangeAnswer(const std::string& content, const RangeRequest& request, const std::string& etag,
                             std::size_t piece) {
  ScriptedResponse r;
  const auto length = static_cast<std::int64_t>(content.size());
  std::int64_t first = 0, count = length;
  r.header.etag = etag;
  if (request.size != 0 && (request.etag.empty() || request.etag == etag)) {
    first = request.offset;
    if (first >= length) {
      r.header.status = 416;
      return r;
    }
    count = std::min(request.size, length - first);
    r.header.status = 206;
    r.header.offset = first;
    r.header.size = count;
    r.header.total = length;
  } else {
    r.header.status = 200;
    r.header.offset = 0;
    r.header.size = length;
    r.header.total = length;
  }
  for (std::int64_t at = first; at < first + count; at += static_cast<std::int64_t>(piece))
    r.body.push_back(content.substr(static_cast<std::size_t>(at),
                                    static_cast<std::size_t>(std::min<std::int64_t>(piece, first + count - at))));
  return r;
}

ScriptedEngine::~ScriptedEngine() {
  for (;;) {
    std::vector<std::thread> threads;
    {
      std::lock_guard guard(lock_);
      threads.swap(threads_);
    }
    if (threads.empty()) break;
    for (auto& t : threads) t.join();
  }
}

void ScriptedEngine::track(std::thread thread) {
  std::lock_guard guard(lock_);
  threads_.push_back(std::move(thread));
}

ITask* ScriptedEngine::CreateHttpTask(const std::wstring& url, RangeRequest&& request, IHttpCallback* callback,
                                      ILogger* logger) {
  if (failHttpCreation || !callback || !logger) return nullptr;
  int index;
  {
    std::lock_guard guard(lock_);
    index = static_cast<int>(requests_.size());
    requests_.push_back({url, request});
  }
  return new details::Object<ScriptedHttpTask>(this, server_(url, request, index), callback);
}

ITask* ScriptedEngine::CreateHashTask(IFile* file, IHashCallback* callback) {
  ++hashPasses_;
  return downloader::CreateHashTask(file, nullptr, callback, CreateFakeDigest(), [this](std::function<void()> work) {
    track(std::thread(std::move(work)));
    return true;
  });
}

std::shared_ptr<InMemoryFileData> ScriptedEngine::file(const std::wstring& path) {
  std::lock_guard guard(lock_);
  for (auto& [name, data] : files_)
    if (name == path) return data;
  files_.emplace_back(path, std::make_shared<InMemoryFileData>());
  return files_.back().second;
}

std::unique_ptr<IFile> ScriptedEngine::OpenFile(const std::wstring& path, std::uint32_t* error) {
  if (openError) {
    *error = openError;
    return nullptr;
  }
  return std::make_unique<InMemoryFile>(file(path));
}

std::vector<ScriptedEngine::Request> ScriptedEngine::requests() {
  std::lock_guard guard(lock_);
  return requests_;
}

}  // namespace downloader::testing
