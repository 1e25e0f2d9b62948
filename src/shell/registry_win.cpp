#include "shell/registry_win.h"

#include <cstring>
#include <optional>
#include <set>

#include "core/registry_path.h"
#include "core/registry_search.h"
#include "core/text.h"

namespace stubframework::utils {
namespace {

HKEY PredefinedKey(RegistryRoot root) {
  switch (root) {
    case RegistryRoot::LocalMachine: return HKEY_LOCAL_MACHINE;
    case RegistryRoot::CurrentUser: return HKEY_CURRENT_USER;
    case RegistryRoot::CurrentConfig: return HKEY_CURRENT_CONFIG;
    case RegistryRoot::Users: return HKEY_USERS;
    case RegistryRoot::ClassesRoot: return HKEY_CLASSES_ROOT;
    case RegistryRoot::DynData: return HKEY_DYN_DATA;
    case RegistryRoot::None: break;
  }
  return nullptr;
}

REGSAM ViewFlag(bool view64) { return view64 ? KEY_WOW64_64KEY : KEY_WOW64_32KEY; }

constexpr DWORD kReadLimitBytes = 512;
constexpr DWORD kValueNameChars = 300;
constexpr DWORD kValueDataBytes = 2000;
constexpr DWORD kSubKeyNameChars = 260;
// Windows nests keys at most 512 deep; a deeper walk can only be a loop through links.
constexpr int kMaxSearchDepth = 512;

void SearchTree(HKEY parent, const std::wstring& subKeyName, bool view64, const std::wstring& relativePath,
                const std::vector<std::wstring>& wanted, const std::wstring& valueName, std::wstring& match,
                bool& found, int depth) {
  if (found || wanted.empty() || depth > kMaxSearchDepth) return;
  win::UniqueKey key;
  if (::RegOpenKeyExW(parent, subKeyName.c_str(), 0, KEY_READ | ViewFlag(view64), key.put()) != ERROR_SUCCESS)
    return;
  if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
    for (const std::wstring& path : wanted) {
      if (MatchWantedRegistryPath(relativePath, path)) {
        found = true;
        match = relativePath;
        return;
      }
    }
    return;
  }
  DWORD subKeys = 0;
  if (::RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, nullptr, nullptr,
                         nullptr, nullptr, nullptr) != ERROR_SUCCESS)
    return;
  // Keys added or removed meanwhile shift the indices; a name seen once is not searched again.
  std::set<std::wstring> visited;
  for (DWORD index = 0; index < subKeys && !found; ++index) {
    wchar_t name[kSubKeyNameChars];
    DWORD length = kSubKeyNameChars;
    LONG status = ::RegEnumKeyExW(key.get(), index, name, &length, nullptr, nullptr, nullptr, nullptr);
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) continue;
    std::wstring child(name, length);
    if (!visited.insert(utils::ToLower(child)).second) continue;
    SearchTree(key.get(), child, view64, relativePath + child + L"\\", wanted, valueName, match, found, depth + 1);
  }
}

}  // namespace

HKEY ParseRegistryPath(const std::wstring& path, std::wstring& subKey) {
  RegistryPathParts parts = SplitRegistryPath(path);
  subKey = parts.subKey;
  return PredefinedKey(parts.root);
}

win::UniqueKey OpenRegistryKey(const std::wstring& path, REGSAM access, bool view64) {
  std::wstring subKey;
  HKEY root = ParseRegistryPath(path, subKey);
  win::UniqueKey key;
  if (root && ::RegOpenKeyExW(root, subKey.c_str(), 0, access | ViewFlag(view64), key.put()) != ERROR_SUCCESS)
    key.reset();
  return key;
}

win::UniqueKey CreateRegistryKey(const std::wstring& path, bool view64) {
  win::UniqueKey key = OpenRegistryKey(path, KEY_ALL_ACCESS, view64);
  if (key) return key;
  std::wstring subKey;
  HKEY root = ParseRegistryPath(path, subKey);
  if (root && ::RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                KEY_ALL_ACCESS | ViewFlag(view64), nullptr, key.put(), nullptr) != ERROR_SUCCESS)
    key.reset();
  return key;
}

