#pragma once
// Reading a ZIP archive that may sit inside a larger file (the stub's own executable, a
// downloaded package): the end record is searched from the end of the input, and every offset
// inside the archive counts from the archive's own start.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace stubframework::zip {

// Reads up to `size` bytes at `offset` of the input; returns the number of bytes moved.
using ReadFunction = std::function<size_t(uint64_t offset, void* buffer, size_t size)>;
// Writes `size` bytes sequentially; returns the number of bytes moved.
using WriteFunction = std::function<size_t(const void* data, size_t size)>;

struct ZipEntry {
  std::string name;  // 8-bit text as stored, "/" between folders
  uint16_t flags = 0;
  uint16_t method = 0;
  uint32_t crc32 = 0;
  uint64_t compressedSize = 0;
  uint64_t uncompressedSize = 0;
  uint64_t localHeaderOffset = 0;  // in the input, the archive start added
  uint32_t externalAttributes = 0;

  bool isFolder() const;
};

class ZipReader {
 public:
  // Locates the archive in an input of `inputSize` bytes and reads its central directory.
  bool open(uint64_t inputSize, ReadFunction read);
  void close();

  size_t count() const { return entries_.size(); }
  const ZipEntry& entry(size_t index) const { return entries_[index]; }
  // Where the archive starts in the input.
  uint64_t archiveStart() const { return archiveStart_; }

  // Decompresses one entry into `write`. Only stored and deflated entries that are neither
  // encrypted nor patched; the result must have the recorded size and CRC-32.
  bool extract(size_t index, const WriteFunction& write) const;

 private:
  bool readExact(uint64_t offset, void* buffer, size_t size) const;
  bool findEndRecord(uint64_t& position) const;

  ReadFunction read_;
  uint64_t inputSize_ = 0;
  uint64_t archiveStart_ = 0;
  std::vector<ZipEntry> entries_;
};

// CRC-32 as ZIP and zlib use it, continued from `crc` (0 to start).
uint32_t Crc32(uint32_t crc, const void* data, size_t size);

// Whether an entry name (wide, after "/" became "\") stays inside the folder it is unpacked
// into: not absolute, no drive or stream colon, no ".." component.
bool IsSafeEntryName(std::wstring_view name);

}  // namespace stubframework::zip
