#include "downloader/http_to_file_task.h"

#include <new>

namespace downloader {
namespace {

class HttpToFileTask : public ITask, public TaskLock<HttpToFileTask, long> {
 public:
  HttpToFileTask(IEngine* engine, std::wstring url, IFile* file, std::int64_t offset, std::int64_t size,
                 IHttpToFileCallback* callback, ILogger* logger)
      : engine_(engine), url_(std::move(url)), file_(file), offset_(offset), remaining_(size),
        callback_(Ref<IHttpToFileCallback>::share(callback)), logger_(Ref<ILogger>::share(logger)) {}

  void Start() override;
  void Cancel() override {
    logger_->Log(L"HttpToFileTask::Cancel", L"Cancel.");
    Finish(kCancelled);
  }

  void OnHttpHeader(HttpHeader&& header);
  void OnData(Buffer& data);
  void OnHttpComplete(long code);

 private:
  friend class TaskLock<HttpToFileTask, long>;
  void Abort() {
    if (http_) http_->Cancel();
  }
  bool Idle() { return !http_; }
  void Complete();
  bool StartHttp();

  IEngine* engine_;
  std::wstring url_;
  IFile* file_;
  std::int64_t offset_;
  std::int64_t remaining_;
  Ref<IHttpToFileCallback> callback_;
  Ref<ITask> http_;
  std::string etag_;
  long result_ = 0;
  Ref<ILogger> logger_;
  std::int64_t responseStart_ = 0;  // `offset` when the current request was made

 public:
  std::unique_ptr<IFile> keep_;  // the file view the transfer owns, when it was given one
};

// Forwards the HTTP task's calls to the transfer; held only by the HTTP task.
class HttpCallback : public IHttpCallback {
 public:
  explicit HttpCallback(HttpToFileTask* task) : task_(task) {}
  void OnHttpHeader(HttpHeader&& header) override { task_->OnHttpHeader(std::move(header)); }
  void OnData(Buffer& data) override { task_->OnData(data); }
  void OnComplete(long code) override { task_->OnHttpComplete(code); }

