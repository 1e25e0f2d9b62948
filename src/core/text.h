#pragma once
// Text helpers shared by every subsystem. Wide text is UTF-16 on Windows and UTF-32 natively;
// nothing here depends on the width of wchar_t.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace stubframework::utils {

// Appends the UTF-8 bytes of one code point (at most U+10FFFF).
void AppendUtf8(std::string& out, uint32_t codePoint);
// UTF-8 bytes of a wide text; an unpaired surrogate becomes U+FFFD.
std::string ToUtf8(std::wstring_view text);
// Wide text of UTF-8 bytes; nullopt when the bytes are not valid UTF-8.
std::optional<std::wstring> FromUtf8(std::string_view bytes);

// Decimal number as the runtime's wcstol reads it: optional leading white space and sign, then
// digits up to the first other character; no digits gives 0; values beyond the signed 32-bit
// range give its nearest limit.
int32_t ParseDecimalInt32(std::wstring_view text);
// Strict signed decimal within the 32-bit range (optional sign, digits, nothing else).
std::optional<int32_t> ParseStrictInt32(std::wstring_view text);

bool EqualsIgnoreCase(std::wstring_view a, std::wstring_view b);
std::wstring ToLower(std::wstring_view text);

// Non-empty pieces between separators, in order.
std::vector<std::wstring> SplitText(std::wstring_view text, std::wstring_view separator);

}  // namespace stubframework::utils
