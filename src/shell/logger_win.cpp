#include "shell/logger_win.h"

#include "core/text.h"
#include "shell/file_system_win.h"

namespace stubframework::debug {

Logger::Logger() {
  if (!utils::MakeUniqueTempFolder(folder_)) {
    folder_.clear();
    return;
  }
  std::wstring path = folder_ + L"installer_log_" + Timestamp14(CurrentUtcTime()) + L".txt";
  // The default security attributes give a handle that child processes do not inherit.
  file_.reset(::CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file_) path_ = path;
}

Logger::~Logger() {
  closeFile();
  if (!folder_.empty()) utils::DeleteFolderTree(folder_);
}

void Logger::writeMessage(int level, const std::wstring& message) {
  if (level > kThreshold) return;
  // Lines are text: the message goes out as UTF-8, so no character is lost; lines end with
  // CR LF as a text-mode stream writes them.
  // A message that ends with its own newline still makes one line.
  std::wstring_view text = message;
  if (!text.empty() && text.back() == L'\n') text.remove_suffix(1);
  std::string line = LinePrefix(CurrentUtcTime(), level) + utils::ToUtf8(text) + "\r\n";
  std::lock_guard guard(lock_);
  if (!file_) return;
  DWORD written = 0;
  ::WriteFile(file_.get(), line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

void Logger::closeFile() {
  std::lock_guard guard(lock_);
  file_.reset();
}

}  // namespace stubframework::debug
