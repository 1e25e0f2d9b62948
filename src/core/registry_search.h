#pragma once
// The matching rule of the registry tree search and the shape check of installation GUIDs.
#include <string_view>

namespace stubframework::utils {

// Whether a key reached at `relativePath` (from the search's starting key, with a trailing
// backslash) matches `wanted`: the characters just before the trailing backslash, as many as
// `wanted` has, equal it without regard to case. A suffix test on text: "16.0\Word\InstallRoot\"
// matches "Word\InstallRoot" and "16.0\Word\InstallRoot"; the starting key never matches.
bool MatchWantedRegistryPath(std::wstring_view relativePath, std::wstring_view wanted);

// 36 characters in the 8-4-4-4-12 shape of hexadecimal digits and hyphens, without braces.
bool IsGuidText(std::wstring_view text);

}  // namespace stubframework::utils
