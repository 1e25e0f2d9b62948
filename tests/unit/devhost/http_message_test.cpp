#include <gtest/gtest.h>

#include "devhost/http_message.h"

using namespace stubframework::devhost;

TEST(DevhostHttp, ReadsARequestAsItArrives) {
  std::string bytes =
      "POST /external/call?token=abc%20d HTTP/1.1\r\nHost: 127.0.0.1:8080\r\ncontent-length: 5\r\n"
      "X-Devhost-Token:  t0k \r\n\r\nhello";
  for (size_t n = 0; n < bytes.size(); ++n)
    EXPECT_EQ(ParseHttpRequest(std::string_view(bytes).substr(0, n)).status, HttpParseStatus::Incomplete) << n;
  auto parsed = ParseHttpRequest(bytes);
  ASSERT_EQ(parsed.status, HttpParseStatus::Complete);
  const HttpRequest& r = parsed.request;
  EXPECT_EQ(r.method, "POST");
  EXPECT_EQ(r.path, "/external/call");
  EXPECT_EQ(r.query, "token=abc%20d");
  EXPECT_EQ(*r.header("Content-Length"), "5");
  EXPECT_EQ(*r.header("x-devhost-token"), "t0k");
  EXPECT_EQ(r.body, "hello");
  EXPECT_EQ(QueryParameter(r.query, "token"), "abc d");
}

TEST(DevhostHttp, RefusesBrokenAndOversizedRequests) {
  struct Case {
    std::string bytes;
    HttpParseStatus want;
  };
  const Case cases[] = {
      {"GET / HTTP/1.1\r\nBad Header\r\n\r\n", HttpParseStatus::Bad},
      {"GET / HTTP/1.1\r\n: empty\r\n\r\n", HttpParseStatus::Bad},
      {"GET /  HTTP/1.1\r\n\r\n", HttpParseStatus::Bad},
      {"GET relative HTTP/1.1\r\n\r\n", HttpParseStatus::Bad},
      {"GET / HTTP/2\r\n\r\n", HttpParseStatus::Bad},
      {"G(T / HTTP/1.1\r\n\r\n", HttpParseStatus::Bad},
      {"POST / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\n", HttpParseStatus::Bad},
      {"POST / HTTP/1.1\r\nContent-Length: -1\r\n\r\n", HttpParseStatus::Bad},
      {"POST / HTTP/1.1\r\nContent-Length: 1\r\nContent-Length: 2\r\n\r\nab", HttpParseStatus::Bad},
      {"POST / HTTP/1.1\r\nContent-Length: 99999999\r\n\r\n", HttpParseStatus::TooLarge},
      {"GET / HTTP/1.1\r\nX: " + std::string(kMaxRequestHead, 'a'), HttpParseStatus::TooLarge},
      {"POST / HTTP/1.1\r\nContent-Length: 2\r\nContent-Length: 2\r\n\r\nab", HttpParseStatus::Complete},
  };
  for (const auto& c : cases) EXPECT_EQ(ParseHttpRequest(c.bytes).status, c.want) << c.bytes.substr(0, 60);
}

TEST(DevhostHttp, CookiesQueriesAndEscapes) {
  EXPECT_EQ(CookieValue("a=1; devhost_token=xyz; b=2", "devhost_token"), "xyz");
  EXPECT_EQ(CookieValue("xdevhost_token=no", "devhost_token"), std::nullopt);
  EXPECT_EQ(CookieValue("devhost_token=\"q\"", "devhost_token"), "q");
  EXPECT_EQ(QueryParameter("a=1&token=&b", "token"), "");
  EXPECT_EQ(QueryParameter("a=1&b", "token"), std::nullopt);
  EXPECT_EQ(QueryParameter("t%6Fken=x+y", "token"), "x y");
  EXPECT_EQ(PercentDecode("%2"), std::nullopt);
  EXPECT_EQ(PercentDecode("%zz"), std::nullopt);
  EXPECT_EQ(PercentDecode("a%2Fb+"), "a/b+");
}

TEST(DevhostHttp, AnswersCarryTheirLength) {
  HttpResponse r = JsonResponse("[]");
  r.headers.emplace_back("Set-Cookie", "a=b");
  std::string bytes = SerializeHttpResponse(r);
  EXPECT_EQ(bytes.rfind("HTTP/1.1 200 OK\r\n", 0), 0u);
  EXPECT_NE(bytes.find("Content-Length: 2\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("Set-Cookie: a=b\r\n"), std::string::npos);
  EXPECT_EQ(bytes.substr(bytes.size() - 6), "\r\n\r\n[]");
  std::string head = SerializeHttpResponse(r, true);
  EXPECT_EQ(head.substr(head.size() - 4), "\r\n\r\n");
}
