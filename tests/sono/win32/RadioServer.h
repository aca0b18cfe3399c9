#pragma once
// A radio station on 127.0.0.1 for the tests, as a thread of the test (Wine
// cannot start the host's programs): answers one connection with ICY
// headers, then loops an MP3 file with a metadata block every 8192 bytes.
#include <winsock2.h>

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace sono_test {

class RadioServer {
 public:
  // titles[i] goes into metadata block i; later blocks repeat nothing.
  RadioServer(std::string mp3, std::vector<std::string> titles);
  ~RadioServer();
  RadioServer(const RadioServer&) = delete;
  RadioServer& operator=(const RadioServer&) = delete;

  uint16_t Port() const { return port_; }
  // The request head the station received (empty until then).
  std::string Request();

 private:
  void Serve();
  bool SendAll(SOCKET socket, const std::string& bytes);

  std::string mp3_;
  std::vector<std::string> titles_;
  SOCKET listener_ = INVALID_SOCKET;
  std::atomic<SOCKET> client_{INVALID_SOCKET};
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::string request_;
  std::thread thread_;
};

}  // namespace sono_test
