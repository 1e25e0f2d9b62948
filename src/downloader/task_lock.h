#pragma once
// The per-task lock and state word that make start, steps, failure and cancellation race-free.
//
// The state word is -1 until Start. While the task runs, its low 31 bits count the steps in
// progress (the Start call and each callback being handled); the high bit marks the task as
// finished: a result is stored and no new step may begin. The abort action (T::Abort: close the
// request, or cancel the current sub-task) runs exactly once: inside Finish when no step is in
// progress, otherwise in the exit of the last step that was running.
//
// Completion (T::Complete: OnComplete to the callback, release it and the task's own reference)
// runs once, when the task is finished, no step is in progress and T::Idle() says no sub-task is
// still outstanding; it always runs outside the lock and is the last thing that touches the task.
// The abort action may synchronously cause a callback into the same task on the same thread (the
// lock is re-entrant); a completion that becomes due inside it waits until the abort returns.
#include <cstdint>
#include <mutex>

namespace downloader {

template <class T, class R = long>
class TaskLock {
 public:
  static constexpr std::int32_t kFinishedBit = INT32_MIN;

 protected:
  // -1 -> 1. False when the task was started before.
  bool LockStart() {
    std::lock_guard guard(lock_);
    if (state_ != -1) return false;
    state_ = 1;
    return true;
  }

  // False (and nothing counted) when the task has finished: the caller skips its work.
  bool StepEnter() {
    std::lock_guard guard(lock_);
    if (state_ < 0) return false;
    ++state_;
    return true;
  }

  void StepExit() {
    bool complete;
    {
      std::lock_guard guard(lock_);
      const std::int32_t before = state_;
      state_ = before - 1;
      if (before == kFinishedBit + 1) RunAbort();
      complete = TakeCompletion();
    }
    if (complete) static_cast<T*>(this)->Complete();
  }

  // Stores `code` unless a result was stored before; the first result stays.
  void Finish(R code) {
    bool complete;
    {
      std::lock_guard guard(lock_);
      const std::int32_t old = state_;
      if (old == -1) return;  // not started: nothing to finish
      state_ = old | kFinishedBit;
      if (old >= 0) {
        static_cast<T*>(this)->result_ = code;
        if (old == 0) RunAbort();
      }
      complete = TakeCompletion();
    }
    if (complete) static_cast<T*>(this)->Complete();
  }

  // For a sub-task's completion that arrives after the task finished: the task may now be idle.
  void CheckCompletion() {
    bool complete;
    {
      std::lock_guard guard(lock_);
      complete = TakeCompletion();
    }
    if (complete) static_cast<T*>(this)->Complete();
  }

  bool Finished() {
    std::lock_guard guard(lock_);
    return state_ < 0 && state_ != -1;
  }

  // Held by the task for swapping its sub-task pointer and reading its result.
  std::recursive_mutex lock_;

 private:
  void RunAbort() {
    ++aborting_;
    static_cast<T*>(this)->Abort();
    --aborting_;
  }

  // Under the lock: true exactly once, when finished, no step runs, no abort runs and the task
  // reports itself idle.
  bool TakeCompletion() {
    if (completed_ || aborting_ != 0) return false;
    if (state_ == -1 || state_ != kFinishedBit) return false;
    if (!static_cast<T*>(this)->Idle()) return false;
    completed_ = true;
    return true;
  }

  std::int32_t state_ = -1;
  int aborting_ = 0;
  bool completed_ = false;
};

}  // namespace downloader
