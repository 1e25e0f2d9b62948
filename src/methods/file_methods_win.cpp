#include "methods/file_methods_win.h"

#include <msi.h>
#include <msiquery.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>
#include <shellapi.h>

#include <memory>

#include "core/text.h"
#include "core/wide_format.h"
#include "methods/external_methods_win.h"
#include "shell/application_win.h"
#include "shell/file_system_win.h"
#include "shell/win_raii.h"
#include "zip/pe_certificate.h"
#include "zip/zip_file_win.h"

namespace stubframework {
namespace {

struct MsiHandle {
  MSIHANDLE handle = 0;
  ~MsiHandle() {
    if (handle) ::MsiCloseHandle(handle);
  }
};

std::wstring MsiProductVersion(const std::wstring& path) {
  MsiHandle database, view, record;
  if (::MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &database.handle) != ERROR_SUCCESS) return {};
  if (::MsiDatabaseOpenViewW(database.handle, L"SELECT * FROM Property WHERE Property = 'ProductVersion'",
                             &view.handle) != ERROR_SUCCESS)
    return {};
  if (::MsiViewExecute(view.handle, 0) != ERROR_SUCCESS) return {};
  if (::MsiViewFetch(view.handle, &record.handle) != ERROR_SUCCESS) return {};
  wchar_t value[256];
  DWORD length = 256;
  if (::MsiRecordGetStringW(record.handle, 2, value, &length) != ERROR_SUCCESS) return {};
  return std::wstring(value, length);
}

std::wstring ExecutableVersion(const std::wstring& path) {
  DWORD ignored = 0;
  DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return {};
  std::unique_ptr<BYTE[]> data(new BYTE[size]);
  if (!::GetFileVersionInfoW(path.c_str(), 0, size, data.get())) return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT infoSize = 0;
  if (!::VerQueryValueW(data.get(), L"\\", reinterpret_cast<void**>(&info), &infoSize) || !info ||
      infoSize < sizeof(VS_FIXEDFILEINFO))
    return {};
  return utils::FormatWide(L"%d.%d.%d.%d", HIWORD(info->dwFileVersionMS), LOWORD(info->dwFileVersionMS),
                           HIWORD(info->dwFileVersionLS), LOWORD(info->dwFileVersionLS));
}

// The text after "shortcut=" of the first argument that begins with it, from index 0.
bool ShortcutArgument(std::wstring& path) {
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(::GetCommandLineW(), &count);
  if (!arguments) return false;
  bool found = false;
  for (int i = 0; i < count && !found; ++i) {
    std::wstring argument = arguments[i];
    if (argument.rfind(L"shortcut=", 0) == 0) {
      path = argument.substr(9);
      found = true;
    }
  }
  ::LocalFree(arguments);
  return found;
}

std::wstring ExecutablePath() {
  wchar_t buffer[MAX_PATH];
  DWORD length = ::GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  return length > 0 && length < MAX_PATH ? std::wstring(buffer, length) : std::wstring();
}

std::wstring FolderOf(const std::wstring& path) {
  size_t slash = path.find_last_of(L'\\');
  return slash == std::wstring::npos ? path : path.substr(0, slash);
}

// The 32-bit file-system redirection off while it lives, where the platform has it.
class RedirectionOff {
 public:
  RedirectionOff() {
    HMODULE kernel = ::GetModuleHandleW(L"kernel32.dll");
    disable_ = reinterpret_cast<Disable>(reinterpret_cast<void*>(::GetProcAddress(kernel, "Wow64DisableWow64FsRedirection")));
    revert_ = reinterpret_cast<Revert>(reinterpret_cast<void*>(::GetProcAddress(kernel, "Wow64RevertWow64FsRedirection")));
    active_ = disable_ && revert_ && disable_(&old_);
  }
  ~RedirectionOff() {
    if (active_) revert_(old_);
  }
  RedirectionOff(const RedirectionOff&) = delete;
  RedirectionOff& operator=(const RedirectionOff&) = delete;

 private:
  using Disable = BOOL(WINAPI*)(PVOID*);
  using Revert = BOOL(WINAPI*)(PVOID);
  Disable disable_ = nullptr;
  Revert revert_ = nullptr;
  PVOID old_ = nullptr;
  bool active_ = false;
};

}  // namespace

std::wstring FileVersionText(const std::wstring& extension, const std::wstring& path) {
  if (utils::EqualsIgnoreCase(extension, L".MSI")) return MsiProductVersion(path);
  if (utils::EqualsIgnoreCase(extension, L".EXE")) return ExecutableVersion(path);
  return {};
}

std::wstring SystemFolder() {
  std::unique_ptr<wchar_t[]> buffer(new wchar_t[32767]);
  UINT length = ::GetSystemDirectoryW(buffer.get(), 32767);
  return length > 0 && length < 32767 ? std::wstring(buffer.get(), length) : std::wstring();
}

