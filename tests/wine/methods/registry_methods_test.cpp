// The registry methods against Wine's real registry, in both views.
#include <gtest/gtest.h>

#include "jobs/resume_manager_win.h"
#include "method_fixture.h"
#include "methods/registry_methods_win.h"
#include "shell/registry_win.h"
#include "support/wine_support.h"

using namespace testing_support;

namespace {

constexpr WORD kMethod = 1, kGet = 3;
const std::wstring kTestKey = L"Software\\IgZipTest";
const std::wstring kMachine = L"HKEY_LOCAL_MACHINE\\" + kTestKey;

class RegistryMethods : public method_fixture::Methods {
 protected:
  void SetUp() override {
    Methods::SetUp();
    Clean();
  }
  void TearDown() override { Clean(); }
  static void Clean() {
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_32KEY);
    DeleteRegistryTree(HKEY_LOCAL_MACHINE, kTestKey, KEY_WOW64_64KEY);
    DeleteRegistryTree(HKEY_CURRENT_USER, kTestKey);
  }
  void set(const std::wstring& path, const std::wstring& name, const std::wstring& data, bool view64) {
    ASSERT_EQ(call(L"setDataToReg", kMethod, {Text(path), Text(name), Text(data), Bool(view64)}), S_OK);
  }
  std::wstring get(const std::wstring& path, const std::wstring& name) {
    return text(L"getDataFromReg", kGet, {Text(path), Text(name)});
  }
  bool keyExists(const std::wstring& subKey, REGSAM view) {
    HKEY key = nullptr;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, subKey.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) return false;
    ::RegCloseKey(key);
    return true;
  }
  bool search(bool view64, const std::wstring& path, const std::wstring& list, const std::wstring& value) {
    return boolean(L"searchRegKey", kGet, {Bool(view64), Text(path), Text(list), Text(value)});
  }
};

TEST_F(RegistryMethods, RootNamesAndViews) {
  set(L"hklm\\" + kTestKey + L"\\Lower", L"v", L"lower", true);
  EXPECT_EQ(get(kMachine + L"\\Lower", L"v"), L"lower");
  EXPECT_EQ(get(L"HKLM\\" + kTestKey + L"\\Lower", L"v"), L"lower");
  EXPECT_EQ(get(L"HKEY_PERFORMANCE_DATA\\" + kTestKey + L"\\Lower", L"v"), L"");
  // A path without a backslash names no key.
  EXPECT_EQ(get(L"HKLM", L"v"), L"");
  set(L"HKCU", L"v", L"root", false);
  EXPECT_EQ(get(L"HKEY_CURRENT_USER\\", L"v"), L"");

  // Written with false: the 32-bit view, keys created; found by the second attempt.
  set(kMachine + L"\\Only32\\Deep", L"v", L"thirty-two", false);
  EXPECT_TRUE(keyExists(kTestKey + L"\\Only32\\Deep", KEY_WOW64_32KEY));
  EXPECT_FALSE(keyExists(kTestKey + L"\\Only32\\Deep", KEY_WOW64_64KEY));
  EXPECT_EQ(get(kMachine + L"\\Only32\\Deep", L"v"), L"thirty-two");

  set(kMachine + L"\\Both", L"v", L"thirty-two", false);
  set(kMachine + L"\\Both", L"v", L"sixty-four", true);
  EXPECT_EQ(get(kMachine + L"\\Both", L"v"), L"sixty-four");
  EXPECT_EQ(get(kMachine + L"\\Both", L"missing"), L"");
}

