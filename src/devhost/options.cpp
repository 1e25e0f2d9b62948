#include "devhost/options.h"

#include "core/text.h"

namespace stubframework::devhost {

std::optional<DevhostOptions> ParseDevhostOptions(const std::vector<std::wstring>& arguments, std::wstring* error) {
  DevhostOptions options;
  auto fail = [&](const std::wstring& argument) -> std::optional<DevhostOptions> {
    if (error) *error = L"bad devhost switch: " + argument;
    return std::nullopt;
  };
  for (const auto& argument : arguments) {
    auto value = [&](const wchar_t* prefix) -> std::optional<std::wstring> {
      std::wstring p(prefix);
      if (argument.compare(0, p.size(), p) != 0) return std::nullopt;
      return argument.substr(p.size());
    };
    if (auto port = value(L"--devhost-port=")) {
      auto n = utils::ParseStrictInt32(*port);
      if (!n || *n < 0 || *n > 65535) return fail(argument);
      options.port = static_cast<uint16_t>(*n);
    } else if (auto file = value(L"--devhost-url-file=")) {
      if (file->empty()) return fail(argument);
      options.urlFile = *file;
    } else if (auto answer = value(L"--devhost-answer=")) {
      if (utils::EqualsIgnoreCase(*answer, L"ok")) options.answerOk = true;
      else if (utils::EqualsIgnoreCase(*answer, L"cancel")) options.answerOk = false;
      else return fail(argument);
    }
  }
  return options;
}

std::string DevhostUrlLine(uint16_t port, const std::string& token) {
  return "devhost: http://127.0.0.1:" + std::to_string(port) + "/Load.html?token=" + token;
}

}  // namespace stubframework::devhost
