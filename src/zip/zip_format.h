#pragma once
// Little-endian fields and record layouts of the ZIP format, shared by the reader and writer.
#include <cstddef>
#include <cstdint>
#include <string>

namespace stubframework::zip::format {

inline constexpr uint32_t kLocalHeaderSignature = 0x04034B50;
inline constexpr uint32_t kCentralHeaderSignature = 0x02014B50;
inline constexpr uint32_t kEndRecordSignature = 0x06054B50;
inline constexpr size_t kLocalHeaderSize = 30;
inline constexpr size_t kCentralHeaderSize = 46;
inline constexpr size_t kEndRecordSize = 22;

inline constexpr uint16_t kMethodStored = 0;
inline constexpr uint16_t kMethodDeflated = 8;
inline constexpr uint16_t kFlagEncrypted = 0x0001;
inline constexpr uint16_t kFlagPatched = 0x0020;
inline constexpr uint16_t kFlagStrongEncryption = 0x0040;
inline constexpr uint32_t kDirectoryAttribute = 0x10;

inline uint16_t Read16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Read32(const unsigned char* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
         (static_cast<uint32_t>(p[3]) << 24);
}
inline void Put16(std::string& out, uint16_t v) {
  out.push_back(static_cast<char>(v & 0xFF));
  out.push_back(static_cast<char>(v >> 8));
}
inline void Put32(std::string& out, uint32_t v) {
  Put16(out, static_cast<uint16_t>(v & 0xFFFF));
  Put16(out, static_cast<uint16_t>(v >> 16));
}

}  // namespace stubframework::zip::format