 private:
  HttpToFileTask* task_;
};

void HttpToFileTask::Start() {
  if (!LockStart()) return;
  logger_->Log(L"HttpToFileTask::Start", L"Start download %s (OFFSET:%lld SIZE:%lld) to file.", url_.c_str(),
               static_cast<long long>(offset_), static_cast<long long>(remaining_));
  AddRef();
  if (!StartHttp()) Finish(kOutOfMemory);
  StepExit();
}

bool HttpToFileTask::StartHttp() {
  auto* forward = new (std::nothrow) details::Object<HttpCallback>(this);
  if (!forward) {
    logger_->Log(L"HttpToFileTask::StartHttp", L"Create HttpCallback failed.");
    return false;
  }
  responseStart_ = offset_;
  ITask* http = engine_->CreateHttpTask(url_, RangeRequest{offset_, remaining_, etag_}, forward, logger_.get());
  forward->Release();
  if (!http) {
    logger_->Log(L"HttpToFileTask::StartHttp", L"Create HttpTask failed.");
    return false;
  }
  {
    std::lock_guard guard(lock_);
    http_ = Ref<ITask>::adopt(http);
  }
  http->Start();
  return true;
}

void HttpToFileTask::OnHttpHeader(HttpHeader&& header) {
  if (!StepEnter()) return;
  bool accepted = false;
  if (header.status == 200) {
    accepted = offset_ == 0 && header.total == remaining_;
    if (accepted) {
      etag_ = std::move(header.etag);
    } else {
      logger_->Log(L"HttpToFileTask::OnHttpStatusOK", L"Unexpected content length %lld/(OFFSET:%lld SIZE:%lld).",
                   static_cast<long long>(header.total), static_cast<long long>(offset_),
                   static_cast<long long>(remaining_));
    }
  } else if (header.status == 206) {
    accepted = header.offset == offset_ && header.size == remaining_;
    if (!accepted) {
      logger_->Log(L"HttpToFileTask::OnHttpStatusPartialContent",
                   L"Unexpected content range (OFFSET:%lld SIZE:%lld TOTAL:%lld)/(OFFSET:%lld SIZE:%lld).",
                   static_cast<long long>(header.offset), static_cast<long long>(header.size),
                   static_cast<long long>(header.total), static_cast<long long>(offset_),
                   static_cast<long long>(remaining_));
    }
  } else {
    logger_->Log(L"HttpToFileTask::OnHttpHeader", L"Unexpected HTTP status code %d.", static_cast<int>(header.status));
  }
  if (!accepted) Finish(kBadResponse);
  StepExit();
}

void HttpToFileTask::OnData(Buffer& data) {
  if (!StepEnter()) return;
  if (static_cast<std::int64_t>(data.size) > remaining_) {
    logger_->Log(L"HttpToFileTask::OnData", L"Data large than expected %lld",
                 static_cast<long long>(data.size - remaining_));
    Finish(kBadResponse);
  } else {
    std::uint32_t written = 0;
    const std::uint32_t error = file_->Write(data.data, data.size, &written);
    if (error != 0 || written != data.size) {
      logger_->Log(L"HttpToFileTask::OnData", L"WriteFile failed %u.", static_cast<unsigned>(error));
      // A short write without an error number still fails the transfer.
      Finish(error != 0 ? ResultFromError(error) : kFailed);
    }
    callback_->OnProgress(offset_, written);
    offset_ += written;
    remaining_ -= written;
  }
  StepExit();
}

void HttpToFileTask::OnHttpComplete(long code) {
  if (!StepEnter()) {
    {
      std::lock_guard guard(lock_);
      http_.reset();
    }
    CheckCompletion();
    return;
  }
  if (code >= 0 && remaining_ != 0 && offset_ == responseStart_) {
    // An answer that ended early without a single byte would be asked again forever.
    logger_->Log(L"HttpToFileTask::OnComplete", L"No data received, %lld needed.", static_cast<long long>(remaining_));
    {
      std::lock_guard guard(lock_);
      http_.reset();
    }
    Finish(kBadResponse);
  } else if (code >= 0 && remaining_ != 0) {
    logger_->Log(L"HttpToFileTask::OnComplete", L"Data not complete %lld needed.", static_cast<long long>(remaining_));
    {
      std::lock_guard guard(lock_);
      http_.reset();
    }
    if (!StartHttp()) Finish(kOutOfMemory);
  } else {
    {
      std::lock_guard guard(lock_);
      http_.reset();
    }
    Finish(code);
  }
  StepExit();
}

void HttpToFileTask::Complete() {
  logger_->Log(L"HttpToFileTask::OnComplete", L"Complete.");
  Ref<IHttpToFileCallback> callback = std::move(callback_);
  callback->OnComplete(result_);
  callback.reset();
  Release();
}

}  // namespace

ITask* CreateHttpToFileTask(IEngine* engine, const std::wstring& url, IFile* file, std::int64_t offset,
                            std::int64_t size, IHttpToFileCallback* callback, ILogger* logger) {
  if (!engine || !logger || !callback || !file) return nullptr;
  return new (std::nothrow) details::Object<HttpToFileTask>(engine, url, file, offset, size, callback, logger);
}

ITask* CreateHttpToFileTask(IEngine* engine, const std::wstring& url, std::unique_ptr<IFile> view,
                            std::int64_t offset, std::int64_t size, IHttpToFileCallback* callback, ILogger* logger) {
  auto* task = static_cast<details::Object<HttpToFileTask>*>(
      CreateHttpToFileTask(engine, url, view.get(), offset, size, callback, logger));
  if (task) task->keep_ = std::move(view);
  return task;
}

}  // namespace downloader
