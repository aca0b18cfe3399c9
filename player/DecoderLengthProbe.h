#pragma once
// Song lengths measured by opening the file with our own decoders, the way
// the engine opens it for playback: a stream decoder first, else a tracker
// module with its pre-scan. A stand-in for the engine's own calls until the
// player loads the engine library.
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "sono/core/Decoder.h"
#include "tags/Unit_SongTagInfos.h"

namespace player {

class DecoderLengthProbe : public sv::tags::LengthProbe {
 public:
  Handle StreamCreateFile(const std::string& path) override;
  Handle MusicLoad(const std::string& path, std::uint32_t flags) override;
  std::int64_t ChannelGetLength(Handle handle) override;
  double ChannelBytes2Seconds(Handle handle, std::int64_t bytes) override;
  void StreamFree(Handle handle) override;

  std::size_t OpenCount() const { return open_.size(); }

 private:
  Handle Keep(std::unique_ptr<sono::Decoder> decoder);
  const sono::Decoder* Find(Handle handle) const;

  std::map<Handle, std::unique_ptr<sono::Decoder>> open_;
  Handle next_ = 1;
};

}  // namespace player
