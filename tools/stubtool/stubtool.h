#pragma once
// The publisher's tool: writes and checks meta files, and (Windows build) fetches a package
// through the stub's own download engine.
#include <memory>
#include <string>
#include <vector>

#include "downloader/hash_task.h"

namespace stubtool {

// The SHA-1 of this build: OpenSSL natively, CryptoAPI on Windows.
std::unique_ptr<downloader::IBlockDigest> CreateSha1();

// Commands that only the Windows build has (fetch, uptodate); -1 when `args[0]` is none of them.
int RunPlatformCommand(const std::vector<std::wstring>& args);
// Lines of --help for those commands (empty natively).
const char* PlatformUsage();

int Run(const std::vector<std::wstring>& args);

// Writes one line to standard output / standard error (UTF-8).
void Say(const std::string& line);
void Complain(const std::string& line);

}  // namespace stubtool
