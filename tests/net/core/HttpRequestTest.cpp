#include <gtest/gtest.h>

#include "net/core/HttpRequestBuilder.h"

namespace sv::net {
namespace {

std::string Header(const HttpRequestFields& fields) { return JoinRequestHeader(BuildRequestLines(fields)).value(); }

TEST(HttpRequest, DefaultGetBytes) {
  HttpRequestFields f;
  f.path = "/p";
  f.targetHost = "127.0.0.1";
  f.targetPort = "8080";
  EXPECT_EQ(Header(f),
            "GET /p HTTP/1.0\r\n"
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
            "User-Agent: Mozilla/4.0 (compatible; Sorivanel)\r\n"
            "Host: 127.0.0.1:8080\r\n"
            "\r\n");
  f.targetPort = "80";
  EXPECT_NE(Header(f).find("\r\nHost: 127.0.0.1\r\n"), std::string::npos);
}

TEST(HttpRequest, DefaultPostAddsTypeAndLength) {
  HttpRequestFields f;
  f.method = "POST";
  f.path = "/submit";
  f.targetHost = "h";
  f.contentLength = 42;
  EXPECT_EQ(Header(f),
            "POST /submit HTTP/1.0\r\n"
            "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\n"
            "User-Agent: Mozilla/4.0 (compatible; Sorivanel)\r\n"
            "Host: h\r\n"
            "Content-Length: 42\r\n"
            "\r\n");
  f.contentLength = -5;
  EXPECT_NE(Header(f).find("Content-Length: 0\r\n"), std::string::npos);
}

TEST(HttpRequest, EveryLineInOrder) {
  HttpRequestFields f;
  f.method = "PUT";
  f.version = "1.1";
  f.from = "me@x";
  f.referer = "r";
  f.connection = "keep-alive";
  f.acceptLanguage = "fr";
  f.acceptEncoding = "identity;q=0, *;q=0";
  f.targetHost = "h";
  f.noCache = true;
  f.proxyConnection = "keep-alive";
  f.contentLength = 1;
  f.ifModifiedSince = "Mon, 01 Jan 2001 00:00:00 GMT";
  f.authorization = "Basic a";
  f.proxyAuthorization = "Basic b";
  f.cookie = "c=1";
  f.rangeBegin = "10";
  const auto lines = BuildRequestLines(f);
  const std::vector<std::string> names = {"PUT / HTTP/1.1", "From", "Accept", "Referer", "Connection",
                                          "Accept-Language", "Accept-Encoding", "Content-Type", "User-Agent",
                                          "Host", "Pragma", "Proxy-Connection", "Content-Length",
                                          "If-Modified-Since", "Authorization", "Proxy-Authorization", "Cookie",
                                          "Range"};
  ASSERT_EQ(lines.size(), names.size());
  for (size_t i = 0; i < names.size(); ++i) EXPECT_EQ(lines[i].rfind(names[i], 0), 0u) << lines[i];
  EXPECT_EQ(lines.back(), "Range: bytes=10-");
  f.method = "HEAD";
  for (const auto& line : BuildRequestLines(f)) {
    EXPECT_NE(line.rfind("Accept-Encoding", 0), 0u);
    EXPECT_NE(line.rfind("Content-", 0), 0u);
  }
}

TEST(HttpRequest, LineBreaksAndControlBytesAreRefused) {
  HttpRequestFields f;
  f.targetHost = "h";
  f.path = "/a\r\nX-Injected: 1";
  EXPECT_FALSE(JoinRequestHeader(BuildRequestLines(f)));
  f.path = "/a";
  f.cookie = "a\nb";
  EXPECT_FALSE(JoinRequestHeader(BuildRequestLines(f)));
  f.cookie.clear();
  f.targetHost = std::string("h\0x", 3);
  EXPECT_FALSE(JoinRequestHeader(BuildRequestLines(f)));
  f.targetHost = "h\x7F";
  EXPECT_FALSE(JoinRequestHeader(BuildRequestLines(f)));
}

TEST(HttpRequest, HttpDateUsesIsoWeekdays) {
  EXPECT_EQ(HttpDate({1994, 11, 6, 8, 49, 37}), "Sun, 06 Nov 1994 08:49:37 GMT");
  EXPECT_EQ(HttpDate({2001, 1, 1, 0, 0, 0}), "Mon, 01 Jan 2001 00:00:00 GMT");
  EXPECT_EQ(HttpDate({2024, 2, 29, 23, 59, 5}), "Thu, 29 Feb 2024 23:59:05 GMT");
  EXPECT_EQ(HttpDate({1899, 12, 30, 0, 0, 0}), "Sat, 30 Dec 1899 00:00:00 GMT");
}

TEST(HttpRequest, AdjustDocName) {
  EXPECT_EQ(AdjustDocName("/dir/page.htm?x=/y"), "page.htm");
  EXPECT_EQ(AdjustDocName("/dir/"), "document.htm");
  EXPECT_EQ(AdjustDocName(""), "document.htm");
  EXPECT_EQ(AdjustDocName("?q"), "document.htm");
  EXPECT_EQ(AdjustDocName("/" + std::string(300, 'n')).size(), 255u);
}

TEST(HttpRequest, PlanDirectAndThroughProxy) {
  const auto direct = PlanRequest("http://user:pw@Example.org:8080/a/b.cgi?q=1");
  ASSERT_TRUE(direct);
  EXPECT_EQ(direct->hostName, "Example.org");
  EXPECT_EQ(direct->connectPort, "8080");
  EXPECT_EQ(direct->targetPort, "8080");
  EXPECT_EQ(direct->path, "/a/b.cgi?q=1");
  EXPECT_EQ(direct->docName, "b.cgi");
  EXPECT_EQ(direct->user, "user");
  EXPECT_EQ(direct->password, "pw");
  EXPECT_FALSE(direct->viaProxy);

  const auto bare = PlanRequest("example.org");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->protocol, "http");
  EXPECT_EQ(bare->path, "/");
  EXPECT_EQ(bare->targetPort, "80");

  const auto proxied = PlanRequest("example.org:81/x", "proxy:3128");
  ASSERT_TRUE(proxied);
  EXPECT_EQ(proxied->path, "http://example.org:81/x");
  EXPECT_EQ(proxied->hostName, "proxy");
  EXPECT_EQ(proxied->connectPort, "3128");
  EXPECT_EQ(proxied->targetHost, "example.org");
  EXPECT_EQ(proxied->targetPort, "81");
  const auto proxyPort = PlanRequest("http://example.org/x", "http://proxy/", "8000");
  ASSERT_TRUE(proxyPort);
  EXPECT_EQ(proxyPort->path, "http://example.org/x");
  EXPECT_EQ(proxyPort->connectPort, "8000");
}

TEST(HttpRequest, PlanRefusesBadUrls) {
  EXPECT_FALSE(PlanRequest("http://h:65616/"));
  EXPECT_FALSE(PlanRequest("http://h:0/"));
  EXPECT_FALSE(PlanRequest("http://h:8o/"));
  EXPECT_FALSE(PlanRequest("http:///nohost"));
  EXPECT_FALSE(PlanRequest("http://h/a\rb"));
  EXPECT_FALSE(PlanRequest("http://h/", "proxy:99999"));
  EXPECT_FALSE(PlanRequest("http://h/", "proxy\n:80"));
  EXPECT_TRUE(PlanRequest("http://h:65535/"));
  EXPECT_EQ(ParsePortNumber("65535"), 65535);
  EXPECT_FALSE(ParsePortNumber("000080"));
}

}  // namespace
}  // namespace sv::net
