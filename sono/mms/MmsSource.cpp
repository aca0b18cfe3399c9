#include "sono/mms/MmsSource.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include "base/Ascii.h"
#include "sono/net/ProxySetting.h"
#include "sono/net/Url.h"
#include "sono/net/platform/Socket.h"

extern "C" {
#include <libmms/mmsx.h>
}

namespace sono::mms {

namespace {

using net::IoStatus;
using net::Socket;

NetError ErrorOf(IoStatus status) {
  switch (status) {
    case IoStatus::TimedOut: return NetError::TimedOut;
    case IoStatus::Cancelled: return NetError::Cancelled;
    case IoStatus::Closed: return NetError::Closed;
    default: return NetError::ConnectFailed;
  }
}

// Where the address points. The library connects there for both protocols,
// at the port given or at each protocol's own (80 over HTTP, 1755 over TCP).
struct Station {
  std::string host;
  std::optional<uint16_t> port;
  uint16_t HttpPort() const { return port.value_or(80); }
  bool Is(std::string_view otherHost, int otherPort) const {
    if (sv::LowerAscii(otherHost) != sv::LowerAscii(host)) return false;
    return port ? otherPort == *port : otherPort == 80 || otherPort == 1755;
  }
};

std::optional<Station> StationOf(const std::string& url) {
  if (!IsMmsUrl(url)) return std::nullopt;
  std::string_view authority = std::string_view(url).substr(6);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);
  Station station;
  std::string_view port;
  if (authority.starts_with('[')) {
    const size_t close = authority.find(']');
    if (close == std::string_view::npos) return std::nullopt;
    station.host = std::string(authority.substr(1, close - 1));
    const std::string_view after = authority.substr(close + 1);
    if (!after.empty() && !after.starts_with(':')) return std::nullopt;
    if (!after.empty()) port = after.substr(1);
  } else {
    const size_t colon = authority.find(':');
    station.host = std::string(authority.substr(0, colon));
    if (colon != std::string_view::npos) port = authority.substr(colon + 1);
  }
  if (station.host.empty()) return std::nullopt;
  if (!port.empty()) {
    station.port = net::ParsePort(port);
    if (!station.port) return std::nullopt;
  }
  return station;
}

// A request in the absolute form a proxy is asked with, as the library
// writes it when it found a proxy in the environment: "GET http://h/p ...".
// The origin form "GET /p ..." is what the station itself expects.
std::string OriginForm(std::string_view request) {
  const size_t space = request.find(' ');
  if (space == std::string_view::npos || !sv::SameTextAscii(request.substr(space + 1, 7), "http://")) {
    return std::string(request);
  }
  const size_t target = space + 8;
  const size_t end = request.find(' ', target);
  const size_t slash = request.find('/', target);
  std::string origin(request.substr(0, space + 1));
  if (slash == std::string_view::npos || slash > end) origin += '/';
  else origin += request.substr(slash, end - slash);
  origin += request.substr(end == std::string_view::npos ? request.size() : end);
  return origin;
}

// The library's view of the network. Sockets are handed over to it (it
// closes them itself); each call borrows the handle for its own duration.
class Io {
 public:
  // A server that makes the library write this often before the first
  // audio is stalling (each ping it sends is answered, one level of the
  // library's recursion deeper).
  static constexpr int kMaxOpenWrites = 64;

  Io(MmsOptions options, Station station, std::optional<net::ProxySetting> proxy)
      : options_(std::move(options)), station_(std::move(station)), proxy_(std::move(proxy)) {
    table_.select = [](void*, int, int, int) { return static_cast<int>(MMS_IO_STATUS_READY); };
    table_.select_data = this;
    table_.read = [](void* self, int fd, char* buf, mms_off_t num) {
      return static_cast<Io*>(self)->Read(fd, buf, static_cast<size_t>(num));
    };
    table_.read_data = this;
    table_.write = [](void* self, int fd, char* buf, mms_off_t num) {
      return static_cast<Io*>(self)->Write(fd, buf, static_cast<size_t>(num));
    };
    table_.write_data = this;
    table_.connect = [](void* self, const char* host, int port) { return static_cast<Io*>(self)->Connect(host, port); };
    table_.connect_data = this;
  }
  Io(const Io&) = delete;
  Io& operator=(const Io&) = delete;

  mms_io_t* Table() { return &table_; }
  NetError LastError() const { return error_; }
  void ForgetError() { error_ = NetError::None; }
  std::vector<std::string> HeaderLines() const {
    std::lock_guard lock(mutex_);
    return headers_;
  }

