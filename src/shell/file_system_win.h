#pragma once
// Temporary folders and folder removal shared by the shell, the jobs and the telemetry.
#include <cstdint>
#include <string>

namespace stubframework::utils {

// A new folder below the user's temporary path, named by a hexadecimal number; ends with "\".
bool MakeUniqueTempFolder(std::wstring& path);
// The user's temporary path + name + "\", created when missing.
bool NamedTempFolder(const std::wstring& name, std::wstring& path);
// Deletes the folder with everything in it; true when the folder itself was removed.
bool DeleteFolderTree(const std::wstring& path);
// Creates the folder and every missing parent.
bool CreateFolderWithParents(const std::wstring& path);
// CRC-32 of the file's bytes, read in pieces of 1 MiB without sharing the file; false (and 0)
// when the file cannot be opened.
bool FileCrc32(const std::wstring& path, uint32_t& crc);
// The current UTC time as 14 digits.
std::wstring UtcTimestamp();

}  // namespace stubframework::utils
