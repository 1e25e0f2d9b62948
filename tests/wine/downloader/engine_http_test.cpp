// The engine's WinINet tasks in this process against the servers that engine_test.py starts:
// what a request sends, how an empty or overlong answer ends, and a cancel that lands while the
// data trickles. The script runs them with the servers' addresses; without those they skip.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <vector>
#include <string>

#include "core/text.h"
#include "downloader/platform_win.h"
#include "downloader/result_codes.h"
#include "shell/download_logger.h"
#include "shell/win_raii.h"
#include "support/wine_support.h"

using namespace testing_support;
using namespace downloader;

namespace {

std::wstring Setting(const char* name) {
  const char* value = std::getenv(name);
  return value ? stubframework::utils::FromUtf8(value).value_or(L"") : std::wstring();
}

class EngineOverHttp : public ::testing::Test {
 protected:
  void SetUp() override {
    nginx_ = Setting("IG_ENGINE_NGINX");
    fault_ = Setting("IG_ENGINE_FAULT");
    nginxLog_ = Setting("IG_ENGINE_NGINX_LOG");
    www_ = Setting("IG_ENGINE_WWW");
    if (nginx_.empty() || fault_.empty() || nginxLog_.empty() || www_.empty())
      GTEST_SKIP() << "run by engine_test.py, which starts the servers";
    logger_ = Ref<ILogger>::adopt(stubframework::debug::DownloadLogger::Create(nullptr));
  }
  // The access log once nginx has written the lines of the answers given (it writes them after).
  std::string SettledLog() {
    ::Sleep(200);
    return ReadFileBytes(nginxLog_);
  }
  // Access-log lines for `path` written after `mark` lines.
  std::vector<std::string> RequestsSince(std::size_t mark, const std::string& path) {
    std::vector<std::string> lines;
    const std::string log = SettledLog();
    std::size_t at = 0, index = 0;
    while (at < log.size()) {
      std::size_t end = log.find('\n', at);
      if (end == std::string::npos) end = log.size();
      if (index++ >= mark && log.compare(at, path.size() + 5, "GET " + path + " ") == 0)
        lines.push_back(log.substr(at, end - at));
      at = end + 1;
    }
    return lines;
  }
  std::size_t LogMark() {
    const std::string log = SettledLog();
    return static_cast<std::size_t>(std::count(log.begin(), log.end(), '\n'));
  }

  // The published package: a little over 2 MiB.
  std::string Published() { return ReadFileBytes(www_ + L"\\engine.bin"); }

