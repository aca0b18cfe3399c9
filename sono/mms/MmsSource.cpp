#include "sono/mms/MmsSource.h"

#include <algorithm>
#include <mutex>
#include <optional>

#include "base/Ascii.h"
#include "sono/net/ProxySetting.h"
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

// The library's view of the network. Sockets are handed over to it (it
// closes them itself); each call borrows the handle for its own duration.
class Io {
 public:
  Io(MmsOptions options, std::optional<net::ProxySetting> proxy)
      : options_(std::move(options)), proxy_(std::move(proxy)) {
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

  void Note(IoStatus status) {
    if (status != IoStatus::Ok) error_ = ErrorOf(status);
  }

  int Connect(const char* host, int port) {
    if (!host || port <= 0 || port > 65535) {
      error_ = NetError::BadUrl;
      return -1;
    }
    Socket socket;
    IoStatus status = IoStatus::Ok;
    if (proxy_) {
      status = Socket::Connect(proxy_->host, proxy_->port, options_.connectTimeoutMs, Cancel(), socket);
      if (status == IoStatus::Ok) status = Tunnel(socket, host, port);
    } else {
      status = Socket::Connect(host, static_cast<uint16_t>(port), options_.connectTimeoutMs, Cancel(), socket);
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
    IoStatus status = socket.SendAll(request, options_.readTimeoutMs, Cancel());
    std::string head;
    while (status == IoStatus::Ok && head.find("\r\n\r\n") == std::string::npos) {
      if (head.size() > 8192) return IoStatus::Failed;
      char c = 0;
      size_t got = 0;
      status = socket.Receive(&c, 1, got, options_.readTimeoutMs, Cancel());
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
    const std::string_view bytes(buf, num);
    // A request over HTTP: the answer's head that follows is kept.
    if (bytes.starts_with("GET ") || bytes.starts_with("POST ")) {
      capturing_ = fd;
      line_.clear();
      pending_.clear();
    }
    Socket socket = Socket::Adopt(fd);
    const IoStatus status = socket.SendAll(bytes, options_.readTimeoutMs, Cancel());
    socket.Release();
    Note(status);
    return status == IoStatus::Ok ? static_cast<mms_off_t>(num) : -1;
  }

  mms_off_t Read(int fd, char* buf, size_t num) {
    Socket socket = Socket::Adopt(fd);
    size_t done = 0;
    IoStatus status = IoStatus::Ok;
    while (done < num) {
      size_t got = 0;
      status = socket.Receive(buf + done, num - done, got, options_.readTimeoutMs, Cancel());
      if (status != IoStatus::Ok) break;
      done += got;
    }
    socket.Release();
    if (status != IoStatus::Closed) Note(status);
    if (fd == capturing_) Capture(buf, done);
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
  std::optional<net::ProxySetting> proxy_;
  mms_io_t table_{};
  NetError error_ = NetError::None;
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
  const auto host = url.size() > 6 ? url.substr(6, url.find_first_of("/:?", 6) - 6) : std::string();
  if (!IsMmsUrl(url) || host.empty()) {
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
  state->io = std::make_unique<Io>(options, std::move(proxy));
  // The bandwidth asks for the best audio stream the server offers.
  state->stream.reset(mmsx_connect(state->io->Table(), nullptr, url.c_str(), 1 << 30));
  if (!state->stream) {
    const NetError why = state->io->LastError();
    result.error = why == NetError::None || why == NetError::Closed ? NetError::BadResponse : why;
    if (options.cancel->load()) result.error = NetError::Cancelled;
    return result;
  }
  // A failed try over TCP before HTTP answered says nothing of the stream.
  state->io->ForgetError();
  state->headers = state->io->HeaderLines();
  result.source = std::make_unique<MmsSource>(std::move(state));
  return result;
}

}  // namespace sono::mms
