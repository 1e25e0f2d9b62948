#include "core/registry_path.h"

#include "core/text.h"

namespace stubframework::utils {

RegistryRoot RegistryRootByName(std::wstring_view name) {
  struct Entry {
    const wchar_t* longName;
    const wchar_t* shortName;
    RegistryRoot root;
  };
  static constexpr Entry kRoots[] = {
      {L"HKEY_LOCAL_MACHINE", L"HKLM", RegistryRoot::LocalMachine},
      {L"HKEY_CURRENT_USER", L"HKCU", RegistryRoot::CurrentUser},
      {L"HKEY_CURRENT_CONFIG", L"HKCC", RegistryRoot::CurrentConfig},
      {L"HKEY_USERS", L"HKU", RegistryRoot::Users},
      {L"HKEY_CLASSES_ROOT", L"HKCR", RegistryRoot::ClassesRoot},
      {L"HKEY_DYN_DATA", L"HKDD", RegistryRoot::DynData},
  };
  for (const auto& entry : kRoots)
    if (EqualsIgnoreCase(name, entry.longName) || EqualsIgnoreCase(name, entry.shortName)) return entry.root;
  return RegistryRoot::None;
}

RegistryPathParts SplitRegistryPath(std::wstring_view path) {
  size_t slash = path.find(L'\\');
  if (slash == std::wstring_view::npos) return {};
  return {RegistryRootByName(path.substr(0, slash)), std::wstring(path.substr(slash + 1))};
}

std::wstring MajorVersionOf(std::wstring_view version) {
  return std::wstring(version.substr(0, version.find(L'.')));
}

std::wstring ProductRegistryKey(std::wstring_view productId, std::wstring_view version) {
  std::wstring key = L"HKEY_CURRENT_USER\\SOFTWARE\\Quillon\\stubframework\\";
  key += productId;
  key += L'\\';
  key += MajorVersionOf(version);
  return key;
}

}  // namespace stubframework::utils
