#include "downloader/download_simple_task.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "downloader/download_meta_simple.h"
#include "downloader/http_to_file_task.h"
#include "downloader/http_to_mem_task.h"
#include "downloader/task_lock.h"

namespace downloader {
namespace {

class DownloadSimpleTask : public ITask, public TaskLock<DownloadSimpleTask, long> {
 public:
  DownloadSimpleTask(IEngine* engine, std::wstring url, std::wstring metaUrl, std::wstring path,
                     IDownloadCallback* callback, ILogger* logger)
      : engine_(engine), url_(std::move(url)), metaUrl_(std::move(metaUrl)), path_(std::move(path)),
        callback_(Ref<IDownloadCallback>::share(callback)), logger_(Ref<ILogger>::share(logger)) {}

  void Start() override;
  void Cancel() override {
    logger_->Log(L"DownloadSimpleTask::Cancel", L"Cancel.");
    Finish(kAborted);
  }

  void OnMetaComplete(HttpToMemResult&& meta);
  void OnHash(const unsigned char* digest);
  void OnHashComplete(HashResult result);
  void OnDownloadProgress(std::int64_t offset, std::int64_t written);
  void OnDownloadComplete(long code);

 private:
  friend class TaskLock<DownloadSimpleTask, long>;
  void Abort() {
    if (current_) current_->Cancel();
  }
  bool Idle() { return !current_; }
  void Complete();

  void SetCurrent(ITask* task) {
    std::lock_guard guard(lock_);
    current_ = Ref<ITask>::adopt(task);
  }
  void DropCurrent() {
    std::lock_guard guard(lock_);
    current_.reset();
  }
  // For a sub-task's completion: false (and the task completed when due) once finished.
  bool EnterSubTaskEnd() {
    if (StepEnter()) return true;
    DropCurrent();
    CheckCompletion();
    return false;
  }

  void StartMeta();
  bool PrepareStart();
  void StartHash();
  void StartDownload();
  void ReportProgress() { callback_->OnProgress(progress_, total_); }

  IEngine* engine_;
  std::wstring url_, metaUrl_, path_;
  Ref<IDownloadCallback> callback_;
  Ref<ITask> current_;
  long result_ = 0;
  DownloadMetaSimple meta_;
  std::unique_ptr<IFile> file_;
  std::size_t block_ = 0;
  std::int64_t progress_ = 0, total_ = 0;
  Ref<ILogger> logger_;
  // The block a download round started from, and how many rounds in a row left it unverified.
  std::size_t roundBlock_ = 0;
  bool downloaded_ = false;
  int stalledRounds_ = 0;
};

class DownloadMetaCallback : public IHttpToMemCallback {
 public:
  explicit DownloadMetaCallback(DownloadSimpleTask* task) : task_(task) {}
  void OnComplete(HttpToMemResult&& meta) override { task_->OnMetaComplete(std::move(meta)); }

 private:
  DownloadSimpleTask* task_;
};

class HashCallback : public IHashCallback {
 public:
  explicit HashCallback(DownloadSimpleTask* task) : task_(task) {}
  void OnHash(const unsigned char* digest) override { task_->OnHash(digest); }
  void OnComplete(HashResult result) override { task_->OnHashComplete(result); }

 private:
  DownloadSimpleTask* task_;
};

class DownloadFileCallback : public IHttpToFileCallback {
 public:
  explicit DownloadFileCallback(DownloadSimpleTask* task) : task_(task) {}
  void OnProgress(std::int64_t offset, std::int64_t written) override { task_->OnDownloadProgress(offset, written); }
  void OnComplete(long code) override {
    Ref<ITask> hold = Ref<ITask>::share(task_);
    task_->OnDownloadComplete(code);
  }

