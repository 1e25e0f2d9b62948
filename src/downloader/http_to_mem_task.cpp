#include "downloader/http_to_mem_task.h"

#include <cstring>
#include <new>

#include "downloader/task_lock.h"

namespace downloader {
namespace {

class HttpToMemTask : public ITask, public TaskLock<HttpToMemTask, long> {
 public:
  HttpToMemTask(IEngine* engine, std::wstring url, IHttpToMemCallback* callback, ILogger* logger)
      : engine_(engine), url_(std::move(url)), callback_(Ref<IHttpToMemCallback>::share(callback)),
        logger_(Ref<ILogger>::share(logger)) {}

  void Start() override;
  void Cancel() override {
    logger_->Log(L"HttpToMemTask::Cancel", L"Cancel.");
    Finish(kCancelled);
  }

  void OnHttpHeader(HttpHeader&& header);
  void OnData(Buffer& data);
  void OnHttpComplete(long code);

 private:
  friend class TaskLock<HttpToMemTask, long>;
  void Abort() {
    if (http_) http_->Cancel();
  }
  bool Idle() { return !http_; }
  void Complete();
  bool StartHttp();
  void OnStatusOk(HttpHeader& header);

  IEngine* engine_;
  std::wstring url_;
  Ref<IHttpToMemCallback> callback_;
  Ref<ITask> http_;
  std::string etag_;
  std::int64_t position_ = 0;
  HttpToMemResult out_;
  long result_ = 0;
  Ref<ILogger> logger_;
  std::int64_t responseStart_ = 0;  // `position` when the current request was made
  bool refilled_ = false;           // the current answer restarted the buffer from 0
};

class HttpToMemHttpCallback : public IHttpCallback {
 public:
  explicit HttpToMemHttpCallback(HttpToMemTask* task) : task_(task) {}
  void OnHttpHeader(HttpHeader&& header) override { task_->OnHttpHeader(std::move(header)); }
  void OnData(Buffer& data) override { task_->OnData(data); }
  void OnComplete(long code) override { task_->OnHttpComplete(code); }

