#pragma once
// The meta file published beside a package: an 8-byte little-endian length L, then one SHA-1
// digest per 1 MiB block, block 0 first; exactly 8 + 20 * ceil(L / 1 MiB) bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "downloader/records.h"

namespace downloader {

using Digest = std::array<unsigned char, kDigestSize>;

struct DownloadMetaSimple {
  std::int64_t fileSize = 0;
  std::vector<Digest> hashes;
};

// Blocks of a file of `length` bytes (0 for an empty file).
inline std::uint64_t BlockCount(std::int64_t length) {
  return (static_cast<std::uint64_t>(length) + (kBlockSize - 1)) / kBlockSize;
}

// True and `meta` filled when the bytes are a well-formed meta file.
bool CreateDownloadMetaSimple(const unsigned char* data, std::size_t size, DownloadMetaSimple* meta);
bool CreateDownloadMetaSimple(const Buffer& buffer, DownloadMetaSimple* meta);

// The meta file's bytes for a file of `length` bytes with these block digests.
std::string WriteDownloadMeta(std::int64_t length, const std::vector<Digest>& hashes);

}  // namespace downloader
