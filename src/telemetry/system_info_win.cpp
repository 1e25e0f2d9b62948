#include "telemetry/system_info_win.h"

#include <windows.h>
#include <objbase.h>

#include "core/languages.h"
#include "core/os_names.h"
#include "shell/win_raii.h"

namespace stubframework::telemetry {
namespace {

bool NativeProcessorIs64() {
  SYSTEM_INFO info{};
  ::GetNativeSystemInfo(&info);
  return info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_AMD64 ||
         info.wProcessorArchitecture == PROCESSOR_ARCHITECTURE_IA64;
}

}  // namespace

std::wstring ArchitectureName() { return NativeProcessorIs64() ? L"x64" : L"x86"; }

std::wstring OsNameByVersionInfo() {
  OSVERSIONINFOEXW info{};
  info.dwOSVersionInfoSize = sizeof info;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
  if (!::GetVersionExW(reinterpret_cast<OSVERSIONINFOW*>(&info))) return L"Other";
#pragma GCC diagnostic pop
  utils::VersionFacts facts;
  facts.major = info.dwMajorVersion;
  facts.minor = info.dwMinorVersion;
  facts.workstation = info.wProductType == VER_NT_WORKSTATION;
  facts.nativeX64 = NativeProcessorIs64();
  return utils::OsNameByVersionInfo(facts);
}

std::wstring CountryCode() { return std::to_wstring(static_cast<long>(::GetUserGeoID(GEOCLASS_NATION))); }

int UiLanguageIndex() { return utils::LanguageIndexOf(::GetUserDefaultUILanguage()); }

std::wstring DefaultBrowser() {
  win::UniqueKey key;
  if (::RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\Clients\\StartMenuInternet", 0, KEY_READ, key.put()) !=
      ERROR_SUCCESS) {
    key.reset();
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Clients\\StartMenuInternet", 0, KEY_READ, key.put()) !=
        ERROR_SUCCESS)
      return L"Other";
  }
  wchar_t value[MAX_PATH + 1] = {};
  DWORD size = MAX_PATH * sizeof(wchar_t);
  DWORD type = 0;
  if (::RegQueryValueExW(key.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
          ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ))
    return L"Other";
  return std::wstring(value, wcsnlen(value, MAX_PATH));
}

std::wstring NewRequestToken() {
  GUID guid;
  wchar_t text[40];
  if (FAILED(::CoCreateGuid(&guid)) || ::StringFromGUID2(guid, text, 40) != 39)
    return L"XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX";
  return std::wstring(text + 1, 36);
}

}  // namespace stubframework::telemetry
