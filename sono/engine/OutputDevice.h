#pragma once
// Where channels send their PCM. A device opens one stream per playing
// channel at the channel's own rate and channel count, so no resampling is
// needed. Streams never block: the pump queues what fits and waits.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "sono/core/Decoder.h"

namespace sono {

class OutputStream {
 public:
  virtual ~OutputStream() = default;
  // Queues up to frames frames of interleaved samples; returns how many
  // were taken (0 when the queue is full).
  virtual size_t Queue(const int16_t* samples, size_t frames) = 0;
  // Frames played since the stream was opened or last reset.
  virtual uint64_t PlayedFrames() = 0;
  // Frames queued since the stream was opened or last reset.
  virtual uint64_t QueuedFrames() = 0;
  virtual void SetPaused(bool paused) = 0;
  // Drops everything queued and starts counting from 0 again (a seek).
  virtual void Reset() = 0;
};

class OutputDevice {
 public:
  virtual ~OutputDevice() = default;
  virtual std::string Description() const = 0;
  // Null when the device refuses the format or is gone.
  virtual std::unique_ptr<OutputStream> Open(const PcmFormat& format) = 0;
  // The program's own output level, 0..100. Volume gives the output's
  // real level where the device can tell it.
  virtual bool SetVolume(int level) = 0;
  virtual int Volume() const = 0;
};

// Device 0, "No sound": plays nothing but is clocked in real time, so
// positions advance and the end of a song is reached without a sound card.
// The clock can be replaced, so that tests move time themselves.
using NullClock = std::function<std::chrono::steady_clock::time_point()>;
std::unique_ptr<OutputDevice> MakeNullOutputDevice(NullClock clock = {});

}  // namespace sono
