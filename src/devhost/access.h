#pragma once
// Who may talk to the development host: a request must name the loopback address and port the
// host listens on (so a page of another site cannot reach it through a name that resolves to
// 127.0.0.1) and carry the run's token in the query, a header or the cookie.
#include <cstdint>
#include <string>
#include <string_view>

#include "devhost/http_message.h"

namespace stubframework::devhost {

inline constexpr const char* kTokenCookie = "devhost_token";
inline constexpr const char* kTokenHeader = "X-Devhost-Token";

struct AccessDecision {
  bool allowed = false;
  // The request was let in by the query or the header without the cookie: the answer sets it,
  // so that the page's own relative requests (styles, images, the next page) get in too.
  bool setCookie = false;
};

AccessDecision CheckAccess(const HttpRequest& request, std::string_view token, uint16_t port);

// The Set-Cookie header value for the token.
std::string TokenCookie(std::string_view token);

}  // namespace stubframework::devhost
