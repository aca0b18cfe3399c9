#pragma once
// Splits an ICY stream into its audio bytes and its metadata blocks: after
// every `interval` audio bytes comes one length byte n and then n * 16 bytes
// of metadata.
#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>

namespace sono::net {

class IcyDemuxer {
 public:
  // An interval of 0 means the stream carries no metadata.
  explicit IcyDemuxer(size_t interval) : interval_(interval), audioLeft_(interval) {}

  struct Step {
    size_t consumed = 0;  // input bytes used
    size_t produced = 0;  // audio bytes written to out
  };
  // Moves audio from in to out until either runs out; complete metadata
  // blocks queue up for TakeBlock. Blocks of length 0 are not queued.
  Step Process(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize);

  bool HasBlock() const { return !blocks_.empty(); }
  std::string TakeBlock();
  // True between a length byte and the end of its block: a stream that ends
  // here was cut short.
  bool InsideMetadata() const { return state_ != State::Audio; }

 private:
  enum class State { Audio, Length, Metadata };
  size_t interval_;
  size_t audioLeft_;
  size_t metadataLeft_ = 0;
  State state_ = State::Audio;
  std::string current_;
  std::deque<std::string> blocks_;
};

}  // namespace sono::net
