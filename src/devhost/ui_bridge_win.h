#pragma once
// Runs work of the server's threads on the UI thread, where the script engine's calls belong:
// a message-only window that the server threads send their work to. The UI thread runs it
// whenever it takes messages (its message loop, a message box's loop).
#include <windows.h>

#include <atomic>
#include <functional>

namespace stubframework::devhost {

class UiBridge {
 public:
  // On the UI thread.
  UiBridge();
  ~UiBridge();
  UiBridge(const UiBridge&) = delete;
  UiBridge& operator=(const UiBridge&) = delete;

  bool ok() const { return window_ != nullptr; }
  // From any other thread: runs `work` on the UI thread and returns when it has run; false
  // (nothing run) once the bridge is closing. `work` must not throw.
  bool run(const std::function<void()>& work);
  // Refuses all later work; what is already waiting is answered without being run.
  void close() { closing_ = true; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  HWND window_ = nullptr;
  std::atomic<bool> closing_{false};
};

// Takes the messages sent to this thread (not the posted ones) for up to `milliseconds`, so
// that a thread blocked in run() gets its answer while the UI thread waits for it.
void PumpSentMessages(DWORD milliseconds);

}  // namespace stubframework::devhost
