#include "zip/zip_reader.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <limits>

#include "zip/zip_format.h"

namespace stubframework::zip {

using namespace format;

namespace {

constexpr size_t kSearchBlock = 4096;
// The end record's comment can be at most 65535 bytes long; the search goes no further back.
constexpr uint64_t kSearchReach = 65535 + kEndRecordSize;
constexpr size_t kChunk = 64 * 1024;

}  // namespace

bool ZipEntry::isFolder() const {
  return (!name.empty() && name.back() == '/') || (externalAttributes & kDirectoryAttribute) != 0;
}

uint32_t Crc32(uint32_t crc, const void* data, size_t size) {
  const auto* bytes = static_cast<const Bytef*>(data);
  // zlib takes the length as uInt; feed large buffers in pieces.
  while (size > 0) {
    auto piece = static_cast<uInt>(std::min<size_t>(size, 1u << 30));
    crc = static_cast<uint32_t>(::crc32(crc, bytes, piece));
    bytes += piece;
    size -= piece;
  }
  return crc;
}

bool ZipReader::readExact(uint64_t offset, void* buffer, size_t size) const {
  if (offset > inputSize_ || size > inputSize_ - offset) return false;
  return read_(offset, buffer, size) == size;
}

bool ZipReader::findEndRecord(uint64_t& position) const {
  if (inputSize_ < kEndRecordSize) return false;
  unsigned char block[kSearchBlock];
  uint64_t blockStart = inputSize_ > kSearchBlock ? inputSize_ - kSearchBlock : 0;
  for (;;) {
    size_t n = static_cast<size_t>(std::min<uint64_t>(kSearchBlock, inputSize_ - blockStart));
    if (!readExact(blockStart, block, n)) return false;
    for (size_t i = n - 3; i-- > 0;) {
      if (Read32(block + i) == kEndRecordSignature && inputSize_ - (blockStart + i) >= kEndRecordSize) {
        position = blockStart + i;
        return true;
      }
    }
    if (blockStart == 0 || inputSize_ - blockStart >= kSearchReach) return false;
    // The next block overlaps this one by 3 bytes, so a signature across the seam is seen.
    blockStart = blockStart > kSearchBlock - 3 ? blockStart - (kSearchBlock - 3) : 0;
  }
}

bool ZipReader::open(uint64_t inputSize, ReadFunction read) {
  close();
  read_ = std::move(read);
  inputSize_ = inputSize;
  if (!read_) return false;

  uint64_t endPosition = 0;
  if (!findEndRecord(endPosition)) return close(), false;
  unsigned char end[kEndRecordSize];
  if (!readExact(endPosition, end, sizeof end)) return close(), false;
  uint16_t diskNumber = Read16(end + 4), directoryDisk = Read16(end + 6);
  uint16_t entriesOnDisk = Read16(end + 8), totalEntries = Read16(end + 10);
  uint32_t directorySize = Read32(end + 12), directoryOffset = Read32(end + 16);
  if (!((diskNumber == 0 && directoryDisk == 0) || (diskNumber == 1 && directoryDisk == 1))) return close(), false;
  if (entriesOnDisk != totalEntries) return close(), false;
  if (directorySize < static_cast<uint64_t>(kCentralHeaderSize) * totalEntries) return close(), false;
  if (static_cast<uint64_t>(directoryOffset) + directorySize > inputSize_) return close(), false;
  // The directory ends at the end record and the archive starts `directoryOffset` before it.
  if (static_cast<uint64_t>(directorySize) + directoryOffset > endPosition) return close(), false;
  uint64_t directoryStart = endPosition - directorySize;
  archiveStart_ = directoryStart - directoryOffset;

  std::vector<unsigned char> directory(directorySize);
  if (directorySize > 0 && !readExact(directoryStart, directory.data(), directory.size())) return close(), false;

  entries_.reserve(totalEntries);
  size_t at = 0;
  for (unsigned i = 0; i < totalEntries; ++i) {
    if (directory.size() - at < kCentralHeaderSize) return close(), false;
    const unsigned char* h = directory.data() + at;
    if (Read32(h) != kCentralHeaderSignature) return close(), false;
    size_t nameLength = Read16(h + 28), extraLength = Read16(h + 30), commentLength = Read16(h + 32);
    size_t recordSize = kCentralHeaderSize + nameLength + extraLength + commentLength;
    if (directory.size() - at < recordSize) return close(), false;

    ZipEntry entry;
    entry.flags = Read16(h + 8);
    entry.method = Read16(h + 10);
    entry.crc32 = Read32(h + 16);
    entry.compressedSize = Read32(h + 20);
    entry.uncompressedSize = Read32(h + 24);
    entry.externalAttributes = Read32(h + 38);
    entry.name.assign(reinterpret_cast<const char*>(h + kCentralHeaderSize), nameLength);
    uint64_t localOffset = Read32(h + 42);
    if ((entry.method == kMethodStored && entry.compressedSize != entry.uncompressedSize) ||
        (entry.uncompressedSize != 0 && entry.compressedSize == 0))
      return close(), false;
    // The local header and the data it announces lie inside the archive's part of the input.
    if (localOffset > directoryStart - archiveStart_ ||
        kLocalHeaderSize + entry.compressedSize > directoryStart - archiveStart_ - localOffset)
      return close(), false;
    entry.localHeaderOffset = archiveStart_ + localOffset;
    entries_.push_back(std::move(entry));
    at += recordSize;
  }
  return true;
}

void ZipReader::close() {
  entries_.clear();
  archiveStart_ = 0;
}

bool ZipReader::extract(size_t index, const WriteFunction& write) const {
  if (index >= entries_.size()) return false;
  const ZipEntry& entry = entries_[index];
  if (entry.flags & (kFlagEncrypted | kFlagPatched | kFlagStrongEncryption)) return false;
  if (entry.method != kMethodStored && entry.method != kMethodDeflated) return false;

  unsigned char local[kLocalHeaderSize];
  if (!readExact(entry.localHeaderOffset, local, sizeof local)) return false;
  if (Read32(local) != kLocalHeaderSignature) return false;
  uint64_t dataOffset = entry.localHeaderOffset + kLocalHeaderSize + Read16(local + 26) + Read16(local + 28);
  if (dataOffset > inputSize_ || entry.compressedSize > inputSize_ - dataOffset) return false;

  std::vector<unsigned char> in(kChunk), out(kChunk);
  uint32_t crc = 0;
  uint64_t written = 0;
  auto emit = [&](const unsigned char* data, size_t size) {
    // More output than recorded is a fault of the archive; stop before writing it.
    if (size > entry.uncompressedSize - written) return false;
    if (size > 0 && write(data, size) != size) return false;
    crc = Crc32(crc, data, size);
    written += size;
    return true;
  };

  uint64_t remaining = entry.compressedSize;
  uint64_t offset = dataOffset;
  if (entry.method == kMethodStored) {
    while (remaining > 0) {
      size_t n = static_cast<size_t>(std::min<uint64_t>(remaining, kChunk));
      if (!readExact(offset, in.data(), n) || !emit(in.data(), n)) return false;
      offset += n;
      remaining -= n;
    }
  } else if (remaining == 0) {
    // An empty deflated entry without any data: nothing to inflate.
  } else {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) return false;
    struct InflateEnd {
      z_stream* s;
      ~InflateEnd() { inflateEnd(s); }
    } ender{&stream};
    int status = Z_OK;
    while (status != Z_STREAM_END) {
      if (stream.avail_in == 0) {
        if (remaining == 0) return false;  // the data ended before the deflate stream did
        size_t n = static_cast<size_t>(std::min<uint64_t>(remaining, kChunk));
        if (!readExact(offset, in.data(), n)) return false;
        offset += n;
        remaining -= n;
        stream.next_in = in.data();
        stream.avail_in = static_cast<uInt>(n);
      }
      stream.next_out = out.data();
      stream.avail_out = static_cast<uInt>(out.size());
      status = inflate(&stream, Z_NO_FLUSH);
      if (status != Z_OK && status != Z_STREAM_END) return false;
      if (!emit(out.data(), out.size() - stream.avail_out)) return false;
    }
  }
  return written == entry.uncompressedSize && crc == entry.crc32;
}

bool IsSafeEntryName(std::wstring_view name) {
  if (name.empty()) return false;
  if (name.front() == L'\\' || name.front() == L'/') return false;
  // A drive ("C:"), and also an alternate data stream ("file:stream").
  if (name.find(L':') != std::wstring_view::npos) return false;
  size_t start = 0;
  while (start <= name.size()) {
    size_t end = name.find_first_of(L"\\/", start);
    if (end == std::wstring_view::npos) end = name.size();
    std::wstring_view part = name.substr(start, end - start);
    // Windows drops trailing dots and spaces of a component, so ". ." or "..." would become
    // ".."; any component of only dots and spaces besides "." is refused.
    if (part.size() >= 2 && part.find_first_not_of(L". ") == std::wstring_view::npos &&
        part.find(L'.') != std::wstring_view::npos)
      return false;
    start = end + 1;
  }
  return true;
}

}  // namespace stubframework::zip
