// The verified segmented download against scripted answers: what it asks for, what the file
// becomes, and how it ends.
#include <gtest/gtest.h>

#include "downloader/download_simple_task.h"
#include "scripted_engine.h"

namespace downloader {
namespace {

using testing::Completion;
using testing::FakeMetaOf;
using testing::RangeAnswer;
using testing::RecordingLogger;
using testing::ScriptedEngine;
using testing::ScriptedResponse;

constexpr std::size_t MiB = 1048576;

std::string Package(std::size_t size) {
  std::string s(size, '\0');
  std::uint32_t x = 12345;
  for (auto& c : s) {
    x = x * 1103515245u + 12345u;
    c = static_cast<char>(x >> 24);
  }
  return s;
}

class Receiver : public IDownloadCallback {
 public:
  void OnProgress(std::int64_t current, std::int64_t total) override {
    {
      std::lock_guard guard(lock);
      progress.push_back({current, total});
    }
    changed.notify_all();
  }
  void OnComplete(long code) override { done.set(code); }
  // True once the download has reported at least `bytes`; false after ten seconds without.
  bool waitForProgress(std::int64_t bytes) {
    std::unique_lock guard(lock);
    return changed.wait_for(guard, std::chrono::seconds(10),
                            [&] { return !progress.empty() && progress.back().first >= bytes; });
  }
  std::mutex lock;
  std::condition_variable changed;
  std::vector<std::pair<std::int64_t, std::int64_t>> progress;
  Completion<long> done;
};

struct DownloadRun {
  long result = 1;
  std::string file;
  std::vector<ScriptedEngine::Request> requests;  // the package's, without the meta request
  int metaRequests = 0;
  int hashPasses = 0;
  std::vector<std::pair<std::int64_t, std::int64_t>> progress;
  Ref<RecordingLogger> logger;
};

struct Setup {
  std::string content{};
  std::string meta{};  // defaults to the content's
  std::optional<std::string> local{};
  std::function<ScriptedResponse(const RangeRequest&)> package{};  // defaults to a range server
  std::int64_t cancelAtProgress{0};  // cancel once this much has been reported
  std::chrono::milliseconds pieceDelay{0};
};

DownloadRun RunDownload(Setup s) {
  if (s.meta.empty()) s.meta = FakeMetaOf(s.content);
  const std::string content = s.content, meta = s.meta;
  auto package = s.package;
  const auto delay = s.pieceDelay;
  ScriptedEngine engine([=](const std::wstring& url, const RangeRequest& r, int) {
    if (url.size() > 5 && url.substr(url.size() - 5) == L".meta") return RangeAnswer(meta, r);
    if (package) return package(r);
    auto a = RangeAnswer(content, r, "\"p\"", 262144);
    a.pieceDelay = delay;
    return a;
  });
  if (s.local) engine.file(L"C:\\p.bin")->bytes = *s.local;
  DownloadRun run;
  run.logger = RecordingLogger::Create();
  auto receiver = Ref<Receiver>::adopt(new details::Object<Receiver>());
  ITask* task = CreateDownloadSimpleTask(&engine, L"http://127.0.0.1/p.bin", L"http://127.0.0.1/p.bin.meta",
                                         L"C:\\p.bin", receiver.get(), run.logger.get());
  EXPECT_NE(task, nullptr);
  task->Start();
  if (s.cancelAtProgress) {
    EXPECT_TRUE(receiver->waitForProgress(s.cancelAtProgress));
    task->Cancel();
  }
  EXPECT_TRUE(receiver->done.wait());
  task->Release();
  EXPECT_EQ(receiver->done.values().size(), 1u);
  run.result = receiver->done.values().at(0);
  for (auto& r : engine.requests()) {
    if (r.url.find(L".meta") != std::wstring::npos)
      ++run.metaRequests;
    else
      run.requests.push_back(r);
  }
  run.hashPasses = engine.hashPasses();
  {
    std::lock_guard guard(receiver->lock);
    run.progress = receiver->progress;
  }
  auto data = engine.file(L"C:\\p.bin");
  std::lock_guard guard(data->lock);
  run.file = data->bytes;
  return run;
}

TEST(DownloadSimpleTask, CompleteFileCostsOneMetaRequestAndOneHashPass) {
  const std::string content = Package(3 * MiB + 100);
  DownloadRun run = RunDownload({.content = content, .local = content});
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.metaRequests, 1);
  EXPECT_TRUE(run.requests.empty());
  EXPECT_EQ(run.hashPasses, 1);
  const std::vector<std::pair<std::int64_t, std::int64_t>> expected = {
      {0, 3 * MiB + 100}, {1 * MiB, 3 * MiB + 100}, {2 * MiB, 3 * MiB + 100}, {3 * MiB, 3 * MiB + 100},
      {3 * MiB + 100, 3 * MiB + 100}};
  EXPECT_EQ(run.progress, expected);
}

TEST(DownloadSimpleTask, FetchesFromTheFirstBadBlockToTheEnd) {
  const std::string content = Package(8 * MiB + 5);
  struct Case {
    const char* name;
    std::optional<std::string> local;
    std::int64_t from;
  } cases[] = {
      {"no local file", std::nullopt, 0},
      {"wrong in block 6", content.substr(0, 6 * MiB) + std::string(2 * MiB + 5, 'x'), 6 * MiB},
      {"short file", content.substr(0, 6 * MiB + 10), 6 * MiB},
  };
  for (const Case& c : cases) {
    DownloadRun run = RunDownload({.content = content, .local = c.local});
    EXPECT_EQ(run.result, 0) << c.name;
    EXPECT_TRUE(run.file == content) << c.name;
    ASSERT_EQ(run.requests.size(), 1u) << c.name;
    EXPECT_EQ(run.requests[0].range.offset, c.from) << c.name;
    EXPECT_EQ(run.requests[0].range.size, static_cast<std::int64_t>(content.size()) - c.from) << c.name;
    EXPECT_EQ(run.hashPasses, 2) << c.name;
    EXPECT_TRUE(run.logger->contains(L"Start hash from block " + std::to_wstring(c.from / MiB) + L".")) << c.name;
  }
}

TEST(DownloadSimpleTask, LongerFileIsCutAndZeroLengthEmptiesIt) {
  const std::string content = Package(2 * MiB + 7);
  DownloadRun longer = RunDownload({.content = content, .local = content + "trailing bytes"});
  EXPECT_EQ(longer.result, 0);
  EXPECT_TRUE(longer.file == content);
  EXPECT_TRUE(longer.requests.empty());

  DownloadRun empty = RunDownload({.content = "", .meta = std::string(8, '\0'), .local = std::string("old content")});
  EXPECT_EQ(empty.result, 0);
  EXPECT_TRUE(empty.file.empty());
  EXPECT_TRUE(empty.requests.empty());
}

TEST(DownloadSimpleTask, BadMetaAndRefusedPackageEndWithTheirCodes) {
  const std::string content = Package(MiB);
  DownloadRun malformed = RunDownload({.content = content, .meta = std::string(9, '\0')});
  EXPECT_EQ(malformed.result, kFailed);
  EXPECT_TRUE(malformed.logger->contains(L"DownloadSimple::OnMetaComplete> CreateDownloadMetaSimple failed."));
  EXPECT_TRUE(malformed.requests.empty());

  DownloadRun refused = RunDownload({.content = content, .package = [](const RangeRequest&) {
                               ScriptedResponse a;
                               a.header.status = 404;
                               return a;
                             }});
  EXPECT_EQ(refused.result, kBadResponse);
}

TEST(DownloadSimpleTask, CancelDuringTheTransferKeepsThePartialFile) {
  const std::string content = Package(6 * MiB);
  DownloadRun run = RunDownload({.content = content, .cancelAtProgress = 262144,
                         .pieceDelay = std::chrono::milliseconds(20)});
  EXPECT_EQ(run.result, kAborted);
  EXPECT_LT(run.progress.back().first, static_cast<std::int64_t>(content.size()));
  ASSERT_EQ(run.requests.size(), 1u);
  EXPECT_EQ(run.file.size(), content.size());  // presized; what arrived stays
  EXPECT_TRUE(run.file.substr(0, 262144) == content.substr(0, 262144));
  EXPECT_TRUE(run.logger->contains(L"DownloadSimpleTask::Cancel> Cancel."));
}

TEST(DownloadSimpleTask, DataThatNeverVerifiesEndsAfterThreeRounds) {
  const std::string content = Package(3 * MiB);
  std::string corrupt = content;
  corrupt[MiB + 17] ^= 0x55;
  DownloadRun run = RunDownload({.content = content, .local = content.substr(0, MiB),
                         .package = [&](const RangeRequest& r) { return RangeAnswer(corrupt, r); }});
  EXPECT_EQ(run.result, kFailed);
  ASSERT_EQ(run.requests.size(), 3u);
  for (auto& r : run.requests) EXPECT_EQ(r.range.offset, static_cast<std::int64_t>(MiB));
}

}  // namespace
}  // namespace downloader
