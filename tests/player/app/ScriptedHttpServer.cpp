#include "ScriptedHttpServer.h"

#include <ws2tcpip.h>

namespace playertest {

namespace {

SOCKET Listen(std::uint16_t& port) {
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  int length = sizeof address;
  if (bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 && listen(listener, 8) == 0 &&
      getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  return listener;
}

}  // namespace

ScriptedHttpServer::ScriptedHttpServer(std::function<ScriptedReply(const std::string& head)> script)
    : script_(std::move(script)) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  listener_ = Listen(port_);
  thread_ = std::thread([this] { Serve(); });
}

ScriptedHttpServer::~ScriptedHttpServer() {
  stop_ = true;
  closesocket(listener_);
  thread_.join();
  for (SOCKET socket : stalled_) closesocket(socket);
  WSACleanup();
}

std::vector<std::string> ScriptedHttpServer::Heads() {
  std::lock_guard lock(mutex_);
  return heads_;
}

std::vector<std::string> ScriptedHttpServer::Requests() {
  std::vector<std::string> lines;
  for (const std::string& head : Heads()) {
    std::string line = head.substr(0, head.find("\r\n"));
    line = line.substr(0, line.rfind(" HTTP/"));
    lines.push_back(line);
  }
  return lines;
}

ScriptedReply ScriptedHttpServer::Reply(int status, const std::string& body, const std::string& extraHeaders) {
  std::string bytes = "HTTP/1.0 " + std::to_string(status) + " Status " + std::to_string(status) +
                      "\r\nContent-Type: text/plain\r\nContent-Length: " + std::to_string(body.size()) + "\r\n" +
                      extraHeaders + "\r\n" + body;
  return {bytes, false};
}

std::uint16_t ScriptedHttpServer::ClosedPort() {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  std::uint16_t port = 0;
  closesocket(Listen(port));
  WSACleanup();
  return port;
}

void ScriptedHttpServer::Serve() {
  while (!stop_) {
    SOCKET client = accept(listener_, nullptr, nullptr);
    if (client == INVALID_SOCKET) return;
    std::string head;
    char buffer[4096];
    while (head.find("\r\n\r\n") == std::string::npos && head.size() < 65536) {
      const int got = recv(client, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      head.append(buffer, static_cast<std::size_t>(got));
    }
    {
      std::lock_guard lock(mutex_);
      heads_.push_back(head);
    }
    const ScriptedReply reply = script_(head);
    if (reply.stall) {
      stalled_.push_back(client);
      continue;
    }
    std::size_t sent = 0;
    while (sent < reply.bytes.size()) {
      const int put = send(client, reply.bytes.data() + sent, static_cast<int>(reply.bytes.size() - sent), 0);
      if (put <= 0) break;
      sent += static_cast<std::size_t>(put);
    }
    shutdown(client, SD_SEND);
    closesocket(client);
  }
}

}  // namespace playertest
