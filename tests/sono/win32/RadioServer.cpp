#include "RadioServer.h"

#include <ws2tcpip.h>

namespace sono_test {

namespace {

constexpr size_t kMetaInterval = 8192;

std::string MetadataBlock(const std::string& text) {
  const size_t units = (text.size() + 15) / 16;
  std::string block(1, static_cast<char>(units));
  block += text;
  block.resize(1 + units * 16, '\0');
  return block;
}

}  // namespace

RadioServer::RadioServer(std::string mp3, std::vector<std::string> titles)
    : mp3_(std::move(mp3)), titles_(std::move(titles)) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(listener_, 1) == 0 &&
      getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port_ = ntohs(address.sin_port);
  }
  thread_ = std::thread([this] { Serve(); });
}

RadioServer::~RadioServer() {
  stop_ = true;
  closesocket(listener_);
  if (SOCKET client = client_.exchange(INVALID_SOCKET); client != INVALID_SOCKET) {
    shutdown(client, SD_BOTH);
    closesocket(client);
  }
  thread_.join();
  WSACleanup();
}

std::string RadioServer::Request() {
  std::lock_guard lock(mutex_);
  return request_;
}

bool RadioServer::SendAll(SOCKET socket, const std::string& bytes) {
  size_t sent = 0;
  while (sent < bytes.size() && !stop_) {
    // Waits in short steps so that the destructor's stop is seen even when
    // the client stopped reading.
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(socket, &writable);
    timeval step{0, 50000};
    const int ready = select(0, nullptr, &writable, nullptr, &step);
    if (ready < 0) return false;
    if (ready == 0) continue;
    const int n = send(socket, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
    if (n <= 0) return false;
    sent += static_cast<size_t>(n);
  }
  return sent == bytes.size();
}

void RadioServer::Serve() {
  const SOCKET client = accept(listener_, nullptr, nullptr);
  if (client == INVALID_SOCKET) return;
  client_ = client;
  std::string head;
  char buffer[1024];
  while (head.find("\r\n\r\n") == std::string::npos && !stop_) {
    const int n = recv(client, buffer, sizeof buffer, 0);
    if (n <= 0) break;
    head.append(buffer, static_cast<size_t>(n));
  }
  {
    std::lock_guard lock(mutex_);
    request_ = head;
  }
  bool open = SendAll(client,
                      "ICY 200 OK\r\nicy-name:Loopback FM\r\ncontent-type:audio/mpeg\r\nicy-metaint:8192\r\n\r\n");
  size_t at = 0;
  for (size_t block = 0; open && !stop_ && !mp3_.empty(); ++block) {
    std::string audio;
    while (audio.size() < kMetaInterval) {
      const size_t count = std::min(kMetaInterval - audio.size(), mp3_.size() - at);
      audio.append(mp3_, at, count);
      at = (at + count) % mp3_.size();
    }
    open = SendAll(client, audio) && SendAll(client, MetadataBlock(block < titles_.size() ? titles_[block] : ""));
  }
  if (SOCKET own = client_.exchange(INVALID_SOCKET); own != INVALID_SOCKET) closesocket(own);
}

}  // namespace sono_test
