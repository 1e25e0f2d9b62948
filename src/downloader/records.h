#pragma once
// The records that travel between the engine's tasks and callbacks.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <utility>

#include "downloader/result_codes.h"

namespace downloader {

// Heap bytes owned by whoever holds the buffer (malloc/free); empty is {nullptr, 0}.
struct Buffer {
  unsigned char* data = nullptr;
  std::uint32_t size = 0;

  Buffer() = default;
  Buffer(const Buffer&) = delete;
  Buffer& operator=(const Buffer&) = delete;
  Buffer(Buffer&& other) noexcept
      : data(std::exchange(other.data, nullptr)), size(std::exchange(other.size, 0)) {}
  Buffer& operator=(Buffer&& other) noexcept {
    if (this != &other) {
      Free();
      data = std::exchange(other.data, nullptr);
      size = std::exchange(other.size, 0);
    }
    return *this;
  }
  ~Buffer() { Free(); }

  // Replaces the content by `bytes` uninitialised bytes; false (and empty) when out of memory.
  bool SetSize(std::uint32_t bytes) {
    Free();
    if (bytes == 0) return true;
    data = static_cast<unsigned char*>(std::malloc(bytes));
    if (!data) return false;
    size = bytes;
    return true;
  }
  void Free() {
    std::free(data);
    data = nullptr;
    size = 0;
  }
};

struct HttpHeader {
  long status = -1;        // HTTP status code, -1 when it could not be read
  std::string etag;        // raw ETag value, empty when absent
  std::int64_t offset = 0;
  std::int64_t size = 0;
  std::int64_t total = -1;
};

struct RangeRequest {
  std::int64_t offset = 0;
  std::int64_t size = 0;   // 0 asks for the whole resource without a Range header
  std::string etag;        // empty sends no If-Range header
};

struct HttpToMemResult {
  Result result = 0;
  Buffer buffer;
};

enum class HashResult : int { Finished = 0, Cancelled = 1, Failed = 2 };

inline constexpr std::int64_t kBlockSize = 1048576;
inline constexpr std::size_t kDigestSize = 20;

}  // namespace downloader
