#include "jobs/resume_manager_win.h"

#include <windows.h>
#include <shellapi.h>

#include "core/text.h"
#include "shell/application_data_win.h"
#include "shell/registry_win.h"

namespace stubframework::jobs {

int ResumeModeOf(const std::wstring& commandLine) {
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(commandLine.c_str(), &count);
  if (!arguments) return 0;
  int mode = 0;
  for (int i = 1; i < count && mode == 0; ++i) {
    if (utils::EqualsIgnoreCase(arguments[i], L"RESUME=DOWNLOADING")) mode = 1;
    else if (utils::EqualsIgnoreCase(arguments[i], L"RESUME=INSTALLING")) mode = 2;
  }
  ::LocalFree(arguments);
  return mode;
}

int CurrentResumeMode() { return ResumeModeOf(::GetCommandLineW()); }

ResumeManager::ResumeManager(bool load, core::ApplicationData& data) { build(load, data.productKey()); }

ResumeManager::ResumeManager(bool load, const std::wstring& productKey) { build(load, productKey); }

void ResumeManager::build(bool load, const std::wstring& productKey) {
  keyPath = productKey + L"\\ResumeManager";
  if (!load) {
    // The product key lives below HKEY_CURRENT_USER, which has one view.
    utils::DeleteRegistryKey(keyPath, false);
    return;
  }
  if (!utils::ReadRegistryText(keyPath, L"folder", folder)) return;
  if (!utils::ReadRegistryText(keyPath, L"guid", guid)) return;
  utils::ReadRegistryText(keyPath, L"launchOnExit", launchOnExit);
  for (int i = 0;; ++i) {
    std::wstring value;
    if (!utils::ReadRegistryText(keyPath, L"tempfolder" + std::to_wstring(i), value)) break;
    tempFolders.push_back(value);
  }
  loaded = true;
}

}  // namespace stubframework::jobs
