// MPEG audio layers I-III through libmpg123, reading from a byte source.
// The output format is locked to the first frame's rate and channel count (of
// frames confirmed in a row, for a source that cannot seek) so that later
// frames in another format are converted rather than changing the meaning of
// positions.
#include <mpg123.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <mutex>
#include <vector>

#include "sono/core/Decoder.h"
#include "sono/core/MpegSync.h"
#include "sono/core/ReplaySource.h"

namespace sono {
namespace {

void InitOnce() {
  static std::once_flag once;
  std::call_once(once, [] { mpg123_init(); });
}

struct HandleDeleter {
  void operator()(mpg123_handle* handle) const {
    mpg123_close(handle);
    mpg123_delete(handle);
  }
};
using Handle = std::unique_ptr<mpg123_handle, HandleDeleter>;

mpg123_ssize_t ReadCallback(void* data, void* buffer, size_t size) {
  auto* source = static_cast<ByteSource*>(data);
  const size_t got = source->Read(buffer, size);
  if (got == 0 && source->Failed()) {
    errno = EIO;
    return -1;
  }
  return static_cast<mpg123_ssize_t>(got);
}

off_t SeekCallback(void* data, off_t offset, int whence) {
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
  if (!source->Seek(target)) return -1;
  return static_cast<off_t>(source->Tell());
}

class MpegDecoder final : public Decoder {
 public:
  MpegDecoder(std::unique_ptr<ByteSource> source, Handle handle, PcmFormat format, int64_t length)
      : source_(std::move(source)), handle_(std::move(handle)), format_(format), length_(length) {}

  PcmFormat Format() const override { return format_; }
  int64_t LengthFrames() const override { return length_; }

  // With a known length, exactly that many frames come out: junk between
  // frames can make libmpg123 decode more or fewer than its scan counted,
  // and positions, seeks and the end must all agree with the length.
  size_t Read(int16_t* out, size_t maxFrames) override {
    if (length_ >= 0) maxFrames = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(maxFrames), length_ - at_));
    size_t frames = Decode(out, maxFrames);
    // Short of the length, the decoder has nothing more: silence makes up
    // the difference.
    if (length_ >= 0 && frames < maxFrames && (ended_ || frames == 0)) {
      std::fill_n(out + frames * format_.channels, (maxFrames - frames) * format_.channels, int16_t{0});
      frames = maxFrames;
    }
    at_ += static_cast<int64_t>(frames);
    return frames;
  }

  bool Seek(uint64_t frame) override {
    if (length_ < 0 || frame > static_cast<uint64_t>(length_)) return false;
    if (frame < static_cast<uint64_t>(length_) && mpg123_seek(handle_.get(), static_cast<off_t>(frame), SEEK_SET) < 0) {
      return false;
    }
    at_ = static_cast<int64_t>(frame);
    ended_ = false;
    return true;
  }

 private:
  size_t Decode(int16_t* out, size_t maxFrames) {
    if (ended_ || maxFrames == 0) return 0;
    const size_t frameBytes = format_.BytesPerFrame();
    auto* bytes = reinterpret_cast<unsigned char*>(out);
    size_t filled = 0;
    const size_t wanted = maxFrames * frameBytes;
    // A few empty rounds in a row (new format notices, skipped junk) are
    // normal; an endless run of them means the stream has nothing left.
    for (int idle = 0; filled < wanted && idle < 64;) {
      size_t done = 0;
      const int result = mpg123_read(handle_.get(), bytes + filled, wanted - filled, &done);
      filled += done;
      idle = done > 0 ? 0 : idle + 1;
      if (result == MPG123_OK || result == MPG123_NEW_FORMAT) continue;
      if (result == MPG123_NEED_MORE && !source_->Failed()) continue;
      ended_ = true;  // MPG123_DONE, or an error that libmpg123 cannot resync past
      break;
    }
    if (filled % frameBytes != 0) filled -= filled % frameBytes;
    return filled / frameBytes;
  }

  std::unique_ptr<ByteSource> source_;
  Handle handle_;
  PcmFormat format_;
  int64_t length_;
  int64_t at_ = 0;  // frames delivered since the start or the last seek
  bool ended_ = false;
};

