#include "core/property_store.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace stubframework::core;

TEST(PropertyStore, AbsentNamesAreAddedEmptyAndCaseMatters) {
  PropertyStore store;
  EXPECT_EQ(store.get(L"uninstallOption"), L"");
  store.set(L"Name", L"upper");
  store.set(L"name", L"lower");
  EXPECT_EQ(store.get(L"Name"), L"upper");
  EXPECT_EQ(store.get(L"name"), L"lower");
  auto all = store.snapshot();
  ASSERT_EQ(all.size(), 3u);
  // Key order, upper case first.
  EXPECT_EQ(all[0].first, L"Name");
  EXPECT_EQ(all[1].first, L"name");
  EXPECT_EQ(all[2], (std::pair<std::wstring, std::wstring>{L"uninstallOption", L""}));
}

TEST(PropertyStore, CountersKeepTheTextButClampTheNumber) {
  PropertyStore store;
  store.setCounter(kDownloadTotal, 3000000000u);
  EXPECT_EQ(store.get(kDownloadTotal), L"3000000000");
  EXPECT_EQ(store.getCounter(kDownloadTotal), 2147483647);
  store.set(kInstallCurrent, L" 12 apples");
  EXPECT_EQ(store.getCounter(kInstallCurrent), 12);
  EXPECT_EQ(store.getCounter(L"never set"), 0);
}

TEST(PropertyStore, ConcurrentWritersAndReadersLoseNothing) {
  PropertyStore store;
  constexpr int kThreads = 4, kWrites = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&store, t] {
      for (int i = 0; i < kWrites; ++i) {
        store.set(L"t" + std::to_wstring(t) + L"_" + std::to_wstring(i), std::to_wstring(i));
        store.setCounter(kDownloadCurrent, static_cast<uint32_t>(i));
        (void)store.get(L"t" + std::to_wstring((t + 1) % kThreads) + L"_" + std::to_wstring(i));
      }
    });
  }
  for (auto& thread : threads) thread.join();
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kWrites; ++i)
      ASSERT_EQ(store.get(L"t" + std::to_wstring(t) + L"_" + std::to_wstring(i)), std::to_wstring(i));
  EXPECT_LT(store.getCounter(kDownloadCurrent), kWrites);
}