 private:
  HttpToMemTask* task_;
};

void HttpToMemTask::Start() {
  if (!LockStart()) return;
  logger_->Log(L"HttpToMemTask::Start", L"Start download %s to memory.", url_.c_str());
  AddRef();
  if (!StartHttp()) Finish(kOutOfMemory);
  StepExit();
}

bool HttpToMemTask::StartHttp() {
  // With a buffer, ask from `position` for the buffer's size: past the end of the resource when
  // `position` is not 0, which the server answers with the rest.
  RangeRequest request;
  if (out_.buffer.data) request = RangeRequest{position_, out_.buffer.size, etag_};
  responseStart_ = position_;
  refilled_ = false;
  auto* forward = new (std::nothrow) details::Object<HttpToMemHttpCallback>(this);
  ITask* http = forward ? engine_->CreateHttpTask(url_, std::move(request), forward, logger_.get()) : nullptr;
  if (forward) forward->Release();
  if (!http) {
    logger_->Log(L"HttpToMemTask::StartHttp", L"Create HttpTask failed.");
    return false;
  }
  {
    std::lock_guard guard(lock_);
    http_ = Ref<ITask>::adopt(http);
  }
  http->Start();
  return true;
}

void HttpToMemTask::OnStatusOk(HttpHeader& header) {
  const long long total = header.total;
  if (total >= 0x100000000LL) {
    logger_->Log(L"HttpToMemTask::OnHttpStatusOK", L"Buffer::SetSize(%lld) failed.", total);
    Finish(kOutOfMemory);
    return;
  }
  if (total < 0) {
    logger_->Log(L"HttpToMemTask::OnHttpStatusOK", L"Unexpected content length %lld.", total);
    Finish(kBadResponse);
    return;
  }
  if (total >= 0x7FFFFFFF) {
    logger_->Log(L"HttpToMemTask::OnHttpStatusOK", L"Buffer::SetSize(%lld) failed.", total);
    Finish(kOutOfMemory);
    return;
  }
  if (out_.buffer.size != total) {
    if (!out_.buffer.SetSize(static_cast<std::uint32_t>(total))) {
      logger_->Log(L"HttpToMemTask::OnHttpStatusOK", L"Buffer::SetSize(%lld) failed.", total);
      Finish(kOutOfMemory);
      return;
    }
  }
  etag_ = std::move(header.etag);
  refilled_ = position_ != 0;
  position_ = 0;  // a 200 answer always refills from the start
}

void HttpToMemTask::OnHttpHeader(HttpHeader&& header) {
  if (!StepEnter()) return;
  if (header.status == 200) {
    OnStatusOk(header);
  } else if (header.status == 206) {
    const bool fits = header.total < 0x100000000LL && header.total == out_.buffer.size &&
                      header.offset == position_ && header.offset + header.size == header.total;
    if (!fits) {
      logger_->Log(L"HttpToMemTask::OnHttpStatusPartialContent",
                   L"Unexpected content range (OFFSET:%lld SIZE:%lld TOTAL:%lld)/(POS:%lld SIZE:%Iu).",
                   static_cast<long long>(header.offset), static_cast<long long>(header.size),
                   static_cast<long long>(header.total), static_cast<long long>(position_),
                   static_cast<std::size_t>(out_.buffer.size));
      Finish(kBadResponse);
    }
  } else {
    logger_->Log(L"HttpToMemTask::OnHttpHeader", L"Unexpected HTTP status code %d.", static_cast<int>(header.status));
    Finish(kBadResponse);
  }
  StepExit();
}

void HttpToMemTask::OnData(Buffer& data) {
  if (!StepEnter()) return;
  if (position_ + data.size > out_.buffer.size) {
    logger_->Log(L"HttpToMemTask::OnData", L"Data large than expected %lld/%Iu.",
                 static_cast<long long>(position_ + data.size), static_cast<std::size_t>(out_.buffer.size));
    Finish(kBadResponse);
  } else if (data.size) {
    std::memcpy(out_.buffer.data + position_, data.data, data.size);
    position_ += data.size;
  }
  StepExit();
}

void HttpToMemTask::OnHttpComplete(long code) {
  if (!StepEnter()) {
    {
      std::lock_guard guard(lock_);
      http_.reset();
    }
    CheckCompletion();
    return;
  }
  {
    std::lock_guard guard(lock_);
    http_.reset();
  }
  if (code >= 0 && position_ != out_.buffer.size && position_ == responseStart_ && !refilled_) {
    // An answer that ended early without a single byte would be asked again forever.
    logger_->Log(L"HttpToMemTask::OnComplete", L"No data received %lld/%Iu.", static_cast<long long>(position_),
                 static_cast<std::size_t>(out_.buffer.size));
    Finish(kBadResponse);
  } else if (code >= 0 && position_ != out_.buffer.size) {
    logger_->Log(L"HttpToMemTask::OnComplete", L"Data not complete %lld/%Iu.", static_cast<long long>(position_),
                 static_cast<std::size_t>(out_.buffer.size));
    if (!StartHttp()) Finish(kOutOfMemory);
  } else {
    Finish(code);
  }
  StepExit();
}

void HttpToMemTask::Complete() {
  logger_->Log(L"HttpToMemTask::OnComplete", L"Complete.");
  out_.result = static_cast<Result>(result_);
  Ref<IHttpToMemCallback> callback = std::move(callback_);
  callback->OnComplete(std::move(out_));
  callback.reset();
  Release();
}

}  // namespace

ITask* CreateHttpToMemTask(IEngine* engine, const std::wstring& url, IHttpToMemCallback* callback, ILogger* logger) {
  if (!engine || !callback || !logger || url.empty()) return nullptr;
  return new (std::nothrow) details::Object<HttpToMemTask>(engine, url, callback, logger);
}

}  // namespace downloader
