#pragma once
// Checks the installer log's line format.
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace testing_support {

inline std::vector<std::string> LogLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

inline bool IsLogLine(const std::string& line) {
  static const std::regex format(R"(^\[\d{8} \d\d:\d\d:\d\d [ \d][ \d]\d (TRACE|ERROR|WARNING|DEBUG)\] .*$)");
  return std::regex_match(line, format);
}

}  // namespace testing_support
