// The certificate-table reader over arbitrary files: every read must lie inside the file.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "zip/pe_certificate.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace stubframework::zip;
  ReadFunction read = [data, size](uint64_t offset, void* buffer, size_t n) -> size_t {
    // A read that starts or ends outside the file is a fault of the reader.
    if (offset > size || n > size - offset) __builtin_trap();
    std::memcpy(buffer, data + offset, n);
    return n;
  };
  auto text = ReadEmbeddedText(size, read);
  if (text && text->size() > kMaxEmbeddedBytes) __builtin_trap();
  return 0;
}
