// The protocol parsers on ordinary and hostile texts.
#include <gtest/gtest.h>

#include <string>

#include "sono/net/HttpRequest.h"
#include "sono/net/IcyDemuxer.h"
#include "sono/net/IcyMetadata.h"
#include "sono/net/ProxySetting.h"
#include "sono/net/ResponseHead.h"
#include "sono/net/Url.h"

using namespace sono::net;
using namespace std::string_literals;

TEST(StreamTitle, OrdinaryBlocks) {
  EXPECT_EQ(StreamTitle("StreamTitle='Artist - Song';StreamUrl='';\0\0\0"s), "Artist - Song");
  EXPECT_EQ(StreamTitle("StreamUrl='http://a/';StreamTitle='Later';"), "Later");
  EXPECT_EQ(StreamTitle("streamtitle='any case';"), "any case");
  EXPECT_EQ(StreamTitle("StreamTitle='';"), "");
  EXPECT_EQ(MetadataText("StreamTitle='x';\0\0\0\0"s), "StreamTitle='x';");
}

TEST(StreamTitle, QuotesAndSemicolonsInsideTheTitle) {
  EXPECT_EQ(StreamTitle("StreamTitle='Guns 'n' Roses - Don't Cry';"), "Guns 'n' Roses - Don't Cry");
  EXPECT_EQ(StreamTitle("StreamTitle='A; B';StreamUrl='';"), "A; B");
  EXPECT_EQ(StreamTitle("StreamTitle='Don';t';StreamUrl='x';"), "Don';t");
  EXPECT_EQ(StreamTitle("StreamTitle='It's; odd';"), "It's; odd");
  // A title with "';" before another field's shape ends there: the server's
  // own text is ambiguous and the first reading wins.
  EXPECT_EQ(StreamTitle("StreamTitle='a';b='c';"), "a");
}

TEST(StreamTitle, RawBytesAndBrokenBlocks) {
  EXPECT_EQ(StreamTitle("StreamTitle='\xE9t\xE9 \x80\xFF';"), "\xE9t\xE9 \x80\xFF");
  EXPECT_EQ(StreamTitle("StreamTitle='no end"), "no end");
  EXPECT_EQ(StreamTitle("StreamTitle='quote only'"), "quote only");
  EXPECT_EQ(StreamTitle("StreamTitle='"), "");
  EXPECT_FALSE(StreamTitle("StreamUrl='x';"));
  EXPECT_FALSE(StreamTitle("XStreamTitle='x';"));
  EXPECT_FALSE(StreamTitle(""));
  // Text after a NUL is padding, even when it looks like a field.
  EXPECT_FALSE(StreamTitle("\0StreamTitle='hidden';"s));
}

TEST(IcyDemuxer, SplitsAcrossEveryChunkBoundary) {
  // 5 audio bytes, a 16-byte block, 5 audio, an empty block, 3 audio.
  const std::string block = "StreamTitle='x';";
  const std::string stream = "abcde\x01"s + block + "fghij\x00"s + "klm";
  for (size_t chunk = 1; chunk <= stream.size(); ++chunk) {
    SCOPED_TRACE(chunk);
    IcyDemuxer demuxer(5);
    std::string audio;
    std::vector<std::string> blocks;
    for (size_t at = 0; at < stream.size(); at += chunk) {
      const std::string piece = stream.substr(at, chunk);
      size_t used = 0;
      while (used < piece.size()) {
        uint8_t out[2];  // a small output forces partial steps
        const auto step = demuxer.Process(reinterpret_cast<const uint8_t*>(piece.data()) + used,
                                          piece.size() - used, out, sizeof out);
        used += step.consumed;
        audio.append(reinterpret_cast<char*>(out), step.produced);
        while (demuxer.HasBlock()) blocks.push_back(demuxer.TakeBlock());
      }
    }
    EXPECT_EQ(audio, "abcdefghijklm");
    EXPECT_EQ(blocks, std::vector<std::string>{block});
    EXPECT_FALSE(demuxer.InsideMetadata());
  }
}