 private:
  const std::atomic<bool>* Cancel() const { return options_.cancel.get(); }
  net::OpenBudget* Budget() const { return options_.budget.get(); }
  int WaitMs(int timeoutMs) const { return Budget() ? Budget()->WaitMs(timeoutMs) : timeoutMs; }

  void Note(IoStatus status) {
    if (status != IoStatus::Ok) error_ = ErrorOf(status);
  }

  // False, with the reason kept, once the open has spent its time or bytes.
  bool WithinBudget() {
    net::OpenBudget* budget = Budget();
    if (!budget || budget->Finished()) return true;
    if (!budget->TimeLeft()) error_ = NetError::TimedOut;
    else if (!budget->BytesLeft() || writes_ > kMaxOpenWrites) error_ = NetError::BadResponse;
    else return true;
    return false;
  }

  int Connect(const char* host, int port) {
    if (!host || port <= 0 || port > 65535) {
      error_ = NetError::BadUrl;
      return -1;
    }
    if (!WithinBudget()) return -1;
    // Only the answer of the connection that carries the stream counts: a
    // failed try over HTTP before TCP says nothing of it.
    {
      std::lock_guard lock(mutex_);
      headers_.clear();
    }
    capturing_ = -1;
    // The library takes a proxy from the environment for its HTTP try, and
    // connects there; the proxy setting alone decides, so that connection
    // goes to the station (through the set proxy, if any).
    std::string target = host;
    uint16_t targetPort = static_cast<uint16_t>(port);
    if (!station_.Is(host, port)) {
      target = station_.host;
      targetPort = station_.HttpPort();
    }
    Socket socket;
    IoStatus status = IoStatus::Ok;
    if (proxy_) {
      status = Socket::Connect(proxy_->host, proxy_->port, WaitMs(options_.connectTimeoutMs), Cancel(), socket);
      if (status == IoStatus::Ok) status = Tunnel(socket, target, targetPort);
    } else {
      status = Socket::Connect(target, targetPort, WaitMs(options_.connectTimeoutMs), Cancel(), socket);
    }
    if (status != IoStatus::Ok) {
      Note(status == IoStatus::Closed ? IoStatus::Failed : status);
      return -1;
    }
    // The library keeps socket numbers in an int; a Winsock handle fits.
    return static_cast<int>(socket.Release());
  }

  // CONNECT through the proxy, so that both protocols pass it unchanged.
  IoStatus Tunnel(Socket& socket, const std::string& host, int port) {
    const std::string target = host + ":" + std::to_string(port);
    std::string request = "CONNECT " + target + " HTTP/1.0\r\nHost: " + target + "\r\n";
    if (!proxy_->user.empty()) request += "Proxy-Authorization: " + proxy_->BasicCredentials() + "\r\n";
    request += "\r\n";
    IoStatus status = socket.SendAll(request, WaitMs(options_.readTimeoutMs), Cancel());
    std::string head;
    while (status == IoStatus::Ok && head.find("\r\n\r\n") == std::string::npos) {
      if (head.size() > 8192) return IoStatus::Failed;
      if (!WithinBudget()) return IoStatus::TimedOut;
      char c = 0;
      size_t got = 0;
      status = socket.Receive(&c, 1, got, WaitMs(options_.readTimeoutMs), Cancel());
      if (status == IoStatus::Ok) head += c;
    }
    if (status != IoStatus::Ok) return status;
    const size_t space = head.find(' ');
    if (!head.starts_with("HTTP/") || space == std::string::npos || head.compare(space + 1, 3, "200") != 0) {
      return IoStatus::Failed;
    }
    return IoStatus::Ok;
  }

  mms_off_t Write(int fd, const char* buf, size_t num) {
    ++writes_;
    if (!WithinBudget()) return -1;
    std::string_view bytes(buf, num);
    std::string origin;
    // A request over HTTP: the answer's head that follows is kept.
    if (bytes.starts_with("GET ") || bytes.starts_with("POST ")) {
      capturing_ = fd;
      line_.clear();
      pending_.clear();
      origin = OriginForm(bytes);
      bytes = origin;
    }
    Socket socket = Socket::Adopt(fd);
    const IoStatus status = socket.SendAll(bytes, WaitMs(options_.readTimeoutMs), Cancel());
    socket.Release();
    Note(status);
    return status == IoStatus::Ok ? static_cast<mms_off_t>(num) : -1;
  }