std::wstring PickFolder(HWND owner, const std::wstring& initial) {
  win::ComPtr<IFileOpenDialog> dialog;
  if (SUCCEEDED(::CoCreateInstance(CLSID_FileOpenDialog, nullptr, CLSCTX_INPROC_SERVER, IID_IFileOpenDialog,
                                   dialog.putVoid()))) {
    FILEOPENDIALOGOPTIONS options = 0;
    dialog->GetOptions(&options);
    dialog->SetOptions(options | FOS_PICKFOLDERS | FOS_FORCEFILESYSTEM);
    win::ComPtr<IShellItem> start;
    if (!initial.empty() &&
        SUCCEEDED(::SHCreateItemFromParsingName(initial.c_str(), nullptr, IID_IShellItem, start.putVoid())))
      dialog->SetFolder(start.get());
    if (FAILED(dialog->Show(owner))) return initial;
    win::ComPtr<IShellItem> chosen;
    if (FAILED(dialog->GetResult(chosen.put()))) return initial;
    PWSTR name = nullptr;
    if (FAILED(chosen->GetDisplayName(SIGDN_DESKTOPABSOLUTEPARSING, &name)) || !name) return initial;
    std::wstring result = name;
    ::CoTaskMemFree(name);
    return result;
  }
  BROWSEINFOW browse{};
  browse.hwndOwner = owner;
  browse.ulFlags = BIF_NEWDIALOGSTYLE;
  PIDLIST_ABSOLUTE item = ::SHBrowseForFolderW(&browse);
  if (!item) return initial;
  wchar_t path[MAX_PATH];
  bool ok = ::SHGetPathFromIDListW(item, path) != FALSE;
  ::CoTaskMemFree(item);
  return ok ? std::wstring(path) : initial;
}

