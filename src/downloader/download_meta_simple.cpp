#include "downloader/download_meta_simple.h"

#include <cassert>
#include <cstring>

namespace downloader {
namespace {
// More blocks than this cannot be a real package (64 TiB) and would overflow the size check.
constexpr std::uint64_t kMaxBlocks = 0x4000000;
}  // namespace

bool CreateDownloadMetaSimple(const unsigned char* data, std::size_t size, DownloadMetaSimple* meta) {
  assert(meta != nullptr);
  if (!meta || size < 8 || !data) return false;
  std::uint64_t raw = 0;
  for (int i = 7; i >= 0; --i) raw = (raw << 8) | data[i];
  const auto length = static_cast<std::int64_t>(raw);
  // A negative length (the top bit set) would make the block count wrap.
  if (length < 0) return false;
  const std::uint64_t blocks = BlockCount(length);
  if (blocks >= kMaxBlocks || size != 8 + kDigestSize * blocks) return false;
  meta->fileSize = length;
  meta->hashes.resize(static_cast<std::size_t>(blocks));
  for (std::size_t i = 0; i < blocks; ++i) std::memcpy(meta->hashes[i].data(), data + 8 + kDigestSize * i, kDigestSize);
  return true;
}

bool CreateDownloadMetaSimple(const Buffer& buffer, DownloadMetaSimple* meta) {
  return CreateDownloadMetaSimple(buffer.data, buffer.size, meta);
}

std::string WriteDownloadMeta(std::int64_t length, const std::vector<Digest>& hashes) {
  std::string out(8 + kDigestSize * hashes.size(), '\0');
  auto raw = static_cast<std::uint64_t>(length);
  for (int i = 0; i < 8; ++i) out[i] = static_cast<char>((raw >> (8 * i)) & 0xFF);
  for (std::size_t i = 0; i < hashes.size(); ++i) std::memcpy(&out[8 + kDigestSize * i], hashes[i].data(), kDigestSize);
  return out;
}

}  // namespace downloader