 private:
  DownloadSimpleTask* task_;
};

void DownloadSimpleTask::Start() {
  if (!LockStart()) return;
  logger_->Log(L"DownloadSimpleTask::Start", L"Start download %s to %s.", url_.c_str(), path_.c_str());
  AddRef();
  StartMeta();
  StepExit();
}

void DownloadSimpleTask::StartMeta() {
  auto* forward = new (std::nothrow) details::Object<DownloadMetaCallback>(this);
  if (!forward) {
    logger_->Log(L"DownloadSimpleTask::StartMeta", L"Create DownloadMetaCallback failed.");
    return Finish(kOutOfMemory);
  }
  ITask* transfer = CreateHttpToMemTask(engine_, metaUrl_, forward, logger_.get());
  forward->Release();
  if (!transfer) {
    logger_->Log(L"DownloadSimpleTask::StartMeta", L"Create HttpToMemTask failed.");
    return Finish(kOutOfMemory);
  }
  SetCurrent(transfer);
  transfer->Start();
}

void DownloadSimpleTask::OnMetaComplete(HttpToMemResult&& meta) {
  if (!EnterSubTaskEnd()) return;
  if (meta.result < 0) {
    DropCurrent();
    Finish(meta.result);
  } else if (!CreateDownloadMetaSimple(meta.buffer, &meta_)) {
    logger_->Log(L"DownloadSimple::OnMetaComplete", L"CreateDownloadMetaSimple failed.");
    DropCurrent();
    Finish(kFailed);
  } else {
    total_ = meta_.fileSize;
    progress_ = 0;
    callback_->OnProgress(0, total_);
    const bool prepared = PrepareStart();
    DropCurrent();
    if (prepared) StartHash();
  }
  StepExit();
}

bool DownloadSimpleTask::PrepareStart() {
  std::uint32_t error = 0;
  file_ = engine_->OpenFile(path_, &error);
  if (!file_) {
    logger_->Log(L"DownloadSimpleTask::PrepareStart", L"CreateFileW failed %u.", static_cast<unsigned>(error));
    Finish(ResultFromError(error));
    return false;
  }
  // Exactly L bytes: new bytes are zero, anything beyond L is cut before hashing.
  if ((error = file_->Seek(meta_.fileSize)) != 0) {
    logger_->Log(L"DownloadSimpleTask::PrepareStart", L"SetFilePointerEx failed %u.", static_cast<unsigned>(error));
  } else if ((error = file_->SetEnd()) != 0) {
    logger_->Log(L"DownloadSimpleTask::PrepareStart", L"SetEndOfFile failed %u.", static_cast<unsigned>(error));
  }
  if (error != 0) {
    file_.reset();
    Finish(ResultFromError(error));
    return false;
  }
  block_ = 0;
  return true;
}

void DownloadSimpleTask::StartHash() {
  if (const std::uint32_t error = file_->Seek(static_cast<std::int64_t>(block_) * kBlockSize)) {
    logger_->Log(L"DownloadSimpleTask::StartHash", L"SetFilePointerEx failed %u.", static_cast<unsigned>(error));
    return Finish(ResultFromError(error));
  }
  auto* forward = new (std::nothrow) details::Object<HashCallback>(this);
  if (!forward) {
    logger_->Log(L"DownloadSimpleTask::StartHash", L"Create HashCallback failed.");
    return Finish(kOutOfMemory);
  }
  ITask* hasher = engine_->CreateHashTask(file_.get(), forward);
  forward->Release();
  if (!hasher) {
    logger_->Log(L"DownloadSimpleTask::StartHash", L"Create HashTask failed.");
    return Finish(kOutOfMemory);
  }
  logger_->Log(L"DownloadSimpleTask::StartHash", L"Start hash from block %Iu.", block_);
  SetCurrent(hasher);
  hasher->Start();
}

void DownloadSimpleTask::OnHash(const unsigned char* digest) {
  const std::size_t blocks = meta_.hashes.size();
  if (block_ >= blocks) {
    logger_->Log(L"DownloadSimpleTask::OnHash", L"Unexpected hash data %Iu/%Iu.", block_, blocks);
    return Finish(kFailed);
  }
  if (std::memcmp(digest, meta_.hashes[block_].data(), kDigestSize) != 0) {
    logger_->Log(L"DownloadSimpleTask::OnHash", L"Hash mismatch found for block %Iu.", block_);
    std::lock_guard guard(lock_);
    if (current_) current_->Cancel();
    return;
  }
  ++block_;
  const std::int64_t done = std::min<std::int64_t>(static_cast<std::int64_t>(block_) * kBlockSize, total_);
  if (done > progress_) progress_ = done;
  ReportProgress();
}

void DownloadSimpleTask::OnHashComplete(HashResult result) {
  if (!EnterSubTaskEnd()) return;
  DropCurrent();
  if (result == HashResult::Failed) {
    logger_->Log(L"DownloadSimpleTask::OnHashComplete", L"Hash failed.");
    Finish(kFailed);
  } else if (block_ < meta_.hashes.size()) {
    logger_->Log(L"DownloadSimpleTask::OnHashComplete", L"Hash mismatch.");
    stalledRounds_ = downloaded_ && block_ <= roundBlock_ ? stalledRounds_ + 1 : 0;
    if (stalledRounds_ >= kMaxStalledRounds) {
      logger_->Log(L"DownloadSimpleTask::OnHashComplete", L"Block %Iu still fails after %d downloads.", block_,
                   stalledRounds_);
      Finish(kFailed);
    } else {
      StartDownload();
    }
  } else {
    logger_->Log(L"DownloadSimpleTask::OnHashComplete", L"Hash success.");
    Finish(kOk);
  }
  StepExit();
}

void DownloadSimpleTask::StartDownload() {
  const std::int64_t offset = static_cast<std::int64_t>(block_) * kBlockSize;
  if (const std::uint32_t error = file_->Seek(offset)) {
    logger_->Log(L"DownloadSimpleTask::StartDownload", L"SetFilePointerEx failed %u.", static_cast<unsigned>(error));
    return Finish(ResultFromError(error));
  }
  progress_ = offset;
  ReportProgress();
  auto* forward = new (std::nothrow) details::Object<DownloadFileCallback>(this);
  if (!forward) {
    logger_->Log(L"DownloadSimpleTask::StartDownload", L"Create DownloadFileCallback failed.");
    return Finish(kOutOfMemory);
  }
  ITask* transfer =
      CreateHttpToFileTask(engine_, url_, file_.get(), offset, meta_.fileSize - offset, forward, logger_.get());
  forward->Release();
  if (!transfer) {
    logger_->Log(L"DownloadSimpleTask::StartDownload", L"Create HttpToFileTask failed.");
    return Finish(kOutOfMemory);
  }
  roundBlock_ = block_;
  downloaded_ = true;
  SetCurrent(transfer);
  transfer->Start();
}

void DownloadSimpleTask::OnDownloadProgress(std::int64_t offset, std::int64_t written) {
  progress_ = offset + written;
  ReportProgress();
}

void DownloadSimpleTask::OnDownloadComplete(long code) {
  if (!EnterSubTaskEnd()) return;
  DropCurrent();
  if (code >= 0) {
    StartHash();  // every downloaded block is verified before it counts
  } else {
    Finish(code);
  }
  StepExit();
}

void DownloadSimpleTask::Complete() {
  file_.reset();
  Ref<IDownloadCallback> callback = std::move(callback_);
  callback->OnComplete(result_);
  callback.reset();
  Release();
}

}  // namespace

ITask* CreateDownloadSimpleTask(IEngine* engine, const std::wstring& url, const std::wstring& metaUrl,
                                const std::wstring& path, IDownloadCallback* callback, ILogger* logger) {
  if (!engine || url.empty() || metaUrl.empty() || path.empty() || !callback || !logger) return nullptr;
  return new (std::nothrow)
      details::Object<DownloadSimpleTask>(engine, url, metaUrl, path, callback, logger);
}

}  // namespace downloader
