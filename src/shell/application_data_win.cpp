#include "shell/application_data_win.h"

#include <windows.h>

#include "core/command_line.h"
#include "core/languages.h"
#include "core/product.h"
#include "core/registry_path.h"
#include "core/text.h"
#include "shell/registry_win.h"
#include "telemetry/system_info_win.h"

namespace stubframework::core {

ApplicationData::ApplicationData()
    : installStatus_(kUnsetMarker), exitCode_(kUnsetMarker), uiLanguageIndex_(kUnsetMarker) {
  productId_ = kProductId;
  productVersion_ = kProductVersion;
  clientVersion_ = kClientVersion;
  channel_ = kDefaultChannel;
  passthroughArguments_ = utils::PassthroughArguments(::GetCommandLineW());
  requestToken_ = telemetry::NewRequestToken();
  architecture_ = telemetry::ArchitectureName();
  defaultBrowser_ = telemetry::DefaultBrowser();
  osName_ = telemetry::OsNameByVersionInfo();
  country_ = telemetry::CountryCode();
  uiLanguageIndex_ = telemetry::UiLanguageIndex();
  installStatus_ = kInitialInstallStatus;
  productKey_ = utils::ProductRegistryKey(productId_, productVersion_);
  pageProperties_.set(L"osbits", architecture_ == L"x64" ? L"64" : L"32");
  setLanguage(1);
}

const std::wstring& ApplicationData::cached(std::wstring& field, const wchar_t* valueName) {
  if (field.empty()) {
    std::wstring text;
    if (utils::ReadRegistryText(productKey_, valueName, text)) field = text;
  }
  return field;
}

const std::wstring& ApplicationData::productId() { return cached(productId_, L"product_id"); }
const std::wstring& ApplicationData::productVersion() { return cached(productVersion_, L"production_version"); }
const std::wstring& ApplicationData::channel() { return cached(channel_, L"channel"); }
const std::wstring& ApplicationData::installLanguage() { return cached(installLanguage_, L"install_language"); }
const std::wstring& ApplicationData::clientVersion() { return cached(clientVersion_, L"client_version"); }
const std::wstring& ApplicationData::hashedMachineId() { return hashedMachineId_; }

void ApplicationData::setChannel(const std::wstring& channel) {
  channel_ = channel;
  utils::WriteRegistryText(productKey_, L"channel", channel, false);
}

void ApplicationData::setLanguage(int index) {
  const utils::LanguageRow* row = utils::LanguageByIndex(index);
  if (!row) return;
  installLanguage_ = row->name;
  pageProperties_.set(L"lang", row->code);
  utils::WriteRegistryText(productKey_, L"install_language", row->name, false);
}

int32_t ApplicationData::getStatus() {
  if (installStatus_ == kUnsetMarker) {
    std::wstring text;
    if (utils::ReadRegistryText(productKey_, L"status", text)) installStatus_ = utils::ParseDecimalInt32(text);
  }
  return installStatus_;
}

void ApplicationData::setStatus(int32_t code) {
  installStatus_ = code;
  utils::WriteRegistryText(productKey_, L"status", std::to_wstring(code), false);
}

}  // namespace stubframework::core
