#include <algorithm>
#include <atomic>
#include <chrono>
#include <mutex>

#include "sono/engine/OutputDevice.h"

namespace sono {

namespace {

using Clock = std::chrono::steady_clock;

// How much a null stream accepts ahead of its clock: like a sound card's
// buffer, so the pump wakes a few times per buffer rather than per sample.
constexpr double kQueueSeconds = 0.2;

class NullStream final : public OutputStream {
 public:
  NullStream(const PcmFormat& format, NullClock clock)
      : clock_(std::move(clock)), rate_(format.rate), capacity_(static_cast<uint64_t>(format.rate * kQueueSeconds)) {}

  size_t Queue(const int16_t*, size_t frames) override {
    std::lock_guard lock(mutex_);
    const uint64_t played = PlayedLocked();
    if (played == queued_ && !paused_) {
      // Underrun: the clock restarts from what was played, so the gap does
      // not count as time played.
      base_ = played;
      since_ = clock_();
    }
    const uint64_t room = capacity_ - std::min(capacity_, queued_ - played);
    const size_t taken = static_cast<size_t>(std::min<uint64_t>(room, frames));
    queued_ += taken;
    return taken;
  }

  uint64_t PlayedFrames() override {
    std::lock_guard lock(mutex_);
    return PlayedLocked();
  }

  uint64_t QueuedFrames() override {
    std::lock_guard lock(mutex_);
    return queued_;
  }

  void SetPaused(bool paused) override {
    std::lock_guard lock(mutex_);
    if (paused == paused_) return;
    base_ = PlayedLocked();
    since_ = clock_();
    paused_ = paused;
  }

  void Reset() override {
    std::lock_guard lock(mutex_);
    base_ = 0;
    queued_ = 0;
    since_ = clock_();
  }

 private:
  uint64_t PlayedLocked() const {
    if (paused_) return base_;
    const double elapsed = std::chrono::duration<double>(clock_() - since_).count();
    const uint64_t clocked = base_ + static_cast<uint64_t>(elapsed * rate_);
    return std::min(clocked, queued_);
  }

  std::mutex mutex_;
  const NullClock clock_;
  const uint32_t rate_;
  const uint64_t capacity_;
  uint64_t base_ = 0;
  uint64_t queued_ = 0;
  Clock::time_point since_ = clock_();
  bool paused_ = false;
};

class NullDevice final : public OutputDevice {
 public:
  explicit NullDevice(NullClock clock) : clock_(std::move(clock)) {}
  std::string Description() const override { return "No sound"; }

  std::unique_ptr<OutputStream> Open(const PcmFormat& format) override {
    if (format.rate == 0 || format.channels == 0) return nullptr;
    return std::make_unique<NullStream>(format, clock_);
  }

  bool SetVolume(int level) override {
    if (level < 0 || level > 100) return false;
    volume_ = level;
    return true;
  }

  int Volume() const override { return volume_; }

 private:
  const NullClock clock_;
  std::atomic<int> volume_{100};
};

}  // namespace

std::unique_ptr<OutputDevice> MakeNullOutputDevice(NullClock clock) {
  if (!clock) clock = [] { return Clock::now(); };
  return std::make_unique<NullDevice>(std::move(clock));
}

}  // namespace sono
