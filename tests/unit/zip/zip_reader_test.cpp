#include <gtest/gtest.h>

#include <random>

#include "zip/zip_reader.h"
#include "zip/zip_writer.h"
#include "zip_fixture.h"

using namespace stubframework::zip;
using namespace zip_fixture;

namespace {

std::string Extract(const ZipReader& reader, size_t index, bool* ok = nullptr) {
  std::string out;
  bool result = reader.extract(index, [&out](const void* data, size_t size) {
    out.append(static_cast<const char*>(data), size);
    return size;
  });
  if (ok) *ok = result;
  return out;
}

std::string RandomBytes(size_t n, unsigned seed) {
  std::mt19937 gen(seed);
  std::string s(n, '\0');
  for (char& c : s) c = static_cast<char>(gen());
  return s;
}

// One stored entry, written by hand: the writer only deflates.
std::string StoredArchive(const std::string& name, const std::string& data) {
  using namespace format;
  uint32_t crc = Crc32(0, data.data(), data.size());
  std::string out;
  Put32(out, kLocalHeaderSignature);
  Put16(out, 10);
  Put16(out, 0);
  Put16(out, kMethodStored);
  Put32(out, 0);
  Put32(out, crc);
  Put32(out, static_cast<uint32_t>(data.size()));
  Put32(out, static_cast<uint32_t>(data.size()));
  Put16(out, static_cast<uint16_t>(name.size()));
  Put16(out, 0);
  out += name + data;
  std::string dir;
  Put32(dir, kCentralHeaderSignature);
  Put16(dir, 10);
  Put16(dir, 10);
  Put16(dir, 0);
  Put16(dir, kMethodStored);
  Put32(dir, 0);
  Put32(dir, crc);
  Put32(dir, static_cast<uint32_t>(data.size()));
  Put32(dir, static_cast<uint32_t>(data.size()));
  Put16(dir, static_cast<uint16_t>(name.size()));
  for (int i = 0; i < 4; ++i) Put16(dir, 0);
  Put32(dir, 0);
  Put32(dir, 0);
  dir += name;
  uint32_t dirOffset = static_cast<uint32_t>(out.size());
  out += dir;
  Put32(out, kEndRecordSignature);
  Put32(out, 0);
  Put16(out, 1);
  Put16(out, 1);
  Put32(out, static_cast<uint32_t>(dir.size()));
  Put32(out, dirOffset);
  Put16(out, 0);
  return out;
}

// Offsets of fields of the first central directory entry and of the end record.
size_t EndRecord(const std::string& archive) { return archive.size() - 22; }
size_t FirstCentral(const std::string& archive) { return Get32(archive, EndRecord(archive) + 16); }

const Files kSample = {
    {"Load.html", "<html><head><title>Load</title></head></html>"},
    {"common/", ""},
    {"common/js/common.js", std::string(300000, 'x') + "end"},
    {"empty.txt", ""},
    {"img/noise.bin", RandomBytes(200000, 7)},
};

}  // namespace

TEST(ZipReader, ReadsWhatTheWriterWrote) {
  std::string archive = MakeArchive(kSample);
  ZipReader reader;
  ASSERT_TRUE(reader.open(archive.size(), MemoryReader(archive)));
  ASSERT_EQ(reader.count(), kSample.size());
  EXPECT_EQ(reader.archiveStart(), 0u);
  for (size_t i = 0; i < kSample.size(); ++i) {
    SCOPED_TRACE(kSample[i].first);
    EXPECT_EQ(reader.entry(i).name, kSample[i].first);
    EXPECT_EQ(reader.entry(i).method, format::kMethodDeflated);
    EXPECT_EQ(reader.entry(i).isFolder(), kSample[i].first == "common/");
    bool ok = false;
    EXPECT_EQ(Extract(reader, i, &ok), kSample[i].second);
    EXPECT_TRUE(ok);
  }
  // Level 9 on repetitive text.
  EXPECT_LT(reader.entry(2).compressedSize, 2000u);
}

TEST(ZipReader, ReadsStoredEntriesAndEmptyArchives) {
  std::string archive = StoredArchive("a/b.txt", "stored bytes");
  ZipReader reader;
  ASSERT_TRUE(reader.open(archive.size(), MemoryReader(archive)));
  EXPECT_EQ(Extract(reader, 0), "stored bytes");

  std::string empty = MakeArchive({});
  EXPECT_EQ(empty.size(), 22u);
  ASSERT_TRUE(reader.open(empty.size(), MemoryReader(empty)));
  EXPECT_EQ(reader.count(), 0u);
}

// The stub carries its archive after the image and before a certificate table; offsets inside
// count from the archive start.
TEST(ZipReader, LocatesAnArchiveBetweenAnImageAndACertificateTable) {
  std::string archive = MakeArchive(kSample);
  std::string file = MinimalImage() + std::string(5000, '\x90');
  size_t start = file.size();
  file += archive;
  AppendCertificateTable(file, 10 * 1024, "");
  ZipReader reader;
  ASSERT_TRUE(reader.open(file.size(), MemoryReader(file)));
  EXPECT_EQ(reader.archiveStart(), start);
  ASSERT_EQ(reader.count(), kSample.size());
  EXPECT_EQ(Extract(reader, 4), kSample[4].second);
}

