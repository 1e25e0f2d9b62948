// The task lock under races: Cancel against a completing step from another thread, a step that
// fails inside Start, a second Finish.
#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "downloader/interfaces.h"
#include "downloader/result_codes.h"
#include "downloader/task_lock.h"

namespace downloader {
namespace {

// A task with one asynchronous operation that a worker thread completes.
class LockedTask : public ITask, public TaskLock<LockedTask, long> {
 public:
  explicit LockedTask(bool failInStart) : failInStart_(failInStart) {}
  ~LockedTask() override { ++destroyed; }

  void Start() override {
    if (!LockStart()) return;
    AddRef();
    if (failInStart_) {
      Finish(kOutOfMemory);
    } else {
      operationPending_ = true;
    }
    StepExit();
  }
  void Cancel() override { Finish(kCancelled); }

  // The operation's end, as a sub-task's callback arrives.
  void OperationDone(long code) {
    if (!StepEnter()) {
      {
        std::lock_guard guard(lock_);
        operationPending_ = false;
      }
      CheckCompletion();
      return;
    }
    {
      std::lock_guard guard(lock_);
      operationPending_ = false;
    }
    Finish(code);
    StepExit();
  }

  std::atomic<int> aborts{0};
  std::atomic<int> completions{0};
  std::atomic<long> delivered{1};
  static inline std::atomic<int> destroyed{0};

 private:
  friend class TaskLock<LockedTask, long>;
  void Abort() {
    ++aborts;
    // Closing the operation makes it report at once on this thread, as a closed handle does.
    if (operationPending_) OperationDone(kCancelled);
  }
  bool Idle() { return !operationPending_; }
  void Complete() {
    delivered = result_;
    ++completions;
    Release();
  }

  bool failInStart_;
  bool operationPending_ = false;
  long result_ = 0;
};

TEST(TaskLock, CancelRacingCompletionAbortsOnceAndKeepsFirstResult) {
  for (int round = 0; round < 300; ++round) {
    auto* task = new details::Object<LockedTask>(false);
    task->Start();
    std::atomic<bool> go{false};
    std::thread worker([&] {
      while (!go) {}
      task->OperationDone(0);
    });
    go = true;
    task->Cancel();
    worker.join();
    EXPECT_EQ(task->aborts.load(), 1);
    EXPECT_EQ(task->completions.load(), 1);
    const long result = task->delivered;
    EXPECT_TRUE(result == 0 || result == kCancelled) << result;
    task->Cancel();  // after the completion: nothing changes
    EXPECT_EQ(task->aborts.load(), 1);
    EXPECT_EQ(task->completions.load(), 1);
    EXPECT_EQ(task->delivered.load(), result);
    task->Release();
  }
}

TEST(TaskLock, CompletedTaskIgnoresCancel) {
  auto* task = new details::Object<LockedTask>(false);
  task->Start();
  task->OperationDone(0);
  task->Cancel();
  EXPECT_EQ(task->delivered.load(), 0);
  EXPECT_EQ(task->completions.load(), 1);
  task->Release();
}

TEST(TaskLock, FailureInsideStartCompletesOnceAndIsDestroyedOnRelease) {
  const int before = LockedTask::destroyed;
  auto* task = new details::Object<LockedTask>(true);
  task->Start();
  EXPECT_EQ(task->completions.load(), 1);
  EXPECT_EQ(task->delivered.load(), static_cast<long>(kOutOfMemory));
  EXPECT_EQ(task->aborts.load(), 1);
  task->Start();  // started once only
  EXPECT_EQ(task->completions.load(), 1);
  task->Release();
  EXPECT_EQ(LockedTask::destroyed, before + 1);
}

TEST(TaskLock, CancelBeforeStartHasNoEffect) {
  auto* task = new details::Object<LockedTask>(false);
  task->Cancel();
  task->Start();
  EXPECT_EQ(task->completions.load(), 0);
  task->OperationDone(0);
  EXPECT_EQ(task->delivered.load(), 0);
  task->Release();
}

}  // namespace
}  // namespace downloader
