#pragma once
// The facts of this run shared by the pages and the executable: product identity, install
// status, exit code, environment facts, the maps other parts report, the page property store.
#include <cstdint>
#include <map>
#include <string>

#include "core/property_store.h"

namespace stubframework::core {

class ApplicationData {
 public:
  ApplicationData();
  ApplicationData(const ApplicationData&) = delete;
  ApplicationData& operator=(const ApplicationData&) = delete;

  const std::wstring& productKey() const { return productKey_; }
  const std::wstring& requestToken() const { return requestToken_; }
  const std::wstring& country() const { return country_; }
  const std::wstring& osName() const { return osName_; }
  int32_t uiLanguageIndex() const { return uiLanguageIndex_; }
  const std::wstring& architecture() const { return architecture_; }
  const std::wstring& defaultBrowser() const { return defaultBrowser_; }
  const std::wstring& rawMachineId() const { return rawMachineId_; }
  const std::wstring& passthroughArguments() const { return passthroughArguments_; }

  // Cached facts: when empty, read from the product key's value of the same meaning.
  const std::wstring& productId();
  const std::wstring& productVersion();
  const std::wstring& channel();
  const std::wstring& installLanguage();
  const std::wstring& clientVersion();
  const std::wstring& hashedMachineId();

  void setChannel(const std::wstring& channel);
  // Row `index` of the language table: install language, page property "lang" and the
  // product-key value "install_language". An index outside the table changes nothing.
  void setLanguage(int index);

  // The install status; read from the registry value "status" while unset.
  int32_t getStatus();
  // Stores the status and writes it to the registry value "status".
  void setStatus(int32_t code);

  int32_t exitCode() const { return exitCode_; }
  void setExitCode(int32_t code) { exitCode_ = code; }

  std::map<std::wstring, std::wstring>& externalProperties() { return externalProperties_; }
  PropertyStore& pageProperties() { return pageProperties_; }

 private:
  const std::wstring& cached(std::wstring& field, const wchar_t* valueName);

  std::wstring productKey_;
  std::wstring requestToken_ = L"XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX";
  std::wstring country_;
  std::wstring productId_, productVersion_, channel_, installLanguage_;
  int32_t installStatus_;
  int32_t exitCode_;
  std::wstring osName_;
  int32_t uiLanguageIndex_;
  std::wstring architecture_;
  std::wstring defaultBrowser_;
  std::wstring clientVersion_;
  // Made by the machine-identity component; the placeholder stands until it exists.
  std::wstring rawMachineId_ = L"X-XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX";
  std::wstring hashedMachineId_;
  std::map<std::wstring, std::wstring> externalProperties_;
  PropertyStore pageProperties_;
  std::wstring passthroughArguments_;
};

}  // namespace stubframework::core
