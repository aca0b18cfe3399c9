#include "player/SonoLengthProbe.h"

#include "sono/include/sono.h"

namespace player {

SonoLengthProbe::Handle SonoLengthProbe::StreamCreateFile(const std::string& path) {
  return SONO_StreamCreateFile(FALSE, path.c_str(), 0, 0, 0);
}

SonoLengthProbe::Handle SonoLengthProbe::MusicLoad(const std::string& path, std::uint32_t flags) {
  // Frequency 0: the default rate, as playback uses.
  return SONO_MusicLoad(FALSE, path.c_str(), 0, 0, flags, 0);
}

std::int64_t SonoLengthProbe::ChannelGetLength(Handle handle) { return SONO_ChannelGetLength(handle); }

double SonoLengthProbe::ChannelBytes2Seconds(Handle handle, std::int64_t bytes) {
  return SONO_ChannelBytes2Seconds(handle, bytes);
}

void SonoLengthProbe::StreamFree(Handle handle) {
  // The stream call leaves a module alone, and the probe opens modules too.
  if (handle != 0 && !SONO_StreamFree(handle)) SONO_MusicFree(handle);
}

}  // namespace player
