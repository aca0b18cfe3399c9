#pragma once
// Decoder of the chunked transfer coding. Size lines are hexadecimal (either
// case) with extensions ignored; data follows; the zero-size chunk ends the
// body and trailer fields are not read. A size line without a hex digit,
// with more than 15 hex digits, or any size or skipped line past 4 KiB is a
// protocol error: the body must then fail, never end as if complete.

#include <cstdint>
#include <functional>
#include <string_view>

namespace sv::net {

class HttpChunkDecoder {
 public:
  enum class State { Size, SizeLineRest, Data, DataEnd, Done, Failed };

  static constexpr size_t kMaxLine = 4096;
  static constexpr int kMaxHexDigits = 15;

  // Consumes bytes and passes chunk data to onData; returns how many bytes
  // were consumed (fewer than given only once Done or Failed).
  size_t Feed(std::string_view bytes, const std::function<void(const char*, size_t)>& onData);

  State GetState() const { return state_; }
  bool Done() const { return state_ == State::Done; }
  bool Failed() const { return state_ == State::Failed; }
  int64_t ChunkLength() const { return chunkLength_; }
  void Reset() { *this = HttpChunkDecoder(); }

 private:
  bool Skip(char c);

  State state_ = State::Size;
  int64_t chunkLength_ = 0;
  int64_t taken_ = 0;
  int digits_ = 0;
  size_t lineBytes_ = 0;
};

}  // namespace sv::net
