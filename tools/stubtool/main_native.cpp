// The host build of the tool: SHA-1 from OpenSSL, no network commands.
#include <openssl/evp.h>

#include "core/text.h"
#include "stubtool.h"

namespace stubtool {
namespace {

class OpenSslSha1 : public downloader::IBlockDigest {
 public:
  bool Digest(const unsigned char* data, std::uint32_t size, unsigned char* digest) override {
    unsigned int length = 0;
    return EVP_Digest(data, size, digest, &length, EVP_sha1(), nullptr) == 1 && length == downloader::kDigestSize;
  }
};

}  // namespace

std::unique_ptr<downloader::IBlockDigest> CreateSha1() { return std::make_unique<OpenSslSha1>(); }
int RunPlatformCommand(const std::vector<std::wstring>&) { return -1; }
const char* PlatformUsage() { return ""; }

}  // namespace stubtool

int main(int argc, char** argv) {
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) {
    auto wide = stubframework::utils::FromUtf8(argv[i]);
    if (!wide) {
      stubtool::Complain("stubtool: an argument is not UTF-8");
      return 2;
    }
    args.push_back(*wide);
  }
  return stubtool::Run(args);
}
