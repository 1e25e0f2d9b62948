// The application data record and the end of a run, against the real registry.
#include "shell/application_win.h"

#include <gtest/gtest.h>

#include "core/product.h"
#include "support/log_lines.h"
#include "stub/my_external_methods_win.h"
#include "support/wine_support.h"

using namespace stubframework;
using namespace testing_support;

namespace {

// Records whether the run asked for the wizard.
struct CountingWizardHost : htmlui::WizardHost {
  int shown = 0;
  void showWizard(const std::wstring&, core::HtmlExternal&) override { ++shown; }
};

class ApplicationTest : public ::testing::Test {
 protected:
  void SetUp() override { DeleteRegistryTree(HKEY_CURRENT_USER, kProductSubKey); }
  void TearDown() override { DeleteRegistryTree(HKEY_CURRENT_USER, kProductSubKey); }

  std::optional<std::wstring> productValue(const wchar_t* name) {
    return ReadRegistryString(HKEY_CURRENT_USER, kProductSubKey, name);
  }
};

}  // namespace

TEST_F(ApplicationTest, TheRecordStartsWithItsFacts) {
  core::Application application(nullptr);
  core::ApplicationData& data = application.data();
  EXPECT_EQ(data.productKey(), L"HKEY_CURRENT_USER\\SOFTWARE\\Quillon\\stubframework\\Ideagrove\\25");
  EXPECT_EQ(data.getStatus(), 4);
  EXPECT_FALSE(productValue(L"status"));  // 4 comes from the record, not from the registry
  EXPECT_EQ(data.installLanguage(), L"English");
  EXPECT_EQ(productValue(L"install_language"), L"English");
  EXPECT_EQ(data.pageProperties().get(L"lang"), L"en");
  std::wstring bits = data.pageProperties().get(L"osbits");
  EXPECT_EQ(bits, data.architecture() == L"x64" ? L"64" : L"32");
  EXPECT_TRUE(data.architecture() == L"x64" || data.architecture() == L"x86");
  EXPECT_EQ(data.requestToken().size(), 36u);
  EXPECT_NE(data.requestToken(), L"XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX");
  EXPECT_EQ(data.requestToken()[8], L'-');
  EXPECT_EQ(data.rawMachineId().size(), 38u);
  EXPECT_FALSE(data.country().empty());
  EXPECT_FALSE(data.defaultBrowser().empty());
  EXPECT_EQ(data.channel(), L"test");
  EXPECT_EQ(data.exitCode(), kUnsetMarker);

  data.setLanguage(5);
  EXPECT_EQ(data.pageProperties().get(L"lang"), L"jp");
  EXPECT_EQ(productValue(L"install_language"), L"Japanese");
  data.setLanguage(108);  // outside the table: nothing changes
  EXPECT_EQ(data.pageProperties().get(L"lang"), L"jp");
}

TEST_F(ApplicationTest, FinalStatusIsSettledIntoTheRegistry) {
  struct Case {
    int32_t status;
    const wchar_t* option;
    const wchar_t* stored;
  } cases[] = {{0, nullptr, L"3"}, {0, L"Remove", L"93"}, {0, L"remove", L"3"}, {1, L"Modify", L"71"},
               {2, L"Repair", L"82"}, {4, L"Remove", nullptr}};
  for (const auto& c : cases) {
    DeleteRegistryTree(HKEY_CURRENT_USER, kProductSubKey);
    core::Application application(nullptr);
    if (c.status != 4) application.data().setStatus(c.status);
    if (c.option) application.htmlExternal().setPageProperty(L"uninstallOption", c.option);
    EXPECT_EQ(application.settleFinalStatus(), c.status);
    EXPECT_EQ(productValue(L"status"), c.stored ? std::optional<std::wstring>(c.stored) : std::nullopt)
        << c.status;
  }
}

TEST_F(ApplicationTest, StatusIsReadFromTheRegistryOnlyWhileUnset) {
  core::Application application(nullptr);
  application.data().setStatus(2);
  EXPECT_EQ(productValue(L"status"), L"2");
  EXPECT_EQ(application.data().getStatus(), 2);
}

TEST_F(ApplicationTest, ExitCodeComesFromTheRecordThenTheRegistry) {
  core::Application application(nullptr);
  EXPECT_EQ(application.exitCode(), 0);
  HKEY key;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, kProductSubKey, 0, nullptr, 0, KEY_ALL_ACCESS | KEY_WOW64_32KEY,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const wchar_t code[] = L"197800";
  ::RegSetValueExW(key, L"selfupdate_code", 0, REG_SZ, reinterpret_cast<const BYTE*>(code), sizeof code);
  ::RegCloseKey(key);
  EXPECT_EQ(application.exitCode(), 197800);
  application.data().setExitCode(7);
  EXPECT_EQ(application.exitCode(), 7);
}

TEST_F(ApplicationTest, AFailedRunDumpsThePropertiesKeepsTheLogAndRemovesExtractionFolders) {
  ScratchFolder extracted;
  ASSERT_TRUE(WriteFileBytes(extracted.path() + L"setup.exe", "MZ"));
  std::wstring logPath;
  {
    core::Application application(nullptr);
    myexternalmethods::MyExternalMethods methods(&application);
    application.htmlExternal().setPageProperty(L"pkg__ZIP_Unzip_Folder__", extracted.path());
    application.htmlExternal().setPageProperty(L"note", L"100% sure");
    CountingWizardHost host;
    application.run(methods, host);
    EXPECT_EQ(host.shown, 0);  // without its pages there is no wizard
    logPath = application.logger().path();
    application.logger().debug(L"after the dump");

    EXPECT_EQ(productValue(L"status"), L"2");
    EXPECT_EQ(application.htmlExternal().getPageProperty(L"downloadTotal"), L"1");
    EXPECT_FALSE(PathExists(extracted.path()));

    std::vector<std::string> lines = LogLines(ReadFileBytes(logPath));
    std::vector<std::string> properties;
    for (const auto& line : lines) {
      EXPECT_TRUE(IsLogLine(line)) << line;
      size_t at = line.find("] Property ");
      if (at != std::string::npos) properties.push_back(line.substr(at + 2));
    }
    // Every property in key order, the never-set "uninstallOption" with an empty value.
    std::vector<std::string> want = {"Property downloadCurrent: 0", "Property downloadTotal: 1",
                                     "Property installCurrent: 0", "Property installTotal: 1",
                                     "Property lang: en", "Property note: 100% sure",
                                     "Property osbits: " + std::string(application.data().architecture() == L"x64" ? "64" : "32"),
                                     "Property pkg__ZIP_Unzip_Folder__: " +
                                         std::string(extracted.path().begin(), extracted.path().end()),
                                     "Property uninstallOption: "};
    EXPECT_EQ(properties, want);
    EXPECT_EQ(lines.back().find("after the dump"), std::string::npos);

    std::wstring copyFolder;
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring name = logPath.substr(logPath.find_last_of(L'\\') + 1);
    wchar_t longTemp[MAX_PATH];
    ::GetLongPathNameW(temp, longTemp, MAX_PATH);
    EXPECT_EQ(ReadFileBytes(std::wstring(longTemp) + L"Ideagrove_log\\" + name), ReadFileBytes(logPath));
  }
  EXPECT_FALSE(PathExists(logPath));
}
