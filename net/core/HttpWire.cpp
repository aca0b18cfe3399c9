#include "net/core/HttpWire.h"

#include <limits>

#include "base/Ascii.h"

namespace sv::net {

size_t HttpLineReader::Feed(std::string_view data) {
  if (complete_) return 0;
  size_t used = 0;
  while (used < data.size()) {
    const char c = data[used++];
    if (c == '\n') {
      crlf_ = !line_.empty() && line_.back() == '\r' && !cut_;
      if (crlf_) line_.pop_back();
      complete_ = true;
      return used;
    }
    if (line_.size() < kMaxLine) {
      line_ += c;
    } else {
      cut_ = true;
    }
  }
  return used;
}

void HttpLineReader::Next() {
  line_.clear();
  complete_ = false;
  cut_ = false;
  crlf_ = false;
}

std::optional<HttpStatusLine> ParseStatusLine(std::string_view line) {
  if (line.substr(0, 8) != "HTTP/1.0" && line.substr(0, 8) != "HTTP/1.1") return std::nullopt;
  HttpStatusLine status;
  status.responseVer = std::string(line.substr(5, 3));
  size_t digit = 9;
  while (digit < line.size() && (line[digit] < '0' || line[digit] > '9')) ++digit;
  if (digit + 3 > line.size()) return status;
  int code = 0;
  for (size_t i = digit; i < digit + 3; ++i) {
    if (line[i] < '0' || line[i] > '9') return status;
    code = code * 10 + (line[i] - '0');
  }
  if (code < 100) return status;
  status.statusCode = code;
  if (digit + 4 < line.size()) status.reasonPhrase = std::string(line.substr(digit + 4));
  return status;
}

HttpField SplitHeaderField(std::string_view line) {
  HttpField field;
  const size_t colon = line.find(':');
  field.name = LowerAscii(line.substr(0, colon));
  if (colon == std::string_view::npos) return field;
  std::string_view value = line.substr(colon + 1);
  while (!value.empty() && (value.front() == ' ' || value.front() == '\t')) value.remove_prefix(1);
  field.value = std::string(value);
  return field;
}

int64_t ParseContentLength(std::string_view value) {
  value = Trim(value);
  if (value.empty()) return -1;
  int64_t length = 0;
  for (const char c : value) {
    if (c < '0' || c > '9') return -1;
    const int digit = c - '0';
    if (length > (std::numeric_limits<int64_t>::max() - digit) / 10) return -1;
    length = length * 10 + digit;
  }
  return length;
}

bool ResponseHasNoBody(int statusCode, int64_t contentLength, bool chunked, bool headRequest) {
  // These statuses never carry a body: a length or chunking they announce
  // would swallow the next response on a kept connection.
  if (headRequest || statusCode < 200 || statusCode == 204 || statusCode == 304) return true;
  if (chunked) contentLength = -1;
  if (contentLength == 0) return true;
  if (contentLength != -1) return false;
  return statusCode == 301 || statusCode == 302 || statusCode == 401 || statusCode == 407;
}

bool ApplyConnectionField(std::string_view value, bool closeReq) {
  const std::string token = LowerAscii(Trim(value));
  if (token == "close") return true;
  if (token == "keep-alive") return false;
  return closeReq;
}

bool CloseRequested(std::string_view requestVer, std::string_view responseVer) {
  return requestVer == "1.0" || responseVer == "1.0";
}

std::string HtmlDocName(std::string_view docName, std::string_view contentType) {
  if (contentType != "text/html") return std::string(docName);
  const size_t dot = docName.rfind('.');
  if (dot == std::string_view::npos) return std::string(docName) + ".htm";
  if (LowerAscii(docName.substr(dot)) != ".exe") return std::string(docName);
  return std::string(docName.substr(0, dot)) + ".htm";
}

}  // namespace sv::net
