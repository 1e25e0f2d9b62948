#include "zip/zip_writer.h"

#include <zlib.h>

#include <limits>

#include "zip/zip_format.h"

namespace stubframework::zip {

using namespace format;

namespace {
constexpr uint16_t kVersionNeeded = 20;
constexpr uint64_t kMaxClassicSize = std::numeric_limits<uint32_t>::max();
}  // namespace

bool DeflateRaw(std::string_view data, int level, std::string& out) {
  z_stream stream{};
  if (deflateInit2(&stream, level, Z_DEFLATED, -MAX_WBITS, 9, Z_DEFAULT_STRATEGY) != Z_OK) return false;
  out.resize(deflateBound(&stream, static_cast<uLong>(data.size())));
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  int status = deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return status == Z_STREAM_END;
}

bool ZipWriter::put(const std::string& bytes) {
  if (failed_) return false;
  if (write_(bytes.data(), bytes.size()) != bytes.size()) failed_ = true;
  offset_ += bytes.size();
  return !failed_;
}

bool ZipWriter::addEntry(std::string_view name, std::string_view data, uint32_t dosDateTime) {
  if (failed_ || finished_ || name.size() > 0xFFFF || data.size() >= kMaxClassicSize) return false;
  std::string compressed;
  if (!DeflateRaw(data, 9, compressed) || compressed.size() >= kMaxClassicSize) return false;
  // Offsets beyond 4 GiB would need the ZIP64 records, which this writer does not produce.
  if (offset_ + kLocalHeaderSize + name.size() + compressed.size() >= kMaxClassicSize) return false;

  Written entry{std::string(name), Crc32(0, data.data(), data.size()), static_cast<uint32_t>(compressed.size()),
                static_cast<uint32_t>(data.size()), static_cast<uint32_t>(offset_), dosDateTime};
  std::string header;
  Put32(header, kLocalHeaderSignature);
  Put16(header, kVersionNeeded);
  Put16(header, 0);  // flags
  Put16(header, kMethodDeflated);
  Put32(header, entry.dosDateTime);
  Put32(header, entry.crc);
  Put32(header, entry.compressedSize);
  Put32(header, entry.size);
  Put16(header, static_cast<uint16_t>(name.size()));
  Put16(header, 0);  // extra field
  header += name;
  if (!put(header) || !put(compressed)) return false;
  entries_.push_back(std::move(entry));
  return true;
}

bool ZipWriter::finish() {
  if (failed_ || finished_ || entries_.size() > 0xFFFF) return false;
  finished_ = true;
  uint64_t directoryOffset = offset_;
  std::string directory;
  for (const Written& e : entries_) {
    Put32(directory, kCentralHeaderSignature);
    Put16(directory, kVersionNeeded);  // made by: MS-DOS
    Put16(directory, kVersionNeeded);
    Put16(directory, 0);
    Put16(directory, kMethodDeflated);
    Put32(directory, e.dosDateTime);
    Put32(directory, e.crc);
    Put32(directory, e.compressedSize);
    Put32(directory, e.size);
    Put16(directory, static_cast<uint16_t>(e.name.size()));
    Put16(directory, 0);  // extra
    Put16(directory, 0);  // comment
    Put16(directory, 0);  // disk
    Put16(directory, 0);  // internal attributes
    Put32(directory, 0);  // external attributes
    Put32(directory, e.offset);
    directory += e.name;
  }
  if (directoryOffset + directory.size() >= kMaxClassicSize) return false;
  std::string end;
  Put32(end, kEndRecordSignature);
  Put16(end, 0);
  Put16(end, 0);
  Put16(end, static_cast<uint16_t>(entries_.size()));
  Put16(end, static_cast<uint16_t>(entries_.size()));
  Put32(end, static_cast<uint32_t>(directory.size()));
  Put32(end, static_cast<uint32_t>(directoryOffset));
  Put16(end, 0);  // comment
  return put(directory) && put(end);
}

}  // namespace stubframework::zip