TEST(IcyDemuxer, LargestBlockAndCutStreams) {
  IcyDemuxer demuxer(1);
  const std::string stream = "a\xFF"s + std::string(255 * 16, 'm') + "b";
  std::string out(stream.size(), '\0');
  auto* bytes = reinterpret_cast<const uint8_t*>(stream.data());
  auto step = demuxer.Process(bytes, 100, reinterpret_cast<uint8_t*>(out.data()), out.size());
  EXPECT_EQ(step.produced, 1u);
  EXPECT_TRUE(demuxer.InsideMetadata());
  step = demuxer.Process(bytes + 100, stream.size() - 100, reinterpret_cast<uint8_t*>(out.data()), out.size());
  EXPECT_EQ(step.produced, 1u);
  EXPECT_EQ(out[0], 'b');
  ASSERT_TRUE(demuxer.HasBlock());
  EXPECT_EQ(demuxer.TakeBlock().size(), 4080u);
  EXPECT_TRUE(demuxer.InsideMetadata());  // the next length byte is due

  IcyDemuxer plain(0);
  const std::string raw = "\x00\xFF\x01 all audio"s;
  std::string copy(raw.size(), '\0');
  EXPECT_EQ(plain.Process(reinterpret_cast<const uint8_t*>(raw.data()), raw.size(),
                          reinterpret_cast<uint8_t*>(copy.data()), copy.size()).produced, raw.size());
  EXPECT_EQ(copy, raw);
  EXPECT_FALSE(plain.HasBlock());
}

TEST(ResponseHead, StatusLinesAndFields) {
  const auto head = ParseResponseHead(
      "ICY 200 OK\r\nicy-name: Loopback \xE9 Radio \r\nICY-METAINT:8192\r\nbroken line\r\n"
      "icy-genre: a\r\n  folded\r\n\r\nbody");
  ASSERT_TRUE(head);
  EXPECT_EQ(head->protocol, "ICY");
  EXPECT_EQ(head->status, 200);
  EXPECT_EQ(head->reason, "OK");
  EXPECT_EQ(head->Find("Icy-Name"), "Loopback \xE9 Radio");
  EXPECT_EQ(head->Find("icy-genre"), "a folded");
  EXPECT_EQ(MetaInterval(*head), 8192u);
  EXPECT_EQ(head->lines, (std::vector<std::string>{"ICY 200 OK", "icy-name: Loopback \xE9 Radio ",
                                                   "ICY-METAINT:8192", "icy-genre: a folded"}));
  const auto moved = ParseResponseHead("HTTP/1.1 302\nLocation: /next\n\n");
  ASSERT_TRUE(moved);
  EXPECT_EQ(moved->status, 302);
  EXPECT_EQ(moved->Find("location"), "/next");
  EXPECT_FALSE(moved->Find("icy-name"));
  EXPECT_EQ(MetaInterval(*moved), 0u);
}

TEST(ResponseHead, HostileHeads) {
  EXPECT_FALSE(ParseResponseHead(""));
  EXPECT_FALSE(ParseResponseHead("HTTP/1.0\r\n\r\n"));
  EXPECT_FALSE(ParseResponseHead("HTTP/1.0 20\r\n\r\n"));
  EXPECT_FALSE(ParseResponseHead("HTTP/1.0 2000 OK\r\n\r\n"));
  EXPECT_FALSE(ParseResponseHead("HTTP/1.0 099 low\r\n\r\n"));
  EXPECT_FALSE(ParseResponseHead("HTTPS/1.0 200 OK\r\n\r\n"));
  EXPECT_FALSE(ParseResponseHead("HTTP/1.0 2\0000 OK\r\n\r\n"s));
  const auto nul = ParseResponseHead("HTTP/1.0 200 OK\r\nx-a: 1\0002\r\nx-b: 3\r\n\r\n"s);
  ASSERT_TRUE(nul);
  EXPECT_FALSE(nul->Find("x-a"));  // a NUL would break the header list
  EXPECT_EQ(nul->Find("x-b"), "3");
  for (const char* bad : {"icy-metaint: -5", "icy-metaint: 12a", "icy-metaint:", "icy-metaint: 1048577",
                          "icy-metaint: 99999999999999999999999"}) {
    const auto head = ParseResponseHead("HTTP/1.0 200 OK\r\n"s + bad + "\r\n\r\n");
    ASSERT_TRUE(head) << bad;
    EXPECT_FALSE(MetaInterval(*head)) << bad;
  }
}

TEST(ResponseHead, FindsTheHeadEnd) {
  EXPECT_EQ(FindHeadEnd("HTTP/1.0 200 OK\r\n\r\nxyz"), 19u);
  EXPECT_EQ(FindHeadEnd("HTTP/1.0 200 OK\n\nxyz"), 17u);
  EXPECT_EQ(FindHeadEnd("HTTP/1.0 200 OK\r\na: b\r\n"), std::string_view::npos);
  EXPECT_EQ(FindHeadEnd("\n"), std::string_view::npos);
  EXPECT_EQ(FindHeadEnd(""), std::string_view::npos);
}

