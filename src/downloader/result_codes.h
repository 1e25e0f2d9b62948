#pragma once
// Result codes of the engine: 32-bit values in the HRESULT convention (0 success, negative
// failure), carried by every task's OnComplete.
#include <cstdint>

namespace downloader {

using Result = std::int32_t;

inline constexpr Result kOk = 0;
inline constexpr Result kAborted = static_cast<Result>(0x80004004);        // segmented download cancelled
inline constexpr Result kFailed = static_cast<Result>(0x80004005);         // meta, hash or verification failure
inline constexpr Result kOutOfMemory = static_cast<Result>(0x8007000E);    // allocation or sub-task creation
inline constexpr Result kShortRead = static_cast<Result>(0x80072EE4);      // read fewer bytes than announced
inline constexpr Result kBadScheme = static_cast<Result>(0x80072EE5);      // neither http nor https
inline constexpr Result kCancelled = static_cast<Result>(0x80072EF1);      // HTTP task or transfer cancelled
inline constexpr Result kBadResponse = static_cast<Result>(0x80072EFB);    // answer does not match the request

// A Windows error number as a result code: e itself when e <= 0, else 0x80070000 | (e & 0xFFFF).
inline Result ResultFromError(std::int64_t error) {
  if (error <= 0) return static_cast<Result>(error);
  return static_cast<Result>(0x80070000u | (static_cast<std::uint32_t>(error) & 0xFFFFu));
}

}  // namespace downloader
