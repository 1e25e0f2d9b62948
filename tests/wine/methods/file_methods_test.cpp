// The file and path methods against real files under Wine.
#include <windows.h>
#include <winioctl.h>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "method_fixture.h"
#include "core/text.h"
#include "shell/win_raii.h"
#include "support/wine_support.h"
#include "zip_fixture.h"

using namespace testing_support;

namespace {

constexpr WORD kMethod = 1, kGet = 3;

class FileMethods : public method_fixture::Methods {
 protected:
  std::wstring crc(const std::wstring& path) { return text(L"getCrc", kGet, {Text(path)}); }
  std::wstring version(const std::wstring& extension, const std::wstring& path, const wchar_t* method = L"getFileVersion") {
    return text(method, kGet, {Text(extension), Text(path)});
  }
  ScratchFolder scratch;
};

TEST_F(FileMethods, CrcOfMissingEmptyLockedAndKnownFiles) {
  std::wstring empty = scratch.path() + L"empty.bin", known = scratch.path() + L"known.txt";
  ASSERT_TRUE(WriteFileBytes(empty, ""));
  ASSERT_TRUE(WriteFileBytes(known, "123456789"));
  EXPECT_EQ(crc(empty), L"0");
  EXPECT_EQ(crc(scratch.path() + L"missing.bin"), L"0");
  EXPECT_EQ(crc(known), L"3421780262");
  {
    stubframework::win::UniqueHandle lock(
        ::CreateFileW(known.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(lock);
    EXPECT_EQ(crc(known), L"0");
    EXPECT_EQ(text(L"getFileSize", kGet, {Text(known)}), L"0");
  }
  EXPECT_EQ(text(L"getFileSize", kGet, {Text(known)}), L"9");
  // More than one 1 MiB read.
  std::string big(3 * 1048576 + 17, 'b');
  ASSERT_TRUE(WriteFileBytes(known, big));
  EXPECT_EQ(crc(known), std::to_wstring(stubframework::zip::Crc32(0, big.data(), big.size())));
}

TEST_F(FileMethods, SizeAboveFourGiB) {
  std::wstring path = scratch.path() + L"sparse.bin";
  {
    stubframework::win::UniqueHandle file(
        ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    ASSERT_TRUE(file);
    DWORD returned = 0;
    ::DeviceIoControl(file.get(), FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &returned, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = 5LL * 1024 * 1024 * 1024 + 3;
    ASSERT_TRUE(::SetFilePointerEx(file.get(), size, nullptr, FILE_BEGIN));
    ASSERT_TRUE(::SetEndOfFile(file.get()));
  }
  EXPECT_EQ(text(L"getFileSize", kGet, {Text(path)}), L"5368709123");
  EXPECT_EQ(text(L"getFileSize", kGet, {Text(scratch.path() + L"missing")}), L"0");
}

TEST_F(FileMethods, VersionsOfPackagesAndExecutables) {
  std::wstring msi = BinFolder() + L"ig_version_fixture.msi";
  ASSERT_TRUE(PathExists(msi));
  EXPECT_EQ(version(L".msi", msi), L"3.14.15");
  EXPECT_EQ(version(L".MSI", msi, L"getFileVersionEx"), L"3.14.15");
  std::wstring stub = BinFolder() + L"IdeagroveSetup.exe";
  EXPECT_EQ(version(L".exe", stub), L"25.0.0.0");
  EXPECT_EQ(version(L".EXE", stub, L"getFileVersionEx"), L"25.0.0.0");
  // Another extension answers "" whatever the file holds.
  EXPECT_EQ(version(L".dll", stub), L"");
  EXPECT_EQ(version(L".exe", BinFolder() + L"wine_tests.exe"), L"") << "no version resource";
  EXPECT_EQ(version(L".msi", stub), L"");
  EXPECT_EQ(version(L".exe", scratch.path() + L"missing.exe"), L"");
}

TEST_F(FileMethods, FoldersAndPaths) {
  std::wstring first = text(L"getTempPath", kGet, {Text(L"")});
  EXPECT_EQ(first, text(L"getTempPath", kGet, {Text(L"")}));
  ASSERT_GE(first.size(), 10u);
  EXPECT_EQ(first.substr(first.size() - 10), L"Ideagrove\\");
  EXPECT_TRUE(PathExists(first));
  std::wstring named = text(L"getTempPath", kGet, {Text(L"IgZipNamed")});
  EXPECT_EQ(named.substr(named.size() - 11), L"IgZipNamed\\");
  ::RemoveDirectoryW(named.c_str());

  EXPECT_FALSE(boolean(L"createDirectory", kGet, {Text(scratch.path())}));
  std::wstring deep = scratch.path() + L"a\\b\\c";
  EXPECT_TRUE(boolean(L"createDirectory", kGet, {Text(deep)}));
  EXPECT_TRUE(boolean(L"isFileExists", kGet, {Text(deep)}));
  EXPECT_FALSE(boolean(L"isFileExists", kGet, {Text(deep + L"\\none")}));

  std::wstring from = scratch.path() + L"from.txt", to = scratch.path() + L"to.txt";
  WriteFileBytes(from, "x");
  WriteFileBytes(scratch.path() + L"taken.txt", "y");
  EXPECT_FALSE(boolean(L"renameFile", kGet, {Text(from), Text(scratch.path() + L"taken.txt")}));
  EXPECT_TRUE(boolean(L"renameFile", kGet, {Text(from), Text(to)}));
  EXPECT_EQ(ReadFileBytes(to), "x");

  std::wstring system = text(L"getSystemFolder", kMethod, {});
  EXPECT_FALSE(system.empty());
  EXPECT_EQ(text(L"getSystemFolderEx", kGet, {Text(L"any"), Int(3)}), system);
  std::wstring bin = BinFolder();
  EXPECT_EQ(text(L"getCurrentPath", kMethod, {}), bin.substr(0, bin.size() - 1));
  EXPECT_NE(text(L"getDiskAvailableSpace", kGet, {Text(scratch.path())}), L"0");
  EXPECT_EQ(text(L"getDiskAvailableSpace", kGet, {Text(scratch.path() + L"none\\")}), L"0");
  EXPECT_FALSE(text(L"getDesktopPath", kMethod, {}).empty());
  application.htmlExternal().setPageProperty(L"resourceLocation", L"C:\\bundle\\");
  EXPECT_EQ(text(L"getResourceLocation", kMethod, {}), L"C:\\bundle\\");
}

BOOL CALLBACK FindOwnDialog(HWND window, LPARAM out) {
  DWORD process = 0;
  ::GetWindowThreadProcessId(window, &process);
  wchar_t name[64] = {};
  ::GetClassNameW(window, name, 64);
  if (process == ::GetCurrentProcessId() && ::IsWindowVisible(window) && wcscmp(name, L"#32770") == 0) {
    *reinterpret_cast<HWND*>(out) = window;
    return FALSE;
  }
  return TRUE;
}

// Closes every dialog box of this process that appears.
void DismissDialogs(std::atomic<bool>& stop, std::atomic<int>& dismissed) {
  while (!stop) {
    HWND dialog = nullptr;
    ::EnumWindows(FindOwnDialog, reinterpret_cast<LPARAM>(&dialog));
    if (dialog) {
      ::PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
      ::PostMessageW(dialog, WM_CLOSE, 0, 0);
      ++dismissed;
    }
    ::Sleep(200);
  }
}

TEST_F(FileMethods, CancelledPickerReturnsItsArgument) {
  stubframework::win::ComApartment apartment(COINIT_APARTMENTTHREADED);
  std::atomic<bool> stop{false};
  std::atomic<int> dismissed{0};
  std::thread closer(DismissDialogs, std::ref(stop), std::ref(dismissed));
  std::wstring missing = L"C:\\No\\Such\\Folder";
  std::wstring existing = scratch.path();
  EXPECT_EQ(text(L"selectFolder", kGet, {Text(missing)}), missing);
  EXPECT_EQ(text(L"selectFolder", kGet, {Text(existing)}), existing);
  stop = true;
  closer.join();
  EXPECT_GE(dismissed.load(), 1);
}

// Child: prints what getEmbeddedDataFromCurrentExe(length) answers into the file argv[0].
int EmbeddedChild(int argc, char** argv) {
  if (argc < 2) return 3;
  stubframework::core::Application application(nullptr);
  myexternalmethods::MyExternalMethods methods(&application);
  application.htmlExternal().publish(methods);
  VARIANT result;
  ::VariantInit(&result);
  HRESULT hr = testing_support::ScriptCaller(&application.htmlExternal())
                   .call(L"getEmbeddedDataFromCurrentExe", 3, {testing_support::ScriptCaller::Int(atoi(argv[1]))}, &result);
  std::wstring text = result.vt == VT_BSTR && result.bstrVal ? result.bstrVal : L"";
  ::VariantClear(&result);
  std::wstring out(argv[0], argv[0] + strlen(argv[0]));
  return WriteFileBytes(out, stubframework::utils::ToUtf8(text)) && hr == S_OK ? 0 : 4;
}
const bool kEmbeddedChild = RegisterChild("embedded", EmbeddedChild);

TEST_F(FileMethods, EmbeddedTextOfTheRunningExecutable) {
  std::string self = ReadFileBytes(BinFolder() + L"wine_tests.exe");
  ASSERT_FALSE(self.empty());
  std::string withText = self;
  zip_fixture::AppendCertificateTable(withText, 1024, "partner=\xC3\xA9t\xC3\xA9;x");
  std::string outside = withText;
  size_t entry = zip_fixture::CertificateEntryOffset(outside);
  zip_fixture::Set32(outside, entry + 4, zip_fixture::Get32(outside, entry + 4) + 4096);
  std::string recordOutside = withText;
  zip_fixture::Set32(recordOutside, zip_fixture::Get32(recordOutside, entry), 0x7FFFFFFF);

  auto run = [&](const std::string& image, const char* name, int length) {
    std::wstring exe = scratch.path() + std::wstring(name, name + strlen(name)) + L".exe";
    if (!PathExists(exe)) WriteFileBytes(exe, image);
    std::wstring out = scratch.path() + L"out.txt";
    ::DeleteFileW(out.c_str());
    ProgramRun ran = RunProgram(exe, L"--child embedded " + out + L" " + std::to_wstring(length));
    EXPECT_TRUE(ran.finished);
    EXPECT_EQ(ran.exitCode, 0u);
    return ReadFileBytes(out);
  };
  EXPECT_EQ(run(withText, "with", 7), "partner");
  EXPECT_EQ(run(withText, "with", 13), "partner=\xC3\xA9t\xC3\xA9;x");
  EXPECT_EQ(run(withText, "with", 14), "") << "longer than the text";
  EXPECT_EQ(run(withText, "with", 0), "");
  EXPECT_EQ(run(withText, "with", -1), "");
  EXPECT_EQ(run(self, "plain", 1), "");
  EXPECT_EQ(run(outside, "outside", 1), "");
  EXPECT_EQ(run(recordOutside, "record", 1), "");
}

}  // namespace
