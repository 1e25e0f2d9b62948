#include <gtest/gtest.h>

#include "devhost/access.h"

using namespace stubframework::devhost;

namespace {

HttpRequest Request(std::string query, std::vector<std::pair<std::string, std::string>> headers) {
  HttpRequest r;
  r.method = "GET";
  r.path = "/Load.html";
  r.query = std::move(query);
  r.headers = std::move(headers);
  return r;
}

}  // namespace

TEST(DevhostAccess, TokenFromQueryHeaderOrCookieAndOurHostOnly) {
  const std::string token = "0123456789abcdef";
  const std::pair<std::string, std::string> host{"Host", "127.0.0.1:4321"};
  struct Case {
    const char* what;
    HttpRequest request;
    bool allowed;
    bool setCookie;
  };
  const Case cases[] = {
      {"query", Request("token=" + token, {host}), true, true},
      {"header", Request("", {host, {"x-devhost-token", token}}), true, true},
      {"cookie", Request("", {host, {"Cookie", "a=b; devhost_token=" + token}}), true, false},
      {"no token", Request("", {host}), false, false},
      {"wrong token", Request("token=0123456789abcdee", {host}), false, false},
      {"empty token", Request("token=", {host}), false, false},
      {"longer token", Request("token=" + token + "0", {host}), false, false},
      {"no host", Request("token=" + token, {}), false, false},
      {"other port", Request("token=" + token, {{"Host", "127.0.0.1:4322"}}), false, false},
      {"name for loopback", Request("token=" + token, {{"Host", "localhost:4321"}}), false, false},
      {"rebinding name", Request("token=" + token, {{"Host", "evil.example:4321"}}), false, false},
      {"two hosts", Request("token=" + token, {host, {"Host", "evil.example"}}), false, false},
      {"host without port", Request("token=" + token, {{"Host", "127.0.0.1"}}), false, false},
  };
  for (const auto& c : cases) {
    AccessDecision d = CheckAccess(c.request, token, 4321);
    EXPECT_EQ(d.allowed, c.allowed) << c.what;
    EXPECT_EQ(d.setCookie, c.setCookie) << c.what;
  }
  EXPECT_EQ(TokenCookie(token), "devhost_token=" + token + "; Path=/; HttpOnly; SameSite=Strict");
}
