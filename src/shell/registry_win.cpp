#include "shell/registry_win.h"

#include "core/registry_path.h"

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
    if (type == REG_DWORD && size == sizeof(DWORD)) {
      text = std::to_wstring(static_cast<int32_t>(*reinterpret_cast<DWORD*>(data)));
    } else {
      const auto* chars = reinterpret_cast<const wchar_t*>(data);
      size_t count = size / sizeof(wchar_t);
      size_t end = 0;
      while (end < count && chars[end] != L'\0') ++end;
      text.assign(chars, end);
    }
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

}  // namespace stubframework::utils
