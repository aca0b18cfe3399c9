#include "ScriptedServer.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <thread>

#ifndef _WIN32
#include <unistd.h>
#endif

#include "sono/net/platform/Socket.h"

namespace sono_test {

namespace {

using sono::net::IoStatus;

constexpr int kDeadlineMs = 60000;

std::string Substituted(std::string bytes, uint16_t port) {
  const std::string mark = "{PORT}";
  for (size_t at = bytes.find(mark); at != std::string::npos; at = bytes.find(mark, at)) {
    bytes.replace(at, mark.size(), std::to_string(port));
  }
  return bytes;
}

class ThreadServer : public ScriptedServer {
 public:
  explicit ThreadServer(std::vector<Reply> replies)
      : listener_(sono::net::Listener::OnLoopback()), replies_(std::move(replies)) {
    if (listener_.IsOpen()) worker_ = std::thread([this] { Run(); });
  }
  ~ThreadServer() override {
    stop_ = true;
    if (worker_.joinable()) worker_.join();
  }
  bool Started() const { return listener_.IsOpen(); }
  uint16_t Port() const override { return listener_.Port(); }
  std::vector<std::string> Requests() override {
    if (worker_.joinable()) worker_.join();
    return requests_;
  }

 private:
  void Run() {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(kDeadlineMs);
    const auto left = [&] {
      return static_cast<int>(
          std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now()).count());
    };
    for (const Reply& reply : replies_) {
      sono::net::Socket peer;
      if (listener_.Accept(peer, left(), &stop_) != IoStatus::Ok) return;
      std::string head;
      char chunk[4096];
      while (head.find("\r\n\r\n") == std::string::npos) {
        size_t count = 0;
        if (peer.Receive(chunk, sizeof chunk, count, left(), &stop_) != IoStatus::Ok) break;
        head.append(chunk, count);
      }
      requests_.push_back(head);
      if (peer.SendAll(Substituted(reply.bytes, Port()), left(), &stop_) != IoStatus::Ok) continue;
      if (reply.stall) {
        size_t count = 0;
        while (peer.Receive(chunk, sizeof chunk, count, left(), &stop_) == IoStatus::Ok) {
        }
      }
    }
  }

  sono::net::Listener listener_;
  std::vector<Reply> replies_;
  std::vector<std::string> requests_;
  std::atomic<bool> stop_{false};
  std::thread worker_;
};

#ifndef _WIN32
std::string Hex(const std::string& bytes) {
  static const char digits[] = "0123456789abcdef";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

std::string Unhex(const std::string& hex) {
  std::string out;
  for (size_t i = 0; i + 1 < hex.size(); i += 2) out += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
  return out;
}

class PythonServer : public ScriptedServer {
 public:
  explicit PythonServer(const std::vector<Reply>& replies) {
    static std::atomic<int> counter{0};
    script_ = std::filesystem::temp_directory_path() /
              ("sono-net-script-" + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".txt");
    {
      std::ofstream out(script_);
      for (const Reply& reply : replies) out << (reply.stall ? "stall " : "close ") << Hex(reply.bytes) << "\n";
    }
    const std::string command = "/usr/bin/python3 '" + std::string(SONO_NET_SERVER_SCRIPT) + "' '" +
                                script_.string() + "'";
    pipe_ = popen(command.c_str(), "r");
    if (!pipe_) return;
    char line[64] = {};
    if (std::fgets(line, sizeof line, pipe_)) std::sscanf(line, "PORT %hu", &port_);
  }
  ~PythonServer() override {
    Requests();
    std::filesystem::remove(script_);
  }
  bool Started() const { return port_ != 0; }
  uint16_t Port() const override { return port_; }
  std::vector<std::string> Requests() override {
    if (pipe_) {
      std::string text;
      char chunk[4096];
      for (size_t n; (n = std::fread(chunk, 1, sizeof chunk, pipe_)) > 0;) text.append(chunk, n);
      pclose(pipe_);
      pipe_ = nullptr;
      for (size_t at = 0; at < text.size();) {
        const size_t end = text.find('\n', at);
        const std::string line = text.substr(at, end - at);
        if (line.rfind("REQUEST ", 0) == 0) requests_.push_back(Unhex(line.substr(8)));
        at = end == std::string::npos ? text.size() : end + 1;
      }
    }
    return requests_;
  }

 private:
  std::filesystem::path script_;
  FILE* pipe_ = nullptr;
  uint16_t port_ = 0;
  std::vector<std::string> requests_;
};
#endif

}  // namespace

std::unique_ptr<ScriptedServer> StartServer(ServerKind kind, std::vector<Reply> replies) {
#ifndef _WIN32
  if (kind == ServerKind::Python) {
    auto server = std::make_unique<PythonServer>(replies);
    if (!server->Started()) return nullptr;
    return server;
  }
#endif
  auto server = std::make_unique<ThreadServer>(std::move(replies));
  if (!server->Started()) return nullptr;
  return server;
}

}  // namespace sono_test
