#include "stubtool.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>

#include "core/text.h"
#include "downloader/download_meta_simple.h"

namespace stubtool {
namespace {

using stubframework::utils::ToUtf8;

constexpr const char* kUsage =
    "usage: stubtool COMMAND ...\n"
    "  meta FILE [-o OUT]     write the meta file of FILE (default FILE.meta)\n"
    "  verify FILE META       exit 0 when FILE matches META block by block, 1 when not,\n"
    "                         2 on a usage or read error\n";

// The block digests of a file, read once in 1 MiB pieces with one buffer.
std::optional<std::vector<downloader::Digest>> DigestFile(const std::wstring& path, std::int64_t* length) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return std::nullopt;
  auto sha1 = CreateSha1();
  std::vector<char> buffer(downloader::kBlockSize);
  std::vector<downloader::Digest> digests;
  *length = 0;
  for (;;) {
    in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    const auto got = static_cast<std::uint32_t>(in.gcount());
    if (got == 0) break;
    downloader::Digest d;
    if (!sha1->Digest(reinterpret_cast<const unsigned char*>(buffer.data()), got, d.data())) return std::nullopt;
    digests.push_back(d);
    *length += got;
    if (got < buffer.size()) break;
  }
  if (in.bad()) return std::nullopt;
  return digests;
}

std::optional<std::string> ReadAll(const std::wstring& path) {
  std::ifstream in(std::filesystem::path(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) return std::nullopt;
  return bytes;
}

int Meta(const std::vector<std::wstring>& args) {
  std::wstring file, out;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == L"-o" && i + 1 < args.size()) {
      out = args[++i];
    } else if (file.empty() && args[i] != L"-o") {
      file = args[i];
    } else {
      Complain("stubtool meta: usage: stubtool meta FILE [-o OUT]");
      return 2;
    }
  }
  if (file.empty()) {
    Complain("stubtool meta: usage: stubtool meta FILE [-o OUT]");
    return 2;
  }
  if (out.empty()) out = file + L".meta";
  std::int64_t length = 0;
  auto digests = DigestFile(file, &length);
  if (!digests) {
    Complain("stubtool meta: cannot read " + ToUtf8(file));
    return 2;
  }
  const std::string meta = downloader::WriteDownloadMeta(length, *digests);
  std::ofstream o(std::filesystem::path(out), std::ios::binary | std::ios::trunc);
  o.write(meta.data(), static_cast<std::streamsize>(meta.size()));
  o.close();
  if (!o) {
    Complain("stubtool meta: cannot write " + ToUtf8(out));
    return 2;
  }
  Say("wrote " + ToUtf8(out) + ": " + std::to_string(length) + " bytes, " + std::to_string(digests->size()) +
      " blocks");
  return 0;
}

int Verify(const std::vector<std::wstring>& args) {
  if (args.size() != 3) {
    Complain("stubtool verify: usage: stubtool verify FILE META");
    return 2;
  }
  auto metaBytes = ReadAll(args[2]);
  if (!metaBytes) {
    Complain("stubtool verify: cannot read " + ToUtf8(args[2]));
    return 2;
  }
  downloader::DownloadMetaSimple meta;
  if (!downloader::CreateDownloadMetaSimple(reinterpret_cast<const unsigned char*>(metaBytes->data()),
                                            metaBytes->size(), &meta)) {
    Say(ToUtf8(args[2]) + " is not a meta file");
    return 1;
  }
  std::int64_t length = 0;
  auto digests = DigestFile(args[1], &length);
  if (!digests) {
    Complain("stubtool verify: cannot read " + ToUtf8(args[1]));
    return 2;
  }
  for (std::size_t i = 0; i < digests->size() && i < meta.hashes.size(); ++i) {
    if ((*digests)[i] != meta.hashes[i]) {
      Say(ToUtf8(args[1]) + " does not match: block " + std::to_string(i) + " differs");
      return 1;
    }
  }
  if (length != meta.fileSize) {
    Say(ToUtf8(args[1]) + " does not match: " + std::to_string(length) + " bytes, the meta file gives " +
        std::to_string(meta.fileSize));
    return 1;
  }
  Say(ToUtf8(args[1]) + " matches: " + std::to_string(length) + " bytes, " + std::to_string(digests->size()) +
      " blocks");
  return 0;
}

}  // namespace

void Say(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stdout);
  std::fputc('\n', stdout);
  std::fflush(stdout);
}

void Complain(const std::string& line) {
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fputc('\n', stderr);
}

int Run(const std::vector<std::wstring>& args) {
  if (args.empty() || args[0] == L"--help" || args[0] == L"-h" || args[0] == L"help") {
    std::fputs(kUsage, args.empty() ? stderr : stdout);
    std::fputs(PlatformUsage(), args.empty() ? stderr : stdout);
    return args.empty() ? 2 : 0;
  }
  if (args[0] == L"meta") return Meta(args);
  if (args[0] == L"verify") return Verify(args);
  const int platform = RunPlatformCommand(args);
  if (platform >= 0) return platform;
  Complain("stubtool: unknown command " + ToUtf8(args[0]) + " (see stubtool --help)");
  return 2;
}

}  // namespace stubtool
