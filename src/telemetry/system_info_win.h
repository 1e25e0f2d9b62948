#pragma once
// Facts about the machine and the user's environment gathered at start-up.
#include <string>

namespace stubframework::telemetry {

// "x64" when the native processor is x64 or Itanium, else "x86".
std::wstring ArchitectureName();
// GetVersionEx naming; "Other" when the query fails.
std::wstring OsNameByVersionInfo();
// The user's nation identifier in decimal.
std::wstring CountryCode();
// Row of the language table for the user-interface language.
int UiLanguageIndex();
// Default value of the StartMenuInternet key (current user, else local machine), or "Other".
std::wstring DefaultBrowser();
// A fresh GUID as 36 upper-case characters without braces; the placeholder when none is made.
std::wstring NewRequestToken();

}  // namespace stubframework::telemetry