  mms_off_t Read(int fd, char* buf, size_t num) {
    Socket socket = Socket::Adopt(fd);
    size_t done = 0;
    IoStatus status = IoStatus::Ok;
    bool spent = false;
    while (done < num) {
      if (!WithinBudget()) {
        spent = true;
        break;
      }
      size_t got = 0;
      status = socket.Receive(buf + done, num - done, got, WaitMs(options_.readTimeoutMs), Cancel());
      if (status != IoStatus::Ok) break;
      if (Budget()) Budget()->Take(got);
      done += got;
    }
    socket.Release();
    if (status != IoStatus::Closed) Note(status);
    if (fd == capturing_) Capture(buf, done);
    if (spent) return -1;
    if (done == 0 && status != IoStatus::Ok && status != IoStatus::Closed) return -1;
    return static_cast<mms_off_t>(done);
  }

  void Capture(const char* bytes, size_t size) {
    constexpr size_t kMaxLine = 8192;
    for (size_t i = 0; i < size && capturing_ != -1; ++i) {
      const char c = bytes[i];
      if (c != '\n') {
        if (c != '\r' && line_.size() < kMaxLine) line_ += c;
        continue;
      }
      if (line_.empty()) {
        capturing_ = -1;
        std::lock_guard lock(mutex_);
        headers_ = std::move(pending_);
        pending_.clear();
      } else {
        pending_.push_back(std::move(line_));
        line_.clear();
      }
    }
  }

  MmsOptions options_;
  Station station_;
  std::optional<net::ProxySetting> proxy_;
  mms_io_t table_{};
  NetError error_ = NetError::None;
  int writes_ = 0;
  int capturing_ = -1;
  std::string line_;
  std::vector<std::string> pending_;
  mutable std::mutex mutex_;
  std::vector<std::string> headers_;
};

struct MmsxCloser {
  void operator()(mmsx_t* stream) const { mmsx_close(stream); }
};

}  // namespace

struct MmsSource::State {
  std::unique_ptr<Io> io;
  std::unique_ptr<mmsx_t, MmsxCloser> stream;
  std::vector<std::string> headers;
  int64_t position = 0;
  NetError error = NetError::None;
};

MmsSource::MmsSource(std::unique_ptr<State> state) : state_(std::move(state)) {}
MmsSource::~MmsSource() = default;

size_t MmsSource::Read(void* buffer, size_t size) {
  State& s = *state_;
  if (s.error != NetError::None || size == 0) return 0;
  size_t done = 0;
  while (done < size) {
    const int chunk = static_cast<int>(std::min<size_t>(size - done, 1 << 20));
    const int got = mmsx_read(s.io->Table(), s.stream.get(), static_cast<char*>(buffer) + done, chunk);
    if (got <= 0) {
      // The end of a stream the server finished is no failure.
      const NetError why = s.io->LastError();
      if (got < 0 || (why != NetError::None && why != NetError::Closed)) {
        s.error = why == NetError::None ? NetError::BadResponse : why;
      }
      break;
    }
    done += static_cast<size_t>(got);
  }
  s.position += static_cast<int64_t>(done);
  return done;
}

int64_t MmsSource::Tell() const { return state_->position; }
bool MmsSource::Failed() const { return state_->error != NetError::None; }
NetError MmsSource::Error() const { return state_->error; }
const std::vector<std::string>& MmsSource::HeaderLines() const { return state_->headers; }

bool IsMmsUrl(const std::string& url) { return sv::LowerAscii(url.substr(0, 6)) == "mms://"; }

MmsOpenResult OpenMms(const std::string& url, MmsOptions options) {
  MmsOpenResult result;
  auto station = StationOf(url);
  if (!station) {
    result.error = NetError::BadUrl;
    return result;
  }
  std::optional<net::ProxySetting> proxy;
  if (!sv::TrimBlanks(options.proxy).empty()) {
    proxy = net::ParseProxySetting(options.proxy);
    if (!proxy) {
      result.error = NetError::BadProxy;
      return result;
    }
  }
  if (!options.cancel) options.cancel = std::make_shared<std::atomic<bool>>(false);
  auto state = std::make_unique<MmsSource::State>();
  state->io = std::make_unique<Io>(options, std::move(*station), std::move(proxy));
  // The bandwidth asks for the best audio stream the server offers.
  state->stream.reset(mmsx_connect(state->io->Table(), nullptr, url.c_str(), 1 << 30));
  if (!state->stream) {
    const NetError why = state->io->LastError();
    result.error = why == NetError::None || why == NetError::Closed ? NetError::BadResponse : why;
    if (options.cancel->load()) result.error = NetError::Cancelled;
    return result;
  }
  // A failed try over HTTP before TCP answered says nothing of the stream.
  state->io->ForgetError();
  state->headers = state->io->HeaderLines();
  result.source = std::make_unique<MmsSource>(std::move(state));
  return result;
}

}  // namespace sono::mms
