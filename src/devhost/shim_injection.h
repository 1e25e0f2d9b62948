#pragma once
// The script element that loads the browser shim into every HTML page the host serves.
#include <string>
#include <string_view>

namespace stubframework::devhost {

inline constexpr const char* kShimScriptTag = "<script src=\"/devhost/external.js\"></script>";

// The page with the shim's script element placed before the page's own first script: right
// after the opening head tag (or before an earlier script element), else after the opening
// html tag or the doctype, else at the start (after a byte-order mark).
std::string InjectShim(std::string_view html);

// The shim's source.
std::string_view ShimScript();

}  // namespace stubframework::devhost
