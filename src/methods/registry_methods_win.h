#pragma once
#include <string>
#include <vector>

namespace stubframework::debug {
class LogWriter;
}
namespace stubframework::jobs {
class ResumeManager;
}

namespace stubframework {
class ExternalMethods;

// setDataToReg, getDataFromReg, deleteRegKey, searchRegKey, getBaseRegKey, startRegApps.
void RegisterRegistryMethods(ExternalMethods& methods);

// The run-after-exit step for a built resume-manager record: collects the "regApp" commands of
// the record's launch-on-exit key, deletes the GUID's key below HKEY_LOCAL_MACHINE\Software and
// starts each command elevated, without waiting.
void RunRegisteredApps(const jobs::ResumeManager& record, debug::LogWriter* log);

}  // namespace stubframework
