// The archive reader over arbitrary input: locating, the directory and every entry's data.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "zip/zip_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace stubframework::zip;
  ReadFunction read = [data, size](uint64_t offset, void* buffer, size_t n) -> size_t {
    if (offset >= size) return 0;
    size_t moved = n < size - offset ? n : static_cast<size_t>(size - offset);
    std::memcpy(buffer, data + offset, moved);
    return moved;
  };
  ZipReader reader;
  if (!reader.open(size, read)) return 0;
  for (size_t i = 0; i < reader.count() && i < 64; ++i) {
    uint64_t total = 0;
    reader.extract(i, [&total](const void*, size_t n) {
      total += n;
      return n;
    });
    if (total > reader.entry(i).uncompressedSize) __builtin_trap();
  }
  return 0;
}
