// Ogg Vorbis through libvorbisfile, reading from a byte source. A chained
// stream (radio) may change its channel count between links; the output keeps
// the first link's count.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "sono/core/Decoder.h"
#include "sono/core/PcmMix.h"

namespace sono {
namespace {

size_t ReadCallback(void* buffer, size_t size, size_t count, void* data) {
  if (size == 0) return 0;
  auto* source = static_cast<ByteSource*>(data);
  return source->Read(buffer, size * count) / size;
}

int SeekCallback(void* data, ogg_int64_t offset, int whence) {
  auto* source = static_cast<ByteSource*>(data);
  if (!source->CanSeek()) return -1;
  int64_t target = offset;
  if (whence == SEEK_CUR) {
    target += source->Tell();
  } else if (whence == SEEK_END) {
    if (source->Size() < 0) return -1;
    target += source->Size();
  } else if (whence != SEEK_SET) {
    return -1;
  }
  return source->Seek(target) ? 0 : -1;
}

long TellCallback(void* data) { return static_cast<long>(static_cast<ByteSource*>(data)->Tell()); }

class VorbisDecoder final : public Decoder {
 public:
  VorbisDecoder(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {}
  ~VorbisDecoder() override {
    if (open_) ov_clear(&file_);
  }
  VorbisDecoder(const VorbisDecoder&) = delete;
  VorbisDecoder& operator=(const VorbisDecoder&) = delete;

  bool Open() {
    ov_callbacks callbacks{};
    callbacks.read_func = ReadCallback;
    if (source_->CanSeek()) {
      callbacks.seek_func = SeekCallback;
      callbacks.tell_func = TellCallback;
    }
    if (ov_open_callbacks(source_.get(), &file_, nullptr, 0, callbacks) != 0) return false;
    open_ = true;
    const vorbis_info* info = ov_info(&file_, -1);
    if (!info || info->rate <= 0 || info->channels <= 0) return false;
    format_.rate = static_cast<uint32_t>(info->rate);
    format_.channels = info->channels == 1 ? 1 : 2;
    if (ov_seekable(&file_)) {
      const ogg_int64_t total = ov_pcm_total(&file_, -1);
      if (total < 0) return false;
      length_ = total;
    }
    return true;
  }

  PcmFormat Format() const override { return format_; }
  int64_t LengthFrames() const override { return length_; }

  size_t Read(int16_t* out, size_t maxFrames) override {
    size_t written = 0;
    while (written < maxFrames) {
      if (pendingAt_ == pendingFrames_ && !Refill()) break;
      const size_t count = std::min(maxFrames - written, pendingFrames_ - pendingAt_);
      const size_t channels = format_.channels;
      std::copy_n(scratch_.data() + pendingAt_ * channels, count * channels, out + written * channels);
      pendingAt_ += count;
      written += count;
    }
    return written;
  }

  bool Seek(uint64_t frame) override {
    if (length_ < 0 || frame > static_cast<uint64_t>(length_)) return false;
    pendingAt_ = pendingFrames_ = 0;
    // The end itself: a damaged stream may hold audio past what its last
    // page counts, which must not play after a seek to the length.
    if (frame == static_cast<uint64_t>(length_)) {
      ended_ = true;
      return true;
    }
    if (ov_pcm_seek(&file_, static_cast<ogg_int64_t>(frame)) != 0) return false;
    ended_ = false;
    return true;
  }

 private:
  std::unique_ptr<ByteSource> source_;
  OggVorbis_File file_{};
  bool open_ = false;
  PcmFormat format_;
  int64_t length_ = -1;
  // Decodes the next block into scratch_, converted to the output channel
  // count in place. ov_read returns one link's audio per call, so the block
  // has a single channel count, which ov_info gives after the call.
  bool Refill() {
    pendingAt_ = pendingFrames_ = 0;
    while (!ended_) {
      // Half the buffer, so that mono doubled to stereo still fits.
      int section = 0;
      const long got = ov_read(&file_, reinterpret_cast<char*>(scratch_.data()),
                               static_cast<int>(scratch_.size()), 0, 2, 1, &section);
      if (got == OV_HOLE) continue;  // a gap in the data; decoding goes on after it
      const vorbis_info* info = ov_info(&file_, -1);
      if (got <= 0 || !info || info->channels <= 0) {
        ended_ = true;
        break;
      }
      const auto channels = static_cast<unsigned>(info->channels);
      pendingFrames_ = static_cast<size_t>(got) / (sizeof(int16_t) * channels);
      ConvertChannels(scratch_.data(), channels, scratch_.data(), format_.channels, pendingFrames_,
                      ChannelOrder::Vorbis);
      if (pendingFrames_ > 0) return true;
    }
    return false;
  }

  bool ended_ = false;
  std::vector<int16_t> scratch_ = std::vector<int16_t>(8192);
  size_t pendingAt_ = 0;
  size_t pendingFrames_ = 0;
};

}  // namespace

std::unique_ptr<Decoder> OpenVorbisDecoder(std::unique_ptr<ByteSource> source) {
  if (!source) return nullptr;
  auto decoder = std::make_unique<VorbisDecoder>(std::move(source));
  if (!decoder->Open()) return nullptr;
  return decoder;
}

}  // namespace sono
