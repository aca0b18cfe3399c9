#pragma once
// Side data of a live network stream: its response headers and the latest
// in-band metadata text. Written by the network reader, read by the engine.
#include <cstdint>
#include <string>
#include <vector>

namespace sono {

class StreamMetadata {
 public:
  virtual ~StreamMetadata() = default;
  // "name:value" texts as the server sent them.
  virtual std::vector<std::string> Headers() const = 0;
  // The latest metadata text ("StreamTitle='…';…") and a serial number that
  // changes each time a new text arrives (0 while none has).
  virtual std::string MetaText(uint64_t& serial) const = 0;
  // Called when the channel is freed, from the freeing thread: a reader
  // blocked on the network should give up now rather than at its time-out.
  virtual void Cancel() {}
};

}  // namespace sono
