#pragma once
// Pure parts of the command-line handling.
#include <string>
#include <string_view>

namespace stubframework::utils {

// The values of passthrough="..." and passthro="..." in the whole command line, the first
// followed by one space and the second when the second is not empty.
std::wstring PassthroughArguments(std::wstring_view commandLine);

}  // namespace stubframework::utils
