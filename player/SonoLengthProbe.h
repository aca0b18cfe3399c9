#pragma once
// Song lengths measured by sono.dll, with the very calls the player makes to
// play the file, so the song information shows what playback will take.
#include "tags/Unit_SongTagInfos.h"

namespace player {

class SonoLengthProbe : public sv::tags::LengthProbe {
 public:
  Handle StreamCreateFile(const std::string& path) override;
  Handle MusicLoad(const std::string& path, std::uint32_t flags) override;
  std::int64_t ChannelGetLength(Handle handle) override;
  double ChannelBytes2Seconds(Handle handle, std::int64_t bytes) override;
  void StreamFree(Handle handle) override;
};

}  // namespace player
