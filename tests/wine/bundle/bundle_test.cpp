// Unpacking the page bundle from real executables that the test builds: the linked stub
// without its archive, with an archive appended, and with a certificate table after it.
#include <gtest/gtest.h>

#include <vector>

#include "htmlui/html_external_win.h"
#include "shell/application_win.h"
#include "shell/bundle_folder_win.h"
#include "shell/win_raii.h"
#include "support/wine_support.h"
#include "zip_fixture.h"

using namespace testing_support;
using namespace stubframework;

namespace {

struct RecordingLog : debug::LogWriter {
  std::vector<std::wstring> lines;
  void writeMessage(int, const std::wstring& message) override { lines.push_back(message); }
  bool has(const std::wstring& line) const {
    for (const auto& l : lines)
      if (l.find(line) != std::wstring::npos) return true;
    return false;
  }
};

const zip_fixture::Files kBundle = {
    {"Load.html", "<html><head><title>Load</title></head><body></body></html>"},
    {"common/", ""},
    {"common/js/common.js", "var Navigator = {};\n"},
    {"common/img/logo.png", std::string(20000, '\x89')},
    {"pages/Welcome/page.html", "<title>Welcome</title>"},
};

class Bundle : public ::testing::Test {
 protected:
  std::string image() { return ReadFileBytes(BinFolder() + L"IdeagroveSetup-nobundle.exe"); }
  std::wstring write(const std::string& bytes, const wchar_t* name) {
    std::wstring path = scratch.path() + name;
    EXPECT_TRUE(WriteFileBytes(path, bytes));
    return path;
  }
  bool unpack(const std::wstring& file, const std::wstring& target, zip::ZipReporter* reporter = nullptr) {
    win::UniqueHandle handle(
        ::CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return handle && core::unpackArchive(handle.get(), target, reporter);
  }
  void expectUnpacked(const std::wstring& folder) {
    for (const auto& [name, data] : kBundle) {
      std::wstring path = folder;
      for (char c : name) path += c == '/' ? L'\\' : static_cast<wchar_t>(c);
      SCOPED_TRACE(name);
      ASSERT_TRUE(PathExists(path));
      if (name.back() != '/') EXPECT_EQ(ReadFileBytes(path), data);
    }
  }
  ScratchFolder scratch;
};

TEST_F(Bundle, UnpacksTheSameWithAndWithoutACertificateTable) {
  std::string plain = image();
  ASSERT_GT(plain.size(), 4096u);
  std::string bundled = plain + zip_fixture::MakeArchive(kBundle);
  std::string signed_ = bundled;
  zip_fixture::AppendCertificateTable(signed_, 10 * 1024, "embedded");

  for (const auto& [bytes, name] : {std::pair{bundled, L"bundled.exe"}, std::pair{signed_, L"signed.exe"}}) {
    SCOPED_TRACE(name);
    std::wstring exe = write(bytes, name);
    RecordingLog log;
    std::wstring folder;
    {
      core::BundleFolder bundle(log, exe);
      ASSERT_TRUE(bundle.loaded());
      folder = bundle.path();
      ASSERT_EQ(folder.back(), L'\\');
      expectUnpacked(folder);
      EXPECT_TRUE(log.has(L"Load Resource from pe finished."));
      EXPECT_TRUE(log.has(L"load resource success, temporary folder path : " + folder));
    }
    EXPECT_FALSE(PathExists(folder)) << "deleted with the bundle";
    EXPECT_FALSE(log.has(L"Delete Temp folder failed!"));
  }
}

TEST_F(Bundle, AnExecutableWithoutAnArchiveFails) {
  std::wstring exe = write(image(), L"plain.exe");
  RecordingLog log;
  core::BundleFolder bundle(log, exe);
  EXPECT_FALSE(bundle.loaded());
  EXPECT_TRUE(log.has(L"Load Resource from pe."));
  EXPECT_TRUE(log.has(L"Load Resource from pe failed."));
  EXPECT_FALSE(bundle.path().empty()) << "the folder stays until exit";

  // The built stub itself carries the packed pages.
  RecordingLog own;
  core::BundleFolder stub(own, BinFolder() + L"IdeagroveSetup.exe");
  ASSERT_TRUE(stub.loaded());
  EXPECT_TRUE(PathExists(stub.path() + L"Load.html"));
  EXPECT_NE(ReadFileBytes(stub.path() + L"Load.html").find("<title>Load</title>"), std::string::npos);
}

TEST_F(Bundle, AStubWithoutItsArchiveEndsTheRunWithStatusTwo) {
  std::wstring exe = write(image(), L"IdeagroveSetup.exe");
  DeleteRegistryTree(HKEY_CURRENT_USER, kProductSubKey);
  ProgramRun run = RunProgram(exe, L"");
  ASSERT_TRUE(run.finished);
  EXPECT_EQ(ReadRegistryString(HKEY_CURRENT_USER, kProductSubKey, L"status"), std::wstring(L"2"));
}

TEST_F(Bundle, AFailedCrcLeavesNoFileAndStops) {
  std::string archive = zip_fixture::MakeArchive({{"a.txt", "first"}, {"bad.txt", "second entry"}, {"c.txt", "third"}});
  // The second central directory entry's CRC.
  size_t directory = zip_fixture::Get32(archive, archive.size() - 22 + 16);
  size_t second = directory + 46 + 5;
  zip_fixture::Set32(archive, second + 16, 0x01020304);
  std::wstring file = write(image() + archive, L"crc.exe");
  std::wstring target = scratch.path() + L"out\\";
  EXPECT_FALSE(unpack(file, target));
  EXPECT_TRUE(PathExists(target + L"a.txt"));
  EXPECT_FALSE(PathExists(target + L"bad.txt"));
  EXPECT_FALSE(PathExists(target + L"c.txt"));
}

TEST_F(Bundle, NamesThatLeaveTheFolderWriteNothingOutside) {
  for (const char* name : {"../../evil.txt", "..\\..\\evil.txt", "C:\\evil.txt", "C:/evil.txt", "/evil.txt",
                           "sub/../../evil.txt"}) {
    SCOPED_TRACE(name);
    std::string archive = zip_fixture::MakeArchive({{"fine.txt", "ok"}, {name, "evil"}});
    std::wstring file = write(archive, L"evil.zip");
    std::wstring target = scratch.path() + L"deep\\target\\";
    EXPECT_FALSE(unpack(file, target));
    EXPECT_TRUE(PathExists(target + L"fine.txt"));
    EXPECT_FALSE(PathExists(scratch.path() + L"evil.txt"));
    EXPECT_FALSE(PathExists(scratch.path() + L"deep\\evil.txt"));
    EXPECT_FALSE(PathExists(L"C:\\evil.txt"));
  }
}

TEST_F(Bundle, TruncatedAndCraftedArchivesFailWithoutACrash) {
  std::string archive = zip_fixture::MakeArchive(kBundle);
  std::string plain = image();
  for (size_t cut : {size_t{22}, archive.size() / 2, archive.size() - 1}) {
    std::wstring file = write(plain + archive.substr(0, cut), L"cut.exe");
    EXPECT_FALSE(unpack(file, scratch.path() + L"cut\\")) << cut;
  }
  std::string oversized = archive;
  zip_fixture::Set32(oversized, oversized.size() - 22 + 12, 0x7FFFFFFF);
  EXPECT_FALSE(unpack(write(oversized, L"big.zip"), scratch.path() + L"big\\"));
}

// Copies the counters after each report, forwarding to window.external.
struct CountingReporter : zip::ZipReporter {
  explicit CountingReporter(core::HtmlExternal& external) : external(external) {}
  void entryProgress(unsigned index, unsigned count) override {
    external.entryProgress(index, count);
    current.push_back(external.getInstallCurrent());
    total.push_back(external.getInstallTotal());
  }
  void ioFailure(unsigned long code) override { external.ioFailure(code); }
  core::HtmlExternal& external;
  std::vector<int32_t> current, total;
};

TEST_F(Bundle, ProgressOfA25EntryPackage) {
  zip_fixture::Files files;
  for (int i = 0; i < 25; ++i) files.push_back({"setup/file" + std::to_string(i) + ".bin", std::string(100 + i, 'p')});
  std::wstring package = write(zip_fixture::MakeArchive(files), L"package.zip");
  core::Application application(nullptr);
  CountingReporter reporter(application.htmlExternal());
  ASSERT_TRUE(unpack(package, scratch.path() + L"package\\", &reporter));
  ASSERT_EQ(reporter.current.size(), 26u);
  for (int i = 0; i < 25; ++i) EXPECT_EQ(reporter.current[i], i / 10) << i;
  EXPECT_EQ(reporter.current[25], 2);
  EXPECT_EQ(reporter.total[25], 25);
  EXPECT_TRUE(PathExists(scratch.path() + L"package\\setup\\file24.bin"));
}

}  // namespace
