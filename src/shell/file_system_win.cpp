#include "shell/file_system_win.h"

#include <windows.h>

#include <memory>

#include "core/log_format.h"
#include "core/wide_format.h"
#include "shell/win_raii.h"
#include "zip/zip_reader.h"

namespace stubframework::utils {
namespace {

// The user's temporary path in its long form, ending with a backslash; empty on failure.
std::wstring LongTempPath() {
  wchar_t shortPath[MAX_PATH];
  DWORD length = ::GetTempPathW(MAX_PATH, shortPath);
  if (length == 0 || length >= MAX_PATH - 1) return {};
  std::wstring path(shortPath, length);
  if (path.back() != L'\\') path += L'\\';
  wchar_t longPath[2 * MAX_PATH];
  DWORD longLength = ::GetLongPathNameW(path.c_str(), longPath, 2 * MAX_PATH);
  if (longLength > 0 && longLength < 2 * MAX_PATH) path.assign(longPath, longLength);
  return path;
}

bool Exists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

}  // namespace

bool MakeUniqueTempFolder(std::wstring& path) {
  std::wstring base = LongTempPath();
  if (base.empty() || !Exists(base)) return false;
  for (DWORD n = ::GetTickCount();; ++n) {
    std::wstring candidate = base + FormatWide(L"%x", n) + L"\\";
    if (Exists(candidate)) continue;
    // Another process may take the same name between the test and the creation: only a
    // folder this call created is ours.
    if (::CreateDirectoryW(candidate.c_str(), nullptr)) {
      path = candidate;
      return true;
    }
    if (::GetLastError() != ERROR_ALREADY_EXISTS) return false;
  }
}

bool NamedTempFolder(const std::wstring& name, std::wstring& path) {
  path.clear();
  std::wstring base = LongTempPath();
  if (base.empty()) return false;
  path = base + name + L"\\";
  ::CreateDirectoryW(path.c_str(), nullptr);
  return true;
}

bool DeleteFolderTree(const std::wstring& folder) {
  if (folder.empty()) return false;
  std::wstring prefix = folder;
  if (prefix.back() != L'\\') prefix += L'\\';
  WIN32_FIND_DATAW data;
  win::UniqueFind find(::FindFirstFileW((prefix + L"*").c_str(), &data));
  if (find) {
    do {
      std::wstring name = data.cFileName;
      if (name == L"." || name == L"..") continue;
      std::wstring child = prefix + name;
      // A link to a folder is removed as a link; its target is not ours to empty.
      bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
      bool isLink = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
      if (isFolder && !isLink) {
        DeleteFolderTree(child);
      } else if (isFolder) {
        ::RemoveDirectoryW(child.c_str());
      } else {
        if (data.dwFileAttributes & FILE_ATTRIBUTE_READONLY)
          ::SetFileAttributesW(child.c_str(), data.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
        ::DeleteFileW(child.c_str());
      }
    } while (::FindNextFileW(find.get(), &data));
  }
  return ::RemoveDirectoryW(folder.c_str()) != 0;
}

bool CreateFolderWithParents(const std::wstring& path) {
  if (path.empty()) return false;
  DWORD attributes = ::GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  std::wstring trimmed = path;
  while (!trimmed.empty() && (trimmed.back() == L'\\' || trimmed.back() == L'/')) trimmed.pop_back();
  size_t slash = trimmed.find_last_of(L"\\/");
  if (slash != std::wstring::npos && slash > 0) CreateFolderWithParents(trimmed.substr(0, slash));
  return ::CreateDirectoryW(trimmed.c_str(), nullptr) || ::GetLastError() == ERROR_ALREADY_EXISTS;
}

bool FileCrc32(const std::wstring& path, uint32_t& crc) {
  crc = 0;
  win::UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                                       nullptr));
  if (!file) return false;
  constexpr DWORD kPiece = 1048576;
  std::unique_ptr<char[]> buffer(new char[kPiece]);
  DWORD read = 0;
  while (::ReadFile(file.get(), buffer.get(), kPiece, &read, nullptr) && read > 0)
    crc = zip::Crc32(crc, buffer.get(), read);
  return true;
}

std::wstring UtcTimestamp() { return debug::Timestamp14(debug::CurrentUtcTime()); }

}  // namespace stubframework::utils
