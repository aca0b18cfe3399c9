#pragma once
// Pieces of the HTTP response format: the line reader with its length rule,
// the status line, header fields, Content-Length and the rule for whether a
// response has a body. The response reader (HttpResponseReader.h) strings
// them together.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace sv::net {

// Cuts received bytes into lines at LF, dropping one CR before it. A line
// longer than kMaxLine is cut there and the rest of it, up to its LF, is
// dropped, so memory stays bounded whatever the peer sends.
class HttpLineReader {
 public:
  static constexpr size_t kMaxLine = 8190;

  // Takes bytes from data until a line is complete; returns how many were
  // consumed. When a line is complete, Line() holds it.
  size_t Feed(std::string_view data);
  bool HasLine() const { return complete_; }
  // The line without its line end; valid until the next Feed or Next.
  const std::string& Line() const { return line_; }
  // The line end as received ("\r\n" or "\n").
  std::string_view LineEnd() const { return crlf_ ? "\r\n" : "\n"; }
  bool WasCut() const { return cut_; }
  void Next();
  // Bytes of an unfinished line.
  size_t Pending() const { return line_.size(); }

 private:
  std::string line_;
  bool complete_ = false;
  bool cut_ = false;
  bool crlf_ = false;
};

struct HttpStatusLine {
  std::string responseVer;  // "1.0" or "1.1"
  int statusCode = 0;       // 0 when three digits are not found
  std::string reasonPhrase;
};

// A line that starts with "HTTP/1.0" or "HTTP/1.1"; the status is the three
// digits starting at the first digit from the tenth character on, the reason
// the text four characters after that digit; a status below 100 stays 0.
// nullopt for anything else.
std::optional<HttpStatusLine> ParseStatusLine(std::string_view line);

struct HttpField {
  std::string name;  // lower case
  std::string value;  // leading blanks skipped
};

// The name is the text before the first ":"; a line without one is all name.
HttpField SplitHeaderField(std::string_view line);

// Trimmed decimal digits that fit a non-negative int64; anything else
// (signs, blanks inside, overflow, empty) gives -1, i.e. absent.
int64_t ParseContentLength(std::string_view value);

// Whether a response carries no body: a HEAD request; a status below 200,
// 204 or 304, whatever the fields say; Content-Length 0; or no length and
// one of 301, 302, 401, 407. With chunked transfer encoding the length is
// ignored.
bool ResponseHasNoBody(int statusCode, int64_t contentLength, bool chunked, bool headRequest);

// "close" / "keep-alive" (trimmed, any case) of a connection field, or the
// current value.
bool ApplyConnectionField(std::string_view value, bool closeReq);

// Whether the connection must close after a response, from the versions.
bool CloseRequested(std::string_view requestVer, std::string_view responseVer);

// The document name once the body's type is known: an HTML body whose name
// has no extension or ".exe" (any case) is named ".htm".
std::string HtmlDocName(std::string_view docName, std::string_view contentType);

}  // namespace sv::net
