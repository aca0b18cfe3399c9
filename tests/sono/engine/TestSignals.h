#pragma once
// Synthetic decoders and devices for the engine tests: a sine generator
// standing in for a real decoder, stream metadata set by the test, and a
// capture device that keeps what a channel plays.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <numbers>
#include <vector>

#include "sono/core/Decoder.h"
#include "sono/engine/OutputDevice.h"
#include "sono/engine/StreamMetadata.h"

namespace sono::test {

class SineDecoder final : public Decoder {
 public:
  SineDecoder(uint32_t rate, uint32_t channels, double frequency, int64_t lengthFrames,
              double amplitude = 8000, std::string moduleName = {})
      : format_{rate, channels}, frequency_(frequency), length_(lengthFrames),
        amplitude_(amplitude), moduleName_(std::move(moduleName)) {}
  PcmFormat Format() const override { return format_; }
  int64_t LengthFrames() const override { return length_; }
  size_t Read(int16_t* out, size_t maxFrames) override {
    size_t frames = maxFrames;
    if (length_ >= 0) frames = static_cast<size_t>(std::min<int64_t>(frames, length_ - static_cast<int64_t>(frame_)));
    for (size_t i = 0; i < frames; ++i, ++frame_) {
      const double v = amplitude_ * std::sin(2 * std::numbers::pi * frequency_ * frame_ / format_.rate);
      for (uint32_t c = 0; c < format_.channels; ++c) *out++ = static_cast<int16_t>(std::lround(v));
    }
    return frames;
  }
  bool Seek(uint64_t frame) override {
    if (length_ >= 0 && frame > static_cast<uint64_t>(length_)) return false;
    frame_ = frame;
    return true;
  }
  std::string ModuleName() const override { return moduleName_; }

 private:
  PcmFormat format_;
  double frequency_;
  int64_t length_;
  double amplitude_;
  std::string moduleName_;
  uint64_t frame_ = 0;
};

class FakeMetadata final : public StreamMetadata {
 public:
  std::vector<std::string> Headers() const override { return {"icy-name:Test Radio", "icy-metaint:16000"}; }
  std::string MetaText(uint64_t& serial) const override {
    std::lock_guard lock(mutex_);
    serial = serial_;
    return text_;
  }
  void Set(std::string text) {
    std::lock_guard lock(mutex_);
    text_ = std::move(text);
    ++serial_;
  }

 private:
  mutable std::mutex mutex_;
  std::string text_;
  uint64_t serial_ = 0;
};

// Keeps every sample queued to it. The test hands out a budget of frames it
// accepts, so it can change parameters at a known place in the output.
struct Capture {
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<int16_t> samples;
  uint64_t budget = UINT64_MAX;
  uint32_t channels = 0;
  int volume = 100;

  size_t Frames() {
    std::lock_guard lock(mutex);
    return channels ? samples.size() / channels : 0;
  }
  void Grant(uint64_t frames) {
    std::lock_guard lock(mutex);
    budget = frames;
  }
  // Waits until the budget is used up.
  bool WaitSpent() {
    std::unique_lock lock(mutex);
    // Bounded only to stop a hung test.
    return changed.wait_for(lock, std::chrono::seconds(60), [&] { return budget == 0; });
  }
};

class CaptureStream final : public OutputStream {
 public:
  CaptureStream(Capture& capture, uint32_t channels) : capture_(capture) { capture_.channels = channels; }
  size_t Queue(const int16_t* samples, size_t frames) override {
    std::lock_guard lock(capture_.mutex);
    const size_t taken = static_cast<size_t>(std::min<uint64_t>(frames, capture_.budget));
    capture_.budget -= taken;
    capture_.samples.insert(capture_.samples.end(), samples, samples + taken * capture_.channels);
    queued_ += taken;
    capture_.changed.notify_all();
    return taken;
  }
  uint64_t PlayedFrames() override { return queued_; }
  uint64_t QueuedFrames() override { return queued_; }
  void SetPaused(bool) override {}
  void Reset() override { queued_ = 0; }

