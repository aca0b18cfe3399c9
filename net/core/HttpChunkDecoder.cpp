#include "net/core/HttpChunkDecoder.h"

#include <algorithm>

namespace sv::net {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

// Counts a byte of a skipped line; false once the line is too long.
bool HttpChunkDecoder::Skip(char c) {
  if (c == '\n') {
    lineBytes_ = 0;
    return true;
  }
  if (++lineBytes_ > kMaxLine) state_ = State::Failed;
  return false;
}

size_t HttpChunkDecoder::Feed(std::string_view bytes, const std::function<void(const char*, size_t)>& onData) {
  size_t at = 0;
  while (at < bytes.size() && state_ != State::Done && state_ != State::Failed) {
    switch (state_) {
      case State::Size: {
        const int digit = HexValue(bytes[at]);
        if (digit < 0) {
          if (digits_ == 0) {
            state_ = State::Failed;
            break;
          }
          state_ = State::SizeLineRest;
          lineBytes_ = static_cast<size_t>(digits_);
          break;
        }
        if (++digits_ > kMaxHexDigits) {
          state_ = State::Failed;
          break;
        }
        chunkLength_ = chunkLength_ * 16 + digit;
        ++at;
        break;
      }
      case State::SizeLineRest:
        if (Skip(bytes[at++])) state_ = State::Data;
        break;
      case State::Data: {
        const size_t take = static_cast<size_t>(
            std::min<int64_t>(static_cast<int64_t>(bytes.size() - at), chunkLength_ - taken_));
        if (take > 0 && onData) onData(bytes.data() + at, take);
        at += take;
        taken_ += static_cast<int64_t>(take);
        if (taken_ == chunkLength_) state_ = State::DataEnd;
        break;
      }
      case State::DataEnd:
        if (Skip(bytes[at++])) {
          if (chunkLength_ == 0) {
            state_ = State::Done;
          } else {
            state_ = State::Size;
            chunkLength_ = taken_ = 0;
            digits_ = 0;
          }
        }
        break;
      case State::Done:
      case State::Failed:
        break;
    }
  }
  return at;
}

}  // namespace sv::net
