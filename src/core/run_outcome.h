#pragma once
// What the end of a run decides: the settled install status and the exit code.
#include <cstdint>
#include <optional>
#include <string_view>

namespace stubframework::core {

// The status stored at exit for the status the pages left (S) and the page property
// "uninstallOption": below 4, 0 becomes 3 (canceled) and the modify, repair and remove modes add
// 70, 80 and 90; 4 and above stay.
int32_t SettleFinalStatus(int32_t status, std::wstring_view uninstallOption);

// Exit code of the process: the record's code when set; else the registry text
// "selfupdate_code" as a decimal number when present; else 0.
int32_t ExitCodeOf(int32_t recordExitCode, std::optional<std::wstring_view> selfUpdateCodeText);

}  // namespace stubframework::core
