// A browser's request to the development host over arbitrary bytes: the HTTP head and body,
// the route and access decision, the call's JSON (what the host writes must read back the same)
// and the shim placed into the body as if it were a page.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "devhost/access.h"
#include "devhost/call_protocol.h"
#include "devhost/http_message.h"
#include "devhost/json.h"
#include "devhost/routes.h"
#include "devhost/shim_injection.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace stubframework::devhost;
  std::string_view bytes(reinterpret_cast<const char*>(data), size);
  HttpParse parse = ParseHttpRequest(bytes);
  std::string_view body = bytes;
  if (parse.status == HttpParseStatus::Complete) {
    MatchRoute(parse.request);
    CheckAccess(parse.request, "0123456789abcdef0123456789abcdef", 8080);
    body = parse.request.body;
  }
  ParseCallRequest(body, nullptr);
  if (auto json = ParseJson(body)) {
    // What the host writes reads back as itself (the first write may turn -0 or 1e3 into 0
    // or 1000, which then stay).
    auto again = ParseJson(WriteJson(*json));
    if (!again) std::abort();
    std::string written = WriteJson(*again);
    auto third = ParseJson(written);
    if (!third || WriteJson(*third) != written) std::abort();
  }
  std::string page = InjectShim(body);
  if (page.size() != body.size() + std::string_view(kShimScriptTag).size()) std::abort();
  return 0;
}
