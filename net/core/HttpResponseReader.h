#pragma once
// The receiving half of the HTTP client as a pure state machine. The client
// calls Start when it sends a request, feeds every received byte to Feed and
// reports the connection's close with ConnectionClosed; the reader parses the
// status line and fields, delivers the body by length, by chunks or until the
// close, and ends in Done or Failed. Everything a hostile or broken peer can
// do (bad lengths, bad chunk sizes, endless headers or interim replies, a
// body cut short, a reset) ends in Failed with a reason, never in Done.
//
// Events fire from inside Feed and ConnectionClosed. A handler may call
// Abandon, which makes Feed return at once; it must not destroy the reader
// or call Start.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "net/core/HttpChunkDecoder.h"
#include "net/core/HttpWire.h"

namespace sv::net {

enum class HttpMethod { Get, Post, Put, Head };

struct HttpResponseLimits {
  size_t maxHeaderBytes = 64 * 1024;  // kept bytes of one header
  size_t maxHeaderLines = 256;
  int maxInterim = 5;                 // 1xx replies before the final one
  size_t maxChallenges = 16;          // authentication challenge fields
  int64_t maxBodySize = 0;            // 0: unlimited
};

struct HttpResponseHead {
  bool isHttp = false;      // the status line was HTTP/1.0 or HTTP/1.1
  bool headerless = false;  // the reply began with "<HTML>"
  std::string responseVer;
  int statusCode = 0;
  std::string reasonPhrase;
  int64_t contentLength = -1;
  std::string transferEncoding;  // lower case
  std::string contentType;       // lower case
  std::string contentEncoding;   // as received
  std::string acceptRanges;
  std::string contentRangeBegin;
  std::string contentRangeEnd;
  std::optional<std::string> location;
  std::vector<std::string> authChallenges;
  std::vector<std::string> rcvdHeader;  // non-empty lines, status line first
  bool closeReq = true;
};

class HttpResponseReader {
 public:
  enum class State { Idle, WaitingHeader, WaitingBody, Done, Failed };
  enum class Framing { None, Length, Chunked, UntilClose };

  std::function<void()> OnHeaderBegin;
  std::function<void(const std::string& line)> OnHeaderData;  // every line of a header
  std::function<void(const std::string& line)> OnDataPush2;   // a first line that is not HTTP/1.x
  std::function<void(const std::string& value, bool& accept)> OnCookie;
  // The header is complete: Head() holds it, and Framing() tells what follows.
  std::function<void()> OnHeaderEnd;
  std::function<void()> OnDocBegin;
  std::function<void(const char* data, size_t len)> OnDocData;
  // The body ended by its length, its last chunk or a clean close.
  std::function<void()> OnDocEnd;
  // Progress lines of the body's reading, for tracing only.
  std::function<void(const std::string& text)> OnTrace;

  // A new request went out: everything from the previous one is forgotten.
  void Start(HttpMethod method, std::string_view requestVer, const HttpResponseLimits& limits = {});
  // Returns the bytes consumed. Bytes after the end of the response are not
  // consumed: HasLeftovers() then tells the connection must not be reused.
  // After a failure nothing more is consumed either.
  size_t Feed(std::string_view bytes);
  // The peer closed (error 0) or the connection broke (its error code).
  void ConnectionClosed(int error);
  // Stops reading; the reader stays Idle until the next Start.
  void Abandon();

  State GetState() const { return state_; }
  Framing GetFraming() const { return framing_; }
  const HttpResponseHead& Head() const { return head_; }
  int64_t RcvdCount() const { return rcvdCount_; }
  bool HasLeftovers() const { return leftovers_; }
  const std::string& FailureReason() const { return failure_; }

 private:
  void ProcessLine(const std::string& line, std::string_view lineEnd);
  void ProcessFirstLine(const std::string& line, std::string_view lineEnd);
  void ProcessField(const std::string& line);
  void EndOfHeader();
  size_t FeedBody(std::string_view bytes);
  size_t FeedBodyBytes(std::string_view bytes);
  void TraceChunkData(size_t len);
  template <class MakeText>
  void Trace(MakeText&& makeText) {
    if (OnTrace) OnTrace(makeText());
  }
  bool Deliver(const char* data, size_t len);
  void FinishDocument();
  void Fail(std::string reason);

  HttpMethod method_ = HttpMethod::Get;
  std::string requestVer_ = "1.0";
  HttpResponseLimits limits_;
  State state_ = State::Idle;
  Framing framing_ = Framing::None;
  HttpResponseHead head_;
  HttpLineReader lines_;
  HttpChunkDecoder chunks_;
  bool firstLine_ = true;
  size_t headerBytes_ = 0;
  size_t headerLines_ = 0;
  int interim_ = 0;
  int64_t rcvdCount_ = 0;
  // Data bytes of the current chunk seen so far, to trace each chunk's
  // length once, before its data.
  int64_t chunkTaken_ = 0;
  bool leftovers_ = false;
  std::string failure_;
};

}  // namespace sv::net
