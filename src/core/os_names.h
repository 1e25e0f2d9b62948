#pragma once
// Operating-system names from version numbers.
#include <string>

namespace stubframework::utils {

struct VersionFacts {
  unsigned major = 0, minor = 0;
  bool workstation = true;  // product type
  bool nativeX64 = false;   // native processor architecture
};

// The name that the portal receives (the GetVersionEx rule).
std::wstring OsNameByVersionInfo(const VersionFacts& facts);

}  // namespace stubframework::utils
