#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "devhost/call_protocol.h"

using namespace stubframework::devhost;
using namespace std::chrono_literals;

TEST(DevhostCall, ArgumentsBecomeTheEnginesTypes) {
  std::string reason;
  auto call = ParseCallRequest(
      R"({"name": "download", "flags": 1, "args": ["u", 5, false, {"function": 3}, 4294967296, 2.5, null]})", &reason);
  ASSERT_TRUE(call) << reason;
  EXPECT_EQ(call->name, "download");
  EXPECT_EQ(call->flags, 1);
  EXPECT_FALSE(call->wantResult);  // download gives no result
  using K = ScriptArg::Kind;
  ASSERT_EQ(call->args.size(), 7u);
  EXPECT_EQ(call->args[0].kind, K::Text);
  EXPECT_EQ(call->args[1].kind, K::Int);
  EXPECT_EQ(call->args[1].integer, 5);
  EXPECT_EQ(call->args[2].kind, K::Bool);
  EXPECT_EQ(call->args[3].kind, K::Function);
  EXPECT_EQ(call->args[3].function, 3);
  EXPECT_EQ(call->args[4].kind, K::Number);  // beyond 32 bits: not VT_I4
  EXPECT_EQ(call->args[5].kind, K::Number);
  EXPECT_EQ(call->args[6].kind, K::Null);

  // Flags and the result slot default to the method's traits; given ones are kept as sent.
  auto get = ParseCallRequest(R"({"name": "getProperty", "args": ["x"]})", nullptr);
  ASSERT_TRUE(get);
  EXPECT_EQ(get->flags, 3);
  EXPECT_TRUE(get->wantResult);
  auto swapped = ParseCallRequest(R"({"name": "getProperty", "flags": 1, "wantResult": false})", nullptr);
  ASSERT_TRUE(swapped);
  EXPECT_EQ(swapped->flags, 1);
  EXPECT_FALSE(swapped->wantResult);
}

TEST(DevhostCall, MalformedRequestsAreRefused) {
  const char* bad[] = {"[]", "{}", R"({"name": ""})", R"({"name": 5})", R"({"name": "a", "flags": 70000})",
                       R"({"name": "a", "flags": 1.5})", R"({"name": "a", "args": "x"})",
                       R"({"name": "a", "args": [[1]]})", R"({"name": "a", "args": [{"x": 1}]})",
                       R"({"name": "a", "args": [{"function": -1}]})", R"({"name": "a", "wantResult": 1})", "nope"};
  for (const char* body : bad) {
    std::string reason;
    EXPECT_FALSE(ParseCallRequest(body, &reason)) << body;
    EXPECT_FALSE(reason.empty()) << body;
  }
}

TEST(DevhostCall, AnswersAndEvents) {
  EXPECT_EQ(CallAnswerJson(0, JsonValue::Text("42")), "{\"hresult\": \"0x00000000\", \"result\": \"42\"}");
  EXPECT_EQ(CallAnswerJson(0x80020006u, JsonValue::Null()), "{\"hresult\": \"0x80020006\", \"result\": null}");
  std::vector<ScriptEvent> events = {{1, {JsonValue::Int(10), JsonValue::Int(100), JsonValue::Int(5)}}, {2, {}}};
  EXPECT_EQ(EventsJson(events), "[{\"function\": 1, \"args\": [10, 100, 5]}, {\"function\": 2, \"args\": []}]");
  EXPECT_EQ(EventsJson({}), "[]");
}

TEST(DevhostEventQueue, TakesEverythingInOrderAndWakesOnPushOrClose) {
  EventQueue queue;
  EXPECT_TRUE(queue.take(1ms).empty());
  queue.push({1, {}});
  queue.push({2, {}});
  auto first = queue.take(1ms);
  ASSERT_EQ(first.size(), 2u);
  EXPECT_EQ(first[0].function, 1);
  EXPECT_EQ(first[1].function, 2);
  EXPECT_TRUE(queue.take(1ms).empty());

  std::thread pusher([&] {
    std::this_thread::sleep_for(50ms);
    queue.push({7, {JsonValue::Int(0)}});
  });
  auto woken = queue.take(30s);
  pusher.join();
  ASSERT_EQ(woken.size(), 1u);
  EXPECT_EQ(woken[0].function, 7);

  std::thread closer([&] {
    std::this_thread::sleep_for(50ms);
    queue.close();
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(queue.take(30s).empty());
  closer.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 20s);
}

TEST(DevhostEventQueue, ARequestNoLongerWantedLeavesTheEventsForTheNext) {
  EventQueue queue;
  std::atomic<bool> wanted{true};
  std::thread dropper([&] {
    std::this_thread::sleep_for(50ms);
    wanted = false;
  });
  auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(queue.take(30s, [&] { return wanted.load(); }).empty());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  dropper.join();

  queue.push({3, {}});
  EXPECT_TRUE(queue.take(1s, [] { return false; }).empty());
  auto next = queue.take(1s, [] { return true; });
  ASSERT_EQ(next.size(), 1u);
  EXPECT_EQ(next[0].function, 3);
}
