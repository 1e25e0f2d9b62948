#pragma once
// Archives and executable images built in memory for the ZIP and certificate-table tests, and
// shared with the Windows tests that build real executables from them.
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "zip/zip_format.h"
#include "zip/zip_reader.h"
#include "zip/zip_writer.h"

namespace zip_fixture {

using Files = std::vector<std::pair<std::string, std::string>>;

inline std::string MakeArchive(const Files& files) {
  std::string out;
  stubframework::zip::ZipWriter writer([&out](const void* data, size_t size) {
    out.append(static_cast<const char*>(data), size);
    return size;
  });
  for (const auto& [name, data] : files) writer.addEntry(name, data);
  writer.finish();
  return out;
}

inline stubframework::zip::ReadFunction MemoryReader(const std::string& bytes) {
  return [&bytes](uint64_t offset, void* buffer, size_t size) -> size_t {
    if (offset >= bytes.size()) return 0;
    size_t n = std::min<size_t>(size, bytes.size() - static_cast<size_t>(offset));
    std::memcpy(buffer, bytes.data() + offset, n);
    return n;
  };
}

inline void Set32(std::string& bytes, size_t at, uint32_t value) {
  for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A copy of `bytes` with a 16-bit or 32-bit little-endian field at `at` replaced.
inline std::string WithField(std::string bytes, size_t at, uint32_t value, bool sixteen) {
  if (sixteen) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>((value >> 8) & 0xFF);
  } else {
    Set32(bytes, at, value);
  }
  return bytes;
}

inline uint32_t Get32(const std::string& bytes, size_t at) {
  return stubframework::zip::format::Read32(reinterpret_cast<const unsigned char*>(bytes.data() + at));
}

// Headers of a 32-bit image without sections: enough for the certificate-table reader.
inline std::string MinimalImage() {
  std::string image(64 + 4 + 20 + 224, '\0');
  image[0] = 'M';
  image[1] = 'Z';
  Set32(image, 60, 64);
  std::memcpy(&image[64], "PE\0\0", 4);
  return image;
}

// The file offset of the certificate entry in the image's data directory.
inline size_t CertificateEntryOffset(const std::string& image) { return Get32(image, 60) + 24 + 128; }

// Appends a certificate table whose first record is `recordLength` bytes long and is followed by
// `embedded` and a zero, at the next 8-byte boundary, and points the image's directory at it.
inline void AppendCertificateTable(std::string& file, uint32_t recordLength, std::string_view embedded) {
  while (file.size() % 8) file.push_back('\0');
  std::string table(recordLength, '\x5A');
  Set32(table, 0, recordLength);
  table[4] = 0x00;
  table[5] = 0x02;  // revision 2.0
  table[6] = 0x02;
  table[7] = 0x00;  // PKCS#7 signed data
  if (!embedded.empty()) {
    table += embedded;
    table.push_back('\0');
  }
  while (table.size() % 8) table.push_back('\0');
  size_t entry = CertificateEntryOffset(file);
  Set32(file, entry, static_cast<uint32_t>(file.size()));
  Set32(file, entry + 4, static_cast<uint32_t>(table.size()));
  file += table;
}

}  // namespace zip_fixture
