#pragma once
// Registry access by path text ("HKEY_CURRENT_USER\SOFTWARE\..."), with the choice of view.
#include <windows.h>

#include <string>

#include "shell/win_raii.h"

namespace stubframework::utils {

// The predefined key of the path's root (nullptr for an unknown root) and the sub-key.
HKEY ParseRegistryPath(const std::wstring& path, std::wstring& subKey);
// Opens the key of a path in the 64-bit (true) or 32-bit view with the given rights.
win::UniqueKey OpenRegistryKey(const std::wstring& path, REGSAM access, bool view64);
// Opens the key with full access, creating it and its parents when missing.
win::UniqueKey CreateRegistryKey(const std::wstring& path, bool view64);

// A value as text: the 64-bit view first, then the 32-bit view. A 32-bit number becomes its
// signed decimal text; other types are taken up to their first zero character. Data of more
// than 512 bytes counts as absent.
bool ReadRegistryText(const std::wstring& path, const std::wstring& valueName, std::wstring& text);
// A string value, creating the key when missing.
bool WriteRegistryText(const std::wstring& path, const std::wstring& valueName, const std::wstring& text,
                       bool view64);

}  // namespace stubframework::utils
