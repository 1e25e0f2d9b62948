// The meta file's parser and writer.
#include <gtest/gtest.h>

#include "downloader/download_meta_simple.h"

namespace downloader {
namespace {

std::string MetaBytes(std::uint64_t length, std::size_t digestBytes) {
  std::string out(8 + digestBytes, '\x5A');
  for (int i = 0; i < 8; ++i) out[i] = static_cast<char>((length >> (8 * i)) & 0xFF);
  return out;
}

bool Parses(const std::string& bytes, DownloadMetaSimple* meta) {
  return CreateDownloadMetaSimple(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), meta);
}

TEST(DownloadMeta, AcceptsExactlyEightPlusTwentyPerBlock) {
  struct Case {
    std::uint64_t length;
    std::size_t digestBytes;
    bool accepted;
  } cases[] = {
      {0, 0, true},          {0, 20, false},       {1, 20, true},        {1, 0, false},
      {1048576, 20, true},   {1048577, 40, true},  {1048577, 39, false}, {1048577, 41, false},
      {1048577, 20, false},  {0x8000000000000000ull, 0, false},  // negative length
      {0x4000000ull * 1048576, 0, false},                           // beyond the block limit
  };
  for (const Case& c : cases) {
    DownloadMetaSimple meta;
    EXPECT_EQ(Parses(MetaBytes(c.length, c.digestBytes), &meta), c.accepted) << c.length << " " << c.digestBytes;
    if (c.accepted) {
      EXPECT_EQ(meta.fileSize, static_cast<std::int64_t>(c.length));
      EXPECT_EQ(meta.hashes.size() * 20, c.digestBytes);
    }
  }
  DownloadMetaSimple meta;
  EXPECT_FALSE(Parses(std::string(7, '\0'), &meta));
  EXPECT_FALSE(Parses(std::string(), &meta));
}

TEST(DownloadMeta, WriterProducesTheFormatAndParsesBack) {
  Digest a{}, b{};
  for (std::size_t i = 0; i < a.size(); ++i) {
    a[i] = static_cast<unsigned char>(i);
    b[i] = static_cast<unsigned char>(0xF0 + i);
  }
  const std::string bytes = WriteDownloadMeta(1048577, {a, b});
  ASSERT_EQ(bytes.size(), 48u);
  EXPECT_EQ(bytes.substr(0, 8), std::string("\x01\x00\x10\x00\x00\x00\x00\x00", 8));
  EXPECT_EQ(bytes.substr(8, 20), std::string(a.begin(), a.end()));
  DownloadMetaSimple meta;
  ASSERT_TRUE(Parses(bytes, &meta));
  EXPECT_EQ(meta.hashes[1], b);
}

}  // namespace
}  // namespace downloader