TEST(ZipReader, SearchesTheEndRecordNoFurtherThanTheLongestComment) {
  std::string archive = MakeArchive({{"a.txt", "a"}});
  ZipReader reader;
  EXPECT_TRUE(reader.open(archive.size() + 65535, MemoryReader(archive + std::string(65535, '\0'))));
  std::string far = archive + std::string(80000, '\0');
  EXPECT_FALSE(reader.open(far.size(), MemoryReader(far)));
  std::string none = MinimalImage() + std::string(10000, 'q');
  EXPECT_FALSE(reader.open(none.size(), MemoryReader(none)));
  EXPECT_FALSE(reader.open(0, MemoryReader(none)));
}

TEST(ZipReader, RefusesInconsistentEndRecordsAndDirectories) {
  std::string good = MakeArchive({{"a.txt", "alpha"}, {"b.txt", "beta"}});
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    bool sixteen;
  };
  size_t end = EndRecord(good), central = FirstCentral(good);
  const Case cases[] = {
      {"entry counts differ", end + 8, 1, true},
      {"disk numbers 0 and 1", end + 6, 1, true},
      {"directory too small for its entries", end + 12, 46, false},
      {"directory beyond the end record", end + 16, 0xFFFFFF00u, false},
      {"central signature", central, 0x12345678, false},
      {"local header beyond the archive", central + 42, 0x7FFFFFFF, false},
      {"name beyond the directory", central + 28, 0xFFFF, true},
      {"compressed size beyond the archive", central + 20, 0x00FFFFFF, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bad = WithField(good, c.at, c.value, c.sixteen);
    ZipReader reader;
    EXPECT_FALSE(reader.open(bad.size(), MemoryReader(bad)));
  }
}

TEST(ZipReader, ExtractionChecksSizeCrcMethodAndFlags) {
  std::string good = MakeArchive({{"a.txt", std::string(5000, 'a') + "tail"}});
  size_t central = FirstCentral(good);
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
    bool sixteen;
  };
  const Case cases[] = {
      {"CRC", central + 16, 0xDEADBEEF, false},
      {"recorded size smaller than the data", central + 24, 4000, false},
      {"recorded size larger than the data", central + 24, 6000, false},
      {"encrypted", central + 8, format::kFlagEncrypted, true},
      {"patched", central + 8, format::kFlagPatched, true},
      {"unknown method", central + 10, 12, true},
      {"local signature", 0, 0x11111111, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bad = WithField(good, c.at, c.value, c.sixteen);
    ZipReader reader;
    ASSERT_TRUE(reader.open(bad.size(), MemoryReader(bad)));
    bool ok = true;
    std::string out = Extract(reader, 0, &ok);
    EXPECT_FALSE(ok);
    EXPECT_LE(out.size(), reader.entry(0).uncompressedSize);
  }
  // A corrupted deflate stream.
  std::string bad = good;
  bad[30 + 5 + 2] ^= 0x55;
  ZipReader reader;
  ASSERT_TRUE(reader.open(bad.size(), MemoryReader(bad)));
  EXPECT_FALSE(reader.extract(0, [](const void*, size_t size) { return size; }));
}

TEST(ZipReader, AFailingWriteOrReadFailsTheEntry) {
  std::string archive = MakeArchive({{"a.bin", RandomBytes(100000, 3)}});
  ZipReader reader;
  ASSERT_TRUE(reader.open(archive.size(), MemoryReader(archive)));
  EXPECT_FALSE(reader.extract(0, [](const void*, size_t size) { return size / 2; }));

  // The input shrinks after the directory was read: the data reads come back short.
  size_t visible = archive.size();
  ASSERT_TRUE(reader.open(archive.size(), [&](uint64_t offset, void* buffer, size_t size) -> size_t {
    if (offset >= visible) return 0;
    size_t n = std::min<size_t>(size, visible - offset);
    std::memcpy(buffer, archive.data() + offset, n);
    return n;
  }));
  visible = 1000;
  EXPECT_FALSE(reader.extract(0, [](const void*, size_t size) { return size; }));
}

TEST(ZipReader, TruncatedArchivesNeverReadOutsideTheirInput) {
  std::string archive = MakeArchive(kSample);
  for (size_t cut = 0; cut < archive.size(); cut += 997) {
    std::string part = archive.substr(0, cut);
    ZipReader reader;
    if (!reader.open(part.size(), MemoryReader(part))) continue;
    for (size_t i = 0; i < reader.count(); ++i) Extract(reader, i);
  }
  // Keeping only the end record: the directory it announces is not there.
  std::string tail = archive.substr(archive.size() - 22);
  ZipReader reader;
  EXPECT_FALSE(reader.open(tail.size(), MemoryReader(tail)));
}

TEST(ZipEntryName, RefusesNamesThatLeaveTheTargetFolder) {
  const struct {
    const wchar_t* name;
    bool safe;
  } cases[] = {
      {L"Load.html", true},
      {L"common\\js\\common.js", true},
      {L"common\\", true},
      {L".\\a.txt", true},
      {L"a..b\\c.txt", true},
      {L"..\\..\\evil.txt", false},
      {L"a\\..\\..\\evil.txt", false},
      {L"a\\..", false},
      {L"..", false},
      {L"a\\...\\b", false},
      {L"a\\. .\\b", false},
      {L".. \\b", false},
      {L"C:\\evil.txt", false},
      {L"C:evil.txt", false},
      {L"a.txt:stream", false},
      {L"\\evil.txt", false},
      {L"/evil.txt", false},
      {L"\\\\server\\share\\evil.txt", false},
      {L"", false},
  };
  for (const auto& c : cases) EXPECT_EQ(IsSafeEntryName(c.name), c.safe) << std::string(c.name, c.name + wcslen(c.name));
}
