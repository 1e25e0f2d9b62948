#include "core/wide_format.h"

#include <cstdint>
#include <cstring>

namespace stubframework::utils {
namespace {

struct Spec {
  bool left = false, plus = false, space = false, alt = false, zero = false;
  int width = -1;
  int precision = -1;
  enum Length { None, Short, Long, LongLong } length = None;
};

void Pad(std::wstring& out, size_t count, wchar_t fill) { out.append(count, fill); }

void EmitField(std::wstring& out, const Spec& spec, std::wstring_view prefix, std::wstring_view body,
               bool numeric) {
  size_t len = prefix.size() + body.size();
  size_t width = spec.width > 0 ? static_cast<size_t>(spec.width) : 0;
  size_t pad = width > len ? width - len : 0;
  if (spec.left) {
    out += prefix;
    out += body;
    Pad(out, pad, L' ');
  } else if (spec.zero && numeric && spec.precision < 0) {
    out += prefix;
    Pad(out, pad, L'0');
    out += body;
  } else {
    Pad(out, pad, L' ');
    out += prefix;
    out += body;
  }
}

std::wstring Digits(uint64_t value, unsigned base, bool upper, int precision) {
  const wchar_t* set = upper ? L"0123456789ABCDEF" : L"0123456789abcdef";
  std::wstring digits;
  while (value) {
    digits.insert(digits.begin(), set[value % base]);
    value /= base;
  }
  if (precision < 0 && digits.empty()) digits = L"0";
  if (precision >= 0 && digits.size() < static_cast<size_t>(precision))
    digits.insert(0, static_cast<size_t>(precision) - digits.size(), L'0');
  return digits;
}

void AppendNarrow(std::wstring& out, const char* text, int precision) {
  if (!text) text = "(null)";
  size_t n = std::strlen(text);
  if (precision >= 0 && n > static_cast<size_t>(precision)) n = static_cast<size_t>(precision);
  for (size_t i = 0; i < n; ++i) out += static_cast<wchar_t>(static_cast<unsigned char>(text[i]));
}

}  // namespace

std::wstring FormatWideV(const wchar_t* format, va_list args) {
  std::wstring out;
  if (!format) return out;
  for (const wchar_t* p = format; *p; ++p) {
    if (*p != L'%') {
      out += *p;
      continue;
    }
    const wchar_t* start = p++;
    if (*p == L'%') {
      out += L'%';
      continue;
    }
    Spec spec;
    for (;; ++p) {
      if (*p == L'-') spec.left = true;
      else if (*p == L'+') spec.plus = true;
      else if (*p == L' ') spec.space = true;
      else if (*p == L'#') spec.alt = true;
      else if (*p == L'0') spec.zero = true;
      else break;
    }
    if (*p == L'*') {
      spec.width = va_arg(args, int);
      if (spec.width < 0) {
        spec.left = true;
        spec.width = -spec.width;
      }
      ++p;
    } else {
      while (*p >= L'0' && *p <= L'9') spec.width = (spec.width < 0 ? 0 : spec.width * 10) + (*p++ - L'0');
    }
    if (*p == L'.') {
      ++p;
      spec.precision = 0;
      if (*p == L'*') {
        spec.precision = va_arg(args, int);
        ++p;
      } else {
        while (*p >= L'0' && *p <= L'9') spec.precision = spec.precision * 10 + (*p++ - L'0');
      }
    }
    bool narrowString = false;
    if (*p == L'h') {
      spec.length = Spec::Short;
      ++p;
    } else if (*p == L'l') {
      spec.length = Spec::Long;
      ++p;
      if (*p == L'l') {
        spec.length = Spec::LongLong;
        ++p;
      }
    } else if (p[0] == L'I' && p[1] == L'6' && p[2] == L'4') {
      spec.length = Spec::LongLong;
      p += 3;
    } else if (*p == L'z' || *p == L'I') {
      spec.length = sizeof(size_t) == 8 ? Spec::LongLong : Spec::None;
      ++p;
    }
    switch (*p) {
      case L'd':
      case L'i': {
        int64_t v = spec.length == Spec::LongLong ? va_arg(args, long long)
                    : spec.length == Spec::Long   ? va_arg(args, long)
                                                  : va_arg(args, int);
        if (spec.length == Spec::Short) v = static_cast<short>(v);
        uint64_t magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
        std::wstring sign = v < 0 ? L"-" : spec.plus ? L"+" : spec.space ? L" " : L"";
        EmitField(out, spec, sign, Digits(magnitude, 10, false, spec.precision), true);
        break;
      }
      case L'u':
      case L'x':
      case L'X':
      case L'o': {
        uint64_t v = spec.length == Spec::LongLong ? va_arg(args, unsigned long long)
                     : spec.length == Spec::Long   ? va_arg(args, unsigned long)
                                                   : va_arg(args, unsigned int);
        if (spec.length == Spec::Short) v = static_cast<unsigned short>(v);
        unsigned base = *p == L'u' ? 10 : *p == L'o' ? 8 : 16;
        std::wstring prefix;
        if (spec.alt && v != 0 && base == 16) prefix = *p == L'X' ? L"0X" : L"0x";
        if (spec.alt && base == 8) prefix = L"0";
        EmitField(out, spec, prefix, Digits(v, base, *p == L'X', spec.precision), true);
        break;
      }
      case L'c':
      case L'C': {
        int c = va_arg(args, int);
        wchar_t ch = (*p == L'C' || spec.length == Spec::Short) ? static_cast<wchar_t>(static_cast<unsigned char>(c))
                                                                 : static_cast<wchar_t>(c);
        EmitField(out, spec, L"", std::wstring(1, ch), false);
        break;
      }
      case L's':
      case L'S': {
        narrowString = *p == L'S' || spec.length == Spec::Short;
        std::wstring body;
        if (narrowString) {
          AppendNarrow(body, va_arg(args, const char*), spec.precision);
        } else {
          const wchar_t* text = va_arg(args, const wchar_t*);
          if (!text) text = L"(null)";
          std::wstring_view view(text);
          if (spec.precision >= 0 && view.size() > static_cast<size_t>(spec.precision))
            view = view.substr(0, static_cast<size_t>(spec.precision));
          body.assign(view);
        }
        EmitField(out, spec, L"", body, false);
        break;
      }
      case L'p': {
        auto v = reinterpret_cast<uintptr_t>(va_arg(args, void*));
        std::wstring digits = Digits(v, 16, true, static_cast<int>(sizeof(void*) * 2));
        EmitField(out, spec, L"", digits, false);
        break;
      }
      default:
        // An unknown conversion is copied as it stands, so a stray "%" never eats an argument.
        out.append(start, p + (*p ? 1 : 0));
        if (!*p) return out;
        break;
    }
  }
  return out;
}

std::wstring FormatWide(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = FormatWideV(format, args);
  va_end(args);
  return text;
}

}  // namespace stubframework::utils