  std::wstring nginx_, fault_, nginxLog_, www_;
  Ref<ILogger> logger_;
};

template <class T>
class Waited {
 public:
  Waited() : event_(::CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  void set(T value) {
    value_ = value;
    ::SetEvent(event_.get());
  }
  bool wait() { return ::WaitForSingleObject(event_.get(), 30000) == WAIT_OBJECT_0; }
  T value_{};

 private:
  stubframework::win::UniqueHandle event_;
};

class HeaderReceiver : public IHttpCallback {
 public:
  void OnHttpHeader(HttpHeader&& h) override { header = std::move(h); }
  void OnData(Buffer& data) override { bytes += data.size; }
  void OnComplete(long code) override { done.set(code); }
  HttpHeader header;
  std::int64_t bytes = 0;
  Waited<long> done;
};

class MemReceiver : public IHttpToMemCallback {
 public:
  void OnComplete(HttpToMemResult&& r) override {
    size = r.buffer.size;
    done.set(r.result);
  }
  std::uint32_t size = 1;
  Waited<long> done;
};

class FileReceiver : public IHttpToFileCallback {
 public:
  void OnProgress(std::int64_t, std::int64_t written) override { this->written += written; }
  void OnComplete(long code) override { done.set(code); }
  std::int64_t written = 0;
  Waited<long> done;
};

class DownloadReceiver : public IDownloadCallback {
 public:
  void OnProgress(std::int64_t current, std::int64_t) override {
    if (current >= 65536) someData.set(true);
  }
  void OnComplete(long code) override { done.set(code); }
  Waited<bool> someData;
  Waited<long> done;
};

TEST_F(EngineOverHttp, OffsetWithoutSizeSendsNoRange) {
  const std::size_t mark = LogMark();
  auto receiver = Ref<HeaderReceiver>::adopt(new details::Object<HeaderReceiver>());
  Ref<ITask> task = Ref<ITask>::adopt(
      CreateHttpTask(nginx_ + L"engine.bin", RangeRequest{1000, 0, "\"x\""}, receiver.get(), logger_.get()));
  ASSERT_TRUE(task);
  task->Start();
  ASSERT_TRUE(receiver->done.wait());
  EXPECT_EQ(receiver->done.value_, 0);
  EXPECT_EQ(receiver->header.status, 200);
  EXPECT_EQ(receiver->bytes, static_cast<std::int64_t>(Published().size()));
  const auto lines = RequestsSince(mark, "/engine.bin");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("range=\"-\""), std::string::npos) << lines[0];
}

TEST_F(EngineOverHttp, EmptyResourceGivesAnEmptyBuffer) {
  auto receiver = Ref<MemReceiver>::adopt(new details::Object<MemReceiver>());
  Ref<ITask> task = Ref<ITask>::adopt(CreateHttpToMemTask(nginx_ + L"empty-engine.bin", receiver.get(), logger_.get()));
  ASSERT_TRUE(task);
  task->Start();
  ASSERT_TRUE(receiver->done.wait());
  EXPECT_EQ(receiver->done.value_, 0);
  EXPECT_EQ(receiver->size, 0u);
}

TEST_F(EngineOverHttp, ChunkBeyondTheRangeIsRefusedUnwritten) {
  // The overlong answer carries the right Content-Range for 1,000 bytes but runs on to the end.
  ScratchFolder folder;
  const std::wstring path = folder.path() + L"long.bin";
  const std::string before(4000, 'k');
  ASSERT_TRUE(WriteFileBytes(path, before));
  stubframework::win::UniqueHandle file(
      ::CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  auto receiver = Ref<FileReceiver>::adopt(new details::Object<FileReceiver>());
  Ref<ITask> task = Ref<ITask>::adopt(
      CreateHttpToFileTask(fault_ + L"overlong/engine.bin", file.get(), 0, 1000, receiver.get(), logger_.get()));
  ASSERT_TRUE(task);
  task->Start();
  ASSERT_TRUE(receiver->done.wait());
  EXPECT_EQ(receiver->done.value_, kBadResponse);
  EXPECT_EQ(receiver->written, 0);
  file.reset();
  EXPECT_EQ(ReadFileBytes(path), before);
}

TEST_F(EngineOverHttp, CancelWhileTheDataTricklesKeepsThePartialFile) {
  ScratchFolder folder;
  const std::wstring path = folder.path() + L"trickle.bin";
  auto receiver = Ref<DownloadReceiver>::adopt(new details::Object<DownloadReceiver>());
  Ref<ITask> task = Ref<ITask>::adopt(CreateDownloadSimpleTask(fault_ + L"trickle/engine.bin",
                                                               nginx_ + L"engine.bin.meta", path, receiver.get(),
                                                               logger_.get()));
  ASSERT_TRUE(task);
  task->Start();
  ASSERT_TRUE(receiver->someData.wait());
  task->Cancel();
  ASSERT_TRUE(receiver->done.wait());
  EXPECT_EQ(receiver->done.value_, kAborted);
  const std::string kept = ReadFileBytes(path);
  const std::string published = Published();
  ASSERT_EQ(kept.size(), published.size());  // presized; what arrived stays
  EXPECT_TRUE(kept.compare(0, 65536, published, 0, 65536) == 0);
}

}  // namespace
