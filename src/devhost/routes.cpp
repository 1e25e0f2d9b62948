#include "devhost/routes.h"

#include "core/text.h"

namespace stubframework::devhost {

namespace {

std::string ExtensionOf(std::string_view name) {
  size_t slash = name.rfind('/');
  size_t dot = name.rfind('.');
  if (dot == std::string_view::npos || (slash != std::string_view::npos && dot < slash)) return {};
  std::string ext(name.substr(dot + 1));
  for (char& c : ext)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return ext;
}

}  // namespace

std::optional<std::string> BundleRelativePath(std::string_view requestPath) {
  auto decoded = PercentDecode(requestPath);
  if (!decoded || decoded->empty() || decoded->front() != '/') return std::nullopt;
  std::string path = decoded->substr(1);
  if (path.empty()) return std::string("Load.html");
  if (!utils::FromUtf8(path)) return std::nullopt;
  for (char c : path)
    if (static_cast<unsigned char>(c) < 0x20 || c == '\\' || c == ':' || c == 0x7F) return std::nullopt;
  size_t start = 0;
  for (;;) {
    size_t slash = path.find('/', start);
    std::string_view segment = std::string_view(path).substr(start, slash == std::string::npos ? std::string::npos : slash - start);
    if (segment.empty() || segment == "." || segment == "..") return std::nullopt;
    // Windows drops trailing dots and spaces, which would turn "..." or ".. " into "..".
    if (segment.back() == '.' || segment.back() == ' ') return std::nullopt;
    if (slash == std::string::npos) break;
    start = slash + 1;
  }
  return path;
}

RouteMatch MatchRoute(const HttpRequest& request) {
  RouteMatch match;
  const std::string& path = request.path;
  const bool get = request.method == "GET" || request.method == "HEAD";
  auto endpoint = [&](Route route, bool allowed) {
    match.route = allowed ? route : Route::MethodNotAllowed;
    return match;
  };
  if (path == "/external/call") return endpoint(Route::Call, request.method == "POST");
  if (path == "/external/events") return endpoint(Route::Events, request.method == "GET");
  if (path == "/external/methods") return endpoint(Route::Methods, get);
  if (path == kShimPath) return endpoint(Route::Shim, get);
  if (!get) return endpoint(Route::File, false);
  if (auto file = BundleRelativePath(path)) {
    match.route = Route::File;
    match.file = std::move(*file);
  }
  return match;
}

bool IsHtmlFile(std::string_view fileName) {
  std::string ext = ExtensionOf(fileName);
  return ext == "html" || ext == "htm";
}

std::string ContentTypeOf(std::string_view fileName) {
  std::string ext = ExtensionOf(fileName);
  // HTML without a charset: the pages declare their own in a meta element.
  if (ext == "html" || ext == "htm") return "text/html";
  if (ext == "js") return "application/javascript";
  if (ext == "css") return "text/css";
  if (ext == "json") return "application/json";
  if (ext == "xml") return "text/xml";
  if (ext == "txt" || ext == "ini") return "text/plain";
  if (ext == "png") return "image/png";
  if (ext == "gif") return "image/gif";
  if (ext == "jpg" || ext == "jpeg") return "image/jpeg";
  if (ext == "ico") return "image/x-icon";
  if (ext == "svg") return "image/svg+xml";
  if (ext == "woff") return "font/woff";
  if (ext == "ttf") return "font/ttf";
  return "application/octet-stream";
}

}  // namespace stubframework::devhost
