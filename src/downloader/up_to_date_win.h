#pragma once
// Blocking checks of a local file against a published meta file.
#include <string>

#include "downloader/records.h"

namespace downloader {

// True when the meta URL is unreachable (any status but 200, redirects not followed) or the
// file matches the meta file fetched from it.
bool IsFileUpToDate(const std::wstring& file, const std::wstring& metaUrl);
// True only when every block of the file matches the meta's digests in order.
bool VerifyFileAgainstMeta(const std::wstring& file, const Buffer& meta);

}  // namespace downloader
