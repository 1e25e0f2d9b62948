#pragma once
// The download engine's logger: tags each engine message with the reporting operation and
// writes it to the installer log at trace level.
#include "core/log_format.h"
#include "downloader/object.h"

namespace stubframework::debug {

class DownloadLogger : public downloader::ILogger {
 public:
  // Engine messages are cut to this many characters before the line is formed.
  static constexpr size_t kMessageLimit = 1023;

  // Without a sink every message is dropped (the start-up URL check uses one so).
  explicit DownloadLogger(LogWriter* sink) : sink_(sink) {}

  void Log(const wchar_t* where, const wchar_t* format, ...) override;

  // Creates one with a reference owned by the caller.
  static downloader::ILogger* Create(LogWriter* sink);

 private:
  LogWriter* sink_;
};

}  // namespace stubframework::debug
