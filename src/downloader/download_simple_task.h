#pragma once
// DownloadSimpleTask: the verified segmented download. Fetches the meta file, sizes the local
// file to the published length, verifies the blocks on disk from block 0 until the first that
// does not match, downloads from there to the end, and verifies again from that block.
#include <string>

#include "downloader/engine.h"
#include "downloader/interfaces.h"

namespace downloader {

// Download rounds in a row that may leave the first unverified block where it was before the
// task gives up with kFailed (a server whose data never verifies).
inline constexpr int kMaxStalledRounds = 3;

// Null when an argument is missing or memory runs out.
ITask* CreateDownloadSimpleTask(IEngine* engine, const std::wstring& url, const std::wstring& metaUrl,
                                const std::wstring& path, IDownloadCallback* callback, ILogger* logger);

}  // namespace downloader
