#include "devhost/method_traits.h"

#include <algorithm>

#include "devhost/json.h"

namespace stubframework::devhost {

const std::vector<MethodTraits>& MethodTable() {
  // getSystemFolder and getSystemFolderEx take any flags; the engine calls them as methods.
  static const std::vector<MethodTraits> table = [] {
    std::vector<MethodTraits> t = {
        {"download", 1, false},
        {"stopDownload", 1, false},
        {"initDownloadSize", 1, false},
        {"install", 1, false},
        {"removeProgram", 1, false},
        {"repairProgram", 1, false},
        {"setUninstallRegistryFromStub", 1, false},
        {"isUninstallModeLaunch", 1, true},
        {"selfUpdate", 1, false},
        {"isNeedSelfUpdate", 3, true},
        {"updateInstallerList", 1, false},
        {"verifyFileInSpecialDirectory", 1, false},
        {"cancelVerifyThread", 1, false},
        {"closeWindow", 1, false},
        {"dragWindow", 1, false},
        {"hideWindow", 1, false},
        {"showWindow", 1, false},
        {"minimizedWindow", 1, false},
        {"terminateWindow", 1, false},
        {"setWindowSize", 1, false},
        {"messageBox", 1, false},
        {"confirmMessageBox", 3, true},
        {"setProperty", 1, false},
        {"getProperty", 3, true},
        {"setDataToReg", 1, false},
        {"getDataFromReg", 3, true},
        {"deleteRegKey", 1, false},
        {"searchRegKey", 3, true},
        {"getBaseRegKey", 1, true},
        {"startRegApps", 1, false},
        {"isFileExists", 3, true},
        {"createDirectory", 3, true},
        {"renameFile", 3, true},
        {"getFileSize", 3, true},
        {"getFileVersion", 3, true},
        {"getFileVersionEx", 3, true},
        {"getCrc", 3, true},
        {"getDiskAvailableSpace", 3, true},
        {"getCurrentPath", 1, true},
        {"getDesktopPath", 1, true},
        {"getTempPath", 3, true},
        {"getSystemFolder", 1, true},
        {"getSystemFolderEx", 1, true},
        {"getResourceLocation", 1, true},
        {"selectFolder", 3, true},
        {"getEmbeddedDataFromCurrentExe", 3, true},
        {"startProgram", 1, false},
        {"runApplication", 3, true},
        {"executeCommand", 3, true},
        {"openPage", 3, true},
        {"restartSystem", 1, false},
        {"runAfterReboot", 1, false},
        {"undoRunAfterReboot", 1, false},
        {"isRunning", 3, true},
        {"checkOS", 3, true},
        {"getOSVersion", 1, true},
        {"getOSLang", 1, true},
        {"getLanguageByID", 3, true},
        {"getParsedInstallLanguage", 3, true},
        {"setLang", 1, false},
        {"setChannel", 1, false},
        {"setInstallStatus", 1, false},
        {"getLastInstallError", 1, true},
        {"isInternetConnected", 1, true},
        {"getResumeMode", 1, true},
        {"isSilentLaunchStub", 1, true},
        {"isSkipSelfUpdate", 1, true},
        {"isInEmbargoedCountry", 1, true},
        {"trackUserActivity", 1, false},
        {"getMachineId", 1, true},
        {"trackingByAnalyticsSDK", 1, false},
        {"setTrackingProperty", 1, false},
        {"getOfficeVersion", 3, true},
    };
    std::sort(t.begin(), t.end(), [](const MethodTraits& a, const MethodTraits& b) {
      return std::string_view(a.name) < std::string_view(b.name);
    });
    return t;
  }();
  return table;
}

MethodTraits TraitsOf(std::string_view name) {
  const auto& table = MethodTable();
  auto it = std::lower_bound(table.begin(), table.end(), name,
                             [](const MethodTraits& t, std::string_view n) { return std::string_view(t.name) < n; });
  if (it != table.end() && name == it->name) return *it;
  return {nullptr, 1, true};
}

std::string MethodsJson(const std::vector<std::string>& publishedNames) {
  JsonValue list = JsonValue::Array({});
  for (const auto& name : publishedNames) {
    MethodTraits traits = TraitsOf(name);
    JsonValue entry;
    entry.type = JsonValue::Type::Object;
    entry.add("name", JsonValue::Text(name));
    entry.add("flags", JsonValue::Int(traits.flags));
    entry.add("result", JsonValue::Bool(traits.hasResult));
    list.items.push_back(std::move(entry));
  }
  return WriteJson(list);
}

}  // namespace stubframework::devhost
