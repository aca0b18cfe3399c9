#include "player/DecoderLengthProbe.h"

namespace player {

DecoderLengthProbe::Handle DecoderLengthProbe::StreamCreateFile(const std::string& path) {
  return Keep(sono::OpenStreamDecoder(path));
}

DecoderLengthProbe::Handle DecoderLengthProbe::MusicLoad(const std::string& path, std::uint32_t flags) {
  auto source = sono::OpenFileSource(path);
  if (!source) return 0;
  return Keep(sono::OpenModuleDecoder(std::move(source), flags));
}

std::int64_t DecoderLengthProbe::ChannelGetLength(Handle handle) {
  const sono::Decoder* decoder = Find(handle);
  if (decoder == nullptr) return -1;
  const std::int64_t frames = decoder->LengthFrames();
  if (frames < 0) return -1;
  return frames * static_cast<std::int64_t>(decoder->Format().BytesPerFrame());
}

double DecoderLengthProbe::ChannelBytes2Seconds(Handle handle, std::int64_t bytes) {
  const sono::Decoder* decoder = Find(handle);
  if (decoder == nullptr || bytes < 0) return -1;
  const sono::PcmFormat format = decoder->Format();
  const double bytesPerSecond = static_cast<double>(format.rate) * static_cast<double>(format.BytesPerFrame());
  if (bytesPerSecond <= 0) return -1;
  return static_cast<double>(bytes) / bytesPerSecond;
}

void DecoderLengthProbe::StreamFree(Handle handle) { open_.erase(handle); }

DecoderLengthProbe::Handle DecoderLengthProbe::Keep(std::unique_ptr<sono::Decoder> decoder) {
  if (!decoder) return 0;
  const Handle handle = next_++;
  if (next_ == 0) next_ = 1;
  open_.emplace(handle, std::move(decoder));
  return handle;
}

const sono::Decoder* DecoderLengthProbe::Find(Handle handle) const {
  const auto it = open_.find(handle);
  return it == open_.end() ? nullptr : it->second.get();
}

}  // namespace player
