#pragma once
// Facts of the product compiled into the executable.
#include <cstdint>

namespace stubframework {

inline constexpr const wchar_t* kProductId = L"Ideagrove";
inline constexpr const wchar_t* kProductVersion = L"25.0.0";
inline constexpr const wchar_t* kClientVersion = L"1.0";
inline constexpr const wchar_t* kDefaultChannel = L"test";
inline constexpr const wchar_t* kInstanceMutexName = L"QuillonStubFramework";
inline constexpr const wchar_t* kWindowClassName = L"HTMLUI";
inline constexpr int32_t kRelaunchExitCode = 197800;
// Marks an integer field of the application data record as not yet known.
inline constexpr int32_t kUnsetMarker = 2147483647;
inline constexpr int32_t kInitialInstallStatus = 4;

}  // namespace stubframework
