#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/core/HttpChunkDecoder.h"
#include "net/core/HttpWire.h"

namespace sv::net {
namespace {

std::vector<std::string> ReadLines(std::string_view bytes, size_t step) {
  HttpLineReader reader;
  std::vector<std::string> lines;
  for (size_t at = 0; at < bytes.size();) {
    const std::string_view piece = bytes.substr(at, step);
    size_t used = 0;
    while (used < piece.size()) {
      used += reader.Feed(piece.substr(used));
      if (reader.HasLine()) {
        lines.push_back(reader.Line());
        reader.Next();
      }
    }
    at += piece.size();
  }
  return lines;
}

TEST(HttpLineReader, SplitsAtLfAndDropsOneCr) {
  for (const size_t step : {1u, 2u, 3u, 100u}) {
    EXPECT_EQ(ReadLines("a\r\nb\n\r\r\n\r\nc", step), (std::vector<std::string>{"a", "b", "\r", ""})) << step;
  }
}

TEST(HttpLineReader, OverlongLineIsCutAtTheLimit) {
  const std::string big(HttpLineReader::kMaxLine + 5000, 'x');
  const auto lines = ReadLines(big + "\r\nnext\n", 4096);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].size(), HttpLineReader::kMaxLine);
  EXPECT_EQ(lines[1], "next");
  // Exactly at the limit nothing is cut, CR included.
  const auto exact = ReadLines(std::string(HttpLineReader::kMaxLine - 1, 'y') + "\r\n", 7);
  ASSERT_EQ(exact.size(), 1u);
  EXPECT_EQ(exact[0].size(), HttpLineReader::kMaxLine - 1);
}

TEST(HttpStatusLine, ParsesVersionStatusAndReason) {
  const auto ok = ParseStatusLine("HTTP/1.1 200 OK");
  ASSERT_TRUE(ok);
  EXPECT_EQ(ok->responseVer, "1.1");
  EXPECT_EQ(ok->statusCode, 200);
  EXPECT_EQ(ok->reasonPhrase, "OK");
  const auto spaced = ParseStatusLine("HTTP/1.0   404 Not Found");
  ASSERT_TRUE(spaced);
  EXPECT_EQ(spaced->statusCode, 404);
  EXPECT_EQ(spaced->reasonPhrase, "Not Found");
  EXPECT_EQ(ParseStatusLine("HTTP/1.0 301")->reasonPhrase, "");
}

TEST(HttpStatusLine, RefusesOtherProtocolsAndShortStatus) {
  EXPECT_FALSE(ParseStatusLine("ICY 200 OK"));
  EXPECT_FALSE(ParseStatusLine("HTTP/2 200"));
  EXPECT_FALSE(ParseStatusLine("HTTP/1."));
  EXPECT_EQ(ParseStatusLine("HTTP/1.1")->statusCode, 0);
  EXPECT_EQ(ParseStatusLine("HTTP/1.1 20")->statusCode, 0);
  EXPECT_EQ(ParseStatusLine("HTTP/1.1 2x0 OK")->statusCode, 0);
  EXPECT_EQ(ParseStatusLine("HTTP/1.1 002 OK")->statusCode, 0);
}

TEST(HttpFields, NameLowerCasedValueLeftTrimmed) {
  const HttpField f = SplitHeaderField("Content-Type:   Text/HTML ");
  EXPECT_EQ(f.name, "content-type");
  EXPECT_EQ(f.value, "Text/HTML ");
  EXPECT_EQ(SplitHeaderField("NoColon").name, "nocolon");
  EXPECT_EQ(SplitHeaderField("a: b:c").value, "b:c");
}

TEST(HttpFields, ContentLengthOnlyNonNegativeInt64) {
  EXPECT_EQ(ParseContentLength(" 10 "), 10);
  EXPECT_EQ(ParseContentLength("0"), 0);
  EXPECT_EQ(ParseContentLength("9223372036854775807"), INT64_MAX);
  EXPECT_EQ(ParseContentLength("9223372036854775808"), -1);
  EXPECT_EQ(ParseContentLength("100000000000000000000"), -1);
  EXPECT_EQ(ParseContentLength("-5"), -1);
  EXPECT_EQ(ParseContentLength("+5"), -1);
  EXPECT_EQ(ParseContentLength("1 2"), -1);
  EXPECT_EQ(ParseContentLength("0x10"), -1);
  EXPECT_EQ(ParseContentLength(""), -1);
}

