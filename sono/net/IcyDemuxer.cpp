#include "sono/net/IcyDemuxer.h"

#include <algorithm>
#include <cstring>

namespace sono::net {

IcyDemuxer::Step IcyDemuxer::Process(const uint8_t* in, size_t inSize, uint8_t* out, size_t outSize) {
  Step step;
  while (step.consumed < inSize) {
    const uint8_t* from = in + step.consumed;
    const size_t available = inSize - step.consumed;
    if (state_ == State::Audio) {
      const size_t room = outSize - step.produced;
      if (room == 0) break;
      size_t count = std::min(available, room);
      if (interval_ > 0) count = std::min(count, audioLeft_);
      std::memcpy(out + step.produced, from, count);
      step.consumed += count;
      step.produced += count;
      if (interval_ > 0) {
        audioLeft_ -= count;
        if (audioLeft_ == 0) state_ = State::Length;
      }
    } else if (state_ == State::Length) {
      metadataLeft_ = static_cast<size_t>(*from) * 16;
      ++step.consumed;
      audioLeft_ = interval_;
      state_ = metadataLeft_ > 0 ? State::Metadata : State::Audio;
    } else {
      const size_t count = std::min(available, metadataLeft_);
      current_.append(reinterpret_cast<const char*>(from), count);
      step.consumed += count;
      metadataLeft_ -= count;
      if (metadataLeft_ == 0) {
        blocks_.push_back(std::move(current_));
        current_.clear();
        state_ = State::Audio;
      }
    }
  }
  return step;
}

std::string IcyDemuxer::TakeBlock() {
  std::string block = std::move(blocks_.front());
  blocks_.pop_front();
  return block;
}

}  // namespace sono::net
