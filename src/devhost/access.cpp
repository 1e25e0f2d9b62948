#include "devhost/access.h"

#include <optional>

namespace stubframework::devhost {

namespace {

// Compares without stopping at the first difference.
bool SameSecret(std::string_view a, std::string_view b) {
  if (a.size() != b.size() || a.empty()) return false;
  unsigned char diff = 0;
  for (size_t i = 0; i < a.size(); ++i) diff |= static_cast<unsigned char>(a[i] ^ b[i]);
  return diff == 0;
}

}  // namespace

AccessDecision CheckAccess(const HttpRequest& request, std::string_view token, uint16_t port) {
  AccessDecision decision;
  // Exactly one Host header, naming our own address and port.
  const std::string* host = nullptr;
  for (const auto& [name, value] : request.headers) {
    if (!EqualsAsciiIgnoreCase(name, "Host")) continue;
    if (host) return decision;
    host = &value;
  }
  if (!host || *host != "127.0.0.1:" + std::to_string(port)) return decision;

  bool byCookie = false;
  if (const std::string* cookie = request.header("Cookie")) {
    auto value = CookieValue(*cookie, kTokenCookie);
    byCookie = value && SameSecret(*value, token);
  }
  bool byHeader = false;
  if (const std::string* header = request.header(kTokenHeader)) byHeader = SameSecret(*header, token);
  bool byQuery = false;
  if (auto value = QueryParameter(request.query, "token")) byQuery = SameSecret(*value, token);

  decision.allowed = byCookie || byHeader || byQuery;
  decision.setCookie = decision.allowed && !byCookie;
  return decision;
}

std::string TokenCookie(std::string_view token) {
  return std::string(kTokenCookie) + "=" + std::string(token) + "; Path=/; HttpOnly; SameSite=Strict";
}

}  // namespace stubframework::devhost
