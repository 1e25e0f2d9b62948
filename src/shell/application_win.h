#pragma once
// The application object: owns every long-lived component of a run, shows the wizard, settles
// the final status and shuts down in a fixed order.
#include <windows.h>

#include <cstdint>
#include <memory>

#include "htmlui/html_external_win.h"
#include "htmlui/wizard_host.h"
#include "shell/application_data_win.h"
#include "shell/bundle_folder_win.h"
#include "shell/logger_win.h"
#include "shell/win_raii.h"

namespace stubframework {
class ExternalMethods;
}

namespace stubframework::core {

class Application {
 public:
  // Takes over the single-instance mutex handle.
  explicit Application(HANDLE instanceMutex);
  // Releases the members in the shutdown order.
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Publishes the method table, shows the wizard through `host` until it closes and settles
  // the run's end.
  void run(ExternalMethods& methods, htmlui::WizardHost& host);
  // The process exit code of this run (the record's, else the registry's "selfupdate_code").
  int32_t exitCode();

  debug::Logger& logger() { return *logger_; }
  ApplicationData& data() { return *data_; }
  HtmlExternal& htmlExternal() { return *external_.get(); }

  // Steps of the end of a run.
  // Returns the status the run left (before settling).
  int32_t settleFinalStatus();
  void dumpPropertiesAndCloseLog();
  void keepLogCopy();
  void deleteExtractionFolders();

 private:
  std::unique_ptr<debug::Logger> logger_;
  std::unique_ptr<ApplicationData> data_;
  std::unique_ptr<BundleFolder> bundle_;
  win::ComPtr<HtmlExternal> external_;
  win::UniqueHandle instanceMutex_;
};

// Logging through the application; nothing happens without one.
void debug(Application* application, const wchar_t* format, ...);
void error(Application* application, const wchar_t* format, ...);

}  // namespace stubframework::core
