#include "zip/zip_file_win.h"

#include <algorithm>

namespace stubframework::zip {

ReadFunction FileReadFunction(HANDLE file, ZipReporter* reporter) {
  return [file, reporter](uint64_t offset, void* buffer, size_t size) -> size_t {
    size_t moved = 0;
    while (moved < size) {
      OVERLAPPED at{};
      uint64_t position = offset + moved;
      at.Offset = static_cast<DWORD>(position & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(position >> 32);
      DWORD piece = static_cast<DWORD>(std::min<size_t>(size - moved, 1u << 30));
      DWORD read = 0;
      if (!::ReadFile(file, static_cast<char*>(buffer) + moved, piece, &read, &at) || read == 0) break;
      moved += read;
    }
    if (moved < size && reporter) reporter->ioFailure(::GetLastError());
    return moved;
  };
}

WriteFunction FileWriteFunction(HANDLE file, ZipReporter* reporter) {
  return [file, reporter](const void* data, size_t size) -> size_t {
    size_t moved = 0;
    while (moved < size) {
      DWORD piece = static_cast<DWORD>(std::min<size_t>(size - moved, 1u << 30));
      DWORD written = 0;
      if (!::WriteFile(file, static_cast<const char*>(data) + moved, piece, &written, nullptr) || written == 0) break;
      moved += written;
    }
    if (moved < size && reporter) reporter->ioFailure(::GetLastError());
    return moved;
  };
}

}  // namespace stubframework::zip
