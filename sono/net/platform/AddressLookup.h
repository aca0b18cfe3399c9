#pragma once
// Name lookup bounded by the connect deadline and the cancel flag. The
// system resolver cannot be interrupted, so it runs on a thread of its own
// that finishes alone when the caller gives up. Included by the platform
// files after their socket headers (the lookup calls are the same on both).
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "sono/net/platform/Socket.h"

namespace sono::net::lookup {

class AddressList {
 public:
  AddressList() = default;
  ~AddressList() {
    if (first_) freeaddrinfo(first_);
  }
  AddressList(const AddressList&) = delete;
  AddressList& operator=(const AddressList&) = delete;
  addrinfo* First() const { return first_; }
  void Adopt(addrinfo* first) { first_ = first; }

 private:
  addrinfo* first_ = nullptr;
};

inline IoStatus Resolve(const std::string& host, uint16_t port, std::chrono::steady_clock::time_point deadline,
                        const std::atomic<bool>* cancel, std::shared_ptr<AddressList>& out) {
  const std::string service = std::to_string(port);
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  // A numeric address needs no resolver and no thread.
  hints.ai_flags = AI_NUMERICHOST;
  addrinfo* numeric = nullptr;
  if (getaddrinfo(host.c_str(), service.c_str(), &hints, &numeric) == 0) {
    out = std::make_shared<AddressList>();
    out->Adopt(numeric);
    return IoStatus::Ok;
  }
  hints.ai_flags = 0;

  struct Job {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
    bool found = false;
    std::shared_ptr<AddressList> list = std::make_shared<AddressList>();
  };
  auto job = std::make_shared<Job>();
  std::thread([job, host, service, hints] {
    addrinfo* first = nullptr;
    const bool found = getaddrinfo(host.c_str(), service.c_str(), &hints, &first) == 0;
    const std::lock_guard<std::mutex> lock(job->mutex);
    if (found) job->list->Adopt(first);
    job->found = found;
    job->finished = true;
    job->done.notify_all();
  }).detach();

  std::unique_lock<std::mutex> lock(job->mutex);
  while (!job->finished) {
    if (cancel && cancel->load()) return IoStatus::Cancelled;
    if (std::chrono::steady_clock::now() >= deadline) return IoStatus::TimedOut;
    job->done.wait_for(lock, std::chrono::milliseconds(50));
  }
  if (!job->found) return IoStatus::Failed;
  out = job->list;
  return IoStatus::Ok;
}

}  // namespace sono::net::lookup
