#pragma once
// Registry access by path text ("HKEY_CURRENT_USER\SOFTWARE\..."), with the choice of view.
#include <windows.h>

#include <map>
#include <string>
#include <vector>

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

// A value of the given type: a 32-bit number from signed decimal text (other text is not
// written), any other type as the text with its terminating zero.
bool WriteRegistryTyped(const std::wstring& path, const std::wstring& valueName, const std::wstring& text,
                        DWORD type, bool view64);
// Deletes the one key of the path (not one that still has sub-keys), through RegDeleteKeyExW
// looked up at run time.
bool DeleteRegistryKey(const std::wstring& path, bool view64);
// Every value of the key (32-bit view) whose data reads as text, by name. Stops at the first
// value the platform does not return; names up to 299 characters, data up to 2000 bytes.
void ReadRegistryValues(const std::wstring& path, std::map<std::wstring, std::wstring>& values);

// Depth-first search below `parent` for the first key that holds `valueName` and whose path
// relative to the starting key ends with one of `wanted` (see MatchWantedRegistryPath). A key
// that holds the value is not searched below. `relativePath` is that of `subKeyName` (empty at
// the top); `match` receives the matching relative path with its trailing backslash.
void SearchRegistryTree(HKEY parent, const std::wstring& subKeyName, bool view64, const std::wstring& relativePath,
                        const std::vector<std::wstring>& wanted, const std::wstring& valueName, std::wstring& match,
                        bool& found);

// Registry data as text: a 32-bit number as signed decimal, other types up to the first zero.
std::wstring RegistryDataText(DWORD type, const BYTE* data, DWORD size);

}  // namespace stubframework::utils
