#include <gtest/gtest.h>

#include "zip/pe_certificate.h"
#include "zip_fixture.h"

using namespace stubframework::zip;
using namespace zip_fixture;

namespace {

std::optional<std::string> Bytes(const std::string& file) { return ReadEmbeddedBytes(file.size(), MemoryReader(file)); }

}  // namespace

TEST(EmbeddedText, ReadsTheTextAfterTheFirstRecord) {
  std::string file = MinimalImage() + MakeArchive({{"a", "b"}});
  EXPECT_EQ(Bytes(file), std::string()) << "no certificate table";

  std::string signed_ = file;
  AppendCertificateTable(signed_, 1000, "channel=retail;ref=42");
  EXPECT_EQ(Bytes(signed_), "channel=retail;ref=42");

  std::string recordOnly = file;
  AppendCertificateTable(recordOnly, 1000, "");
  EXPECT_EQ(Bytes(recordOnly), std::string());

  std::string utf8 = file;
  AppendCertificateTable(utf8, 16, "\xE6\x97\xA5\xE6\x9C\xAC");
  EXPECT_EQ(ReadEmbeddedText(utf8.size(), MemoryReader(utf8)), std::wstring(L"\u65E5\u672C"));
  std::string invalid = file;
  AppendCertificateTable(invalid, 16, "\xC3\x28");
  EXPECT_EQ(Bytes(invalid), "\xC3\x28");
  EXPECT_EQ(ReadEmbeddedText(invalid.size(), MemoryReader(invalid)), std::nullopt);
}

TEST(EmbeddedText, AcceptsAtMostTheLimit) {
  std::string file = MinimalImage();
  AppendCertificateTable(file, 8, std::string(kMaxEmbeddedBytes - 8, 'e'));
  ASSERT_TRUE(Bytes(file).has_value());
  EXPECT_EQ(Bytes(file)->size(), kMaxEmbeddedBytes - 8);

  std::string over = MinimalImage();
  AppendCertificateTable(over, 8, std::string(kMaxEmbeddedBytes + 8, 'e'));
  EXPECT_EQ(Bytes(over), std::nullopt);
}

TEST(EmbeddedText, ATableOrHeaderOutsideTheFileIsRefused) {
  std::string good = MinimalImage();
  AppendCertificateTable(good, 64, "text");
  size_t entry = CertificateEntryOffset(good);
  uint32_t offset = Get32(good, entry), size = Get32(good, entry + 4);
  struct Case {
    const char* what;
    size_t at;
    uint32_t value;
  };
  const Case cases[] = {
      {"table offset beyond the file", entry, 0xFFFFFFF0u},
      {"table size beyond the file", entry + 4, size + 1},
      {"table size that wraps", entry + 4, 0xFFFFFFFFu},
      {"offset and size each inside, together outside", entry, static_cast<uint32_t>(good.size() - 4)},
      {"record longer than the table", offset, size + 8},
      {"record length that wraps", offset, 0xFFFFFFFFu},
      {"PE header beyond the file", 60, 0xFFFFFF00u},
      {"PE header near the end", 60, static_cast<uint32_t>(good.size() - 100)},
      {"no MZ", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::string bad = good;
    Set32(bad, c.at, c.value);
    EXPECT_EQ(Bytes(bad), std::nullopt);
  }
  for (size_t cut : {size_t{0}, size_t{10}, size_t{100}, static_cast<size_t>(offset + 4), good.size() - 1}) {
    SCOPED_TRACE(cut);
    EXPECT_EQ(Bytes(good.substr(0, cut)), std::nullopt);
  }
}
