#pragma once
// The text a publisher embeds in the certificate table of a signed 32-bit executable, after the
// table's first certificate record.
#include <cstdint>
#include <optional>
#include <string>

#include "zip/zip_reader.h"

namespace stubframework::zip {

inline constexpr uint64_t kMaxEmbeddedBytes = 100000;

// The embedded UTF-8 bytes up to their first zero; "" when the image has no certificate table
// or nothing follows the first record; nullopt when the file is no image or a header or the
// table does not lie inside the file. Every offset and length is checked against `fileSize`
// before it is read.
std::optional<std::string> ReadEmbeddedBytes(uint64_t fileSize, const ReadFunction& read);
// The same, as wide text; nullopt also when the bytes are not valid UTF-8.
std::optional<std::wstring> ReadEmbeddedText(uint64_t fileSize, const ReadFunction& read);

}  // namespace stubframework::zip
