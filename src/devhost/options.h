#pragma once
// The development host's own switches: --devhost-port=N, --devhost-url-file=PATH and
// --devhost-answer=ok|cancel. Every other argument is the stub's.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace stubframework::devhost {

struct DevhostOptions {
  uint16_t port = 0;  // 0: a free port
  std::wstring urlFile;
  // Every message box answered at once: true OK, false Cancel.
  std::optional<bool> answerOk;
};

// nullopt with a message for a switch of ours with a bad value.
std::optional<DevhostOptions> ParseDevhostOptions(const std::vector<std::wstring>& arguments, std::wstring* error);

// The line printed on standard output: "devhost: http://127.0.0.1:PORT/Load.html?token=TOKEN".
std::string DevhostUrlLine(uint16_t port, const std::string& token);

}  // namespace stubframework::devhost
