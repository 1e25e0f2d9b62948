#include "devhost/http_message.h"

#include <cstdint>

namespace stubframework::devhost {

namespace {

char LowerAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

bool IsTokenChar(char c) {
  if (c >= 'a' && c <= 'z') return true;
  if (c >= 'A' && c <= 'Z') return true;
  if (c >= '0' && c <= '9') return true;
  return std::string_view("!#$%&'*+-.^_`|~").find(c) != std::string_view::npos;
}

std::optional<size_t> ParseLength(std::string_view text) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  uint64_t n = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    n = n * 10 + static_cast<uint64_t>(c - '0');
  }
  return static_cast<size_t>(n);
}

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 400: return "Bad Request";
    case 403: return "Forbidden";
    case 404: return "Not Found";
    case 405: return "Method Not Allowed";
    case 413: return "Payload Too Large";
    case 500: return "Internal Server Error";
    case 503: return "Service Unavailable";
    default: return "Unknown";
  }
}

}  // namespace

bool EqualsAsciiIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  return true;
}

const std::string* HttpRequest::header(std::string_view name) const {
  for (const auto& [key, value] : headers)
    if (EqualsAsciiIgnoreCase(key, name)) return &value;
  return nullptr;
}

HttpParse ParseHttpRequest(std::string_view bytes) {
  HttpParse out;
  size_t headEnd = bytes.find("\r\n\r\n");
  if (headEnd == std::string_view::npos) {
    out.status = bytes.size() > kMaxRequestHead ? HttpParseStatus::TooLarge : HttpParseStatus::Incomplete;
    return out;
  }
  if (headEnd > kMaxRequestHead) {
    out.status = HttpParseStatus::TooLarge;
    return out;
  }
  out.status = HttpParseStatus::Bad;
  std::string_view head = bytes.substr(0, headEnd);
  size_t lineEnd = head.find("\r\n");
  std::string_view requestLine = head.substr(0, lineEnd);
  std::string_view rest = lineEnd == std::string_view::npos ? std::string_view() : head.substr(lineEnd + 2);

  size_t sp1 = requestLine.find(' ');
  size_t sp2 = sp1 == std::string_view::npos ? sp1 : requestLine.find(' ', sp1 + 1);
  if (sp2 == std::string_view::npos || requestLine.find(' ', sp2 + 1) != std::string_view::npos) return out;
  std::string_view method = requestLine.substr(0, sp1);
  std::string_view target = requestLine.substr(sp1 + 1, sp2 - sp1 - 1);
  std::string_view version = requestLine.substr(sp2 + 1);
  if (method.empty() || target.empty() || target.front() != '/') return out;
  for (char c : method)
    if (!IsTokenChar(c)) return out;
  for (char c : target)
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return out;
  if (version != "HTTP/1.1" && version != "HTTP/1.0") return out;

  HttpRequest& request = out.request;
  request.method = method;
  request.target = target;
  size_t q = target.find('?');
  request.path = target.substr(0, q);
  if (q != std::string_view::npos) request.query = target.substr(q + 1);
  if (size_t hash = request.query.find('#'); hash != std::string::npos) request.query.resize(hash);

  while (!rest.empty()) {
    size_t end = rest.find("\r\n");
    std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 2);
    size_t colon = line.find(':');
    if (colon == 0 || colon == std::string_view::npos) return out;
    std::string_view name = line.substr(0, colon);
    for (char c : name)
      if (!IsTokenChar(c)) return out;
    std::string_view value = Trim(line.substr(colon + 1));
    for (char c : value)
      if ((static_cast<unsigned char>(c) < 0x20 && c != '\t') || c == 0x7F) return out;
    request.headers.emplace_back(std::string(name), std::string(value));
  }

  if (request.header("Transfer-Encoding")) return out;
  size_t length = 0;
  // Two different lengths make the body ambiguous.
  const std::string* lengthText = nullptr;
  for (const auto& [key, value] : request.headers) {
    if (!EqualsAsciiIgnoreCase(key, "Content-Length")) continue;
    if (lengthText && *lengthText != value) return out;
    lengthText = &value;
  }
  if (lengthText) {
    auto parsed = ParseLength(*lengthText);
    if (!parsed) return out;
    length = *parsed;
  }
  if (length > kMaxRequestBody) {
    out.status = HttpParseStatus::TooLarge;
    return out;
  }
  size_t bodyStart = headEnd + 4;
  if (bytes.size() - bodyStart < length) {
    out.status = HttpParseStatus::Incomplete;
    return out;
  }
  request.body = bytes.substr(bodyStart, length);
  out.status = HttpParseStatus::Complete;
  return out;
}

std::string SerializeHttpResponse(const HttpResponse& response, bool headOnly) {
  std::string out = "HTTP/1.1 " + std::to_string(response.status) + " " + Reason(response.status) + "\r\n";
  if (!response.contentType.empty()) out += "Content-Type: " + response.contentType + "\r\n";
  out += "Content-Length: " + std::to_string(response.body.size()) + "\r\n";
  out += "Cache-Control: no-store\r\nX-Content-Type-Options: nosniff\r\nConnection: close\r\n";
  for (const auto& [name, value] : response.headers) out += name + ": " + value + "\r\n";
  out += "\r\n";
  if (!headOnly) out += response.body;
  return out;
}

HttpResponse TextResponse(int status, std::string text) {
  HttpResponse r;
  r.status = status;
  r.contentType = "text/plain; charset=utf-8";
  r.body = std::move(text);
  return r;
}

HttpResponse JsonResponse(std::string json) {
  HttpResponse r;
  r.contentType = "application/json; charset=utf-8";
  r.body = std::move(json);
  return r;
}

std::optional<std::string> PercentDecode(std::string_view text, bool plusIsSpace) {
  auto hex = [](char c) -> int {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
  };
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    char c = text[i];
    if (c == '%') {
      if (i + 2 >= text.size()) return std::nullopt;
      int hi = hex(text[i + 1]), lo = hex(text[i + 2]);
      if (hi < 0 || lo < 0) return std::nullopt;
      out += static_cast<char>(hi * 16 + lo);
      i += 2;
    } else if (c == '+' && plusIsSpace) {
      out += ' ';
    } else {
      out += c;
    }
  }
  return out;
}

std::optional<std::string> QueryParameter(std::string_view query, std::string_view name) {
  while (!query.empty()) {
    size_t amp = query.find('&');
    std::string_view pair = query.substr(0, amp);
    query = amp == std::string_view::npos ? std::string_view() : query.substr(amp + 1);
    size_t eq = pair.find('=');
    auto key = PercentDecode(pair.substr(0, eq), true);
    if (!key || *key != name) continue;
    return eq == std::string_view::npos ? std::string() : PercentDecode(pair.substr(eq + 1), true);
  }
  return std::nullopt;
}

std::optional<std::string> CookieValue(std::string_view cookieHeader, std::string_view name) {
  while (!cookieHeader.empty()) {
    size_t semi = cookieHeader.find(';');
    std::string_view pair = Trim(cookieHeader.substr(0, semi));
    cookieHeader = semi == std::string_view::npos ? std::string_view() : cookieHeader.substr(semi + 1);
    size_t eq = pair.find('=');
    if (eq == std::string_view::npos || Trim(pair.substr(0, eq)) != name) continue;
    std::string_view value = Trim(pair.substr(eq + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return std::string(value);
  }
  return std::nullopt;
}

}  // namespace stubframework::devhost
