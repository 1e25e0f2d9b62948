#include "support/wine_support.h"

#include <fstream>
#include <sstream>

#include "shell/file_system_win.h"

namespace testing_support {

std::wstring BinFolder() {
  wchar_t path[MAX_PATH];
  DWORD length = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring text(path, length);
  return text.substr(0, text.find_last_of(L'\\') + 1);
}

namespace {

// An environment block: this process's variables with the overrides applied.
std::vector<wchar_t> EnvironmentBlock(const std::map<std::wstring, std::wstring>& overrides) {
  std::map<std::wstring, std::wstring> variables;
  if (wchar_t* block = ::GetEnvironmentStringsW()) {
    for (wchar_t* p = block; *p; p += wcslen(p) + 1) {
      std::wstring entry = p;
      size_t eq = entry.find(L'=', 1);
      if (eq != std::wstring::npos) variables[entry.substr(0, eq)] = entry.substr(eq + 1);
    }
    ::FreeEnvironmentStringsW(block);
  }
  for (const auto& [name, value] : overrides) variables[name] = value;
  std::vector<wchar_t> out;
  for (const auto& [name, value] : variables) {
    std::wstring entry = name + L"=" + value;
    out.insert(out.end(), entry.begin(), entry.end());
    out.push_back(L'\0');
  }
  out.push_back(L'\0');
  return out;
}

HANDLE Start(const std::wstring& program, const std::wstring& arguments,
             const std::map<std::wstring, std::wstring>& environment) {
  std::wstring commandLine = L"\"" + program + L"\" " + arguments;
  std::vector<wchar_t> mutableLine(commandLine.begin(), commandLine.end());
  mutableLine.push_back(L'\0');
  std::vector<wchar_t> block = EnvironmentBlock(environment);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!::CreateProcessW(program.c_str(), mutableLine.data(), nullptr, nullptr, FALSE, CREATE_UNICODE_ENVIRONMENT,
                        block.data(), nullptr, &startup, &info))
    return nullptr;
  ::CloseHandle(info.hThread);
  return info.hProcess;
}

ProgramRun Wait(HANDLE process, std::chrono::milliseconds timeout) {
  ProgramRun run;
  if (!process) return run;
  if (::WaitForSingleObject(process, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0) {
    run.finished = true;
    ::GetExitCodeProcess(process, &run.exitCode);
  }
  return run;
}

}  // namespace

ProgramRun RunProgram(const std::wstring& program, const std::wstring& arguments,
                      const std::map<std::wstring, std::wstring>& environment, std::chrono::milliseconds timeout) {
  StartedProgram started(program, arguments, environment);
  return started.wait(timeout);
}

StartedProgram::StartedProgram(const std::wstring& program, const std::wstring& arguments,
                               const std::map<std::wstring, std::wstring>& environment)
    : process_(Start(program, arguments, environment)) {}

StartedProgram::~StartedProgram() {
  if (!process_) return;
  if (::WaitForSingleObject(process_, 0) != WAIT_OBJECT_0) ::TerminateProcess(process_, 1);
  ::CloseHandle(process_);
}

ProgramRun StartedProgram::wait(std::chrono::milliseconds timeout) { return Wait(process_, timeout); }

ScratchFolder::ScratchFolder() { stubframework::utils::MakeUniqueTempFolder(path_); }
ScratchFolder::~ScratchFolder() {
  if (!path_.empty()) stubframework::utils::DeleteFolderTree(path_);
}

std::optional<std::wstring> ReadRegistryString(HKEY root, const std::wstring& subKey, const std::wstring& name,
                                               REGSAM view) {
  HKEY key;
  if (::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_QUERY_VALUE | view, &key) != ERROR_SUCCESS) return std::nullopt;
  wchar_t data[2048] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  DWORD type = 0;
  LONG result = ::RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(data), &size);
  ::RegCloseKey(key);
  if (result != ERROR_SUCCESS) return std::nullopt;
  return std::wstring(data);
}

void DeleteRegistryTree(HKEY root, const std::wstring& subKey, REGSAM view) {
  HKEY key;
  if (::RegOpenKeyExW(root, subKey.c_str(), 0, KEY_ALL_ACCESS | view, &key) != ERROR_SUCCESS) return;
  ::RegDeleteTreeW(key, nullptr);
  ::RegCloseKey(key);
  std::wstring parent = subKey.substr(0, subKey.find_last_of(L'\\'));
  std::wstring leaf = subKey.substr(subKey.find_last_of(L'\\') + 1);
  if (::RegOpenKeyExW(root, parent.c_str(), 0, KEY_ALL_ACCESS | view, &key) == ERROR_SUCCESS) {
    ::RegDeleteKeyW(key, leaf.c_str());
    ::RegCloseKey(key);
  }
}

std::string ReadFileBytes(const std::wstring& path) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return {};
  std::string bytes;
  char buffer[65536];
  DWORD got = 0;
  while (::ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
  ::CloseHandle(file);
  return bytes;
}

bool WriteFileBytes(const std::wstring& path, const std::string& bytes) {
  HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  bool ok = ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
            written == bytes.size();
  ::CloseHandle(file);
  return ok;
}

std::vector<std::wstring> ListFolder(const std::wstring& folder) {
  std::vector<std::wstring> names;
  std::wstring prefix = folder;
  if (!prefix.empty() && prefix.back() != L'\\') prefix += L'\\';
  WIN32_FIND_DATAW data;
  HANDLE find = ::FindFirstFileW((prefix + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = data.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (::FindNextFileW(find, &data));
  ::FindClose(find);
  return names;
}

bool PathExists(const std::wstring& path) { return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

namespace {

std::map<std::string, ChildRoutine>& Children() {
  static std::map<std::string, ChildRoutine> children;
  return children;
}

}  // namespace

bool RegisterChild(const char* name, ChildRoutine routine) {
  Children()[name] = routine;
  return true;
}

int RunChild(const char* name, int argc, char** argv) {
  auto found = Children().find(name);
  return found == Children().end() ? 255 : found->second(argc, argv);
}

ProgramRun RunChildProgram(const std::string& name, const std::wstring& arguments,
                           std::chrono::milliseconds timeout) {
  wchar_t self[MAX_PATH];
  DWORD length = ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  return RunProgram(std::wstring(self, length), L"--child " + std::wstring(name.begin(), name.end()) + L" " + arguments,
                    {}, timeout);
}

}  // namespace testing_support
