#pragma once
// Writing a ZIP archive sequentially: every entry deflated at level 9, then the central
// directory and the end record. Offsets count from the first byte written.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "zip/zip_reader.h"

namespace stubframework::zip {

class ZipWriter {
 public:
  explicit ZipWriter(WriteFunction write) : write_(std::move(write)) {}

  // Adds a file entry holding `data`; `name` is 8-bit text with "/" between folders. The MS-DOS
  // time stamp defaults to 1980-01-01 00:00.
  bool addEntry(std::string_view name, std::string_view data, uint32_t dosDateTime = kDefaultDosTime);
  // Writes the central directory and the end record; no entry may follow.
  bool finish();

  static constexpr uint32_t kDefaultDosTime = (1u << 5 | 1u) << 16;

 private:
  struct Written {
    std::string name;
    uint32_t crc, compressedSize, size, offset, dosDateTime;
  };
  bool put(const std::string& bytes);

  WriteFunction write_;
  std::vector<Written> entries_;
  uint64_t offset_ = 0;
  bool failed_ = false;
  bool finished_ = false;
};

// Deflates `data` as a raw stream (no zlib header) at the given level.
bool DeflateRaw(std::string_view data, int level, std::string& out);

}  // namespace stubframework::zip
