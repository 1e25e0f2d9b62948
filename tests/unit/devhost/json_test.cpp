#include <gtest/gtest.h>

#include "devhost/json.h"

using namespace stubframework::devhost;

TEST(DevhostJson, ReadsTheCallShape) {
  auto v = ParseJson(R"( {"name": "getProperty", "flags": 3, "args": ["x", -7, true, null, {"function": 2}, 1.5],
                         "wantResult": true} )");
  ASSERT_TRUE(v);
  ASSERT_EQ(v->type, JsonValue::Type::Object);
  EXPECT_EQ(v->find("name")->text, "getProperty");
  EXPECT_EQ(*v->find("flags")->integer, 3);
  const auto& args = v->find("args")->items;
  ASSERT_EQ(args.size(), 6u);
  EXPECT_EQ(*args[1].integer, -7);
  EXPECT_TRUE(args[2].boolean);
  EXPECT_EQ(args[3].type, JsonValue::Type::Null);
  EXPECT_EQ(*args[4].find("function")->integer, 2);
  EXPECT_FALSE(args[5].integer);
  EXPECT_DOUBLE_EQ(args[5].number, 1.5);
  EXPECT_EQ(v->find("missing"), nullptr);
}

TEST(DevhostJson, EscapesAndUnicode) {
  auto v = ParseJson(R"("a\"\\\/\n\u00e9\ud83d\ude00\ud800x")");
  ASSERT_TRUE(v);
  // é, U+1F600, and an unpaired high surrogate as U+FFFD.
  EXPECT_EQ(v->text, "a\"\\/\n\xC3\xA9\xF0\x9F\x98\x80\xEF\xBF\xBDx");
  EXPECT_EQ(JsonQuote("a\"b\\c\n\x01</script>"), "\"a\\\"b\\\\c\\n\\u0001\\u003c/script>\"");
  EXPECT_EQ(WriteJson(*ParseJson(R"({"k": [1, -2, true, null, "\u00e9", 0.25]})")),
            "{\"k\": [1, -2, true, null, \"\xC3\xA9\", 0.25]}");
}

TEST(DevhostJson, RefusesWhatIsNotJson) {
  const char* bad[] = {"", "{", "[1,]", "{\"a\" 1}", "01", "1.", "-", "tru", "\"\x01\"", "\"\\x\"",
                       "\"\xC3\"", "\"\xED\xA0\x80\"", "\"\xC0\xAF\"", "[1] 2", "{\"a\":1,}", "\"\\u12\""};
  for (const char* text : bad) EXPECT_FALSE(ParseJson(text)) << text;
  std::string deep(65, '[');
  deep += std::string(65, ']');
  EXPECT_FALSE(ParseJson(deep));
  std::string fine(64, '[');
  fine += std::string(64, ']');
  EXPECT_TRUE(ParseJson(fine));
}
