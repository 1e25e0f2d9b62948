#include "shell/bundle_folder_win.h"

#include "shell/file_system_win.h"
#include "shell/win_raii.h"
#include "zip/zip_file_win.h"

namespace stubframework::core {
namespace {

constexpr size_t kMaxNameBytes = MAX_PATH - 1;

// The entry's name as a path below the target folder; empty when it cannot be one.
std::wstring EntryPath(const std::string& entryName, const std::wstring& targetFolder) {
  std::string name = entryName.substr(0, kMaxNameBytes);
  if (name.empty()) return {};
  int length = ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), nullptr, 0);
  if (length <= 0) return {};
  std::wstring wide(static_cast<size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_ACP, 0, name.data(), static_cast<int>(name.size()), wide.data(), length);
  for (wchar_t& c : wide)
    if (c == L'/') c = L'\\';
  // Checked on the converted text: that is what the file system sees.
  if (!zip::IsSafeEntryName(wide)) return {};
  std::wstring path = targetFolder;
  if (!path.empty() && path.back() != L'\\') path += L'\\';
  path += wide;
  if (path.size() >= MAX_PATH) return {};
  return path;
}

std::wstring ParentOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

}  // namespace

bool unpackEntry(const zip::ZipReader& archive, size_t index, const std::wstring& targetFolder,
                 zip::ZipReporter* reporter) {
  if (index >= archive.count()) return false;
  const zip::ZipEntry& entry = archive.entry(index);
  std::wstring path = EntryPath(entry.name, targetFolder);
  if (path.empty()) return false;
  if (entry.isFolder()) {
    utils::CreateFolderWithParents(path);
    return true;
  }
  utils::CreateFolderWithParents(ParentOf(path));
  win::UniqueHandle file(
      ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bool ok = archive.extract(index, zip::FileWriteFunction(file.get(), reporter));
  file.reset();
  if (!ok) ::DeleteFileW(path.c_str());
  return ok;
}

bool unpackArchive(HANDLE file, const std::wstring& targetFolder, zip::ZipReporter* reporter) {
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file, &size)) return false;
  zip::ZipReader reader;
  if (!reader.open(static_cast<uint64_t>(size.QuadPart), zip::FileReadFunction(file, reporter))) return false;
  utils::CreateFolderWithParents(targetFolder);
  auto count = static_cast<unsigned>(reader.count());
  bool ok = true;
  for (unsigned i = 0; i < count && ok; ++i) {
    if (reporter) reporter->entryProgress(i, count);
    ok = unpackEntry(reader, i, targetFolder, reporter);
  }
  if (reporter) reporter->entryProgress(count, count);
  reader.close();
  return ok;
}

BundleFolder::BundleFolder(debug::LogWriter& logger) : logger_(logger) { load(nullptr); }

BundleFolder::BundleFolder(debug::LogWriter& logger, const std::wstring& executablePath) : logger_(logger) {
  load(&executablePath);
}

void BundleFolder::load(const std::wstring* executablePath) {
  if (!utils::MakeUniqueTempFolder(path_)) {
    path_.clear();
    logger_.error(L"create temporary folder failed!");
    return;
  }
  logger_.debug(L"Load Resource from pe.");
  std::wstring executable;
  if (executablePath) {
    executable = *executablePath;
  } else {
    wchar_t buffer[MAX_PATH];
    DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
      logger_.error(L"get current app full path failed!");
      return;
    }
    executable.assign(buffer, length);
  }
  win::UniqueHandle file(::CreateFileW(executable.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
  bool ok = file && unpackArchive(file.get(), path_, nullptr);
  file.reset();
  if (!ok) {
    logger_.error(L"Load Resource from pe failed.");
    return;
  }
  logger_.debug(L"Load Resource from pe finished.");
  loaded_ = true;
  logger_.debug(L"load resource success, temporary folder path : %s", path_.c_str());
}

BundleFolder::~BundleFolder() {
  if (path_.empty()) return;
  if (!utils::DeleteFolderTree(path_)) logger_.error(L"Delete Temp folder failed!");
}

}  // namespace stubframework::core