TEST(HttpFields, NoBodyRule) {
  for (const int status : {100, 199, 204, 301, 302, 304, 401, 407}) EXPECT_TRUE(ResponseHasNoBody(status, -1, false, false));
  for (const int status : {200, 303, 404, 500}) EXPECT_FALSE(ResponseHasNoBody(status, -1, false, false));
  EXPECT_TRUE(ResponseHasNoBody(200, 0, false, false));
  EXPECT_TRUE(ResponseHasNoBody(200, 10, false, true));
  EXPECT_FALSE(ResponseHasNoBody(301, 10, false, false));
  // Chunked framing wins over a length.
  EXPECT_FALSE(ResponseHasNoBody(200, 0, true, false));
  EXPECT_TRUE(ResponseHasNoBody(304, 10, true, false));
  // Interim, No Content and Not Modified never have a body, whatever their
  // fields announce; the other statuses keep the length rule.
  for (const int status : {100, 199, 204, 304}) EXPECT_TRUE(ResponseHasNoBody(status, 20, false, false)) << status;
  for (const int status : {200, 205, 301, 401}) EXPECT_FALSE(ResponseHasNoBody(status, 20, false, false)) << status;
}

TEST(HttpFields, ConnectionAndVersions) {
  EXPECT_TRUE(ApplyConnectionField(" Close ", false));
  EXPECT_FALSE(ApplyConnectionField("Keep-Alive", true));
  EXPECT_TRUE(ApplyConnectionField("upgrade", true));
  EXPECT_TRUE(CloseRequested("1.0", "1.1"));
  EXPECT_TRUE(CloseRequested("1.1", "1.0"));
  EXPECT_FALSE(CloseRequested("1.1", "1.1"));
}

struct Chunked {
  HttpChunkDecoder decoder;
  std::string out;
  size_t FeedInSteps(std::string_view bytes, size_t step) {
    size_t used = 0;
    for (size_t at = 0; at < bytes.size(); at += step) {
      used += decoder.Feed(bytes.substr(at, step), [this](const char* d, size_t n) { out.append(d, n); });
    }
    return used;
  }
};

TEST(HttpFields, HtmlBodiesNamedAsPages) {
  struct Case {
    const char* name;
    const char* type;
    const char* expected;
  };
  for (const Case& c : {Case{"setup.exe", "text/html", "setup.htm"}, Case{"SETUP.EXE", "text/html", "SETUP.htm"},
                        Case{"page", "text/html", "page.htm"}, Case{"page.php", "text/html", "page.php"},
                        Case{"setup.exe", "application/octet-stream", "setup.exe"},
                        Case{"page", "text/plain", "page"}, Case{"a.b.exe", "text/html", "a.b.htm"},
                        Case{"page.", "text/html", "page."}})
    EXPECT_EQ(HtmlDocName(c.name, c.type), c.expected) << c.name << " " << c.type;
}

TEST(HttpChunkDecoder, DecodesAtEverySplit) {
  const std::string body = "5\r\nhello\r\n1A;name=value\r\nabcdefghijklmnopqrstuvwxyz\r\n0\r\n\r\nEXTRA";
  for (size_t step = 1; step <= body.size(); ++step) {
    Chunked c;
    const size_t used = c.FeedInSteps(body, step);
    EXPECT_TRUE(c.decoder.Done()) << step;
    EXPECT_EQ(c.out, "helloabcdefghijklmnopqrstuvwxyz") << step;
    EXPECT_EQ(used, body.size() - 5) << step;
  }
}

TEST(HttpChunkDecoder, HostileSizesFail) {
  for (const char* bad : {"zz\r\n", "\r\n", " 5\r\nhello", "FFFFFFFFFFFFFFFFFFFF\r\n", "-1\r\n"}) {
    Chunked c;
    c.FeedInSteps(bad, 3);
    EXPECT_TRUE(c.decoder.Failed()) << bad;
    EXPECT_TRUE(c.out.empty()) << bad;
  }
  Chunked fifteen;
  fifteen.FeedInSteps("7FFFFFFFFFFFFFF\r\nabc", 100);
  EXPECT_FALSE(fifteen.decoder.Failed());
  EXPECT_EQ(fifteen.decoder.ChunkLength(), 0x7FFFFFFFFFFFFFF);
  EXPECT_EQ(fifteen.out, "abc");
}

TEST(HttpChunkDecoder, EndlessExtensionOrTrailerFails) {
  Chunked ext;
  ext.FeedInSteps("5;" + std::string(HttpChunkDecoder::kMaxLine, 'e'), 512);
  EXPECT_TRUE(ext.decoder.Failed());
  Chunked after;
  after.FeedInSteps("1\r\nx" + std::string(HttpChunkDecoder::kMaxLine + 1, 'j'), 512);
  EXPECT_TRUE(after.decoder.Failed());
  EXPECT_EQ(after.out, "x");
}

}  // namespace
}  // namespace sv::net
