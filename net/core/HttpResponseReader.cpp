#include "net/core/HttpResponseReader.h"

#include "base/Ascii.h"

namespace sv::net {
namespace {

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
  return s.size() >= prefix.size() && SameTextAscii(s.substr(0, prefix.size()), prefix);
}

}  // namespace

void HttpResponseReader::Start(HttpMethod method, std::string_view requestVer, const HttpResponseLimits& limits) {
  method_ = method;
  requestVer_ = std::string(requestVer);
  limits_ = limits;
  state_ = State::WaitingHeader;
  framing_ = Framing::None;
  head_ = HttpResponseHead();
  head_.closeReq = requestVer_ == "1.0";
  lines_.Next();
  chunks_.Reset();
  firstLine_ = true;
  headerBytes_ = headerLines_ = 0;
  interim_ = 0;
  rcvdCount_ = 0;
  chunkTaken_ = 0;
  leftovers_ = false;
  failure_.clear();
}

void HttpResponseReader::Abandon() { state_ = State::Idle; }

size_t HttpResponseReader::Feed(std::string_view bytes) {
  size_t at = 0;
  while (at < bytes.size()) {
    if (state_ == State::WaitingHeader) {
      at += lines_.Feed(bytes.substr(at));
      if (!lines_.HasLine()) {
        if (headerBytes_ + lines_.Pending() > limits_.maxHeaderBytes) Fail("header too large");
        continue;
      }
      const std::string line = lines_.Line();
      const std::string lineEnd(lines_.LineEnd());
      lines_.Next();
      ProcessLine(line, lineEnd);
    } else if (state_ == State::WaitingBody) {
      at += FeedBody(bytes.substr(at));
    } else {
      if (state_ == State::Done) leftovers_ = true;
      break;
    }
  }
  return at;
}

void HttpResponseReader::ProcessLine(const std::string& line, std::string_view lineEnd) {
  headerBytes_ += line.size() + lineEnd.size();
  if (headerBytes_ > limits_.maxHeaderBytes) return Fail("header too large");
  if (firstLine_) {
    // Blank lines left over before a status line carry nothing.
    if (line.empty()) return;
    return ProcessFirstLine(line, lineEnd);
  }
  if (line.empty()) return EndOfHeader();
  if (++headerLines_ > limits_.maxHeaderLines) return Fail("too many header lines");
  head_.rcvdHeader.push_back(line);
  ProcessField(line);
  if (state_ == State::WaitingHeader && OnHeaderData) OnHeaderData(line);
}

void HttpResponseReader::ProcessFirstLine(const std::string& line, std::string_view lineEnd) {
  firstLine_ = false;
  if (OnHeaderBegin) OnHeaderBegin();
  if (state_ != State::WaitingHeader) return;
  if (StartsWithNoCase(line, "<html>")) {
    head_.headerless = true;
    if (head_.contentType.empty()) head_.contentType = "text/html";
    framing_ = Framing::UntilClose;
    state_ = State::WaitingBody;
    if (OnHeaderEnd) OnHeaderEnd();
    if (state_ != State::WaitingBody) return;
    if (OnDocBegin) OnDocBegin();
    // The line is the first body data; its line end goes with it, so the
    // document arrives as sent.
    const std::string data = line + std::string(lineEnd);
    Deliver(data.data(), data.size());
    return;
  }
  head_.rcvdHeader.push_back(line);
  if (const auto status = ParseStatusLine(line)) {
    head_.isHttp = true;
    head_.responseVer = status->responseVer;
    head_.statusCode = status->statusCode;
    head_.reasonPhrase = status->reasonPhrase;
    head_.closeReq = CloseRequested(requestVer_, head_.responseVer);
  } else if (OnDataPush2) {
    OnDataPush2(line);
  }
  if (state_ == State::WaitingHeader && OnHeaderData) OnHeaderData(line);
}

void HttpResponseReader::ProcessField(const std::string& line) {
  const HttpField field = SplitHeaderField(line);
  const std::string& value = field.value;
  if (field.name == "location") {
    head_.location = value;
  } else if (field.name == "content-length") {
    head_.contentLength = ParseContentLength(value);
  } else if (field.name == "transfer-encoding") {
    head_.transferEncoding = LowerAscii(value);
  } else if (field.name == "content-range") {
    const std::string_view range = value.size() > 6 ? std::string_view(value).substr(6) : std::string_view();
    const size_t dash = range.find('-');
    head_.contentRangeBegin = std::string(range.substr(0, dash));
    if (dash != std::string_view::npos) {
      const std::string_view after = range.substr(dash + 1);
      head_.contentRangeEnd = std::string(after.substr(0, after.find('/')));
    }
  } else if (field.name == "accept-ranges") {
    head_.acceptRanges = value;
  } else if (field.name == "content-type") {
    head_.contentType = LowerAscii(value);
  } else if (field.name == "www-authenticate" || field.name == "proxy-authenticate") {
    if (head_.authChallenges.size() >= limits_.maxChallenges) return Fail("too many authentication challenges");
    head_.authChallenges.push_back(value);
  } else if (field.name == "set-cookie") {
    bool accept = true;
    if (OnCookie) OnCookie(value, accept);
  } else if (field.name == "connection" || field.name == "proxy-connection") {
    head_.closeReq = ApplyConnectionField(value, head_.closeReq);
  } else if (field.name == "content-encoding") {
    head_.contentEncoding = value;
  }
}

