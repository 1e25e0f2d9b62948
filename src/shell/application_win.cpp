#include "shell/application_win.h"

#include <cstdarg>

#include "core/product.h"
#include "core/run_outcome.h"
#include "methods/external_methods_win.h"
#include "shell/file_system_win.h"
#include "shell/registry_win.h"

namespace stubframework::core {

Application::Application(HANDLE instanceMutex)
    : logger_(std::make_unique<debug::Logger>()),
      data_(std::make_unique<ApplicationData>()),
      bundle_(std::make_unique<BundleFolder>(*logger_)),
      external_(win::ComPtr<HtmlExternal>::adopt(new HtmlExternal(data_->pageProperties()))),
      instanceMutex_(instanceMutex) {}

Application::~Application() {
  bundle_.reset();
  data_.reset();
  logger_.reset();
  instanceMutex_.reset();
  external_.reset();
}

void Application::run(ExternalMethods& methods, htmlui::WizardHost& host) {
  external_->publish(methods);
  external_->resetCounters();
  if (bundle_->loaded()) external_->setPageProperty(L"resourceLocation", bundle_->path());

  if (bundle_->loaded()) {
    win::ComApartment apartment(COINIT_APARTMENTTHREADED);
    host.showWizard(bundle_->path(), *external_.get());
  } else {
    // The wizard needs the page bundle; without it the run has failed.
    data_->setStatus(2);
  }

  int32_t leftStatus = settleFinalStatus();
  if (leftStatus == 2) dumpPropertiesAndCloseLog();
  keepLogCopy();
  deleteExtractionFolders();
}

int32_t Application::settleFinalStatus() {
  int32_t status = data_->getStatus();
  std::wstring option = external_->getPageProperty(L"uninstallOption");
  if (status < 4) data_->setStatus(SettleFinalStatus(status, option));
  return status;
}

void Application::dumpPropertiesAndCloseLog() {
  for (const auto& [name, value] : data_->pageProperties().snapshot())
    logger_->debug(L"Property %s: %s\n", name.c_str(), value.c_str());
  logger_->closeFile();
}

void Application::keepLogCopy() {
  const std::wstring& log = logger_->path();
  if (log.empty()) return;
  std::wstring folder;
  if (!utils::NamedTempFolder(std::wstring(kProductId) + L"_log", folder)) return;
  utils::CreateFolderWithParents(folder);
  std::wstring name = log.substr(log.find_last_of(L'\\') + 1);
  ::CopyFileW(log.c_str(), (folder + name).c_str(), FALSE);
}

void Application::deleteExtractionFolders() {
  for (const auto& [name, value] : data_->pageProperties().snapshot())
    if (name.find(L"__ZIP_Unzip_Folder__") != std::wstring::npos && !value.empty()) utils::DeleteFolderTree(value);
}

int32_t Application::exitCode() {
  std::wstring text;
  bool found = data_->exitCode() == kUnsetMarker &&
               utils::ReadRegistryText(data_->productKey(), L"selfupdate_code", text);
  return ExitCodeOf(data_->exitCode(), found ? std::optional<std::wstring_view>(text) : std::nullopt);
}

void debug(Application* application, const wchar_t* format, ...) {
  if (!application) return;
  va_list args;
  va_start(args, format);
  application->logger().write(debug::kDebug, format, args);
  va_end(args);
}

void error(Application* application, const wchar_t* format, ...) {
  if (!application) return;
  va_list args;
  va_start(args, format);
  application->logger().write(debug::kError, format, args);
  va_end(args);
}

}  // namespace stubframework::core