bool ReadRegistryText(const std::wstring& path, const std::wstring& valueName, std::wstring& text) {
  for (bool view64 : {true, false}) {
    win::UniqueKey key = OpenRegistryKey(path, KEY_QUERY_VALUE, view64);
    if (!key) continue;
    // One spare zero character beyond the limit, so that unterminated data still ends.
    BYTE data[kReadLimitBytes + sizeof(wchar_t)] = {};
    DWORD size = kReadLimitBytes;
    DWORD type = 0;
    if (::RegQueryValueExW(key.get(), valueName.c_str(), nullptr, &type, data, &size) != ERROR_SUCCESS) continue;
    text = RegistryDataText(type, data, size);
    return true;
  }
  return false;
}

bool WriteRegistryText(const std::wstring& path, const std::wstring& valueName, const std::wstring& text,
                       bool view64) {
  win::UniqueKey key = CreateRegistryKey(path, view64);
  if (!key) return false;
  auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key.get(), valueName.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes) == ERROR_SUCCESS;
}

std::wstring RegistryDataText(DWORD type, const BYTE* data, DWORD size) {
  if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD number;
    memcpy(&number, data, sizeof number);
    return std::to_wstring(static_cast<int32_t>(number));
  }
  const auto* chars = reinterpret_cast<const wchar_t*>(data);
  size_t count = size / sizeof(wchar_t);
  size_t end = 0;
  while (end < count && chars[end] != L'\0') ++end;
  return std::wstring(chars, end);
}

bool WriteRegistryTyped(const std::wstring& path, const std::wstring& valueName, const std::wstring& text,
                        DWORD type, bool view64) {
  if (type == REG_DWORD) {
    std::optional<int32_t> number = ParseStrictInt32(text);
    if (!number) return false;
    win::UniqueKey key = CreateRegistryKey(path, view64);
    if (!key) return false;
    DWORD value = static_cast<DWORD>(*number);
    return ::RegSetValueExW(key.get(), valueName.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                            sizeof value) == ERROR_SUCCESS;
  }
  win::UniqueKey key = CreateRegistryKey(path, view64);
  if (!key) return false;
  auto bytes = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));
  return ::RegSetValueExW(key.get(), valueName.c_str(), 0, type, reinterpret_cast<const BYTE*>(text.c_str()),
                          bytes) == ERROR_SUCCESS;
}

bool DeleteRegistryKey(const std::wstring& path, bool view64) {
  std::wstring subKey;
  HKEY root = ParseRegistryPath(path, subKey);
  // An empty sub-key would name the root itself.
  if (!root || subKey.empty()) return false;
  using DeleteKeyEx = LONG(WINAPI*)(HKEY, LPCWSTR, REGSAM, DWORD);
  HMODULE advapi = ::GetModuleHandleW(L"Advapi32.dll");
  if (!advapi) return false;
  auto deleteKey = reinterpret_cast<DeleteKeyEx>(reinterpret_cast<void*>(::GetProcAddress(advapi, "RegDeleteKeyExW")));
  if (!deleteKey) return false;
  return deleteKey(root, subKey.c_str(), ViewFlag(view64), 0) == ERROR_SUCCESS;
}

void ReadRegistryValues(const std::wstring& path, std::map<std::wstring, std::wstring>& values) {
  win::UniqueKey key = OpenRegistryKey(path, KEY_READ, false);
  if (!key) return;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kValueNameChars];
    DWORD nameLength = kValueNameChars;
    if (::RegEnumValueW(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    BYTE data[kValueDataBytes + sizeof(wchar_t)] = {};
    DWORD size = kValueDataBytes;
    DWORD type = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, data, &size) != ERROR_SUCCESS) continue;
    if (type != REG_SZ && type != REG_EXPAND_SZ && type != REG_MULTI_SZ && type != REG_DWORD) continue;
    values[std::wstring(name, nameLength)] = RegistryDataText(type, data, size);
  }
}

void SearchRegistryTree(HKEY parent, const std::wstring& subKeyName, bool view64, const std::wstring& relativePath,
                        const std::vector<std::wstring>& wanted, const std::wstring& valueName, std::wstring& match,
                        bool& found) {
  SearchTree(parent, subKeyName, view64, relativePath, wanted, valueName, match, found, 0);
}

}  // namespace stubframework::utils
