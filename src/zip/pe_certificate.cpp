#include "zip/pe_certificate.h"

#include "core/text.h"
#include "zip/zip_format.h"

namespace stubframework::zip {

using format::Read16;
using format::Read32;

namespace {

constexpr size_t kDosHeaderSize = 64;
constexpr size_t kOptionalHeaderSize = 224;  // of a 32-bit image
constexpr size_t kOptionalHeaderOffset = 24;  // after "PE\0\0" and the file header
constexpr size_t kCertificateEntry = 128;     // data directory entry 4 of the optional header
constexpr size_t kRecordPrefix = 12;

bool ReadAt(uint64_t fileSize, const ReadFunction& read, uint64_t offset, void* buffer, size_t size) {
  if (offset > fileSize || size > fileSize - offset) return false;
  return read(offset, buffer, size) == size;
}

}  // namespace

std::optional<std::string> ReadEmbeddedBytes(uint64_t fileSize, const ReadFunction& read) {
  unsigned char dos[kDosHeaderSize];
  if (!ReadAt(fileSize, read, 0, dos, sizeof dos) || Read16(dos) != 0x5A4D) return std::nullopt;
  uint64_t peOffset = Read32(dos + kDosHeaderSize - 4);

  unsigned char optional[kOptionalHeaderSize];
  if (!ReadAt(fileSize, read, peOffset + kOptionalHeaderOffset, optional, sizeof optional)) return std::nullopt;
  uint64_t tableOffset = Read32(optional + kCertificateEntry);
  uint64_t tableSize = Read32(optional + kCertificateEntry + 4);
  if (tableOffset == 0 || tableSize == 0) return std::string();
  if (tableOffset > fileSize || tableSize > fileSize - tableOffset) return std::nullopt;

  unsigned char prefix[kRecordPrefix];
  if (!ReadAt(fileSize, read, tableOffset, prefix, sizeof prefix)) return std::nullopt;
  uint64_t recordLength = Read32(prefix);
  if (recordLength > tableSize || tableSize - recordLength > kMaxEmbeddedBytes) return std::nullopt;
  if (recordLength == tableSize) return std::string();

  std::string bytes(static_cast<size_t>(tableSize - recordLength), '\0');
  if (!ReadAt(fileSize, read, tableOffset + recordLength, bytes.data(), bytes.size())) return std::nullopt;
  size_t zero = bytes.find('\0');
  if (zero != std::string::npos) bytes.resize(zero);
  return bytes;
}

std::optional<std::wstring> ReadEmbeddedText(uint64_t fileSize, const ReadFunction& read) {
  std::optional<std::string> bytes = ReadEmbeddedBytes(fileSize, read);
  if (!bytes) return std::nullopt;
  return utils::FromUtf8(*bytes);
}

}  // namespace stubframework::zip
