#pragma once
// The page property store: named text values shared by the pages, the jobs and the shell.
// Every access holds the store's lock for the whole lookup and copy, never longer.
#include <cstdint>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

namespace stubframework::core {

class PropertyStore {
 public:
  void set(const std::wstring& name, const std::wstring& value);
  // A copy of the value; an absent name is added with an empty value.
  std::wstring get(const std::wstring& name);
  // Every property in key order (the order of the exit dump).
  std::vector<std::pair<std::wstring, std::wstring>> snapshot() const;

  // Progress counters: unsigned decimal text in, signed 32-bit (clamped) out.
  void setCounter(const std::wstring& name, uint32_t value);
  int32_t getCounter(const std::wstring& name);

 private:
  mutable std::mutex lock_;
  std::map<std::wstring, std::wstring> values_;
};

inline constexpr const wchar_t* kDownloadTotal = L"downloadTotal";
inline constexpr const wchar_t* kDownloadCurrent = L"downloadCurrent";
inline constexpr const wchar_t* kInstallTotal = L"installTotal";
inline constexpr const wchar_t* kInstallCurrent = L"installCurrent";

}  // namespace stubframework::core