bool EmbeddedTextOfFile(const std::wstring& path, std::wstring& text) {
  win::UniqueHandle file(
      ::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  LARGE_INTEGER size;
  if (!::GetFileSizeEx(file.get(), &size)) return false;
  std::optional<std::wstring> read =
      zip::ReadEmbeddedText(static_cast<uint64_t>(size.QuadPart), zip::FileReadFunction(file.get(), nullptr));
  if (!read) return false;
  text = std::move(*read);
  return true;
}

void RegisterFileVersionMethod(ExternalMethods& methods, const std::wstring& name, bool noRedirection) {
  methods.registerScript(
      name, {kFlagsMethodGet, {VT_BSTR, VT_BSTR}},
      [&methods, noRedirection](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        std::wstring extension = call.text(0), path = call.text(1), version;
        if (noRedirection) {
          RedirectionOff off;
          version = FileVersionText(extension, path);
        } else {
          version = FileVersionText(extension, path);
        }
        methods.log()->debug(L"EMGetMSIFileVersion args %s, Result %s", path.c_str(), version.c_str());
        return call.returnText(version);
      },
      L"EMGetMSIFileVersion");
}

void RegisterSystemFolderMethods(ExternalMethods& methods) {
  RegisterFileVersionMethod(methods, L"getFileVersionEx", true);
  // One handler under two names; it takes any call.
  ScriptHandler systemFolder = [](WORD, DISPPARAMS* params, VARIANT* result) -> HRESULT {
    return ScriptCall(params, result).returnText(SystemFolder());
  };
  methods.registerMethod(L"getSystemFolder", systemFolder);
  methods.registerMethod(L"getSystemFolderEx", systemFolder);
}

void RegisterFileMethods(ExternalMethods& methods) {
  methods.registerScript(L"isFileExists", {kFlagsMethodGet, {VT_BSTR}}, [&methods](ScriptCall& call) {
    if (!call.wantsResult()) return S_OK;
    std::wstring path = call.text(0);
    bool exists = ::PathFileExistsW(path.c_str()) != FALSE;
    methods.log()->debug(L"args: %s, Result: %s", path.c_str(), exists ? L"exist" : L"not exist");
    call.returnBool(exists);
    return S_OK;
  });

  methods.registerScript(L"createDirectory", {kFlagsMethodGet, {VT_BSTR}}, [&methods](ScriptCall& call) {
    if (!call.wantsResult()) return S_OK;
    std::wstring path = call.text(0);
    call.returnBool(::SHCreateDirectoryExW(methods.window(), path.c_str(), nullptr) == ERROR_SUCCESS);
    return S_OK;
  });

  methods.registerScript(
      L"getFileSize", {kFlagsMethodGet, {VT_BSTR}},
      [&methods](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        std::wstring text = L"0";
        win::UniqueHandle file(::CreateFileW(call.text(0).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        LARGE_INTEGER size;
        if (file && ::GetFileSizeEx(file.get(), &size))
          text = std::to_wstring(static_cast<unsigned long long>(size.QuadPart));
        methods.log()->debug(L"EMGetFileSize %s", text.c_str());
        return call.returnText(text);
      },
      L"EMGetFileSize");

  RegisterFileVersionMethod(methods, L"getFileVersion", false);

  methods.registerScript(
      L"getCrc", {kFlagsMethodGet, {VT_BSTR}},
      [&methods](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        std::wstring path = call.text(0);
        uint32_t crc = 0;
        utils::FileCrc32(path, crc);
        std::wstring text = utils::FormatWide(L"%u", crc);
        methods.log()->debug(L"EMGetCRC args %s, Result %s", path.c_str(), text.c_str());
        return call.returnText(text);
      },
      L"EMGetCRC");

  methods.registerScript(
      L"renameFile", {kFlagsMethodGet, {VT_BSTR, VT_BSTR}},
      [&methods](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        std::wstring from = call.text(0), to = call.text(1);
        bool moved = ::MoveFileW(from.c_str(), to.c_str()) != FALSE;
        methods.log()->debug(L"EMRenameFile args oldFileName:%s, newFileName:%s, Result: %d", from.c_str(), to.c_str(),
                             moved ? 0 : -1);
        call.returnBool(moved);
        return S_OK;
      },
      L"EMRenameFile");

  methods.registerScript(
      L"getCurrentPath", {kFlagsMethod, {}},
      [&methods](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        std::wstring shortcut, folder;
        if (ShortcutArgument(shortcut) && shortcut.find(L'\\') != std::wstring::npos)
          folder = shortcut.substr(0, shortcut.find_last_of(L'\\'));
        else
          folder = FolderOf(ExecutablePath());
        methods.log()->debug(L"EMGetCurrentPath %s", folder.c_str());
        return call.returnText(folder);
      },
      L"EMGetCurrentPath");

  methods.registerScript(
      L"getDesktopPath", {kFlagsMethod, {}},
      [&methods](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        wchar_t buffer[MAX_PATH] = {};
        std::wstring desktop;
        if (SUCCEEDED(::SHGetFolderPathW(nullptr, CSIDL_DESKTOPDIRECTORY, nullptr, SHGFP_TYPE_CURRENT, buffer)))
          desktop = buffer;
        methods.log()->debug(L"EMGetDesktopPath %s", desktop.c_str());
        return call.returnText(desktop);
      },
      L"EMGetDesktopPath");

  methods.registerScript(
      L"getTempPath", {kFlagsMethodGet, {VT_BSTR}},
      [&methods](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        std::wstring name = call.text(0), folder;
        if (name.empty()) name = methods.application()->data().productId();
        if (!utils::NamedTempFolder(name, folder)) folder.clear();
        methods.log()->debug(L"EMGetTempPath %s", folder.c_str());
        return call.returnText(folder);
      },
      L"EMGetTempPath");

  methods.registerScript(
      L"getDiskAvailableSpace", {kFlagsMethodGet, {VT_BSTR}},
      [&methods](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        std::wstring path = call.text(0), text = L"0";
        ULARGE_INTEGER totalFree;
        if (::GetDiskFreeSpaceExW(path.c_str(), nullptr, nullptr, &totalFree))
          text = std::to_wstring(static_cast<unsigned long long>(totalFree.QuadPart));
        methods.log()->debug(L"EMGetDiskAvailableSpace args %s, Result %s", path.c_str(), text.c_str());
        return call.returnText(text);
      },
      L"EMGetDiskAvailableSpace");

  methods.registerScript(L"getResourceLocation", {kFlagsMethod, {}}, [&methods](ScriptCall& call) {
    if (!call.wantsResult()) return S_OK;
    return call.returnText(methods.application()->htmlExternal().getPageProperty(L"resourceLocation"));
  });

  methods.registerScript(
      L"selectFolder", {kFlagsMethodGet, {VT_BSTR}},
      [&methods](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        std::wstring initial = call.text(0);
        std::wstring chosen = PickFolder(methods.window(), initial);
        methods.log()->debug(L"EMSelectFolder args %s, Result %s", initial.c_str(), chosen.c_str());
        return call.returnText(chosen);
      },
      L"EMSelectFolder");

  methods.registerScript(L"getEmbeddedDataFromCurrentExe", {kFlagsMethodGet, {VT_I4}}, [&methods](ScriptCall& call) {
    int32_t length = call.integer(0);
    methods.log()->debug(L"EMGetEmbeddedDataFromCurrentExe size : %d", length);
    if (!call.wantsResult()) return S_OK;
    std::wstring text, result;
    if (EmbeddedTextOfFile(ExecutablePath(), text) && length > 0 && text.size() >= static_cast<size_t>(length))
      result = text.substr(0, static_cast<size_t>(length));
    methods.log()->debug(L"EMGetEmbeddedDataFromCurrentExe Result : %s", result.c_str());
    return call.returnText(result);
  });
}

}  // namespace stubframework
