#include <gtest/gtest.h>

#include <climits>

#include "net/core/NetBase64.h"
#include "net/core/NetUrl.h"

namespace sv::net {
namespace {

TEST(ParseURL, SplitsEveryPart) {
  const UrlParts p = ParseURL("http://user@host:8080/a/b?x=1");
  EXPECT_EQ(p.protocol, "http");
  EXPECT_EQ(p.user, "user");
  EXPECT_EQ(p.password, "");
  EXPECT_EQ(p.host, "host");
  EXPECT_EQ(p.port, "8080");
  EXPECT_EQ(p.path, "/a/b?x=1");
  const UrlParts q = ParseURL("ftp://me:se:cret@Example.org/f");
  EXPECT_EQ(q.user, "me");
  EXPECT_EQ(q.password, "se:cret");
  EXPECT_EQ(q.host, "Example.org");
  EXPECT_EQ(q.port, "");
}

TEST(ParseURL, HostAndPortWithoutProtocol) {
  const UrlParts p = ParseURL("proxy:81");
  EXPECT_EQ(p.protocol, "");
  EXPECT_EQ(p.host, "proxy");
  EXPECT_EQ(p.port, "81");
  EXPECT_EQ(p.path, "");
}

TEST(ParseURL, ProtocolIsLowerCasedOtherPartsKeepCase) {
  const UrlParts p = ParseURL("HTTP://Host/");
  EXPECT_EQ(p.protocol, "http");
  EXPECT_EQ(p.host, "Host");
  EXPECT_EQ(p.path, "/");
}

TEST(ParseURL, QueryStartsThePathBeforeASlash) {
  const UrlParts p = ParseURL("http://h?q=/x");
  EXPECT_EQ(p.host, "h");
  EXPECT_EQ(p.path, "?q=/x");
}

TEST(ParseURL, InvalidProtocolTextIsReadAsHost) {
  const UrlParts p = ParseURL("we ird://x");
  EXPECT_EQ(p.protocol, "http");
  EXPECT_EQ(p.host, "we ird");
  EXPECT_EQ(p.path, "//x");
}

TEST(ParseURL, ColonBeforeAtIsNoPort) {
  const UrlParts p = ParseURL("http://a:b@host/p");
  EXPECT_EQ(p.user, "a");
  EXPECT_EQ(p.password, "b");
  EXPECT_EQ(p.host, "host");
  EXPECT_EQ(p.port, "");
}

TEST(ParseURL, RelativePathsAgainstCurrentPath) {
  EXPECT_EQ(ParseURL("../c", "/a/b/x").path, "/a/c");
  EXPECT_EQ(ParseURL("./c", "/a/b/x").path, "/a/b/c");
  EXPECT_EQ(ParseURL("../../c", "/a/b/x").path, "/c");
  // Never above the root, however many "../" come.
  EXPECT_EQ(ParseURL("../../../../../c", "/a/x").path, "/c");
  EXPECT_EQ(ParseURL("../c", "").path, "/c");
  EXPECT_EQ(ParseURL("./c", "noslash").path, "/c");
  EXPECT_EQ(ParseURL("../c", "/a/b/x").protocol, "");
}

TEST(ParseURL, LeadingSlashAndHttpColonForms) {
  EXPECT_EQ(ParseURL("/index.htm").path, "/index.htm");
  EXPECT_EQ(ParseURL("/index.htm").host, "");
  const UrlParts noHost = ParseURL("//p");
  EXPECT_EQ(noHost.host, "");
  EXPECT_EQ(noHost.path, "/p");
  EXPECT_EQ(ParseURL("http:page.htm").path, "page.htm");
  EXPECT_EQ(ParseURL("HTTP:/").protocol, "http");
  const UrlParts mail = ParseURL("MailTo:someone@example.org");
  EXPECT_EQ(mail.protocol, "mailto");
  EXPECT_EQ(mail.user, "someone");
  EXPECT_EQ(mail.host, "example.org");
  EXPECT_EQ(ParseURL("").host, "");
}

TEST(FindNthPos, CountsFromEitherEnd) {
  EXPECT_EQ(FindNthPos("/", "/a/b/c", 1), 1);
  EXPECT_EQ(FindNthPos("/", "/a/b/c", 3), 5);
  EXPECT_EQ(FindNthPos("/", "/a/b/c", 4), 7);
  EXPECT_EQ(FindNthPos("/", "/a/b/c", -1), 5);
  EXPECT_EQ(FindNthPos("/", "/a/b/c", -3), 1);
  EXPECT_EQ(FindNthPos("/", "/a/b/c", -4), 0);
  EXPECT_EQ(FindNthPos("/", "/a/b/c", 0), 0);
  EXPECT_EQ(FindNthPos("aa", "aaa", 2), 2);
  EXPECT_EQ(FindNthPos("aa", "aaa", -2), 1);
  EXPECT_EQ(FindNthPos("/", "/a", INT_MIN), 0);
  EXPECT_EQ(FindNthPos("/", "/a", INT_MAX), 3);
}

TEST(EncodeUrl, EncodesEveryByteButLettersAndDigits) {
  EXPECT_EQ(EncodeUrl("a b"), "a%20b");
  EXPECT_EQ(EncodeUrl("\xC3\xBC"), "%C3%BC");
  EXPECT_EQ(EncodeUrl("Az09-_.~+"), "Az09%2D%5F%2E%7E%2B");
  EXPECT_EQ(EncodeUrl(std::string("\0\xFF", 2)), "%00%FF");
}

TEST(GetBaseUrl, CutsAfterLastSlashOrColonBeforeQuery) {
  EXPECT_EQ(GetBaseUrl("http://h/dir/page.htm?x=/y"), "http://h/dir/");
  EXPECT_EQ(GetBaseUrl("/dir/page.htm"), "/dir/");
  EXPECT_EQ(GetBaseUrl("page.htm"), "");
  EXPECT_EQ(GetBaseUrl("mailto:x"), "mailto:");
}

TEST(ReplaceExt, ReplacesOrAppends) {
  EXPECT_EQ(ReplaceExt("setup.exe", "htm"), "setup.htm");
  EXPECT_EQ(ReplaceExt("document", "htm"), "document.htm");
  EXPECT_EQ(ReplaceExt("a.b.c", "d"), "a.b.d");
}

TEST(Base64, StandardVectors) {
  const char* plain[] = {"", "f", "fo", "foo", "foob", "fooba", "foobar"};
  const char* coded[] = {"", "Zg==", "Zm8=", "Zm9v", "Zm9vYg==", "Zm9vYmE=", "Zm9vYmFy"};
  for (int i = 0; i < 7; ++i) {
    EXPECT_EQ(Base64Encode(plain[i]), coded[i]);
    EXPECT_EQ(Base64Decode(coded[i]), plain[i]);
  }
  EXPECT_EQ(Base64Encode("abc"), "YWJj");
  EXPECT_EQ(Base64Encode("ab"), "YWI=");
  EXPECT_EQ(Base64Encode("a"), "YQ==");
  EXPECT_EQ(Base64Encode(std::string("\xFF\xFE\x00\x80", 4)), "//4AgA==");
  EXPECT_EQ(EncodeStr("user:pass"), "dXNlcjpwYXNz");
}

TEST(Base64, RoundTripsEveryByteValueAndLength) {
  std::string bytes;
  for (int i = 0; i < 300; ++i) {
    EXPECT_EQ(Base64Decode(Base64Encode(bytes)), bytes) << i;
    bytes += static_cast<char>(i * 7 + 3);
  }
}

TEST(Base64, ShortLastGroupDecodesWhatItHolds) {
  EXPECT_EQ(Base64Decode("Zm9vYg"), "foob");
  EXPECT_EQ(Base64Decode("Zm9vYmE"), "fooba");
  EXPECT_EQ(Base64Decode("Zm9vY"), "foo");
  EXPECT_EQ(Base64Decode("Z"), "");
}

TEST(Base64, ForeignCharactersCountAs255) {
  // Not skipped: "*" stands for 255 and shifts into the bytes masked.
  EXPECT_EQ(Base64Decode("****"), std::string("\xFF\xFF\xFF", 3));
  EXPECT_EQ(Base64Decode("Zm9\nv").size(), 3u);
  EXPECT_EQ(Base64Decode("Zg==Zg=="), "ff");
}

}  // namespace
}  // namespace sv::net
