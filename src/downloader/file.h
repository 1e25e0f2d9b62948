#pragma once
// The file operations the engine needs, over whatever the platform gives. Each call answers 0 or
// the platform's error number (a Windows error number on Windows), which the caller logs and
// turns into a result code.
#include <cstdint>
#include <memory>
#include <string>

namespace downloader {

class IFile {
 public:
  virtual ~IFile() = default;
  // Reads up to `size` bytes at the current position; `*read` is 0 at the end of the file.
  virtual std::uint32_t Read(void* data, std::uint32_t size, std::uint32_t* read) = 0;
  virtual std::uint32_t Write(const void* data, std::uint32_t size, std::uint32_t* written) = 0;
  virtual std::uint32_t Seek(std::int64_t position) = 0;
  // Ends the file at the current position (longer or shorter; new bytes read as zero).
  virtual std::uint32_t SetEnd() = 0;
};

}  // namespace downloader
