#pragma once
// What the Windows tests share: starting programs of ours, reading the registry and files they
// leave, and scratch folders that clean up after themselves.
#include <windows.h>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testing_support {

// The folder of the running test program (the build's bin folder), with a trailing backslash.
std::wstring BinFolder();

struct ProgramRun {
  bool finished = false;
  DWORD exitCode = 0;
};

// Starts `program` with `arguments` and waits. `environment` entries replace or add variables
// of this process's environment for the child only.
ProgramRun RunProgram(const std::wstring& program, const std::wstring& arguments,
                      const std::map<std::wstring, std::wstring>& environment = {},
                      std::chrono::milliseconds timeout = std::chrono::seconds(60));

// A started program that the test waits for or ends itself.
class StartedProgram {
 public:
  StartedProgram(const std::wstring& program, const std::wstring& arguments,
                 const std::map<std::wstring, std::wstring>& environment = {});
  ~StartedProgram();
  bool started() const { return process_ != nullptr; }
  ProgramRun wait(std::chrono::milliseconds timeout);

 private:
  HANDLE process_ = nullptr;
};

// A fresh folder below the temporary path, deleted with everything in it at the end.
class ScratchFolder {
 public:
  ScratchFolder();
  ~ScratchFolder();
  // With a trailing backslash.
  const std::wstring& path() const { return path_; }

 private:
  std::wstring path_;
};

std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                                               REGSAM view = KEY_WOW64_32KEY);
void DeleteRegistryTree(HKEY root, const std::wstring& subKey, REGSAM view = KEY_WOW64_32KEY);

// The stub's product key below HKEY_CURRENT_USER.
inline const wchar_t* kProductSubKey = L"SOFTWARE\\Quillon\\stubframework\\Ideagrove\\25";

std::string ReadFileBytes(const std::wstring& path);
bool WriteFileBytes(const std::wstring& path, const std::string& bytes);
// Names of the entries of a folder (files and folders, without "." and "..").
std::vector<std::wstring> ListFolder(const std::wstring& folder);
bool PathExists(const std::wstring& path);

// Child routines: registered by name at start-up, run by "wine_tests.exe --child NAME ARGS...".
using ChildRoutine = int (*)(int argc, char** argv);
bool RegisterChild(const char* name, ChildRoutine routine);
int RunChild(const char* name, int argc, char** argv);
// Starts this test program as the child NAME with ARGS and waits for it.
ProgramRun RunChildProgram(const std::string& name, const std::wstring& arguments = L"",
                           std::chrono::milliseconds timeout = std::chrono::seconds(60));

}  // namespace testing_support
