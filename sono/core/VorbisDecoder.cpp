// Ogg Vorbis through libvorbisfile, reading from a byte source. A file is
// split into its links (OggLinks.h), each opened on its own; every link is
// converted to the first link's rate and channel count, so that each plays
// at its own speed and pitch and the length is the sum of the links'. A
// stream that cannot seek (radio) is decoded as it comes, each block
// converted from the rate of the link it belongs to.
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cstdio>
#include <vector>

#include "sono/core/Decoder.h"
#include "sono/core/OggLinks.h"
#include "sono/core/PcmMix.h"
#include "sono/core/RateConverter.h"

namespace sono {
namespace {

// The bytes one OggVorbis_File reads: a link of a file, or a whole stream
// (end -1: as far as it goes).
struct Window {
  ByteSource* source;
  ByteRange bytes;
};

size_t ReadCallback(void* buffer, size_t size, size_t count, void* data) {
  if (size == 0) return 0;
  auto* window = static_cast<Window*>(data);
  size_t wanted = size * count;
  if (window->bytes.end >= 0) {
    const int64_t left = window->bytes.end - window->source->Tell();
    wanted = left > 0 ? std::min(wanted, static_cast<size_t>(left)) : 0;
  }
  return window->source->Read(buffer, wanted) / size;
}

int SeekCallback(void* data, ogg_int64_t offset, int whence) {
  auto* window = static_cast<Window*>(data);
  int64_t target = offset;
  if (whence == SEEK_CUR) {
    target += window->source->Tell() - window->bytes.begin;
  } else if (whence == SEEK_END) {
    target += window->bytes.end - window->bytes.begin;
  } else if (whence != SEEK_SET) {
    return -1;
  }
  if (target < 0 || target > window->bytes.end - window->bytes.begin) return -1;
  return window->source->Seek(window->bytes.begin + target) ? 0 : -1;
}

long TellCallback(void* data) {
  auto* window = static_cast<Window*>(data);
  return static_cast<long>(window->source->Tell() - window->bytes.begin);
}

class VorbisFile {
 public:
  VorbisFile(ByteSource& source, ByteRange bytes) : window_{&source, bytes} {}
  ~VorbisFile() {
    if (open_) ov_clear(&file_);
  }
  VorbisFile(const VorbisFile&) = delete;
  VorbisFile& operator=(const VorbisFile&) = delete;

  bool Open() {
    ov_callbacks callbacks{};
    callbacks.read_func = ReadCallback;
    if (window_.bytes.end >= 0) {
      if (!window_.source->Seek(window_.bytes.begin)) return false;
      callbacks.seek_func = SeekCallback;
      callbacks.tell_func = TellCallback;
    }
    open_ = ov_open_callbacks(&window_, &file_, nullptr, 0, callbacks) == 0;
    return open_;
  }
  OggVorbis_File* Get() { return &file_; }

