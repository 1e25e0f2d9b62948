#pragma once
// The installer log's line format, independent of where the lines go.
#include <cstdarg>
#include <cstdint>
#include <string>

namespace stubframework::debug {

enum LogLevel : int { kTrace = 1, kError = 2, kWarning = 3, kDebug = 4 };

struct UtcTime {
  int year, month, day, hour, minute, second, millisecond;
};

UtcTime CurrentUtcTime();
const char* LevelName(int level);
// "[20240131 09:30:05  42 DEBUG] ": milliseconds padded with spaces to width 3.
std::string LinePrefix(const UtcTime& time, int level);
// The 14-digit stamp "%4d%02d%02d%02d%02d%02d".
std::wstring Timestamp14(const UtcTime& time);

// Where log lines go. The installer log implements it; tests record.
class LogWriter {
 public:
  virtual ~LogWriter() = default;
  virtual void writeMessage(int level, const std::wstring& message) = 0;
  void write(int level, const wchar_t* format, va_list args);
  void debug(const wchar_t* format, ...);
  void error(const wchar_t* format, ...);
  void trace(const wchar_t* format, ...);
};

}  // namespace stubframework::debug