// Any rate and channel count, only 16-bit samples.
void AcceptEveryRate(mpg123_handle* mh) {
  mpg123_format_none(mh);
  const long* rates = nullptr;
  size_t rateCount = 0;
  mpg123_rates(&rates, &rateCount);
  for (size_t i = 0; i < rateCount; ++i) mpg123_format(mh, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
}

// Opens (or reopens) the source from the start; false when libmpg123 does not
// take it.
bool OpenAtStart(mpg123_handle* mh, ByteSource& source, bool gapless) {
  mpg123_param(mh, gapless ? MPG123_ADD_FLAGS : MPG123_REMOVE_FLAGS, MPG123_GAPLESS, 0);
  return mpg123_open_handle(mh, &source) == MPG123_OK;
}

// The exact length of a seekable file, in the frames that the gapless
// decoding of it delivers. libmpg123's own scan drops the encoder delay and
// padding altogether when the file is shorter than its gapless header says
// (a cut or unfinished file), while decoding still trims the delay at the
// start; so the frames are counted without trimming, and the trimming that
// decoding does is taken off here.
int64_t GaplessLength(mpg123_handle* mh, ByteSource& source, const PcmFormat& format) {
  const auto lockFormat = [&] {
    mpg123_format_none(mh);
    return mpg123_format(mh, static_cast<long>(format.rate), static_cast<int>(format.channels),
                         MPG123_ENC_SIGNED_16) == MPG123_OK;
  };
  mpg123_close(mh);
  if (!source.Seek(0) || !lockFormat() || !OpenAtStart(mh, source, false)) return -1;
  if (mpg123_scan(mh) != MPG123_OK) return -1;
  const off_t raw = mpg123_length(mh);
  mpg123_close(mh);
  // Opened with every rate allowed: held to one rate, libmpg123 can spend
  // seconds looking through a damaged file for a frame of that rate.
  AcceptEveryRate(mh);
  if (raw <= 0 || !source.Seek(0) || !OpenAtStart(mh, source, true)) return -1;
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) return -1;
  if (rate != static_cast<long>(format.rate) || channels != static_cast<int>(format.channels)) return -1;
  if (!lockFormat()) return -1;
  long encoderDelay = -1;
  long decoderDelay = -1;
  double unused = 0;
  if (mpg123_getstate(mh, MPG123_ENC_DELAY, &encoderDelay, &unused) != MPG123_OK) encoderDelay = -1;
  if (mpg123_getstate(mh, MPG123_DEC_DELAY, &decoderDelay, &unused) != MPG123_OK) decoderDelay = -1;
  if (encoderDelay < 0 || decoderDelay < 0) return raw;  // no gapless header: nothing is trimmed
  const off_t header = mpg123_length(mh);  // what the gapless header promises
  const int64_t trimmed = static_cast<int64_t>(raw) - encoderDelay - decoderDelay;
  return std::max<int64_t>(0, header > 0 ? std::min<int64_t>(header, trimmed) : trimmed);
}

// A source that cannot seek (radio) is often joined in the middle of a
// frame, where false frame headers abound, and libmpg123 would take the
// first one for the stream's rate and channel count for good. Its audio is
// confirmed first, as frames in a row that agree, and decoding starts at the
// first of them; a source without such frames is not MPEG audio at all.
std::unique_ptr<ByteSource> FromConfirmedFrames(std::unique_ptr<ByteSource> source) {
  // Read a little at a time: a station may send no faster than it plays,
  // and the caller waits for this.
  constexpr size_t kStep = 2048;
  constexpr size_t kFarLookBytes = 262144;
  constexpr int kSure = 8;
  std::vector<uint8_t> head;
  int64_t at = -1;
  bool more = true;
  while (more && head.size() < kFarLookBytes) {
    more = Fill(*source, head, std::min(head.size() + kStep, kFarLookBytes));
    at = FindMpegAudio(head.data(), head.size(), kSure, !more);
    // An ID3v2 tag that runs past what was read: look on behind it.
    if (at >= 0 && static_cast<size_t>(at) + 4 <= head.size()) break;
  }
  // A short stream, read whole, may hold fewer frames.
  if (at < 0 && !more) at = FindMpegAudio(head.data(), head.size());
  if (at < 0) return nullptr;
  // A tag longer than the look: libmpg123 skips it itself.
  if (static_cast<size_t>(at) + 4 <= head.size()) head.erase(head.begin(), head.begin() + at);
  return std::make_unique<ReplaySource>(std::move(head), std::move(source));
}

}  // namespace

std::unique_ptr<Decoder> OpenMpegDecoder(std::unique_ptr<ByteSource> source) {
  if (!source) return nullptr;
  if (!source->CanSeek()) {
    source = FromConfirmedFrames(std::move(source));
    if (!source) return nullptr;
  }
  InitOnce();
  int error = MPG123_OK;
  Handle handle(mpg123_new(nullptr, &error));
  if (!handle) return nullptr;
  mpg123_handle* mh = handle.get();
  mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_GAPLESS | MPG123_QUIET, 0);
  if (!source->CanSeek()) mpg123_param(mh, MPG123_ADD_FLAGS, MPG123_NO_PEEK_END, 0);
  // After a seek, enough earlier frames are decoded to refill the bit
  // reservoir, which a low-rate stream spreads over several frames.
  mpg123_param(mh, MPG123_PREFRAMES, 10, 0);
  // Accept any rate while probing, but only 16-bit samples.
  AcceptEveryRate(mh);
  if (mpg123_replace_reader_handle(mh, ReadCallback, SeekCallback, nullptr) != MPG123_OK) return nullptr;
  if (mpg123_open_handle(mh, source.get()) != MPG123_OK) return nullptr;
  long rate = 0;
  int channels = 0;
  int encoding = 0;
  if (mpg123_getformat(mh, &rate, &channels, &encoding) != MPG123_OK) return nullptr;
  if (rate <= 0 || (channels != 1 && channels != 2) || encoding != MPG123_ENC_SIGNED_16) return nullptr;
  mpg123_format_none(mh);
  if (mpg123_format(mh, rate, channels, MPG123_ENC_SIGNED_16) != MPG123_OK) return nullptr;

  PcmFormat format;
  format.rate = static_cast<uint32_t>(rate);
  format.channels = static_cast<uint32_t>(channels);
  int64_t length = -1;
  if (source->CanSeek()) {
    // Walks every frame so the length is exact even without a gapless header.
    length = GaplessLength(mh, *source, format);
    if (length <= 0) return nullptr;
  }
  return std::make_unique<MpegDecoder>(std::move(source), std::move(handle), format, length);
}

}  // namespace sono
