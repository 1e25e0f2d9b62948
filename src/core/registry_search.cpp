#include "core/registry_search.h"

#include "core/text.h"

namespace stubframework::utils {

bool MatchWantedRegistryPath(std::wstring_view relativePath, std::wstring_view wanted) {
  if (wanted.size() >= relativePath.size()) return false;
  std::wstring_view tail = relativePath.substr(relativePath.size() - 1 - wanted.size(), wanted.size());
  return ToLower(tail) == ToLower(wanted);
}

bool IsGuidText(std::wstring_view text) {
  if (text.size() != 36) return false;
  for (size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (i == 8 || i == 13 || i == 18 || i == 23) {
      if (c != L'-') return false;
    } else if (!((c >= L'0' && c <= L'9') || (c >= L'a' && c <= L'f') || (c >= L'A' && c <= L'F'))) {
      return false;
    }
  }
  return true;
}

}  // namespace stubframework::utils
