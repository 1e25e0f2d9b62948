#pragma once
// The resume-manager record: the installation's GUID and relaunch path kept under the product
// key across a reboot, so that a resumed installation reuses them.
#include <string>
#include <vector>

namespace stubframework::core {
class ApplicationData;
}

namespace stubframework::jobs {

// 0 none, 1 downloading, 2 installing: the first argument after the program name that equals
// "RESUME=DOWNLOADING" or "RESUME=INSTALLING" without regard to case.
int ResumeModeOf(const std::wstring& commandLine);
int CurrentResumeMode();

class ResumeManager {
 public:
  // With `load`, reads the record; without, deletes its key and stays not loaded.
  ResumeManager(bool load, core::ApplicationData& data);
  // The same for a given product key (tests).
  ResumeManager(bool load, const std::wstring& productKey);

  std::wstring guid;
  std::wstring folder;
  std::vector<std::wstring> tempFolders;
  std::wstring launchOnExit;
  bool loaded = false;
  std::wstring keyPath;

 private:
  void build(bool load, const std::wstring& productKey);
};

}  // namespace stubframework::jobs
