#pragma once
// HashTask: computes the SHA-1 digest of every 1 MiB block of a file, from the file's current
// position to its end, on a worker thread, with one reused 1 MiB buffer. Cancel is seen at the
// next block boundary. It has no task lock: its state (idle, running, cancel requested) sits
// under its own mutex.
#include <functional>
#include <memory>

#include "downloader/file.h"
#include "downloader/interfaces.h"

namespace downloader {

// The SHA-1 of one block; a fresh digest per call. False when the provider fails.
class IBlockDigest {
 public:
  virtual ~IBlockDigest() = default;
  virtual bool Digest(const unsigned char* data, std::uint32_t size, unsigned char* digest) = 0;
};

// Runs `work` once on a thread of the platform's pool; false when it cannot be queued.
using QueueWork = std::function<bool(std::function<void()> work)>;

// `file` is read from its current position; `keep`, when given, is owned by the task (a view
// of a borrowed handle). Null when out of memory.
ITask* CreateHashTask(IFile* file, std::unique_ptr<IFile> keep, IHashCallback* callback,
                      std::unique_ptr<IBlockDigest> digest, QueueWork queue);

}  // namespace downloader
