#include "core/run_outcome.h"

#include "core/product.h"
#include "core/text.h"

namespace stubframework::core {

int32_t SettleFinalStatus(int32_t status, std::wstring_view uninstallOption) {
  if (status >= 4) return status;
  int32_t base = status == 0 ? 3 : status;
  if (uninstallOption == L"Modify") return base + 70;
  if (uninstallOption == L"Repair") return base + 80;
  if (uninstallOption == L"Remove") return base + 90;
  return base;
}

int32_t ExitCodeOf(int32_t recordExitCode, std::optional<std::wstring_view> selfUpdateCodeText) {
  int32_t code = recordExitCode;
  if (code == kUnsetMarker && selfUpdateCodeText) code = utils::ParseDecimalInt32(*selfUpdateCodeText);
  // A normal end, with no code asked for, exits with 0.
  return code == kUnsetMarker ? 0 : code;
}

}  // namespace stubframework::core
