#pragma once
// What a whole stream open may spend, from the first connection to the
// first audio: time and received bytes. Each wait alone is bounded by its
// time-out, but a station that keeps answering a little (a head that never
// ends, pings, a header that claims the live stream) would keep the open
// going for good; once either is spent the open fails. Finish lifts both
// when the stream is open, for playback.
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <limits>

namespace sono::net {

class OpenBudget {
 public:
  using Clock = std::chrono::steady_clock;

  static constexpr int kDefaultMs = 20000;
  static constexpr int64_t kDefaultBytes = 1 << 20;
  static constexpr int64_t kNoByteLimit = std::numeric_limits<int64_t>::max();

  OpenBudget(int timeMs, int64_t bytes)
      : deadline_(Clock::now() + std::chrono::milliseconds(timeMs)), bytesLeft_(bytes) {}

  // The wait a call may make: its own time-out, cut to the time left.
  // Only meaningful while TimeLeft is true.
  int WaitMs(int timeoutMs) const;
  bool TimeLeft() const;
  // Counts received bytes; false once more than the budget arrived.
  bool Take(size_t bytes);
  bool BytesLeft() const;
  void Finish() { finished_ = true; }
  bool Finished() const { return finished_; }

 private:
  Clock::time_point deadline_;
  std::atomic<int64_t> bytesLeft_;
  std::atomic<bool> finished_{false};
};

}  // namespace sono::net