void HttpResponseReader::EndOfHeader() {
  // Every informational status of HTTP/1.1 (100, 102, 103...) is followed
  // by the real response.
  if (head_.statusCode >= 100 && head_.statusCode <= 199 && head_.responseVer == "1.1") {
    if (++interim_ > limits_.maxInterim) return Fail("too many interim responses");
    const bool closeReq = head_.closeReq;
    head_ = HttpResponseHead();
    head_.closeReq = closeReq;
    firstLine_ = true;
    headerBytes_ = headerLines_ = 0;
    return;
  }
  if (OnHeaderEnd) OnHeaderEnd();
  if (state_ != State::WaitingHeader) return;
  if (!head_.isHttp || head_.statusCode == 0) return Fail("invalid response status line");
  const bool chunked = head_.transferEncoding == "chunked";
  if (ResponseHasNoBody(head_.statusCode, head_.contentLength, chunked, method_ == HttpMethod::Head)) {
    state_ = State::Done;
    return;
  }
  if (chunked) {
    framing_ = Framing::Chunked;
  } else if (head_.contentLength >= 0) {
    framing_ = Framing::Length;
    if (limits_.maxBodySize > 0 && head_.contentLength > limits_.maxBodySize) return Fail("document too large");
  } else {
    framing_ = Framing::UntilClose;
  }
  state_ = State::WaitingBody;
  if (OnDocBegin) OnDocBegin();
}

size_t HttpResponseReader::FeedBody(std::string_view bytes) {
  Trace([] { return std::string("GetBodyLineNext begin"); });
  // A trace handler may have abandoned the reading.
  if (state_ != State::WaitingBody) return bytes.size();
  const size_t used = FeedBodyBytes(bytes);
  Trace([] { return std::string("GetBodyLineNext end"); });
  return used;
}

size_t HttpResponseReader::FeedBodyBytes(std::string_view bytes) {
  if (framing_ == Framing::Chunked) {
    Trace([&] { return "GetBodyLineNext FBodyDataLen=" + std::to_string(bytes.size()); });
    if (state_ != State::WaitingBody) return bytes.size();
    const size_t used = chunks_.Feed(bytes, [this](const char* data, size_t len) {
      if (state_ == State::WaitingBody) TraceChunkData(len);
      if (state_ == State::WaitingBody) Deliver(data, len);
    });
    if (state_ != State::WaitingBody) return bytes.size();
    if (chunks_.Failed()) {
      Fail("invalid chunked encoding");
    } else if (chunks_.Done()) {
      Trace([] { return std::string("ChunkLength = 0"); });
      Trace([] { return std::string("httpChunkDone, end of document"); });
      if (state_ == State::WaitingBody) FinishDocument();
    }
    return used;
  }
  size_t take = bytes.size();
  if (framing_ == Framing::Length) {
    const int64_t remaining = head_.contentLength - rcvdCount_;
    if (static_cast<int64_t>(take) > remaining) take = static_cast<size_t>(remaining);
  }
  Trace([&] { return "GetBodyLineNext FBodyDataLen=" + std::to_string(take); });
  if (state_ != State::WaitingBody) return bytes.size();
  if (take > 0 && !Deliver(bytes.data(), take)) return bytes.size();
  if (framing_ == Framing::Length && rcvdCount_ == head_.contentLength && state_ == State::WaitingBody) {
    Trace([] { return std::string("End of document"); });
    if (state_ == State::WaitingBody) FinishDocument();
  }
  return state_ == State::WaitingBody || state_ == State::Done ? take : bytes.size();
}

void HttpResponseReader::TraceChunkData(size_t len) {
  if (chunkTaken_ == 0) Trace([&] { return "ChunkLength = " + std::to_string(chunks_.ChunkLength()); });
  chunkTaken_ += static_cast<int64_t>(len);
  if (chunkTaken_ >= chunks_.ChunkLength()) chunkTaken_ = 0;
}

bool HttpResponseReader::Deliver(const char* data, size_t len) {
  rcvdCount_ += static_cast<int64_t>(len);
  if (limits_.maxBodySize > 0 && rcvdCount_ > limits_.maxBodySize) {
    Fail("document too large");
    return false;
  }
  if (OnDocData) OnDocData(data, len);
  return state_ == State::WaitingBody;
}

void HttpResponseReader::FinishDocument() {
  state_ = State::Done;
  if (OnDocEnd) OnDocEnd();
}

void HttpResponseReader::ConnectionClosed(int error) {
  const std::string suffix = error != 0 ? " (Error #" + std::to_string(error) + ")" : "";
  if (state_ == State::WaitingHeader) {
    Fail("connection closed before end of header" + suffix);
  } else if (state_ == State::WaitingBody) {
    if (framing_ == Framing::UntilClose && error == 0) {
      FinishDocument();
    } else {
      Fail("connection closed before end of document" + suffix);
    }
  }
}

void HttpResponseReader::Fail(std::string reason) {
  state_ = State::Failed;
  failure_ = std::move(reason);
}

}  // namespace sv::net
