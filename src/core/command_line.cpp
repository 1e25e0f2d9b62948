#include "core/command_line.h"

namespace stubframework::utils {
namespace {

std::wstring QuotedValueAfter(std::wstring_view commandLine, std::wstring_view key) {
  std::wstring marker(key);
  marker += L"=\"";
  size_t at = commandLine.find(marker);
  if (at == std::wstring_view::npos) return {};
  size_t start = at + marker.size();
  size_t end = commandLine.find(L'"', start);
  if (end == std::wstring_view::npos) return {};
  return std::wstring(commandLine.substr(start, end - start));
}

}  // namespace

std::wstring PassthroughArguments(std::wstring_view commandLine) {
  std::wstring result = QuotedValueAfter(commandLine, L"passthrough");
  std::wstring second = QuotedValueAfter(commandLine, L"passthro");
  if (!second.empty()) {
    result += L' ';
    result += second;
  }
  return result;
}

}  // namespace stubframework::utils
