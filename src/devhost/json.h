#pragma once
// The small JSON dialect of the development host: requests from the browser shim and the
// answers to it. Texts are UTF-8; parsing refuses invalid UTF-8 and nesting deeper than 64.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stubframework::devhost {

struct JsonValue {
  enum class Type { Null, Bool, Number, String, Array, Object };
  Type type = Type::Null;
  bool boolean = false;
  double number = 0;
  // Set for a number written without fraction or exponent that fits 64 bits.
  std::optional<int64_t> integer;
  std::string text;
  std::vector<JsonValue> items;
  // An object's members as names and values at the same positions (a vector of pairs cannot
  // hold the type being defined).
  std::vector<std::string> keys;
  std::vector<JsonValue> values;

  static JsonValue Null() { return {}; }
  static JsonValue Bool(bool b);
  static JsonValue Int(int64_t n);
  static JsonValue Text(std::string s);
  static JsonValue Array(std::vector<JsonValue> items);

  // The member of an object (the last of that name), or null.
  const JsonValue* find(std::string_view key) const;
  void add(std::string key, JsonValue value);
};

std::optional<JsonValue> ParseJson(std::string_view text);
std::string WriteJson(const JsonValue& value);
// A JSON string literal of UTF-8 text, with quotes; "<" is escaped too so that the text can
// sit inside a script element.
std::string JsonQuote(std::string_view utf8);

}  // namespace stubframework::devhost
