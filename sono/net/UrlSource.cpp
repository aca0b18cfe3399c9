#include "sono/net/UrlSource.h"

#include <cstdint>

#include "base/Ascii.h"
#include "sono/net/HttpRequest.h"
#include "sono/net/IcyDemuxer.h"
#include "sono/net/IcyMetadata.h"
#include "sono/net/ResponseHead.h"
#include "sono/net/platform/Socket.h"

namespace sono::net {

struct UrlSource::State {
  Socket socket;
  std::shared_ptr<std::atomic<bool>> cancel;
  std::shared_ptr<OpenBudget> budget;
  int readTimeoutMs = 0;
  std::function<void(const IcyUpdate&)> onMetadata;
  IcyDemuxer demuxer{0};
  std::vector<uint8_t> pending;
  size_t pendingAt = 0;
  std::vector<std::string> headerLines;
  std::string finalUrl;
  std::string extension;
  std::string lastMetadata;
  int64_t delivered = 0;
  bool ended = false;
  std::atomic<NetError> error{NetError::None};
};

namespace {

constexpr size_t kReceiveChunk = 16 * 1024;

NetError FromStatus(IoStatus status) {
  switch (status) {
    case IoStatus::TimedOut: return NetError::TimedOut;
    case IoStatus::Cancelled: return NetError::Cancelled;
    case IoStatus::Closed: return NetError::Closed;
    default: return NetError::ConnectFailed;
  }
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// What the decoders should expect: the content type first, the address's
// file name extension otherwise.
std::string ExtensionFor(const ResponseHead& head, const HttpUrl& url) {
  if (const auto type = head.Find("Content-Type")) {
    const std::string media = sv::LowerAscii(sv::TrimBlanks(type->substr(0, type->find(';'))));
    if (media == "audio/mpeg" || media == "audio/mp3" || media == "audio/x-mpeg" || media == "audio/mpeg3") {
      return ".mp3";
    }
    if (media == "application/ogg" || media == "audio/ogg" || media == "audio/x-ogg" || media == "audio/vorbis") {
      return ".ogg";
    }
  }
  const std::string_view path = std::string_view(url.path).substr(0, url.path.find('?'));
  const size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos || path.size() - dot > 6) {
    return {};
  }
  return sv::LowerAscii(path.substr(dot));
}

// A wait cut to what the open has left; no bound without a budget.
int WaitMs(const OpenBudget* budget, int timeoutMs) { return budget ? budget->WaitMs(timeoutMs) : timeoutMs; }

// Why the open may not go on, or None.
NetError Spent(const OpenBudget* budget) {
  if (!budget) return NetError::None;
  if (!budget->TimeLeft()) return NetError::TimedOut;
  return budget->BytesLeft() ? NetError::None : NetError::BadResponse;
}

struct Exchange {
  NetError error = NetError::None;
  Socket socket;
  std::string received;  // head and the body bytes that came with it
  size_t headEnd = 0;
};

Exchange Ask(const HttpUrl& target, const ProxySetting* proxy, const UrlOptions& options) {
  Exchange exchange;
  const std::atomic<bool>* cancel = options.cancel.get();
  OpenBudget* budget = options.budget.get();
  if ((exchange.error = Spent(budget)) != NetError::None) return exchange;
  const std::string& host = proxy ? proxy->host : target.host;
  const uint16_t port = proxy ? proxy->port : target.port;
  IoStatus status = Socket::Connect(host, port, WaitMs(budget, options.connectTimeoutMs), cancel, exchange.socket);
  if (status == IoStatus::Ok) {
    status = exchange.socket.SendAll(BuildStreamRequest(target, proxy), WaitMs(budget, options.readTimeoutMs), cancel);
  }
  if (status != IoStatus::Ok) {
    exchange.error = FromStatus(status);
    return exchange;
  }
  char chunk[4096];
  for (;;) {
    // A head sent a line at a time would keep each wait short for good.
    if ((exchange.error = Spent(budget)) != NetError::None) return exchange;
    size_t count = 0;
    status = exchange.socket.Receive(chunk, sizeof chunk, count, WaitMs(budget, options.readTimeoutMs), cancel);
    if (status == IoStatus::Closed && !exchange.received.empty()) status = IoStatus::Failed;
    if (status != IoStatus::Ok) {
      exchange.error = status == IoStatus::Failed ? NetError::BadResponse : FromStatus(status);
      return exchange;
    }
    if (budget) budget->Take(count);
    // Only the new bytes and the three before them can complete the end.
    const size_t from = exchange.received.size() > 3 ? exchange.received.size() - 3 : 0;
    exchange.received.append(chunk, count);
    const size_t end = FindHeadEnd(std::string_view(exchange.received).substr(from));
    if (end != std::string_view::npos) {
      exchange.headEnd = from + end;
      return exchange;
    }
    if (exchange.received.size() > kMaxHeadSize) {
      exchange.error = NetError::BadResponse;
      return exchange;
    }
  }
}

}  // namespace

UrlSource::UrlSource(std::unique_ptr<State> state) : state_(std::move(state)) {}
UrlSource::~UrlSource() = default;

int64_t UrlSource::Tell() const { return state_->delivered; }
bool UrlSource::Failed() const { return state_->error.load() != NetError::None; }
std::string UrlSource::ExtensionHint() const { return state_->extension; }
NetError UrlSource::Error() const { return state_->error.load(); }
const std::vector<std::string>& UrlSource::HeaderLines() const { return state_->headerLines; }
const std::string& UrlSource::FinalUrl() const { return state_->finalUrl; }
void UrlSource::Cancel() { state_->cancel->store(true); }

size_t UrlSource::Read(void* buffer, size_t size) {
  State& s = *state_;
  auto* out = static_cast<uint8_t*>(buffer);
  size_t produced = 0;
  while (produced < size && !s.ended && s.error.load() == NetError::None) {
    if (s.pendingAt == s.pending.size()) {
      // Until the decoder has found its first audio, the open's budget holds.
      if (const NetError spent = Spent(s.budget.get()); spent != NetError::None) {
        s.error = spent;
        break;
      }
      s.pending.resize(kReceiveChunk);
      size_t count = 0;
      const IoStatus status = s.socket.Receive(s.pending.data(), s.pending.size(), count,
                                               WaitMs(s.budget.get(), s.readTimeoutMs), s.cancel.get());
      if (s.budget) s.budget->Take(count);
      s.pending.resize(count);
      s.pendingAt = 0;
      if (status == IoStatus::Closed && !s.demuxer.InsideMetadata() && s.delivered + produced > 0) {
        s.ended = true;
      } else if (status != IoStatus::Ok) {
        s.error = status == IoStatus::Failed ? NetError::Closed : FromStatus(status);
      }
      continue;
    }
    const auto step = s.demuxer.Process(s.pending.data() + s.pendingAt, s.pending.size() - s.pendingAt,
                                        out + produced, size - produced);
    s.pendingAt += step.consumed;
    produced += step.produced;
    while (s.demuxer.HasBlock()) {
      const std::string block = s.demuxer.TakeBlock();
      const std::string_view text = MetadataText(block);
      if (text.empty() || text == s.lastMetadata) continue;
      s.lastMetadata = std::string(text);
      if (s.onMetadata) s.onMetadata(IcyUpdate{s.lastMetadata, StreamTitle(text).value_or(std::string())});
    }
  }
  s.delivered += static_cast<int64_t>(produced);
  return produced;
}

UrlOpenResult OpenUrl(const std::string& url, UrlOptions options) {
  UrlOpenResult result;
  auto target = SplitHttpUrl(url);
  if (!target) {
    result.error = NetError::BadUrl;
    return result;
  }
  std::optional<ProxySetting> proxy;
  if (!sv::TrimBlanks(options.proxy).empty()) {
    proxy = ParseProxySetting(options.proxy);
    if (!proxy) {
      result.error = NetError::BadProxy;
      return result;
    }
  }
  if (!options.cancel) options.cancel = std::make_shared<std::atomic<bool>>(false);

  for (int hop = 0;; ++hop) {
    Exchange exchange = Ask(*target, proxy ? &*proxy : nullptr, options);
    if (exchange.error != NetError::None) {
      result.error = exchange.error;
      return result;
    }
    const auto head = ParseResponseHead(std::string_view(exchange.received).substr(0, exchange.headEnd));
    if (!head) {
      result.error = NetError::BadResponse;
      return result;
    }
    result.status = head->status;
    if (IsRedirect(head->status)) {
      const auto location = head->Find("Location");
      if (!location) {
        result.error = NetError::HttpStatus;
        return result;
      }
      if (hop >= options.maxRedirects) {
        result.error = NetError::TooManyRedirects;
        return result;
      }
      target = ResolveLocation(*target, *location);
      if (!target) {
        result.error = NetError::BadUrl;
        return result;
      }
      continue;
    }
    if (head->status != 200) {
      result.error = NetError::HttpStatus;
      return result;
    }
    const auto interval = MetaInterval(*head);
    if (!interval) {
      result.error = NetError::BadResponse;
      return result;
    }
    auto state = std::make_unique<UrlSource::State>();
    state->socket = std::move(exchange.socket);
    state->cancel = options.cancel;
    state->budget = options.budget;
    state->readTimeoutMs = options.readTimeoutMs;
    state->onMetadata = std::move(options.onMetadata);
    state->demuxer = IcyDemuxer(*interval);
    state->pending.assign(exchange.received.begin() + static_cast<std::ptrdiff_t>(exchange.headEnd),
                          exchange.received.end());
    state->headerLines = head->lines;
    state->finalUrl = target->Absolute();
    state->extension = ExtensionFor(*head, *target);
    result.source = std::make_unique<UrlSource>(std::move(state));
    return result;
  }
}

const char* DescribeNetError(NetError error) {
  switch (error) {
    case NetError::None: return "no error";
    case NetError::BadUrl: return "not an http:// address";
    case NetError::BadProxy: return "the proxy setting is not user:password@host:port";
    case NetError::ConnectFailed: return "the server could not be reached";
    case NetError::TimedOut: return "the server did not answer in time";
    case NetError::BadResponse: return "the server's answer is not a stream";
    case NetError::HttpStatus: return "the server refused the request";
    case NetError::TooManyRedirects: return "too many redirects";
    case NetError::Closed: return "the server closed the connection";
    case NetError::Cancelled: return "cancelled";
  }
  return "unknown error";
}

}  // namespace sono::net
