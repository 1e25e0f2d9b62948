#pragma once
// Where a request of the browser goes: the host's own endpoints, or a file of the bundle.
#include <optional>
#include <string>
#include <string_view>

#include "devhost/http_message.h"

namespace stubframework::devhost {

inline constexpr const char* kShimPath = "/devhost/external.js";

enum class Route { Call, Events, Methods, Shim, File, MethodNotAllowed, NotFound };

struct RouteMatch {
  Route route = Route::NotFound;
  // For File: the bundle-relative path, UTF-8, segments joined by "/", checked to stay inside
  // the bundle folder.
  std::string file;
};

RouteMatch MatchRoute(const HttpRequest& request);

// The bundle-relative path of a request path, or nullopt when it is broken or would leave the
// folder (empty, "." or ".." segments, backslashes, drive or stream colons, control characters,
// invalid UTF-8).
std::optional<std::string> BundleRelativePath(std::string_view requestPath);

// The content type served for a file name.
std::string ContentTypeOf(std::string_view fileName);
bool IsHtmlFile(std::string_view fileName);

}  // namespace stubframework::devhost
