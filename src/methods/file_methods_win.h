#pragma once
#include <windows.h>

#include <string>

namespace stubframework {
class ExternalMethods;

// isFileExists, createDirectory, getFileSize, getFileVersion, getCrc, renameFile, getCurrentPath,
// getDesktopPath, getTempPath, getDiskAvailableSpace, getResourceLocation, selectFolder,
// getEmbeddedDataFromCurrentExe.
void RegisterFileMethods(ExternalMethods& methods);

// The version text of a file by its extension: ".MSI" the package's ProductVersion, ".EXE" the
// file version of its version resource; "" otherwise and on any failure.
std::wstring FileVersionText(const std::wstring& extension, const std::wstring& path);
// The handler of getFileVersion and getFileVersionEx; `noRedirection` turns the 32-bit file
// system redirection off for the call.
void RegisterFileVersionMethod(ExternalMethods& methods, const std::wstring& name, bool noRedirection);
// The product's system-folder methods: getFileVersionEx, getSystemFolder, getSystemFolderEx.
void RegisterSystemFolderMethods(ExternalMethods& methods);
// The system folder as the platform gives it.
std::wstring SystemFolder();

// The folder picker owned by `owner`; `initial` when cancelled or when no picker works.
std::wstring PickFolder(HWND owner, const std::wstring& initial);
// The embedded text of the certificate table of an executable file; false when it cannot be
// read (see ReadEmbeddedText).
bool EmbeddedTextOfFile(const std::wstring& path, std::wstring& text);

}  // namespace stubframework