 private:
  Window window_;
  OggVorbis_File file_{};
  bool open_ = false;
};

struct Link {
  ByteRange bytes;
  uint32_t rate = 0;
  int64_t outStart = 0;   // where it starts in the decoder's output
  int64_t outFrames = 0;  // its length in output frames
};

uint32_t OutputChannels(int channels) { return channels == 1 ? 1 : 2; }

class VorbisDecoder final : public Decoder {
 public:
  explicit VorbisDecoder(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {}

  bool Open() {
    if (source_->CanSeek() && source_->Size() >= 0) return OpenLinks();
    file_ = std::make_unique<VorbisFile>(*source_, ByteRange{0, -1});
    if (!file_->Open()) return false;
    const vorbis_info* info = ov_info(file_->Get(), -1);
    if (!info || info->rate <= 0 || info->channels <= 0) return false;
    format_ = {static_cast<uint32_t>(info->rate), OutputChannels(info->channels)};
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
      std::copy_n(pending_.data() + pendingAt_ * channels, count * channels, out + written * channels);
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
    size_t link = 0;
    while (link + 1 < links_.size() && links_[link + 1].outStart <= static_cast<int64_t>(frame)) ++link;
    if (!Enter(link, frame - static_cast<uint64_t>(links_[link].outStart))) return false;
    ended_ = false;
    return true;
  }

 private:
  static constexpr size_t kBlockFrames = 4096;

  // The links libvorbisfile tells apart by their serials, which it finds
  // by bisection without reading the whole file.
  std::vector<ByteRange> LinksBySerial() {
    VorbisFile whole(*source_, ByteRange{0, source_->Size()});
    if (!whole.Open() || !ov_seekable(whole.Get()) || !whole.Get()->offsets) return {};
    std::vector<ByteRange> links;
    for (int i = 0; i < whole.Get()->links; ++i) {
      const int64_t begin = i == 0 ? 0 : whole.Get()->offsets[i];
      if (!links.empty()) links.back().end = begin;
      links.push_back({begin, source_->Size()});
    }
    return links;
  }

  // Opens every link once for its format and length; only the one playing
  // stays open.
  bool OpenLinks() {
    std::vector<ByteRange> ranges = LinksBySerial();
    if (ranges.empty() || !LinksHoldUp(*source_, ranges)) ranges = FindVorbisLinks(*source_);
    int64_t total = 0;
    for (const ByteRange& bytes : ranges) {
      VorbisFile file(*source_, bytes);
      if (!file.Open()) continue;  // a link too damaged to play is left out
      const vorbis_info* info = ov_info(file.Get(), -1);
      const ogg_int64_t frames = ov_pcm_total(file.Get(), -1);
      if (!info || info->rate <= 0 || info->channels <= 0 || frames < 0) continue;
      if (links_.empty()) format_ = {static_cast<uint32_t>(info->rate), OutputChannels(info->channels)};
      const auto rate = static_cast<uint32_t>(info->rate);
      const auto out = static_cast<int64_t>(RateConverter::OutputFrames(static_cast<uint64_t>(frames), rate, format_.rate));
      links_.push_back({bytes, rate, total, out});
      total += out;
    }
    if (links_.empty()) return false;
    length_ = total;
    return Enter(0, 0);
  }

  // Makes `link` the one playing, from `frame` frames into its output.
  bool Enter(size_t link, uint64_t frame) {
    if (link != current_ || !file_) {
      file_.reset();
      current_ = link;
      auto file = std::make_unique<VorbisFile>(*source_, links_[link].bytes);
      if (!file->Open()) return false;
      file_ = std::move(file);
    }
    converter_ = std::make_unique<RateConverter>(links_[link].rate, format_.rate, format_.channels);
    const uint64_t input = converter_->Restart(frame);
    if (ov_pcm_seek(file_->Get(), static_cast<ogg_int64_t>(input)) != 0) return false;
    linkOut_ = frame;
    inputEnded_ = false;
    return true;
  }

  // Decodes the next block into pending_.
  bool Refill() {
    pendingAt_ = pendingFrames_ = 0;
    while (!ended_ && file_) {
      const bool seekable = length_ >= 0;
      size_t wanted = kBlockFrames;
      if (seekable) {
        const auto left = static_cast<uint64_t>(links_[current_].outFrames) - linkOut_;
        wanted = static_cast<size_t>(std::min<uint64_t>(wanted, left));
      }
      if (converter_ && wanted > 0) {
        pendingFrames_ = converter_->Pull(pending_.data(), wanted, inputEnded_);
        linkOut_ += pendingFrames_;
        if (pendingFrames_ > 0) return true;
      }
      if (wanted > 0 && !inputEnded_) {
        Decode();
      } else if (seekable && current_ + 1 < links_.size()) {
        if (!Enter(current_ + 1, 0)) ended_ = true;
      } else {
        ended_ = true;
      }
    }
    return false;
  }

  // Feeds the converter one block from libvorbisfile. ov_read returns one
  // link's audio per call, so the block has a single rate and channel
  // count, which ov_info gives after the call.
  void Decode() {
    int section = 0;
    // Half the buffer, so that mono doubled to stereo still fits.
    const long got = ov_read(file_->Get(), reinterpret_cast<char*>(raw_.data()), static_cast<int>(raw_.size()), 0, 2,
                             1, &section);
    if (got == OV_HOLE) return;  // a gap in the data; decoding goes on after it
    const vorbis_info* info = ov_info(file_->Get(), -1);
    if (got <= 0 || !info || info->channels <= 0 || info->rate <= 0) {
      inputEnded_ = true;
      return;
    }
    const auto channels = static_cast<unsigned>(info->channels);
    const size_t frames = static_cast<size_t>(got) / (sizeof(int16_t) * channels);
    ConvertChannels(raw_.data(), channels, raw_.data(), format_.channels, frames, ChannelOrder::Vorbis);
    // A stream that changes rate goes on at the new one; the few frames the
    // old link's conversion still held are dropped.
    const auto rate = static_cast<uint32_t>(info->rate);
    if (!converter_ || converter_->InRate() != rate) {
      converter_ = std::make_unique<RateConverter>(rate, format_.rate, format_.channels);
      converter_->Restart(0);
    }
    converter_->Push(raw_.data(), frames);
  }

  std::unique_ptr<ByteSource> source_;
  PcmFormat format_;
  int64_t length_ = -1;
  std::vector<Link> links_;  // empty for a stream that cannot seek
  size_t current_ = 0;
  std::unique_ptr<VorbisFile> file_;
  std::unique_ptr<RateConverter> converter_;
  uint64_t linkOut_ = 0;  // output frames into the current link
  bool inputEnded_ = false;
  bool ended_ = false;
  std::vector<int16_t> raw_ = std::vector<int16_t>(8192);
  std::vector<int16_t> pending_ = std::vector<int16_t>(kBlockFrames * 2);
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