TEST(ProxySetting, SplitsAtTheLastAt) {
  const auto proxy = ParseProxySetting("user:p@ss:w@proxy.lan:3128");
  ASSERT_TRUE(proxy);
  EXPECT_EQ(proxy->user, "user");
  EXPECT_EQ(proxy->password, "p@ss:w");
  EXPECT_EQ(proxy->host, "proxy.lan");
  EXPECT_EQ(proxy->port, 3128);
  EXPECT_EQ(proxy->BasicCredentials(), "Basic dXNlcjpwQHNzOnc=");

  const auto bare = ParseProxySetting("10.0.0.1");
  ASSERT_TRUE(bare);
  EXPECT_EQ(bare->user, "");
  EXPECT_EQ(bare->port, 80);
  const auto v6 = ParseProxySetting("@[::1]:8080");
  ASSERT_TRUE(v6);
  EXPECT_EQ(v6->host, "::1");
  EXPECT_EQ(v6->port, 8080);

  for (const char* bad : {"", "   ", "user:pass@", "user:pass@:80", "host:0", "host:65536", "host:8x", "host:",
                          "a b:80", "user@host:123456"}) {
    EXPECT_FALSE(ParseProxySetting(bad)) << bad;
  }
}

TEST(HttpUrl, Splits) {
  auto url = SplitHttpUrl("http://radio.example:8000/live.mp3?x=1#frag");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->host, "radio.example");
  EXPECT_EQ(url->port, 8000);
  EXPECT_EQ(url->path, "/live.mp3?x=1");
  url = SplitHttpUrl("HTTP://Host");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->port, 80);
  EXPECT_EQ(url->path, "/");
  url = SplitHttpUrl("http://[::1]:81?q");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->host, "::1");
  EXPECT_EQ(url->path, "/?q");
  EXPECT_EQ(url->Absolute(), "http://[::1]:81/?q");
  url = SplitHttpUrl("http://who:pw@host/");
  ASSERT_TRUE(url);
  EXPECT_EQ(url->host, "host");
  for (const char* bad : {"", "http://", "http:///x", "https://host/", "mms://host/", "ftp://h", "http://host:0/",
                          "http://host:99999/", "http://host:8o/", "http://ho st/", "http://host/a b",
                          "http://[::1/", "http://a]b/", "http://host/\r\nX: y"}) {
    EXPECT_FALSE(SplitHttpUrl(bad)) << bad;
  }
}

TEST(HttpUrl, ResolvesLocations) {
  const HttpUrl base = *SplitHttpUrl("http://a:8000/dir/file?q=1");
  EXPECT_EQ(ResolveLocation(base, "/root")->Absolute(), "http://a:8000/root");
  EXPECT_EQ(ResolveLocation(base, "other.pls")->Absolute(), "http://a:8000/dir/other.pls");
  EXPECT_EQ(ResolveLocation(base, " http://b/x ")->Absolute(), "http://b/x");
  EXPECT_EQ(ResolveLocation(base, "//c:9/y")->Absolute(), "http://c:9/y");
  EXPECT_FALSE(ResolveLocation(base, "https://secure/"));
  EXPECT_FALSE(ResolveLocation(base, ""));
  EXPECT_FALSE(ResolveLocation(base, "/a\r\nInjected: 1"));
}

TEST(StreamRequest, DirectAndThroughAProxy) {
  const HttpUrl url = *SplitHttpUrl("http://radio:8000/live");
  const std::string direct = BuildStreamRequest(url, nullptr);
  EXPECT_EQ(direct.rfind("GET /live HTTP/1.0\r\nHost: radio:8000\r\n", 0), 0u);
  EXPECT_NE(direct.find("\r\nIcy-MetaData: 1\r\n"), std::string::npos);
  EXPECT_EQ(direct.find("Proxy-Authorization"), std::string::npos);
  EXPECT_EQ(direct.substr(direct.size() - 4), "\r\n\r\n");

  const auto proxy = ParseProxySetting("me:secret@proxy:3128");
  const std::string viaProxy = BuildStreamRequest(*SplitHttpUrl("http://radio/live"), &*proxy);
  EXPECT_EQ(viaProxy.rfind("GET http://radio/live HTTP/1.0\r\nHost: radio\r\n", 0), 0u);
  EXPECT_NE(viaProxy.find("\r\nProxy-Authorization: Basic bWU6c2VjcmV0\r\n"), std::string::npos);
  const auto anonymous = ParseProxySetting("proxy:3128");
  EXPECT_EQ(BuildStreamRequest(url, &*anonymous).find("Proxy-Authorization"), std::string::npos);
}
