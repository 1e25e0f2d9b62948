// The file and memory transfers against scripted HTTP answers from other threads.
#include <gtest/gtest.h>

#include "downloader/http_to_file_task.h"
#include "downloader/http_to_mem_task.h"
#include "scripted_engine.h"

namespace downloader {
namespace {

using testing::Completion;
using testing::RangeAnswer;
using testing::RecordingLogger;
using testing::ScriptedEngine;
using testing::ScriptedResponse;

std::string Content(std::size_t size) {
  std::string s(size, '\0');
  for (std::size_t i = 0; i < size; ++i) s[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
  return s;
}

class FileReceiver : public IHttpToFileCallback {
 public:
  void OnProgress(std::int64_t offset, std::int64_t written) override { progress.push_back({offset, written}); }
  void OnComplete(long code) override { done.set(code); }
  std::vector<std::pair<std::int64_t, std::int64_t>> progress;
  Completion<long> done;
};

struct FileRun {
  long result;
  std::string file;
  std::vector<ScriptedEngine::Request> requests;
  Ref<RecordingLogger> logger;
};

// Transfers [offset, offset + size) of the resource into a file that holds `initial`.
FileRun RunFileTransfer(ScriptedEngine::Server server, std::int64_t offset, std::int64_t size,
                        std::uint32_t writeError = 0, std::int64_t writeLimit = -1, bool cancelMidway = false) {
  ScriptedEngine engine(std::move(server));
  auto data = engine.file(L"f");
  data->writeError = writeError;
  data->writeLimit = writeLimit;
  testing::InMemoryFile file(data);
  file.Seek(offset);
  auto logger = RecordingLogger::Create();
  auto receiver = Ref<FileReceiver>::adopt(new details::Object<FileReceiver>());
  ITask* task = CreateHttpToFileTask(&engine, L"http://127.0.0.1/p.bin", &file, offset, size, receiver.get(), logger.get());
  EXPECT_NE(task, nullptr);
  task->Start();
  if (cancelMidway) {
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    task->Cancel();
  }
  EXPECT_TRUE(receiver->done.wait());
  task->Release();
  FileRun run{receiver->done.values().at(0), {}, engine.requests(), logger};
  EXPECT_EQ(receiver->done.values().size(), 1u);
  std::lock_guard guard(data->lock);
  run.file = data->bytes;
  return run;
}

const std::string kContent = Content(300000);

TEST(HttpToFileTask, AcceptsWhatFitsTheRequestAndRefusesTheRest) {
  struct Case {
    const char* name;
    std::int64_t offset, size;
    std::function<ScriptedResponse(const RangeRequest&)> answer;
    long result;
  } cases[] = {
      {"range answered", 1000, 5000, [](const RangeRequest& r) { return RangeAnswer(kContent, r); }, 0},
      {"200 at offset 0 for the whole length", 0, 300000,
       [](const RangeRequest&) { return RangeAnswer(kContent, RangeRequest{}); }, 0},
      {"200 at another offset", 1000, 5000, [](const RangeRequest&) { return RangeAnswer(kContent, RangeRequest{}); },
       kBadResponse},
      {"wrong content range", 1000, 5000,
       [](const RangeRequest& r) {
         auto a = RangeAnswer(kContent, r);
         a.header.offset = 999;
         return a;
       },
       kBadResponse},
      {"early end without any data", 1000, 5000,
       [](const RangeRequest& r) {
         auto a = RangeAnswer(kContent, r);
         a.body.clear();
         return a;
       },
       kBadResponse},
      {"not found", 0, 10, [](const RangeRequest&) { ScriptedResponse a; a.header.status = 404; return a; },
       kBadResponse},
      {"unreadable status", 0, 10, [](const RangeRequest&) { ScriptedResponse a; a.header.status = -1; return a; },
       kBadResponse},
      {"failure of the request", 0, 10, [](const RangeRequest&) { ScriptedResponse a; a.sendHeader = false; a.result = static_cast<long>(static_cast<Result>(0x80072EFD)); return a; },
       static_cast<long>(static_cast<Result>(0x80072EFD))},
  };
  for (const Case& c : cases) {
    auto answer = c.answer;
    FileRun run = RunFileTransfer([answer](const std::wstring&, const RangeRequest& r, int) { return answer(r); },
                                  c.offset, c.size);
    EXPECT_EQ(run.result, c.result) << c.name;
    if (c.result == 0) {
      EXPECT_EQ(run.file.substr(static_cast<std::size_t>(c.offset)),
                kContent.substr(static_cast<std::size_t>(c.offset), static_cast<std::size_t>(c.size)))
          << c.name;
    } else {
      EXPECT_TRUE(run.file.empty()) << c.name;  // nothing of a refused answer is written
    }
  }
}

TEST(HttpToFileTask, EarlyEndIsContinuedForExactlyTheRestWithTheStoredETag) {
  FileRun run = RunFileTransfer(
      [](const std::wstring&, const RangeRequest& r, int index) {
        auto a = RangeAnswer(kContent, index == 0 ? RangeRequest{} : r, "\"abc\"");
        if (index == 0) a.body.resize(a.body.size() / 2);  // the connection ends quietly halfway
        return a;
      },
      0, 300000);
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.file, kContent);
  ASSERT_EQ(run.requests.size(), 2u);
  EXPECT_EQ(run.requests[0].range.offset, 0);
  EXPECT_EQ(run.requests[0].range.size, 300000);
  EXPECT_EQ(run.requests[0].range.etag, "");
  EXPECT_EQ(run.requests[1].range.offset, 131072);  // two of the five pieces arrived
  EXPECT_EQ(run.requests[1].range.size, 300000 - 131072);
  EXPECT_EQ(run.requests[1].range.etag, "\"abc\"");
  EXPECT_TRUE(run.logger->contains(L"HttpToFileTask::OnComplete> Data not complete"));
}

TEST(HttpToFileTask, ChunkBeyondTheRangeFailsBeforeAnythingOfItIsWritten) {
  FileRun run = RunFileTransfer(
      [](const std::wstring&, const RangeRequest& r, int) {
        auto a = RangeAnswer(kContent, r);
        a.body = {kContent.substr(0, 4000), kContent.substr(4000, 2000)};  // 6000 bytes for 5000 asked
        return a;
      },
      0, 5000);
  EXPECT_EQ(run.result, kBadResponse);
  EXPECT_EQ(run.file, kContent.substr(0, 4000));
  EXPECT_TRUE(run.logger->contains(L"HttpToFileTask::OnData> Data large than expected 1000"));
}

TEST(HttpToFileTask, WriteFailureEndsWithTheErrorAndCancelMidwayWithCancelled) {
  auto server = [](const std::wstring&, const RangeRequest& r, int) { return RangeAnswer(kContent, r, "\"e\"", 1000); };
  FileRun full = RunFileTransfer(server, 0, 300000, /*ERROR_DISK_FULL*/ 112, 2500);
  EXPECT_EQ(full.result, static_cast<long>(static_cast<Result>(0x80070070)));
  EXPECT_EQ(full.file.size(), 2500u);
  EXPECT_TRUE(full.logger->contains(L"WriteFile failed 112."));

  auto trickle = [](const std::wstring&, const RangeRequest& r, int) {
    auto a = RangeAnswer(kContent, r, "\"e\"", 1000);
    a.pieceDelay = std::chrono::milliseconds(2);
    return a;
  };
  FileRun cancelled = RunFileTransfer(trickle, 0, 300000, 0, -1, true);
  EXPECT_EQ(cancelled.result, kCancelled);
  EXPECT_LT(cancelled.file.size(), kContent.size());
  EXPECT_TRUE(cancelled.logger->contains(L"HttpToFileTask::Cancel> Cancel."));
}

class MemReceiver : public IHttpToMemCallback {
 public:
  void OnComplete(HttpToMemResult&& r) override {
    bytes.assign(reinterpret_cast<const char*>(r.buffer.data), r.buffer.size);
    nullData = r.buffer.data == nullptr;
    done.set(r.result);
  }
  std::string bytes;
  bool nullData = false;
  Completion<long> done;
};

struct MemRun {
  long result;
  std::string bytes;
  bool nullData;
  std::vector<ScriptedEngine::Request> requests;
};

MemRun RunMemTransfer(ScriptedEngine::Server server) {
  ScriptedEngine engine(std::move(server));
  auto logger = RecordingLogger::Create();
  auto receiver = Ref<MemReceiver>::adopt(new details::Object<MemReceiver>());
  ITask* task = CreateHttpToMemTask(&engine, L"http://127.0.0.1/p.bin.meta", receiver.get(), logger.get());
  task->Start();
  EXPECT_TRUE(receiver->done.wait());
  task->Release();
  EXPECT_EQ(receiver->done.values().size(), 1u);
  return {receiver->done.values().at(0), receiver->bytes, receiver->nullData, engine.requests()};
}

TEST(HttpToMemTask, ReadsWholeResourcesAndRefusesUnknownOrOverlongOnes) {
  const std::string small = kContent.substr(0, 70000);
  MemRun whole = RunMemTransfer([&](const std::wstring&, const RangeRequest& r, int) { return RangeAnswer(small, r); });
  EXPECT_EQ(whole.result, 0);
  EXPECT_EQ(whole.bytes, small);
  ASSERT_EQ(whole.requests.size(), 1u);
  EXPECT_EQ(whole.requests[0].range.size, 0);

  MemRun empty = RunMemTransfer([](const std::wstring&, const RangeRequest& r, int) { return RangeAnswer("", r); });
  EXPECT_EQ(empty.result, 0);
  EXPECT_TRUE(empty.bytes.empty());
  EXPECT_TRUE(empty.nullData);

  MemRun unknown = RunMemTransfer([&](const std::wstring&, const RangeRequest& r, int) {
    auto a = RangeAnswer(small, r);
    a.header.size = 0;
    a.header.total = -1;  // neither Content-Range nor Content-Length
    return a;
  });
  EXPECT_EQ(unknown.result, kBadResponse);

  MemRun overlong = RunMemTransfer([&](const std::wstring&, const RangeRequest& r, int) {
    auto a = RangeAnswer(small, r);
    a.body.push_back("x");
    return a;
  });
  EXPECT_EQ(overlong.result, kBadResponse);
}

TEST(HttpToMemTask, EarlyEndAsksFromThePositionWithTheETag) {
  const std::string small = kContent.substr(0, 70000);
  MemRun run = RunMemTransfer([&](const std::wstring&, const RangeRequest& r, int index) {
    auto a = RangeAnswer(small, r, "\"m\"", 10000);
    if (index == 0) a.body.resize(3);
    return a;
  });
  EXPECT_EQ(run.result, 0);
  EXPECT_EQ(run.bytes, small);
  ASSERT_EQ(run.requests.size(), 2u);
  EXPECT_EQ(run.requests[1].range.offset, 30000);
  EXPECT_EQ(run.requests[1].range.size, 70000);
  EXPECT_EQ(run.requests[1].range.etag, "\"m\"");
}

}  // namespace
}  // namespace downloader
