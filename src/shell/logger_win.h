#pragma once
// The installer log: one file per run in a fresh temporary folder, one line per message,
// written through at once so that a crash loses nothing written before it.
#include <windows.h>

#include <mutex>
#include <string>

#include "core/log_format.h"
#include "shell/win_raii.h"

namespace stubframework::debug {

class Logger : public LogWriter {
 public:
  static constexpr int kThreshold = kDebug;

  // Opens the log; without a temporary folder or file it silently writes nothing.
  Logger();
  ~Logger() override;
  Logger(const Logger&) = delete;
  Logger& operator=(const Logger&) = delete;

  void writeMessage(int level, const std::wstring& message) override;
  // Later messages are dropped.
  void closeFile();

  const std::wstring& path() const { return path_; }
  const std::wstring& folder() const { return folder_; }

 private:
  std::wstring path_;
  std::wstring folder_;
  // Serialises the whole line and guards the handle against closeFile() from another thread.
  std::mutex lock_;
  win::UniqueHandle file_;
};

}  // namespace stubframework::debug
