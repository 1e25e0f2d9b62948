#include "shell/download_logger.h"

#include <new>

#include "core/wide_format.h"

namespace stubframework::debug {

void DownloadLogger::Log(const wchar_t* where, const wchar_t* format, ...) {
  if (!sink_) return;
  va_list args;
  va_start(args, format);
  std::wstring message = utils::FormatWideV(format, args);
  va_end(args);
  if (message.size() > kMessageLimit) message.resize(kMessageLimit);
  sink_->writeMessage(kTrace, utils::FormatWide(L"%s> %s", where ? where : L"", message.c_str()));
}

downloader::ILogger* DownloadLogger::Create(LogWriter* sink) {
  return new (std::nothrow) downloader::details::Object<DownloadLogger>(sink);
}

}  // namespace stubframework::debug