 private:
  Capture& capture_;
  uint64_t queued_ = 0;
};

class CaptureDevice final : public OutputDevice {
 public:
  explicit CaptureDevice(Capture& capture) : capture_(capture) {}
  std::string Description() const override { return "Capture"; }
  std::unique_ptr<OutputStream> Open(const PcmFormat& format) override {
    return std::make_unique<CaptureStream>(capture_, format.channels);
  }
  bool SetVolume(int level) override { capture_.volume = level; return true; }
  int Volume() const override { return capture_.volume; }

 private:
  Capture& capture_;
};

// Time that moves only when the test says so, for the null device.
class ManualClock {
 public:
  std::chrono::steady_clock::time_point Now() const {
    return std::chrono::steady_clock::time_point(std::chrono::nanoseconds(nanoseconds_.load()));
  }
  void Advance(double seconds) { nanoseconds_ += static_cast<int64_t>(seconds * 1e9); }
  NullClock AsNullClock() {
    return [this] { return Now(); };
  }

 private:
  std::atomic<int64_t> nanoseconds_{1'000'000'000};
};

// Passes everything to another device and tells how far its latest stream's
// queue runs ahead of what it has played.
class ObservedDevice final : public OutputDevice {
 public:
  explicit ObservedDevice(std::unique_ptr<OutputDevice> inner) : inner_(std::move(inner)) {}
  std::string Description() const override { return inner_->Description(); }
  std::unique_ptr<OutputStream> Open(const PcmFormat& format) override {
    auto stream = inner_->Open(format);
    if (!stream) return nullptr;
    return std::make_unique<Stream>(std::move(stream), state_);
  }
  bool SetVolume(int level) override { return inner_->SetVolume(level); }
  int Volume() const override { return inner_->Volume(); }
  // Frames queued but not yet played in the latest open stream.
  uint64_t Backlog() const {
    std::lock_guard lock(state_->mutex);
    if (!state_->current) return 0;
    const uint64_t queued = state_->current->QueuedFrames();
    return queued - std::min(queued, state_->current->PlayedFrames());
  }

 private:
  struct State {
    std::mutex mutex;
    OutputStream* current = nullptr;
  };
  class Stream final : public OutputStream {
   public:
    Stream(std::unique_ptr<OutputStream> inner, std::shared_ptr<State> state)
        : inner_(std::move(inner)), state_(std::move(state)) {
      std::lock_guard lock(state_->mutex);
      state_->current = inner_.get();
    }
    ~Stream() override {
      std::lock_guard lock(state_->mutex);
      if (state_->current == inner_.get()) state_->current = nullptr;
    }
    size_t Queue(const int16_t* samples, size_t frames) override { return inner_->Queue(samples, frames); }
    uint64_t PlayedFrames() override { return inner_->PlayedFrames(); }
    uint64_t QueuedFrames() override { return inner_->QueuedFrames(); }
    void SetPaused(bool paused) override { inner_->SetPaused(paused); }
    void Reset() override { inner_->Reset(); }

   private:
    std::unique_ptr<OutputStream> inner_;
    std::shared_ptr<State> state_;
  };

  std::unique_ptr<OutputDevice> inner_;
  std::shared_ptr<State> state_ = std::make_shared<State>();
};

// Amplitude of one frequency in a mono view of interleaved samples
// (Goertzel), scaled to the peak amplitude of a pure sine.
inline double ToneAmplitude(const int16_t* samples, size_t frames, uint32_t channels, uint32_t channel,
                            double frequency, uint32_t rate) {
  const double w = 2 * std::numbers::pi * frequency / rate;
  const double coefficient = 2 * std::cos(w);
  double s1 = 0, s2 = 0;
  for (size_t i = 0; i < frames; ++i) {
    const double s0 = samples[i * channels + channel] + coefficient * s1 - s2;
    s2 = s1;
    s1 = s0;
  }
  const double power = s1 * s1 + s2 * s2 - coefficient * s1 * s2;
  return 2 * std::sqrt(std::max(power, 0.0)) / static_cast<double>(frames);
}

}  // namespace sono::test
