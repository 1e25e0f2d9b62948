#pragma once
// printf-style formatting of wide formats with the meaning the Windows runtime gives them:
// "%s" takes a wide string, "%hs" and "%S" a narrow one, "%d"/"%x"/"%u" 32-bit integers,
// "%ld"/"%lu"/"%lx" long, "%lld"/"%I64d" 64-bit. The same result on every platform, whatever
// the width of wchar_t, so the log lines and the registry texts can be tested natively.
#include <cstdarg>
#include <string>

namespace stubframework::utils {

std::wstring FormatWideV(const wchar_t* format, va_list args);
std::wstring FormatWide(const wchar_t* format, ...);

}  // namespace stubframework::utils
