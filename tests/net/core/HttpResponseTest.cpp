#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <string>
#include <vector>

#include "net/core/HttpResponseReader.h"

namespace sv::net {
namespace {

using State = HttpResponseReader::State;

struct Reader {
  HttpResponseReader reader;
  std::string body;
  std::vector<std::string> headerData;
  std::vector<std::string> cookies;
  std::vector<std::string> pushed;
  int docBegin = 0;
  int docEnd = 0;
  int headerEnd = 0;
  size_t consumed = 0;

  explicit Reader(HttpMethod method = HttpMethod::Get, const char* version = "1.0", HttpResponseLimits limits = {}) {
    reader.OnDocData = [this](const char* d, size_t n) { body.append(d, n); };
    reader.OnDocBegin = [this] { ++docBegin; };
    reader.OnDocEnd = [this] { ++docEnd; };
    reader.OnHeaderEnd = [this] { ++headerEnd; };
    reader.OnHeaderData = [this](const std::string& l) { headerData.push_back(l); };
    reader.OnCookie = [this](const std::string& v, bool&) { cookies.push_back(v); };
    reader.OnDataPush2 = [this](const std::string& l) { pushed.push_back(l); };
    reader.Start(method, version, limits);
  }
  State Feed(std::string_view bytes, size_t step = 1 << 20) {
    for (size_t at = 0; at < bytes.size(); at += step) consumed += reader.Feed(bytes.substr(at, step));
    return reader.GetState();
  }
};

TEST(HttpResponse, LengthDelimitedAtEverySplit) {
  const std::string reply =
      "HTTP/1.1 200 OK\r\nContent-Type: Text/Plain\r\nContent-Length: 10\r\nSet-Cookie: a=1\r\n\r\n0123456789";
  for (size_t step = 1; step <= reply.size(); ++step) {
    Reader r(HttpMethod::Get, "1.1");
    EXPECT_EQ(r.Feed(reply, step), State::Done) << step;
    EXPECT_EQ(r.body, "0123456789");
    EXPECT_EQ(r.docEnd, 1);
    EXPECT_FALSE(r.reader.HasLeftovers());
  }
  Reader r(HttpMethod::Get, "1.1");
  r.Feed(reply);
  const HttpResponseHead& head = r.reader.Head();
  EXPECT_EQ(head.statusCode, 200);
  EXPECT_EQ(head.reasonPhrase, "OK");
  EXPECT_EQ(head.contentType, "text/plain");
  EXPECT_FALSE(head.closeReq);
  EXPECT_EQ(head.rcvdHeader.size(), 4u);
  EXPECT_EQ(r.headerData.size(), 4u);
  EXPECT_EQ(r.cookies, (std::vector<std::string>{"a=1"}));
}

TEST(HttpResponse, BytesPastTheLengthAreLeftForTheCaller) {
  Reader r(HttpMethod::Get, "1.0");
  const std::string reply = "HTTP/1.0 200 OK\r\nConnection: keep-alive\r\nContent-Length: 10\r\n\r\n0123456789HTTP/1.0";
  EXPECT_EQ(r.Feed(reply), State::Done);
  EXPECT_EQ(r.body, "0123456789");
  EXPECT_EQ(r.consumed, reply.size() - 8);
  EXPECT_TRUE(r.reader.HasLeftovers());
  EXPECT_FALSE(r.reader.Head().closeReq);
}

TEST(HttpResponse, ChunkedDeliversExactlyTheData) {
  Reader r(HttpMethod::Get, "1.1");
  const std::string reply =
      "HTTP/1.1 200 OK\r\nContent-Length: 3\r\nTransfer-Encoding: Chunked\r\n\r\n5\r\nhello\r\n0\r\n\r\n";
  for (size_t step = 1; step < 9; ++step) {
    Reader s(HttpMethod::Get, "1.1");
    EXPECT_EQ(s.Feed(reply, step), State::Done);
    EXPECT_EQ(s.body, "hello");
  }
  EXPECT_EQ(r.Feed(reply), State::Done);
  EXPECT_EQ(r.reader.GetFraming(), HttpResponseReader::Framing::Chunked);
}

TEST(HttpResponse, CloseDelimitedBodyEndsCleanlyOnlyWithoutError) {
  Reader clean;
  EXPECT_EQ(clean.Feed("HTTP/1.0 200 OK\r\n\r\nsome body"), State::WaitingBody);
  clean.reader.ConnectionClosed(0);
  EXPECT_EQ(clean.reader.GetState(), State::Done);
  EXPECT_EQ(clean.body, "some body");
  EXPECT_EQ(clean.docEnd, 1);

  Reader reset;
  reset.Feed("HTTP/1.0 200 OK\r\n\r\nsome");
  reset.reader.ConnectionClosed(10054);
  EXPECT_EQ(reset.reader.GetState(), State::Failed);
  EXPECT_EQ(reset.reader.FailureReason(), "connection closed before end of document (Error #10054)");
  EXPECT_EQ(reset.docEnd, 0);
}

TEST(HttpResponse, TruncatedBodiesAndHeadersFail) {
  Reader shortLength;
  shortLength.Feed("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n01234");
  shortLength.reader.ConnectionClosed(0);
  EXPECT_EQ(shortLength.reader.GetState(), State::Failed);
  EXPECT_EQ(shortLength.reader.FailureReason(), "connection closed before end of document");

  Reader shortChunks;
  shortChunks.Feed("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhel");
  shortChunks.reader.ConnectionClosed(0);
  EXPECT_EQ(shortChunks.reader.GetState(), State::Failed);

  Reader noHeader;
  noHeader.Feed("HTTP/1.0 200 OK\r\nContent-");
  noHeader.reader.ConnectionClosed(0);
  EXPECT_EQ(noHeader.reader.GetState(), State::Failed);

  Reader nothing;
  nothing.reader.ConnectionClosed(0);
  EXPECT_EQ(nothing.reader.GetState(), State::Failed);
}

TEST(HttpResponse, NoBodyReplies) {
  for (const char* reply : {"HTTP/1.0 304 Not Modified\r\n\r\n", "HTTP/1.1 204 No Content\r\n\r\n",
                            "HTTP/1.0 200 OK\r\nContent-Length: 0\r\n\r\n", "HTTP/1.0 401 Unauthorized\r\n\r\n"}) {
    Reader r;
    EXPECT_EQ(r.Feed(reply), State::Done) << reply;
    EXPECT_EQ(r.docBegin, 0);
  }
  Reader head(HttpMethod::Head);
  EXPECT_EQ(head.Feed("HTTP/1.0 200 OK\r\nContent-Length: 99\r\n\r\n"), State::Done);

  // A length or chunking announced by a status that has no body is not
  // read: the next response on the kept connection stays the caller's.
  const std::string next = "HTTP/1.1 200 OK\r\nContent-Length: 4\r\n\r\nnext";
  for (const char* reply :
       {"HTTP/1.1 304 Not Modified\r\nContent-Length: 20\r\n\r\n", "HTTP/1.1 204 No Content\r\nContent-Length: 20\r\n\r\n",
        "HTTP/1.1 304 Not Modified\r\nTransfer-Encoding: chunked\r\n\r\n",
        "HTTP/1.0 101 Switching Protocols\r\nContent-Length: 20\r\n\r\n"}) {
    Reader r(HttpMethod::Get, "1.1");
    EXPECT_EQ(r.Feed(reply + next), State::Done) << reply;
    EXPECT_EQ(r.docBegin, 0) << reply;
    EXPECT_EQ(r.body, "") << reply;
    EXPECT_EQ(r.consumed, std::string(reply).size()) << reply;
    EXPECT_TRUE(r.reader.HasLeftovers()) << reply;
  }
  // Other statuses keep the length rule.
  Reader created(HttpMethod::Get, "1.1");
  EXPECT_EQ(created.Feed("HTTP/1.1 201 Created\r\nContent-Length: 4\r\n\r\nbody" + next), State::Done);
  EXPECT_EQ(created.body, "body");
}

TEST(HttpResponse, InterimRepliesRestartTheHeader) {
  Reader r(HttpMethod::Post, "1.1");
  EXPECT_EQ(r.Feed("HTTP/1.1 100 Continue\r\nX: y\r\n\r\nHTTP/1.1 200 OK\r\nContent-Length: 2\r\n\r\nok"), State::Done);
  EXPECT_EQ(r.reader.Head().rcvdHeader, (std::vector<std::string>{"HTTP/1.1 200 OK", "Content-Length: 2"}));
  EXPECT_EQ(r.body, "ok");
  EXPECT_EQ(r.headerEnd, 1);

  Reader endless(HttpMethod::Get, "1.1");
  std::string many;
  for (int i = 0; i < 100; ++i) many += "HTTP/1.1 100 Continue\r\n\r\n";
  EXPECT_EQ(endless.Feed(many), State::Failed);
  EXPECT_EQ(endless.reader.FailureReason(), "too many interim responses");
}

TEST(HttpResponse, HeaderlessHtmlIsAllBody) {
  Reader r;
  EXPECT_EQ(r.Feed("<HtMl>\r\n<body>x</body>"), State::WaitingBody);
  r.reader.ConnectionClosed(0);
  EXPECT_EQ(r.reader.GetState(), State::Done);
  EXPECT_EQ(r.body, "<HtMl>\r\n<body>x</body>");
  EXPECT_TRUE(r.reader.Head().headerless);
  EXPECT_EQ(r.reader.Head().contentType, "text/html");
}

TEST(HttpResponse, NotHttpEndsAsFailure) {
  Reader r;
  EXPECT_EQ(r.Feed("ICY 200 OK\r\nicy-name: x\r\n\r\nmp3data"), State::Failed);
  EXPECT_EQ(r.pushed, (std::vector<std::string>{"ICY 200 OK"}));
  EXPECT_EQ(r.reader.Head().statusCode, 0);
  EXPECT_TRUE(r.body.empty());
}

TEST(HttpResponse, HostileLengthsCountAsAbsent) {
  for (const char* length : {"-5", "100000000000000000000", "12abc"}) {
    Reader r;
    r.Feed(std::string("HTTP/1.0 200 OK\r\nContent-Length: ") + length + "\r\n\r\nabc");
    EXPECT_EQ(r.reader.Head().contentLength, -1) << length;
    EXPECT_EQ(r.reader.GetFraming(), HttpResponseReader::Framing::UntilClose);
    EXPECT_EQ(r.body, "abc");
  }
}

TEST(HttpResponse, HostileChunkSizesFail) {
  for (const char* chunk : {"zz\r\n", "FFFFFFFFFFFFFFFFFFFF\r\n"}) {
    Reader r(HttpMethod::Get, "1.1");
    EXPECT_EQ(r.Feed(std::string("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n") + chunk), State::Failed);
    EXPECT_EQ(r.reader.FailureReason(), "invalid chunked encoding");
    r.reader.ConnectionClosed(0);
    EXPECT_EQ(r.reader.GetState(), State::Failed);
  }
}

TEST(HttpResponse, HugeHeaderLineIsCutNotFatal) {
  Reader r;
  const std::string reply = "HTTP/1.0 200 OK\r\nX-Big: " + std::string(10 << 20, 'b') + "\r\nContent-Length: 1\r\n\r\n!";
  EXPECT_EQ(r.Feed(reply, 65536), State::Done);
  EXPECT_EQ(r.reader.Head().rcvdHeader[1].size(), HttpLineReader::kMaxLine);
  EXPECT_EQ(r.body, "!");
}

TEST(HttpResponse, EndlessHeadersFail) {
  Reader lines;
  std::string many = "HTTP/1.0 200 OK\r\n";
  for (int i = 0; i < 100000; ++i) many += "X: 1\r\n";
  EXPECT_EQ(lines.Feed(many, 4096), State::Failed);
  EXPECT_EQ(lines.reader.FailureReason(), "too many header lines");

  HttpResponseLimits limits;
  limits.maxHeaderLines = 100000;
  Reader bytes(HttpMethod::Get, "1.0", limits);
  std::string big = "HTTP/1.0 200 OK\r\n";
  for (int i = 0; i < 20; ++i) big += "X: " + std::string(8000, 'v') + "\r\n";
  EXPECT_EQ(bytes.Feed(big), State::Failed);
  EXPECT_EQ(bytes.reader.FailureReason(), "header too large");

  Reader challenges;
  std::string auth = "HTTP/1.0 401 No\r\n";
  for (int i = 0; i < 17; ++i) auth += "WWW-Authenticate: Basic realm=x\r\n";
  EXPECT_EQ(challenges.Feed(auth), State::Failed);
}

TEST(HttpResponse, MaxBodySizeBoundsEveryFraming) {
  HttpResponseLimits limits;
  limits.maxBodySize = 4;
  Reader declared(HttpMethod::Get, "1.0", limits);
  EXPECT_EQ(declared.Feed("HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\n"), State::Failed);
  Reader endless(HttpMethod::Get, "1.0", limits);
  EXPECT_EQ(endless.Feed("HTTP/1.0 200 OK\r\n\r\n" + std::string(1000, 'e'), 3), State::Failed);
  EXPECT_LE(endless.body.size(), 4u);
  EXPECT_EQ(endless.reader.FailureReason(), "document too large");
  Reader chunked(HttpMethod::Get, "1.1", limits);
  EXPECT_EQ(chunked.Feed("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n3\r\nabc\r\n3\r\ndef\r\n"), State::Failed);
  EXPECT_EQ(chunked.body, "abc");
}

TEST(HttpResponse, FieldsAreRecorded) {
  Reader r(HttpMethod::Get, "1.1");
  r.Feed(
      "HTTP/1.1 206 Partial\r\nLocation: /x\r\nContent-Range: bytes 10-19/100\r\nAccept-Ranges: bytes\r\n"
      "Content-Encoding: Identity\r\nProxy-Authenticate: Basic realm=\"p\"\r\nConnection: close\r\n"
      "Content-Range: x\r\nContent-Length: 10\r\n\r\n");
  const HttpResponseHead& head = r.reader.Head();
  EXPECT_EQ(head.location, "/x");
  EXPECT_EQ(head.contentRangeBegin, "");
  EXPECT_EQ(head.acceptRanges, "bytes");
  EXPECT_EQ(head.contentEncoding, "Identity");
  EXPECT_EQ(head.authChallenges, (std::vector<std::string>{"Basic realm=\"p\""}));
  EXPECT_TRUE(head.closeReq);
  Reader range;
  range.Feed("HTTP/1.0 206 P\r\nContent-Range: bytes 10-19/100\r\n\r\n");
  EXPECT_EQ(range.reader.Head().contentRangeBegin, "10");
  EXPECT_EQ(range.reader.Head().contentRangeEnd, "19");
}

TEST(HttpResponse, HandlerMayAbandonMidStream) {
  Reader r;
  r.reader.OnDocData = [&](const char*, size_t) { r.reader.Abandon(); };
  r.Feed("HTTP/1.0 200 OK\r\n\r\nabcdef", 20);
  EXPECT_EQ(r.reader.GetState(), State::Idle);
  EXPECT_EQ(r.reader.Feed("more"), 0u);
  r.reader.ConnectionClosed(0);
  EXPECT_EQ(r.reader.GetState(), State::Idle);
}

// The trace lines other than a body call's begin, end and length lines.
std::vector<std::string> Milestones(const std::vector<std::string>& trace) {
  std::vector<std::string> kept;
  std::copy_if(trace.begin(), trace.end(), std::back_inserter(kept),
               [](const std::string& line) { return line.rfind("GetBodyLineNext", 0) != 0; });
  return kept;
}

TEST(HttpResponse, TraceFollowsTheBodyAtEverySplitWithoutChangingIt) {
  const std::string length = "HTTP/1.0 200 OK\r\nContent-Length: 6\r\n\r\nabcdefXY";
  const std::string chunked =
      "HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\nB;x=1\r\n there, you\r\n0\r\n\r\n";
  for (size_t step = 1; step <= chunked.size(); ++step) {
    Reader plain(HttpMethod::Get, "1.1");
    Reader traced(HttpMethod::Get, "1.1");
    std::vector<std::string> trace;
    traced.reader.OnTrace = [&](const std::string& line) { trace.push_back(line); };
    EXPECT_EQ(plain.Feed(chunked, step), State::Done);
    EXPECT_EQ(traced.Feed(chunked, step), State::Done);
    EXPECT_EQ(traced.body, plain.body);
    EXPECT_EQ(traced.consumed, plain.consumed);
    EXPECT_EQ(Milestones(trace), (std::vector<std::string>{"ChunkLength = 5", "ChunkLength = 11", "ChunkLength = 0",
                                                           "httpChunkDone, end of document"}))
        << step;
    EXPECT_EQ(std::count(trace.begin(), trace.end(), "GetBodyLineNext begin"),
              std::count(trace.begin(), trace.end(), "GetBodyLineNext end"));
  }
  Reader r;
  std::vector<std::string> trace;
  r.reader.OnTrace = [&](const std::string& line) { trace.push_back(line); };
  EXPECT_EQ(r.Feed(length, length.size() - 5), State::Done);
  EXPECT_EQ(r.body, "abcdef");
  EXPECT_EQ(trace, (std::vector<std::string>{"GetBodyLineNext begin", "GetBodyLineNext FBodyDataLen=3",
                                             "GetBodyLineNext end", "GetBodyLineNext begin",
                                             "GetBodyLineNext FBodyDataLen=3", "End of document",
                                             "GetBodyLineNext end"}));
}

TEST(HttpResponse, TraceHandlerMayAbandon) {
  Reader r;
  r.reader.OnTrace = [&](const std::string& line) {
    if (line == "End of document") r.reader.Abandon();
  };
  r.Feed("HTTP/1.0 200 OK\r\nContent-Length: 3\r\n\r\nabc");
  EXPECT_EQ(r.reader.GetState(), State::Idle);
  EXPECT_EQ(r.docEnd, 0);
}

}  // namespace
}  // namespace sv::net
