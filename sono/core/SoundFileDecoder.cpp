// WAV and AIFF through libsndfile (every PCM width, float, ADPCM), read as
// 16-bit samples from a seekable byte source. The other containers that
// libsndfile reads are refused: the player does not list them, and what a
// build's libsndfile reads beyond these depends on how it was built.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "sono/core/Decoder.h"
#include "sono/core/PcmMix.h"

namespace sono {
namespace {

sf_count_t LengthCallback(void* data) { return static_cast<ByteSource*>(data)->Size(); }

sf_count_t SeekCallback(sf_count_t offset, int whence, void* data) {
  auto* source = static_cast<ByteSource*>(data);
  int64_t target = offset;
  if (whence == SEEK_CUR) {
    target += source->Tell();
  } else if (whence == SEEK_END) {
    target += source->Size();
  } else if (whence != SEEK_SET) {
    return -1;
  }
  // Past the end is clamped: libsndfile then sees a short read, not a failure
  // it might not check.
  target = std::clamp<int64_t>(target, 0, source->Size());
  if (!source->Seek(target)) return -1;
  return source->Tell();
}

sf_count_t ReadCallback(void* buffer, sf_count_t count, void* data) {
  if (count <= 0) return 0;
  return static_cast<sf_count_t>(static_cast<ByteSource*>(data)->Read(buffer, static_cast<size_t>(count)));
}

sf_count_t WriteCallback(const void*, sf_count_t, void*) { return 0; }

sf_count_t TellCallback(void* data) { return static_cast<ByteSource*>(data)->Tell(); }

struct SoundFileDeleter {
  void operator()(SNDFILE* file) const { sf_close(file); }
};

class SoundFileDecoder final : public Decoder {
 public:
  SoundFileDecoder(std::unique_ptr<ByteSource> source, std::unique_ptr<SNDFILE, SoundFileDeleter> file,
                   unsigned fileChannels, bool floatSamples, PcmFormat format, int64_t length)
      : source_(std::move(source)),
        file_(std::move(file)),
        fileChannels_(fileChannels),
        floatSamples_(floatSamples),
        format_(format),
        length_(length) {}

  PcmFormat Format() const override { return format_; }
  int64_t LengthFrames() const override { return length_; }

  size_t Read(int16_t* out, size_t maxFrames) override {
    if (!floatSamples_ && fileChannels_ == format_.channels) {
      const sf_count_t got = sf_readf_short(file_.get(), out, static_cast<sf_count_t>(maxFrames));
      return got > 0 ? static_cast<size_t>(got) : 0;
    }
    size_t written = 0;
    while (written < maxFrames) {
      const size_t block = std::min<size_t>(maxFrames - written, 1024);
      scratch_.resize(block * fileChannels_);
      const sf_count_t got = ReadBlock(block);
      if (got <= 0) break;
      ConvertChannels(scratch_.data(), fileChannels_, out + written * format_.channels, format_.channels,
                      static_cast<size_t>(got));
      written += static_cast<size_t>(got);
      if (static_cast<size_t>(got) < block) break;
    }
    return written;
  }

  bool Seek(uint64_t frame) override {
    if (frame > static_cast<uint64_t>(length_)) return false;
    return sf_seek(file_.get(), static_cast<sf_count_t>(frame), SEEK_SET) >= 0;
  }

 private:
  std::unique_ptr<ByteSource> source_;
  std::unique_ptr<SNDFILE, SoundFileDeleter> file_;
  unsigned fileChannels_;
  bool floatSamples_;
  PcmFormat format_;
  int64_t length_;
  // Fills scratch_ with up to frames frames in the file's channel count.
  sf_count_t ReadBlock(size_t frames) {
    if (!floatSamples_) return sf_readf_short(file_.get(), scratch_.data(), static_cast<sf_count_t>(frames));
    floats_.resize(frames * fileChannels_);
    const sf_count_t got = sf_readf_float(file_.get(), floats_.data(), static_cast<sf_count_t>(frames));
    for (size_t i = 0; got > 0 && i < static_cast<size_t>(got) * fileChannels_; ++i) {
      const float x = floats_[i];
      // Clipped, and NaN (which fails both comparisons) made silent.
      const float clipped = x > 1.0f ? 1.0f : x < -1.0f ? -1.0f : x == x ? x : 0.0f;
      scratch_[i] = static_cast<int16_t>(std::lrint(clipped * 32767.0f));
    }
    return got;
  }

  std::vector<int16_t> scratch_;
  std::vector<float> floats_;
};

}  // namespace

std::unique_ptr<Decoder> OpenSoundFileDecoder(std::unique_ptr<ByteSource> source) {
  // Headers are found by seeking, so a stream that cannot seek is refused.
  if (!source || !source->CanSeek() || source->Size() <= 0) return nullptr;
  SF_VIRTUAL_IO io{};
  io.get_filelen = LengthCallback;
  io.seek = SeekCallback;
  io.read = ReadCallback;
  io.write = WriteCallback;
  io.tell = TellCallback;
  SF_INFO info{};
  std::unique_ptr<SNDFILE, SoundFileDeleter> file(sf_open_virtual(&io, SFM_READ, &info, source.get()));
  if (!file) return nullptr;
  switch (info.format & SF_FORMAT_TYPEMASK) {
    case SF_FORMAT_WAV:
    case SF_FORMAT_WAVEX:
    case SF_FORMAT_RF64:
    case SF_FORMAT_AIFF:
      break;
    default:
      return nullptr;
  }
  switch (info.format & SF_FORMAT_SUBMASK) {
    // Codecs that libsndfile reads only through other libraries.
    case SF_FORMAT_VORBIS:
    case SF_FORMAT_OPUS:
    case SF_FORMAT_MPEG_LAYER_I:
    case SF_FORMAT_MPEG_LAYER_II:
    case SF_FORMAT_MPEG_LAYER_III:
      return nullptr;
    default:
      break;
  }
  if (info.samplerate <= 0 || info.channels <= 0 || info.frames <= 0 || info.frames == SF_COUNT_MAX) {
    return nullptr;
  }
  // Float samples are converted here: the library's own float-to-short
  // conversion gives silence for the float files sox writes.
  const int subtype = info.format & SF_FORMAT_SUBMASK;
  const bool floatSamples = subtype == SF_FORMAT_FLOAT || subtype == SF_FORMAT_DOUBLE;
  PcmFormat format;
  format.rate = static_cast<uint32_t>(info.samplerate);
  format.channels = info.channels == 1 ? 1 : 2;
  return std::make_unique<SoundFileDecoder>(std::move(source), std::move(file),
                                            static_cast<unsigned>(info.channels), floatSamples, format,
                                            info.frames);
}

}  // namespace sono
