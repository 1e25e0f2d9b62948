#pragma once
// The page bundle: the ZIP archive appended to the executable, unpacked into a fresh temporary
// folder for the run and deleted at its end. The same unpacking serves downloaded ZIP packages.
#include <windows.h>

#include <string>

#include "core/log_format.h"
#include "zip/zip_reader.h"
#include "zip/zip_reporter.h"

namespace stubframework::core {

// Unpacks every entry of the archive found in the open file into `targetFolder` (created with
// its parents). With a reporter: entryProgress(i, n) before each entry and (n, n) at the end,
// also after a failure. Stops at the first entry that fails.
bool unpackArchive(HANDLE file, const std::wstring& targetFolder, zip::ZipReporter* reporter);
// One entry: a folder entry is created; a file entry is written and, when it fails (a bad name,
// a name that would leave the target folder, a read, write, size or CRC failure), deleted again.
bool unpackEntry(const zip::ZipReader& archive, size_t index, const std::wstring& targetFolder,
                 zip::ZipReporter* reporter);

class BundleFolder {
 public:
  // Makes the folder and unpacks the running executable's archive into it.
  explicit BundleFolder(debug::LogWriter& logger);
  // The same from another executable file (for tests of built executables).
  BundleFolder(debug::LogWriter& logger, const std::wstring& executablePath);
  // Deletes the folder with everything in it.
  ~BundleFolder();
  BundleFolder(const BundleFolder&) = delete;
  BundleFolder& operator=(const BundleFolder&) = delete;

  // True once the whole bundle was unpacked.
  bool loaded() const { return loaded_; }
  // Ends with a backslash; empty when no folder was made.
  const std::wstring& path() const { return path_; }

 private:
  void load(const std::wstring* executablePath);

  bool loaded_ = false;
  std::wstring path_;
  debug::LogWriter& logger_;
};

}  // namespace stubframework::core
