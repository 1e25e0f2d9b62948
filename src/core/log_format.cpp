#include "core/log_format.h"

#include <chrono>
#include <cstdio>

#include "core/wide_format.h"

namespace stubframework::debug {

UtcTime CurrentUtcTime() {
  using namespace std::chrono;
  auto now = system_clock::now();
  auto days = floor<std::chrono::days>(now);
  year_month_day ymd{days};
  auto inDay = now - days;
  auto h = duration_cast<hours>(inDay);
  auto m = duration_cast<minutes>(inDay - h);
  auto s = duration_cast<seconds>(inDay - h - m);
  auto ms = duration_cast<milliseconds>(inDay - h - m - s);
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day())), static_cast<int>(h.count()),
          static_cast<int>(m.count()), static_cast<int>(s.count()), static_cast<int>(ms.count())};
}

const char* LevelName(int level) {
  switch (level) {
    case kTrace: return "TRACE";
    case kError: return "ERROR";
    case kWarning: return "WARNING";
    case kDebug: return "DEBUG";
    default: return "";
  }
}

std::string LinePrefix(const UtcTime& t, int level) {
  char buffer[64];
  std::snprintf(buffer, sizeof buffer, "[%4d%02d%02d %02d:%02d:%02d %3d %s] ", t.year, t.month, t.day, t.hour,
                t.minute, t.second, t.millisecond, LevelName(level));
  return buffer;
}

std::wstring Timestamp14(const UtcTime& t) {
  return utils::FormatWide(L"%4d%02d%02d%02d%02d%02d", t.year, t.month, t.day, t.hour, t.minute, t.second);
}

void LogWriter::write(int level, const wchar_t* format, va_list args) {
  writeMessage(level, utils::FormatWideV(format, args));
}

#define IG_LOG_FORWARD(level)      \
  va_list args;                    \
  va_start(args, format);          \
  write(level, format, args);      \
  va_end(args)

void LogWriter::debug(const wchar_t* format, ...) { IG_LOG_FORWARD(kDebug); }
void LogWriter::error(const wchar_t* format, ...) { IG_LOG_FORWARD(kError); }
void LogWriter::trace(const wchar_t* format, ...) { IG_LOG_FORWARD(kTrace); }

#undef IG_LOG_FORWARD

}  // namespace stubframework::debug
