// Throughput of a blocking Get: a loopback server thread sends a 100 MB body
// and the client stores it in memory. Then two timings the tests leave to
// this program: how long a silent server keeps a call with a 700 ms idle
// time-out, and the processor time spent waiting on it; and the rate of a
// body under bandwidth control against its limit. With a file name argument
// the server then writes its port to that file and serves the 100 MB body
// once more to an outside client (http_client_bench.sh runs curl against it).
#include <winsock2.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <thread>

#include "net/win32/HttpClient.h"

namespace {

constexpr long long kBodySize = 100ll << 20;

struct Listener {
  SOCKET socket = INVALID_SOCKET;
  unsigned short port = 0;
  Listener() {
    socket = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(socket, reinterpret_cast<sockaddr*>(&address), sizeof address);
    int length = sizeof address;
    getsockname(socket, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    listen(socket, 1);
  }
  ~Listener() { closesocket(socket); }
};

bool SendAll(SOCKET s, const char* data, int len) {
  while (len > 0) {
    const int sent = send(s, data, len, 0);
    if (sent <= 0) return false;
    data += sent;
    len -= sent;
  }
  return true;
}

// Accepts one connection within timeoutSeconds, reads its request and sends
// the body.
void ServeOnce(SOCKET listener, long timeoutSeconds) {
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(listener, &readable);
  timeval wait{timeoutSeconds, 0};
  if (select(0, &readable, nullptr, nullptr, &wait) != 1) return;
  SOCKET client = accept(listener, nullptr, nullptr);
  if (client == INVALID_SOCKET) return;
  std::string request;
  char byte;
  while (request.size() < 65536 && request.find("\r\n\r\n") == std::string::npos && recv(client, &byte, 1, 0) == 1)
    request += byte;
  const std::string header = "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(kBodySize) + "\r\n\r\n";
  SendAll(client, header.data(), static_cast<int>(header.size()));
  const std::string block(64 * 1024, 'b');
  for (long long left = kBodySize; left > 0; left -= static_cast<long long>(block.size()))
    if (!SendAll(client, block.data(), static_cast<int>(block.size()))) break;
  shutdown(client, SD_SEND);
  closesocket(client);
}

// Reads one request and answers with `reply`; an empty reply keeps silent
// until the client closes.
void AnswerOnce(SOCKET listener, const std::string& reply) {
  SOCKET client = accept(listener, nullptr, nullptr);
  if (client == INVALID_SOCKET) return;
  std::string request;
  char byte;
  while (request.size() < 65536 && request.find("\r\n\r\n") == std::string::npos && recv(client, &byte, 1, 0) == 1)
    request += byte;
  if (reply.empty()) {
    while (recv(client, &byte, 1, 0) == 1) {
    }
  } else {
    SendAll(client, reply.data(), static_cast<int>(reply.size()));
    shutdown(client, SD_SEND);
  }
  closesocket(client);
}

double ProcessCpuSeconds() {
  FILETIME created, exited, kernel, user;
  GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
  auto seconds = [](const FILETIME& t) {
    return static_cast<double>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

// A call against a server that never answers, ended by the idle time-out.
void MeasureSilentServer() {
  Listener listener;
  std::thread server([&] { AnswerOnce(listener.socket, {}); });
  sv::net::THttpClient client(nullptr);
  client.URL = "http://127.0.0.1:" + std::to_string(listener.port) + "/silent";
  client.IdleTimeout = 700;
  const ULONGLONG start = GetTickCount64();
  const double cpuBefore = ProcessCpuSeconds();
  try {
    client.Get();
  } catch (const sv::net::EHttpException&) {
  }
  const double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
  const double cpu = ProcessCpuSeconds() - cpuBefore;
  server.join();
  std::printf("Idle time-out of 0.70 s: ended after %.2f s, processor %.3f s (%.0f %% of the wait)\n", seconds, cpu,
              seconds > 0 ? cpu * 100 / seconds : 0.0);
}

// 200,000 bytes limited to 100,000 bytes per second.
void MeasureBandwidthControl() {
  constexpr int kBody = 200000;
  constexpr int kLimit = 100000;
  Listener listener;
  std::thread server([&] {
    AnswerOnce(listener.socket, "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(kBody) + "\r\n\r\n" +
                                    std::string(kBody, 'b'));
  });
  sv::net::StringByteStream received;
  sv::net::THttpClient client(nullptr);
  client.URL = "http://127.0.0.1:" + std::to_string(listener.port) + "/limited";
  client.ReceiveStream = &received;
  client.Options.Include(sv::net::THttpClientOption::httpoBandwidthControl);
  client.BandwidthLimit = kLimit;
  client.BandwidthSampling = 250;
  client.IdleTimeout = 10000;
  const ULONGLONG start = GetTickCount64();
  try {
    client.Get();
  } catch (const sv::net::EHttpException& e) {
    std::printf("Limited Get failed: %s\n", e.what());
  }
  const double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
  server.join();
  const double rate = seconds > 0 ? static_cast<double>(received.Size()) / seconds : 0.0;
  std::printf("Bandwidth control at %d bytes/s: %lld bytes in %.2f s, %.0f bytes/s (%.0f %% of the limit)\n", kLimit,
              static_cast<long long>(received.Size()), seconds, rate, rate * 100 / kLimit);
}

}  // namespace

int main(int argc, char** argv) {
  WSADATA data;
  WSAStartup(MAKEWORD(2, 2), &data);
  int result = 0;
  {
    Listener listener;
    std::thread server([&] { ServeOnce(listener.socket, 30); });
    sv::net::StringByteStream received;
    // Memory growth is the caller's matter; measure the client itself.
    received.Reserve(static_cast<std::size_t>(kBodySize));
    sv::net::THttpClient client(nullptr);
    client.URL = "http://127.0.0.1:" + std::to_string(listener.port) + "/big";
    client.ReceiveStream = &received;
    client.IdleTimeout = 10000;
    const ULONGLONG start = GetTickCount64();
    try {
      client.Get();
    } catch (const sv::net::EHttpException& e) {
      std::printf("Get failed: %s\n", e.what());
      result = 1;
    }
    const double seconds = static_cast<double>(GetTickCount64() - start) / 1000.0;
    server.join();
    if (received.Size() != kBodySize) result = 1;
    std::printf("THttpClient: %lld bytes in %.2f s, %.1f MB/s\n", static_cast<long long>(received.Size()), seconds,
                static_cast<double>(received.Size()) / (1 << 20) / (seconds > 0 ? seconds : 0.001));
  }
  MeasureSilentServer();
  MeasureBandwidthControl();
  if (argc > 1) {
    Listener listener;
    std::ofstream(argv[1]) << listener.port << "\n";
    ServeOnce(listener.socket, 60);
  }
  WSACleanup();
  return result;
}
