#include "methods/registry_methods_win.h"

#include <windows.h>
#include <shellapi.h>

#include "core/registry_path.h"
#include "core/registry_search.h"
#include "core/text.h"
#include "jobs/resume_manager_win.h"
#include "methods/external_methods_win.h"
#include "shell/application_win.h"
#include "shell/registry_win.h"

namespace stubframework {
namespace {

constexpr DWORD kCommandNameChars = 50;
constexpr DWORD kCommandDataBytes = 2000;

int AsScriptBool(bool value) { return value ? -1 : 0; }

std::vector<std::wstring> RegisteredCommands(const std::wstring& commandKey) {
  std::vector<std::wstring> commands;
  win::UniqueKey key = utils::OpenRegistryKey(L"HKEY_LOCAL_MACHINE\\" + commandKey, KEY_READ, false);
  if (!key) return commands;
  for (DWORD index = 0;; ++index) {
    wchar_t name[kCommandNameChars];
    DWORD nameLength = kCommandNameChars;
    if (::RegEnumValueW(key.get(), index, name, &nameLength, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    if (std::wstring_view(name, nameLength).substr(0, 6) != L"regApp") continue;
    BYTE data[kCommandDataBytes + sizeof(wchar_t)] = {};
    DWORD size = kCommandDataBytes;
    DWORD type = 0;
    if (::RegQueryValueExW(key.get(), name, nullptr, &type, data, &size) != ERROR_SUCCESS) continue;
    commands.push_back(utils::RegistryDataText(type, data, size));
  }
  return commands;
}

bool StartElevated(const std::wstring& command) {
  int count = 0;
  LPWSTR* arguments = ::CommandLineToArgvW(command.c_str(), &count);
  if (!arguments) return false;
  std::wstring file = count > 0 ? arguments[0] : L"";
  std::wstring parameters;
  for (int i = 1; i < count; ++i) parameters += std::wstring(L" ") + arguments[i];
  ::LocalFree(arguments);
  if (file.empty()) return false;
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_NOASYNC;
  info.lpVerb = L"runas";
  info.lpFile = file.c_str();
  info.lpParameters = parameters.c_str();
  info.nShow = SW_SHOWNORMAL;
  return ::ShellExecuteExW(&info) != FALSE;
}

}  // namespace

void RunRegisteredApps(const jobs::ResumeManager& record, debug::LogWriter* log) {
  if (!record.loaded || record.guid.empty()) return;
  // The GUID names the key that is deleted below HKEY_LOCAL_MACHINE\Software; anything but a
  // GUID there could name a key of other software.
  if (!utils::IsGuidText(record.guid)) {
    if (log) log->error(L"EMStartRegApps: ignored, not a GUID: %s", record.guid.c_str());
    return;
  }
  std::wstring commandKey = L"Software\\" + record.launchOnExit;
  size_t at = commandKey.find(record.guid);
  std::wstring parentKey = at != std::wstring::npos && at > 0 ? commandKey.substr(0, at - 1) : L"Software\\";
  std::vector<std::wstring> commands = RegisteredCommands(commandKey);

  if (win::UniqueKey parent = utils::OpenRegistryKey(L"HKEY_LOCAL_MACHINE\\" + parentKey, KEY_ALL_ACCESS, false))
    ::RegDeleteTreeW(parent.get(), record.guid.c_str());

  for (const std::wstring& command : commands) {
    bool started = StartElevated(command);
    if (log) log->debug(L"EMStartRegApps: %s with result %s", command.c_str(), started ? L"success" : L"failed");
  }
}

void RegisterRegistryMethods(ExternalMethods& methods) {
  methods.registerScript(
      L"setDataToReg", {kFlagsMethod, {VT_BSTR, VT_BSTR, VT_BSTR, VT_BOOL}},
      [&methods](ScriptCall& call) {
        std::wstring path = call.text(0), name = call.text(1), data = call.text(2);
        bool view64 = call.boolean(3);
        utils::WriteRegistryText(path, name, data, view64);
        methods.log()->debug(L"EMSetDataToReg %d, %s, %s, %s", AsScriptBool(view64), data.c_str(), name.c_str(),
                             path.c_str());
        return S_OK;
      },
      L"EMSetDataToReg");

  methods.registerScript(
      L"getDataFromReg", {kFlagsMethodGet, {VT_BSTR, VT_BSTR}},
      [&methods](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        std::wstring path = call.text(0), name = call.text(1), data;
        if (!utils::ReadRegistryText(path, name, data)) data.clear();
        methods.log()->debug(L"EMGetDataFromReg args %s %s, Result %s", name.c_str(), path.c_str(), data.c_str());
        return call.returnText(data);
      },
      L"EMGetDataFromReg");

  methods.registerScript(
      L"deleteRegKey", {kFlagsMethod, {VT_BSTR, VT_BOOL}},
      [&methods](ScriptCall& call) {
        std::wstring path = call.text(0);
        bool view64 = call.boolean(1);
        utils::DeleteRegistryKey(path, view64);
        methods.log()->debug(L"EMDeleteRegKey %d, %s", AsScriptBool(view64), path.c_str());
        return S_OK;
      },
      L"EMDeleteRegKey");

  methods.registerScript(
      L"searchRegKey", {kFlagsMethodGet, {VT_BOOL, VT_BSTR, VT_BSTR, VT_BSTR}},
      [&methods](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        bool view64 = call.boolean(0);
        std::wstring path = call.text(1), list = call.text(2), valueName = call.text(3);
        std::wstring subKey, match;
        HKEY root = utils::ParseRegistryPath(path, subKey);
        std::vector<std::wstring> wanted = utils::SplitText(list, L";");
        bool found = false;
        utils::SearchRegistryTree(root, subKey, view64, L"", wanted, valueName, match, found);
        methods.log()->debug(L"EMSearchRegKey %d %s %s %s", view64 ? 1 : 0, path.c_str(), list.c_str(),
                             valueName.c_str());
        call.returnBool(found);
        return S_OK;
      },
      L"EMSearchRegKey");

  methods.registerScript(
      L"getBaseRegKey", {kFlagsMethod, {}},
      [&methods](ScriptCall& call) {
        if (!call.wantsResult()) return S_OK;
        core::ApplicationData& data = methods.application()->data();
        std::wstring key = utils::ProductRegistryKey(data.productId(), data.productVersion());
        methods.log()->debug(L"EMGetBaseRegKey %s", key.c_str());
        return call.returnText(key);
      },
      L"EMGetBaseRegKey");

  methods.registerScript(L"startRegApps", {kFlagsMethod, {}}, [&methods](ScriptCall&) {
    methods.log()->debug(L"EMStartRegApps");
    jobs::ResumeManager record(jobs::CurrentResumeMode() != 0, methods.application()->data());
    RunRegisteredApps(record, methods.log());
    return S_OK;
  });
}

}  // namespace stubframework
