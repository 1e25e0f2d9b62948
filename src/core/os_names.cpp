#include "core/os_names.h"

namespace stubframework::utils {

std::wstring OsNameByVersionInfo(const VersionFacts& v) {
  if (v.major == 5 && v.minor == 1) return L"Windows XP";
  if (v.major == 5 && v.minor == 2) return v.workstation && v.nativeX64 ? L"Windows XP" : L"Other";
  if (!v.workstation) return L"Other";
  if (v.major == 6) {
    switch (v.minor) {
      case 0: return L"Windows Vista";
      case 1: return L"Windows 7";
      case 2:
      case 3: return L"Windows 8";
      case 4: return L"Windows 10";
      default: return L"Other";
    }
  }
  if (v.major == 10) return L"Windows 10";
  return L"Other";
}

}  // namespace stubframework::utils
