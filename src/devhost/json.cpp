#include "devhost/json.h"

#include "core/text.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace stubframework::devhost {

JsonValue JsonValue::Bool(bool b) {
  JsonValue v;
  v.type = Type::Bool;
  v.boolean = b;
  return v;
}
JsonValue JsonValue::Int(int64_t n) {
  JsonValue v;
  v.type = Type::Number;
  v.number = static_cast<double>(n);
  v.integer = n;
  return v;
}
JsonValue JsonValue::Text(std::string s) {
  JsonValue v;
  v.type = Type::String;
  v.text = std::move(s);
  return v;
}
JsonValue JsonValue::Array(std::vector<JsonValue> items) {
  JsonValue v;
  v.type = Type::Array;
  v.items = std::move(items);
  return v;
}

const JsonValue* JsonValue::find(std::string_view key) const {
  const JsonValue* found = nullptr;
  for (size_t i = 0; i < keys.size(); ++i)
    if (keys[i] == key) found = &values[i];
  return found;
}

void JsonValue::add(std::string key, JsonValue value) {
  keys.push_back(std::move(key));
  values.push_back(std::move(value));
}

namespace {

constexpr int kMaxDepth = 64;

// Length of the valid UTF-8 sequence at s[i], or 0.
size_t Utf8SequenceLength(std::string_view s, size_t i) {
  auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  unsigned char c = b(i);
  size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
  if (n == 0 || i + n > s.size()) return 0;
  uint32_t cp = n == 1 ? c : n == 2 ? (c & 0x1F) : n == 3 ? (c & 0x0F) : (c & 0x07);
  for (size_t k = 1; k < n; ++k) {
    if ((b(i + k) & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b(i + k) & 0x3F);
  }
  static const uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
  if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return n;
}

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  std::optional<JsonValue> document() {
    JsonValue v;
    if (!value(v, 0)) return std::nullopt;
    skipSpace();
    if (i_ != s_.size()) return std::nullopt;
    return v;
  }

 private:
  void skipSpace() {
    while (i_ < s_.size() && (s_[i_] == ' ' || s_[i_] == '\t' || s_[i_] == '\n' || s_[i_] == '\r')) ++i_;
  }
  bool literal(std::string_view word) {
    if (s_.substr(i_, word.size()) != word) return false;
    i_ += word.size();
    return true;
  }

  bool value(JsonValue& out, int depth) {
    if (depth >= kMaxDepth) return false;
    skipSpace();
    if (i_ >= s_.size()) return false;
    char c = s_[i_];
    if (c == '{') return object(out, depth);
    if (c == '[') return array(out, depth);
    if (c == '"') {
      out.type = JsonValue::Type::String;
      return string(out.text);
    }
    if (c == 't' && literal("true")) {
      out = JsonValue::Bool(true);
      return true;
    }
    if (c == 'f' && literal("false")) {
      out = JsonValue::Bool(false);
      return true;
    }
    if (c == 'n' && literal("null")) {
      out = JsonValue::Null();
      return true;
    }
    return number(out);
  }

  bool object(JsonValue& out, int depth) {
    out.type = JsonValue::Type::Object;
    ++i_;
    skipSpace();
    if (i_ < s_.size() && s_[i_] == '}') {
      ++i_;
      return true;
    }
    for (;;) {
      skipSpace();
      std::string key;
      if (i_ >= s_.size() || s_[i_] != '"' || !string(key)) return false;
      skipSpace();
      if (i_ >= s_.size() || s_[i_] != ':') return false;
      ++i_;
      JsonValue member;
      if (!value(member, depth + 1)) return false;
      out.add(std::move(key), std::move(member));
      skipSpace();
      if (i_ >= s_.size()) return false;
      if (s_[i_] == '}') {
        ++i_;
        return true;
      }
      if (s_[i_++] != ',') return false;
    }
  }

  bool array(JsonValue& out, int depth) {
    out.type = JsonValue::Type::Array;
    ++i_;
    skipSpace();
    if (i_ < s_.size() && s_[i_] == ']') {
      ++i_;
      return true;
    }
    for (;;) {
      JsonValue item;
      if (!value(item, depth + 1)) return false;
      out.items.push_back(std::move(item));
      skipSpace();
      if (i_ >= s_.size()) return false;
      if (s_[i_] == ']') {
        ++i_;
        return true;
      }
      if (s_[i_++] != ',') return false;
    }
  }

  bool hex4(uint32_t& out) {
    if (i_ + 4 > s_.size()) return false;
    out = 0;
    for (int k = 0; k < 4; ++k) {
      char c = s_[i_++];
      out <<= 4;
      if (c >= '0' && c <= '9') out |= c - '0';
      else if (c >= 'a' && c <= 'f') out |= c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') out |= c - 'A' + 10;
      else return false;
    }
    return true;
  }

  bool string(std::string& out) {
    ++i_;  // opening quote
    while (i_ < s_.size()) {
      unsigned char c = static_cast<unsigned char>(s_[i_]);
      if (c == '"') {
        ++i_;
        return true;
      }
      if (c < 0x20) return false;
      if (c == '\\') {
        if (++i_ >= s_.size()) return false;
        char e = s_[i_++];
        switch (e) {
          case '"': out += '"'; break;
          case '\\': out += '\\'; break;
          case '/': out += '/'; break;
          case 'b': out += '\b'; break;
          case 'f': out += '\f'; break;
          case 'n': out += '\n'; break;
          case 'r': out += '\r'; break;
          case 't': out += '\t'; break;
          case 'u': {
            uint32_t cp;
            if (!hex4(cp)) return false;
            if (cp >= 0xD800 && cp <= 0xDBFF) {
              uint32_t low;
              size_t save = i_;
              if (i_ + 2 <= s_.size() && s_[i_] == '\\' && s_[i_ + 1] == 'u' && (i_ += 2, hex4(low)) &&
                  low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
              } else {
                i_ = save;
                cp = 0xFFFD;  // an unpaired surrogate, as the text helpers render one
              }
            } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
              cp = 0xFFFD;
            }
            utils::AppendUtf8(out, cp);
            break;
          }
          default: return false;
        }
        continue;
      }
      size_t n = Utf8SequenceLength(s_, i_);
      if (n == 0) return false;
      out.append(s_.substr(i_, n));
      i_ += n;
    }
    return false;
  }

