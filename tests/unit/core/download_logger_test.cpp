#include "shell/download_logger.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace stubframework::debug;

namespace {

struct RecordingWriter : LogWriter {
  std::vector<std::pair<int, std::wstring>> lines;
  void writeMessage(int level, const std::wstring& message) override { lines.emplace_back(level, message); }
};

}  // namespace

TEST(DownloadLogger, TagsTheOperationAtTraceLevel) {
  RecordingWriter sink;
  downloader::ILogger* logger = DownloadLogger::Create(&sink);
  logger->Log(L"HttpTask::Start", L"url %s result %x", L"http://h/p", 0x80072EFBu);
  ASSERT_EQ(sink.lines.size(), 1u);
  EXPECT_EQ(sink.lines[0].first, kTrace);
  EXPECT_EQ(sink.lines[0].second, L"HttpTask::Start> url http://h/p result 80072efb");
  EXPECT_EQ(logger->Release(), 0);
}

TEST(DownloadLogger, CutsLongMessagesTo1023Characters) {
  RecordingWriter sink;
  downloader::ILogger* logger = DownloadLogger::Create(&sink);
  std::wstring longText(5000, L'a');
  logger->Log(L"W::M", L"%s", longText.c_str());
  ASSERT_EQ(sink.lines.size(), 1u);
  EXPECT_EQ(sink.lines[0].second, L"W::M> " + std::wstring(1023, L'a'));
  // A "%" inside a message stays literal.
  logger->Log(L"W::M", L"%s", L"100%s");
  EXPECT_EQ(sink.lines[1].second, L"W::M> 100%s");
  logger->Release();
}

TEST(DownloadLogger, WithoutASinkDropsEverythingAndCountsReferences) {
  downloader::ILogger* logger = DownloadLogger::Create(nullptr);
  logger->Log(L"W::M", L"%s", L"dropped");
  EXPECT_EQ(logger->AddRef(), 2);
  EXPECT_EQ(logger->Release(), 1);
  EXPECT_EQ(logger->Release(), 0);
}
