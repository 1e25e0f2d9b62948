#include "downloader/hash_task.h"

#include <cstdlib>
#include <mutex>
#include <new>

namespace downloader {
namespace {

class HashTask : public ITask {
 public:
  HashTask(IFile* file, std::unique_ptr<IFile> keep, IHashCallback* callback, std::unique_ptr<IBlockDigest> digest,
           QueueWork queue)
      : file_(file), keep_(std::move(keep)), callback_(Ref<IHashCallback>::share(callback)),
        digest_(std::move(digest)), queue_(std::move(queue)) {}

  void Start() override {
    {
      std::lock_guard guard(lock_);
      if (state_ != kIdle) return;
      state_ = kRunning;
    }
    AddRef();
    if (!queue_([this] { Run(); })) Report(HashResult::Failed);
  }

  void Cancel() override {
    std::lock_guard guard(lock_);
    if (state_ == kRunning) state_ = kCancelRequested;
  }

 private:
  enum State { kIdle = 0, kRunning = 1, kCancelRequested = 2 };

  void Run() {
    auto* buffer = static_cast<unsigned char*>(std::malloc(kBlockSize));
    if (!buffer) return Report(HashResult::Failed);
    HashResult result;
    for (;;) {
      {
        std::lock_guard guard(lock_);
        if (state_ == kCancelRequested) {
          result = HashResult::Cancelled;
          break;
        }
      }
      // A block is read whole: a short read in the middle of the file is only the last piece
      // of one read call, not the end of the block.
      std::uint32_t filled = 0;
      bool failed = false;
      while (filled < kBlockSize) {
        std::uint32_t read = 0;
        if (file_->Read(buffer + filled, static_cast<std::uint32_t>(kBlockSize) - filled, &read) != 0) {
          failed = true;
          break;
        }
        if (read == 0) break;
        filled += read;
      }
      if (failed) {
        result = HashResult::Failed;
        break;
      }
      if (filled == 0) {
        result = HashResult::Finished;
        break;
      }
      unsigned char digest[kDigestSize];
      if (!digest_->Digest(buffer, filled, digest)) {
        result = HashResult::Failed;
        break;
      }
      callback_->OnHash(digest);
      if (filled < kBlockSize) {
        result = HashResult::Finished;
        // The next read would answer 0 bytes; the end of the file was seen already.
        break;
      }
    }
    std::free(buffer);
    Report(result);
  }

  void Report(HashResult result) {
    Ref<IHashCallback> callback = std::move(callback_);
    callback->OnComplete(result);
    callback.reset();
    Release();
  }

  IFile* file_;
  std::unique_ptr<IFile> keep_;
  Ref<IHashCallback> callback_;
  std::unique_ptr<IBlockDigest> digest_;
  QueueWork queue_;
  std::mutex lock_;
  int state_ = kIdle;
};

}  // namespace

ITask* CreateHashTask(IFile* file, std::unique_ptr<IFile> keep, IHashCallback* callback,
                      std::unique_ptr<IBlockDigest> digest, QueueWork queue) {
  if (!file || !callback || !digest || !queue) return nullptr;
  return new (std::nothrow) details::Object<HashTask>(file, std::move(keep), callback, std::move(digest),
                                                      std::move(queue));
}

}  // namespace downloader