TEST_F(RegistryMethods, NumbersReadAsSignedDecimal) {
  HKEY key = nullptr;
  ASSERT_EQ(::RegCreateKeyExW(HKEY_CURRENT_USER, (kTestKey + L"\\Numbers").c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD all = 0xFFFFFFFF, seven = 7;
  ::RegSetValueExW(key, L"all", 0, REG_DWORD, reinterpret_cast<BYTE*>(&all), sizeof all);
  ::RegSetValueExW(key, L"seven", 0, REG_DWORD, reinterpret_cast<BYTE*>(&seven), sizeof seven);
  std::wstring big(300, L'x');  // 602 bytes with the zero: beyond the read limit
  ::RegSetValueExW(key, L"big", 0, REG_SZ, reinterpret_cast<const BYTE*>(big.c_str()),
                   static_cast<DWORD>((big.size() + 1) * 2));
  ::RegCloseKey(key);
  std::wstring path = L"HKCU\\" + kTestKey + L"\\Numbers";
  EXPECT_EQ(get(path, L"all"), L"-1");
  EXPECT_EQ(get(path, L"seven"), L"7");
  EXPECT_EQ(get(path, L"big"), L"");

  EXPECT_TRUE(stubframework::utils::WriteRegistryTyped(path, L"typed", L"-2", REG_DWORD, false));
  EXPECT_EQ(get(path, L"typed"), L"-2");
  EXPECT_FALSE(stubframework::utils::WriteRegistryTyped(path, L"bad", L"12x", REG_DWORD, false));
  EXPECT_FALSE(stubframework::utils::WriteRegistryTyped(path, L"bad", L"4294967295", REG_DWORD, false));
  EXPECT_EQ(get(path, L"bad"), L"");
  EXPECT_TRUE(stubframework::utils::WriteRegistryTyped(path, L"expand", L"%TEMP%\\x", REG_EXPAND_SZ, false));
  EXPECT_EQ(get(path, L"expand"), L"%TEMP%\\x");

  std::map<std::wstring, std::wstring> values;
  stubframework::utils::ReadRegistryValues(path, values);
  EXPECT_EQ(values[L"all"], L"-1");
  EXPECT_EQ(values[L"big"], big);
  EXPECT_EQ(values[L"expand"], L"%TEMP%\\x");
}

TEST_F(RegistryMethods, DeleteTakesOnlyALeafKey) {
  set(kMachine + L"\\Parent\\Child", L"v", L"x", false);
  ASSERT_EQ(call(L"deleteRegKey", kMethod, {Text(kMachine + L"\\Parent"), Bool(false)}), S_OK);
  EXPECT_TRUE(keyExists(kTestKey + L"\\Parent", KEY_WOW64_32KEY));
  ASSERT_EQ(call(L"deleteRegKey", kMethod, {Text(kMachine + L"\\Parent\\Child"), Bool(false)}), S_OK);
  EXPECT_FALSE(keyExists(kTestKey + L"\\Parent\\Child", KEY_WOW64_32KEY));
  EXPECT_TRUE(keyExists(kTestKey + L"\\Parent", KEY_WOW64_32KEY));
  EXPECT_FALSE(stubframework::utils::DeleteRegistryKey(L"HKLM\\", false));
  EXPECT_FALSE(stubframework::utils::DeleteRegistryKey(L"HKLM", false));
}

TEST_F(RegistryMethods, SearchFindsTheSuffixAndStopsAtTheFirstKeyHoldingTheValue) {
  const std::wstring office = kMachine + L"\\Office";
  set(office + L"\\16.0\\Word\\InstallRoot", L"path", L"C:\\Office16\\", false);
  set(office + L"\\16.0\\Excel", L"other", L"x", false);
  // 15.0 holds the value itself: nothing below it is searched.
  set(office + L"\\15.0", L"path", L"C:\\Office15\\", false);
  set(office + L"\\15.0\\PowerPoint\\InstallRoot", L"path", L"C:\\Office15\\", false);

  EXPECT_TRUE(search(false, office, L"Word\\InstallRoot", L"path"));
  EXPECT_TRUE(search(false, office, L"Excel\\InstallRoot;16.0\\Word\\InstallRoot", L"path"));
  EXPECT_TRUE(search(false, office, L";;word\\installroot;", L"path"));
  EXPECT_FALSE(search(false, office, L"PowerPoint\\InstallRoot", L"path"));
  EXPECT_FALSE(search(false, office, L"Excel\\InstallRoot", L"path"));
  EXPECT_FALSE(search(false, office, L"", L"path"));
  EXPECT_FALSE(search(false, office, L";", L"path"));
  EXPECT_FALSE(search(true, office, L"Word\\InstallRoot", L"path")) << "the 64-bit view holds no such key";
  EXPECT_FALSE(search(false, L"HKLM", L"Word\\InstallRoot", L"path"));

  // The starting key itself never matches.
  std::wstring match;
  bool found = false;
  std::wstring subKey;
  HKEY root = stubframework::utils::ParseRegistryPath(office + L"\\15.0", subKey);
  stubframework::utils::SearchRegistryTree(root, subKey, false, L"", {L"15.0"}, L"path", match, found);
  EXPECT_FALSE(found);
  stubframework::utils::ParseRegistryPath(office, subKey);
  stubframework::utils::SearchRegistryTree(root, subKey, false, L"", {L"Word\\InstallRoot"}, L"path", match, found);
  EXPECT_TRUE(found);
  EXPECT_EQ(match, L"16.0\\Word\\InstallRoot\\");
}

TEST_F(RegistryMethods, BaseKeyAndRunAfterExit) {
  EXPECT_EQ(text(L"getBaseRegKey", kMethod, {}), L"HKEY_CURRENT_USER\\SOFTWARE\\Quillon\\stubframework\\Ideagrove\\25");

  // A launch without a resume argument deletes the resume-manager record and starts nothing.
  const std::wstring manager = std::wstring(kProductSubKey) + L"\\ResumeManager";
  const std::wstring managerPath = std::wstring(L"HKEY_CURRENT_USER\\") + manager;
  stubframework::utils::WriteRegistryText(managerPath, L"guid", L"6F9619FF-8B86-D011-B42D-00C04FC964FF", false);
  stubframework::utils::WriteRegistryText(managerPath, L"folder", L"C:\\x", false);
  ASSERT_EQ(call(L"startRegApps", kMethod, {}), S_OK);
  EXPECT_FALSE(ReadRegistryString(HKEY_CURRENT_USER, manager, L"guid").has_value());
  EXPECT_EQ(call(L"startRegApps", kMethod, {Int(1)}), DISP_E_BADPARAMCOUNT);
}

TEST_F(RegistryMethods, ARecordOfAResumedRunStartsItsCommandsAndDeletesTheGuidKey) {
  const std::wstring guid = L"6F9619FF-8B86-D011-B42D-00C04FC964FF";
  const std::wstring productKey = L"HKEY_CURRENT_USER\\" + kTestKey + L"\\Product";
  const std::wstring manager = productKey + L"\\ResumeManager";
  stubframework::utils::WriteRegistryText(manager, L"folder", L"C:\\f", false);
  stubframework::utils::WriteRegistryText(manager, L"guid", guid, false);
  stubframework::utils::WriteRegistryText(manager, L"launchOnExit", L"IgZipTest\\Vendor\\" + guid + L"\\Launch", false);
  stubframework::utils::WriteRegistryText(manager, L"tempfolder0", L"a", false);
  stubframework::utils::WriteRegistryText(manager, L"tempfolder2", L"c", false);

  ScratchFolder scratch;
  std::wstring marker = scratch.path() + L"ran.txt";
  const std::wstring launch = kMachine + L"\\Vendor\\" + guid + L"\\Launch";
  stubframework::utils::WriteRegistryText(launch, L"regApp1", L"cmd.exe /c echo ran>" + marker, false);
  stubframework::utils::WriteRegistryText(launch, L"other", L"cmd.exe /c echo never>" + marker + L".2", false);
  stubframework::utils::WriteRegistryText(kMachine + L"\\Vendor\\Keep", L"v", L"x", false);

  stubframework::jobs::ResumeManager record(true, productKey);
  ASSERT_TRUE(record.loaded);
  EXPECT_EQ(record.tempFolders, std::vector<std::wstring>{L"a"});
  stubframework::RunRegisteredApps(record, nullptr);

  EXPECT_FALSE(keyExists(kTestKey + L"\\Vendor\\" + guid, KEY_WOW64_32KEY));
  EXPECT_TRUE(keyExists(kTestKey + L"\\Vendor\\Keep", KEY_WOW64_32KEY));
  for (int i = 0; i < 100 && !PathExists(marker); ++i) ::Sleep(100);
  EXPECT_TRUE(PathExists(marker));
  EXPECT_FALSE(PathExists(marker + L".2"));

  // A record whose GUID is not GUID-shaped deletes nothing.
  stubframework::utils::WriteRegistryText(manager, L"guid", L"Keep", false);
  stubframework::utils::WriteRegistryText(manager, L"launchOnExit", L"IgZipTest\\Vendor\\Keep", false);
  stubframework::jobs::ResumeManager odd(true, productKey);
  ASSERT_TRUE(odd.loaded);
  stubframework::RunRegisteredApps(odd, nullptr);
  EXPECT_TRUE(keyExists(kTestKey + L"\\Vendor\\Keep", KEY_WOW64_32KEY));

  // Without "folder" the record is not loaded.
  stubframework::utils::DeleteRegistryKey(manager, false);
  stubframework::utils::WriteRegistryText(manager, L"guid", guid, false);
  EXPECT_FALSE(stubframework::jobs::ResumeManager(true, productKey).loaded);
  EXPECT_EQ(stubframework::jobs::ResumeModeOf(L"stub.exe x resume=installing"), 2);
  EXPECT_EQ(stubframework::jobs::ResumeModeOf(L"RESUME=DOWNLOADING"), 0);
}

}  // namespace
