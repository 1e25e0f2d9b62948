#include <gtest/gtest.h>

#include "devhost/method_traits.h"
#include "devhost/routes.h"
#include "devhost/shim_injection.h"

using namespace stubframework::devhost;

namespace {

RouteMatch Match(const char* method, const char* path) {
  HttpRequest r;
  r.method = method;
  r.path = path;
  return MatchRoute(r);
}

}  // namespace

TEST(DevhostRoutes, EndpointsAndFiles) {
  struct Case {
    const char* method;
    const char* path;
    Route route;
    const char* file;
  };
  const Case cases[] = {
      {"POST", "/external/call", Route::Call, ""},
      {"GET", "/external/call", Route::MethodNotAllowed, ""},
      {"GET", "/external/events", Route::Events, ""},
      {"GET", "/external/methods", Route::Methods, ""},
      {"GET", "/devhost/external.js", Route::Shim, ""},
      {"GET", "/", Route::File, "Load.html"},
      {"GET", "/Load.html", Route::File, "Load.html"},
      {"HEAD", "/js/app%20main.js", Route::File, "js/app main.js"},
      {"POST", "/Load.html", Route::MethodNotAllowed, ""},
      {"GET", "/../secret", Route::NotFound, ""},
      {"GET", "/js/%2e%2e/%2e%2e/secret", Route::NotFound, ""},
      {"GET", "/a/./b", Route::NotFound, ""},
      {"GET", "/a//b", Route::NotFound, ""},
      {"GET", "/a%5c..%5cb", Route::NotFound, ""},
      {"GET", "/C:/Windows/win.ini", Route::NotFound, ""},
      {"GET", "/Load.html::$DATA", Route::NotFound, ""},
      {"GET", "/..%20/x", Route::NotFound, ""},
      {"GET", "/...", Route::NotFound, ""},
      {"GET", "/a%00b", Route::NotFound, ""},
      {"GET", "/%ff", Route::NotFound, ""},
      {"GET", "/bad%2", Route::NotFound, ""},
  };
  for (const auto& c : cases) {
    RouteMatch m = Match(c.method, c.path);
    EXPECT_EQ(m.route, c.route) << c.method << " " << c.path;
    EXPECT_EQ(m.file, c.file) << c.path;
  }
  EXPECT_EQ(ContentTypeOf("Load.HTML"), "text/html");
  EXPECT_EQ(ContentTypeOf("js/jquery.js"), "application/javascript");
  EXPECT_EQ(ContentTypeOf("img.v2/logo"), "application/octet-stream");
  EXPECT_TRUE(IsHtmlFile("a/Welcome.htm"));
}

TEST(DevhostShim, GoesBeforeThePagesOwnScripts) {
  const std::string tag = kShimScriptTag;
  struct Case {
    std::string html;
    std::string want;
  };
  const Case cases[] = {
      {"<!DOCTYPE html><html><HEAD lang=x><script src=a.js></script></head></html>",
       "<!DOCTYPE html><html><HEAD lang=x>" + tag + "<script src=a.js></script></head></html>"},
      // A script before the head still comes after the shim.
      {"<html><script>x()</script><head></head>", "<html>" + tag + "<script>x()</script><head></head>"},
      {"<html><header></header><body>", "<html>" + tag + "<header></header><body>"},
      {"<!doctype html>\n<p>text", "<!doctype html>" + tag + "\n<p>text"},
      {"\xEF\xBB\xBFplain", "\xEF\xBB\xBF" + tag + "plain"},
      {"", tag},
  };
  for (const auto& c : cases) EXPECT_EQ(InjectShim(c.html), c.want) << c.html;
  EXPECT_NE(ShimScript().find("/external/call"), std::string_view::npos);
}

TEST(DevhostMethodTraits, TheTableOfSeventyThree) {
  const auto& table = MethodTable();
  ASSERT_EQ(table.size(), 73u);
  for (size_t i = 1; i < table.size(); ++i) EXPECT_LT(std::string_view(table[i - 1].name), table[i].name);
  for (const auto& m : table) EXPECT_TRUE(m.flags == 1 || m.flags == 3) << m.name;
  EXPECT_EQ(TraitsOf("getProperty").flags, 3);
  EXPECT_TRUE(TraitsOf("getProperty").hasResult);
  EXPECT_EQ(TraitsOf("getBaseRegKey").flags, 1);
  EXPECT_TRUE(TraitsOf("getBaseRegKey").hasResult);
  EXPECT_FALSE(TraitsOf("closeWindow").hasResult);
  EXPECT_EQ(TraitsOf("Unknown").flags, 1);
  EXPECT_EQ(MethodsJson({"closeWindow", "getProperty"}),
            "[{\"name\": \"closeWindow\", \"flags\": 1, \"result\": false}, "
            "{\"name\": \"getProperty\", \"flags\": 3, \"result\": true}]");
}
