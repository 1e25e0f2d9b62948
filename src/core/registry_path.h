#pragma once
// Registry path text: a root name, a backslash and the sub-key below that root.
#include <string>
#include <string_view>

namespace stubframework::utils {

enum class RegistryRoot { None, LocalMachine, CurrentUser, CurrentConfig, Users, ClassesRoot, DynData };

struct RegistryPathParts {
  RegistryRoot root = RegistryRoot::None;
  std::wstring subKey;
};

// Root names are compared without regard to case ("HKLM", "hkey_local_machine", ...). A path
// without a backslash names no key: the pages always pass a root and a sub-key, and taking the
// whole text as a root would let a write land in the root itself.
RegistryPathParts SplitRegistryPath(std::wstring_view path);
RegistryRoot RegistryRootByName(std::wstring_view name);

// Text before the first "." (the whole text when there is none).
std::wstring MajorVersionOf(std::wstring_view version);
// "HKEY_CURRENT_USER\SOFTWARE\Quillon\stubframework\<product id>\<major version>".
std::wstring ProductRegistryKey(std::wstring_view productId, std::wstring_view version);

}  // namespace stubframework::utils
