// The meta file parser on arbitrary bytes: whatever it accepts must describe itself exactly,
// so writing the parsed record back gives the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "downloader/download_meta_simple.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  downloader::DownloadMetaSimple meta;
  if (!downloader::CreateDownloadMetaSimple(data, size, &meta)) return 0;
  if (meta.fileSize < 0 || downloader::BlockCount(meta.fileSize) != meta.hashes.size()) std::abort();
  const std::string back = downloader::WriteDownloadMeta(meta.fileSize, meta.hashes);
  if (back.size() != size || back.compare(0, size, reinterpret_cast<const char*>(data), size) != 0) std::abort();
  return 0;
}
