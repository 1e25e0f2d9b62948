#pragma once
// HTTP/1.1 as the development host speaks it: one request per connection, read from bytes as
// they arrive, and the answer written with its length.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace stubframework::devhost {

struct HttpRequest {
  std::string method;
  std::string target;  // as sent
  std::string path;    // the target before "?", still percent-encoded
  std::string query;   // after "?", without it
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;

  // The first header of that name (case-insensitive), or null.
  const std::string* header(std::string_view name) const;
};

enum class HttpParseStatus { Incomplete, Complete, Bad, TooLarge };

struct HttpParse {
  HttpParseStatus status = HttpParseStatus::Incomplete;
  HttpRequest request;
};

inline constexpr size_t kMaxRequestHead = 16 * 1024;
inline constexpr size_t kMaxRequestBody = 4 * 1024 * 1024;

// Reads a request from the bytes received so far. Bodies need Content-Length; chunked bodies
// are refused as Bad.
HttpParse ParseHttpRequest(std::string_view bytes);

struct HttpResponse {
  int status = 200;
  std::string contentType;
  std::string body;
  std::vector<std::pair<std::string, std::string>> headers;
};

// The bytes of the answer: status line, headers (length, no caching, connection closed) and
// body. A HEAD request gets the headers only.
std::string SerializeHttpResponse(const HttpResponse& response, bool headOnly = false);

HttpResponse TextResponse(int status, std::string text);
HttpResponse JsonResponse(std::string json);

// Percent-decoding; nullopt for a broken escape. `plusIsSpace` for query values.
std::optional<std::string> PercentDecode(std::string_view text, bool plusIsSpace = false);
// The decoded value of the first parameter of that name in a query.
std::optional<std::string> QueryParameter(std::string_view query, std::string_view name);
// The value of a cookie in a Cookie header.
std::optional<std::string> CookieValue(std::string_view cookieHeader, std::string_view name);

bool EqualsAsciiIgnoreCase(std::string_view a, std::string_view b);

}  // namespace stubframework::devhost
