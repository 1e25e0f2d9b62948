// The block hasher's loop: one digest per 1 MiB block in order, then one result.
#include <gtest/gtest.h>

#include "downloader/hash_task.h"
#include "scripted_engine.h"

namespace downloader {
namespace {

using testing::Completion;

class Digests : public IHashCallback {
 public:
  void OnHash(const unsigned char* digest) override {
    std::lock_guard guard(lock);
    got.emplace_back();
    std::copy(digest, digest + kDigestSize, got.back().begin());
    if (onHash) onHash();
  }
  void OnComplete(HashResult result) override { done.set(result); }
  std::mutex lock;
  std::vector<Digest> got;
  std::function<void()> onHash;
  Completion<HashResult> done;
};

TEST(HashTask, DigestsEveryBlockInOrderFromThePosition) {
  std::string content(5 * kBlockSize / 2, '\0');
  for (std::size_t i = 0; i < content.size(); ++i) content[i] = static_cast<char>(i % 253);
  struct Case {
    std::int64_t from;
    std::size_t digests;
  } cases[] = {{0, 3}, {2 * kBlockSize, 1}, {static_cast<std::int64_t>(content.size()), 0}};
  for (const Case& c : cases) {
    auto data = std::make_shared<testing::InMemoryFileData>();
    data->bytes = content;
    testing::InMemoryFile file(data);
    file.Seek(c.from);
    auto digests = Ref<Digests>::adopt(new details::Object<Digests>());
    ITask* task = CreateHashTask(&file, nullptr, digests.get(), testing::CreateFakeDigest(), testing::ThreadQueue());
    task->Start();
    ASSERT_TRUE(digests->done.wait());
    task->Release();
    EXPECT_EQ(digests->done.values(), std::vector<HashResult>{HashResult::Finished});
    ASSERT_EQ(digests->got.size(), c.digests);
    for (std::size_t i = 0; i < c.digests; ++i) {
      const std::size_t at = static_cast<std::size_t>(c.from) + i * kBlockSize;
      EXPECT_EQ(digests->got[i], testing::FakeDigestOf(content.substr(at, kBlockSize)));
    }
  }
}

TEST(HashTask, CancelEndsWithCancelledAfterAtMostOneMoreDigest) {
  auto data = std::make_shared<testing::InMemoryFileData>();
  data->bytes.assign(20 * kBlockSize, 'a');
  testing::InMemoryFile file(data);
  auto digests = Ref<Digests>::adopt(new details::Object<Digests>());
  ITask* task = CreateHashTask(&file, nullptr, digests.get(), testing::CreateFakeDigest(), testing::ThreadQueue());
  std::atomic<int> seenAtCancel{-1};
  digests->onHash = [&] {
    if (digests->got.size() == 2) {
      seenAtCancel = 2;
      std::thread([task] { task->Cancel(); }).join();
    }
  };
  task->AddRef();
  task->Start();
  ASSERT_TRUE(digests->done.wait());
  EXPECT_EQ(digests->done.values(), std::vector<HashResult>{HashResult::Cancelled});
  EXPECT_LE(digests->got.size(), 3u);
  task->Release();
  task->Release();
}

TEST(HashTask, QueueFailureReportsFailed) {
  auto data = std::make_shared<testing::InMemoryFileData>();
  testing::InMemoryFile file(data);
  auto digests = Ref<Digests>::adopt(new details::Object<Digests>());
  ITask* task = CreateHashTask(&file, nullptr, digests.get(), testing::CreateFakeDigest(),
                               [](std::function<void()>) { return false; });
  task->Start();
  EXPECT_EQ(digests->done.values(), std::vector<HashResult>{HashResult::Failed});
  task->Release();
}

}  // namespace
}  // namespace downloader