  bool number(JsonValue& out) {
    size_t start = i_;
    bool integral = true;
    if (i_ < s_.size() && s_[i_] == '-') ++i_;
    if (i_ >= s_.size()) return false;
    if (s_[i_] == '0') {
      ++i_;
    } else if (s_[i_] >= '1' && s_[i_] <= '9') {
      while (i_ < s_.size() && isDigit(s_[i_])) ++i_;
    } else {
      return false;
    }
    if (i_ < s_.size() && s_[i_] == '.') {
      integral = false;
      ++i_;
      if (i_ >= s_.size() || !isDigit(s_[i_])) return false;
      while (i_ < s_.size() && isDigit(s_[i_])) ++i_;
    }
    if (i_ < s_.size() && (s_[i_] == 'e' || s_[i_] == 'E')) {
      integral = false;
      ++i_;
      if (i_ < s_.size() && (s_[i_] == '+' || s_[i_] == '-')) ++i_;
      if (i_ >= s_.size() || !isDigit(s_[i_])) return false;
      while (i_ < s_.size() && isDigit(s_[i_])) ++i_;
    }
    std::string lexeme(s_.substr(start, i_ - start));
    out.type = JsonValue::Type::Number;
    out.number = std::strtod(lexeme.c_str(), nullptr);
    if (integral && lexeme.size() <= 19) out.integer = std::strtoll(lexeme.c_str(), nullptr, 10);
    return true;
  }
  static bool isDigit(char c) { return c >= '0' && c <= '9'; }

  std::string_view s_;
  size_t i_ = 0;
};

void Write(const JsonValue& v, std::string& out) {
  switch (v.type) {
    case JsonValue::Type::Null: out += "null"; break;
    case JsonValue::Type::Bool: out += v.boolean ? "true" : "false"; break;
    case JsonValue::Type::Number:
      if (v.integer) {
        out += std::to_string(*v.integer);
      } else if (!std::isfinite(v.number)) {
        out += "null";
      } else {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", v.number);
        out += buffer;
      }
      break;
    case JsonValue::Type::String: out += JsonQuote(v.text); break;
    case JsonValue::Type::Array:
      out += '[';
      for (size_t k = 0; k < v.items.size(); ++k) {
        if (k) out += ", ";
        Write(v.items[k], out);
      }
      out += ']';
      break;
    case JsonValue::Type::Object:
      out += '{';
      for (size_t k = 0; k < v.keys.size(); ++k) {
        if (k) out += ", ";
        out += JsonQuote(v.keys[k]);
        out += ": ";
        Write(v.values[k], out);
      }
      out += '}';
      break;
  }
}

}  // namespace

std::optional<JsonValue> ParseJson(std::string_view text) { return Parser(text).document(); }

std::string WriteJson(const JsonValue& value) {
  std::string out;
  Write(value, out);
  return out;
}

std::string JsonQuote(std::string_view utf8) {
  std::string out = "\"";
  for (char ch : utf8) {
    unsigned char c = static_cast<unsigned char>(ch);
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      case '<': out += "\\u003c"; break;
      default:
        if (c < 0x20) {
          char buffer[8];
          std::snprintf(buffer, sizeof buffer, "\\u%04x", c);
          out += buffer;
        } else {
          out += ch;
        }
    }
  }
  out += '"';
  return out;
}

}  // namespace stubframework::devhost
