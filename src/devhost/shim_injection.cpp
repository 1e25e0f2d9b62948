#include "devhost/shim_injection.h"

#include <algorithm>
#include <string>

namespace stubframework::devhost {

namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// The offset of the first tag `<name` (followed by white space, ">" or "/"), or npos.
size_t FindTag(std::string_view html, std::string_view name, size_t from = 0) {
  for (size_t i = html.find('<', from); i != std::string_view::npos; i = html.find('<', i + 1)) {
    if (i + 1 + name.size() > html.size()) return std::string_view::npos;
    bool same = true;
    for (size_t k = 0; k < name.size() && same; ++k) same = Lower(html[i + 1 + k]) == name[k];
    if (!same) continue;
    size_t after = i + 1 + name.size();
    if (after == html.size()) return std::string_view::npos;
    char c = html[after];
    if (c == '>' || c == '/' || c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f') return i;
  }
  return std::string_view::npos;
}

// Just after the ">" that closes the tag at `at`, or npos.
size_t AfterTag(std::string_view html, size_t at) {
  if (at == std::string_view::npos) return at;
  size_t close = html.find('>', at);
  return close == std::string_view::npos ? close : close + 1;
}

}  // namespace

std::string InjectShim(std::string_view html) {
  const size_t npos = std::string_view::npos;
  size_t script = FindTag(html, "script");
  size_t at = AfterTag(html, FindTag(html, "head"));
  if (at == npos) at = AfterTag(html, FindTag(html, "html"));
  if (at == npos) at = AfterTag(html, FindTag(html, "!doctype"));
  if (at == npos) at = html.substr(0, 3) == "\xEF\xBB\xBF" ? 3 : 0;
  if (script != npos && script < at) at = script;
  std::string out;
  out.reserve(html.size() + 64);
  out.append(html.substr(0, at));
  out.append(kShimScriptTag);
  out.append(html.substr(at));
  return out;
}

}  // namespace stubframework::devhost
