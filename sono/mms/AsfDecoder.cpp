#include "sono/mms/AsfDecoder.h"

#include <algorithm>
#include <cmath>
#include <mutex>
#include <vector>

#include "sono/core/PcmMix.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
}

namespace sono::mms {

namespace {

constexpr int kIoBufferSize = 32768;
// A header larger than this is not a radio stream's.
constexpr int64_t kMaxProbe = 1 << 20;

struct FormatCloser {
  void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
struct CodecCloser {
  void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct IoCloser {
  void operator()(AVIOContext* io) const {
    if (io) av_freep(&io->buffer);
    avio_context_free(&io);
  }
};
struct FrameCloser {
  void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct PacketCloser {
  void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};

int16_t ToInt16(float value) {
  const float scaled = std::round(value * 32767.0f);
  return static_cast<int16_t>(std::clamp(scaled, -32768.0f, 32767.0f));
}

// One sample of any format the WMA decoders produce, as 16-bit.
int16_t SampleAt(const AVFrame& frame, int channel, int index, int channels) {
  const auto format = static_cast<AVSampleFormat>(frame.format);
  const bool planar = av_sample_fmt_is_planar(format) != 0;
  const uint8_t* plane = planar ? frame.extended_data[channel] : frame.extended_data[0];
  const int at = planar ? index : index * channels + channel;
  switch (av_get_packed_sample_fmt(format)) {
    case AV_SAMPLE_FMT_FLT: return ToInt16(reinterpret_cast<const float*>(plane)[at]);
    case AV_SAMPLE_FMT_DBL: return ToInt16(static_cast<float>(reinterpret_cast<const double*>(plane)[at]));
    case AV_SAMPLE_FMT_S16: return reinterpret_cast<const int16_t*>(plane)[at];
    case AV_SAMPLE_FMT_S32: return static_cast<int16_t>(reinterpret_cast<const int32_t*>(plane)[at] >> 16);
    case AV_SAMPLE_FMT_U8: return static_cast<int16_t>((plane[at] - 128) << 8);
    default: return 0;
  }
}

class AsfDecoder final : public Decoder {
 public:
  AsfDecoder(std::unique_ptr<ByteSource> source) : source_(std::move(source)) {}

  bool Open(std::string& title) {
    uint8_t* buffer = static_cast<uint8_t*>(av_malloc(kIoBufferSize));
    if (!buffer) return false;
    io_.reset(avio_alloc_context(buffer, kIoBufferSize, 0, this, &AsfDecoder::ReadPacket, nullptr, nullptr));
    if (!io_) {
      av_free(buffer);
      return false;
    }
    io_->seekable = 0;
    AVFormatContext* context = avformat_alloc_context();
    if (!context) return false;
    context->pb = io_.get();
    context->flags |= AVFMT_FLAG_CUSTOM_IO;
    context->probesize = kMaxProbe;
    const AVInputFormat* asf = av_find_input_format("asf");
    // On failure the context is freed by the call itself.
    if (!asf || avformat_open_input(&context, nullptr, asf, nullptr) < 0) return false;
    format_.reset(context);
    stream_ = av_find_best_stream(context, AVMEDIA_TYPE_AUDIO, -1, -1, nullptr, 0);
    if (stream_ < 0) return false;
    const AVCodecParameters* parameters = context->streams[stream_]->codecpar;
    const AVCodec* codec = avcodec_find_decoder(parameters->codec_id);
    if (!codec) return false;
    codec_.reset(avcodec_alloc_context3(codec));
    if (!codec_ || avcodec_parameters_to_context(codec_.get(), parameters) < 0 ||
        avcodec_open2(codec_.get(), codec, nullptr) < 0) {
      return false;
    }
    inChannels_ = codec_->ch_layout.nb_channels;
    if (inChannels_ < 1 || codec_->sample_rate <= 0) return false;
    format.rate = static_cast<uint32_t>(codec_->sample_rate);
    format.channels = inChannels_ >= 2 ? 2 : 1;
    frame_.reset(av_frame_alloc());
    packet_.reset(av_packet_alloc());
    if (!frame_ || !packet_) return false;
    if (const AVDictionaryEntry* entry = av_dict_get(context->metadata, "title", nullptr, 0)) title = entry->value;
    return true;
  }

  PcmFormat Format() const override { return format; }
  int64_t LengthFrames() const override { return -1; }
  bool Seek(uint64_t) override { return false; }

  size_t Read(int16_t* out, size_t maxFrames) override {
    size_t written = 0;
    while (written < maxFrames) {
      if (offset_ == pending_.size()) {
        if (!Refill()) break;
        continue;
      }
      const size_t frames = std::min(maxFrames - written, (pending_.size() - offset_) / format.channels);
      std::copy_n(pending_.begin() + static_cast<ptrdiff_t>(offset_), frames * format.channels,
                  out + written * format.channels);
      offset_ += frames * format.channels;
      written += frames;
    }
    return written;
  }

  PcmFormat format;

 private:
  static int ReadPacket(void* self, uint8_t* buffer, int size) {
    auto* decoder = static_cast<AsfDecoder*>(self);
    const size_t got = decoder->source_->Read(buffer, static_cast<size_t>(size));
    return got == 0 ? AVERROR_EOF : static_cast<int>(got);
  }

  // Decodes the next frame into pending_; false at the end or on an error.
  bool Refill() {
    pending_.clear();
    offset_ = 0;
    while (!finished_) {
      const int received = avcodec_receive_frame(codec_.get(), frame_.get());
      if (received == 0) {
        Convert();
        av_frame_unref(frame_.get());
        if (!pending_.empty()) return true;
        continue;
      }
      if (received != AVERROR(EAGAIN)) {
        finished_ = true;
        break;
      }
      if (draining_) {
        finished_ = true;
        break;
      }
      const int read = av_read_frame(format_.get(), packet_.get());
      if (read < 0) {
        draining_ = true;
        avcodec_send_packet(codec_.get(), nullptr);
        continue;
      }
      if (packet_->stream_index == stream_) {
        // A damaged packet is skipped; the next one may decode.
        avcodec_send_packet(codec_.get(), packet_.get());
      }
      av_packet_unref(packet_.get());
    }
    return false;
  }

  void Convert() {
    const AVFrame& frame = *frame_;
    // The decoder's channel count is fixed by the header; a frame that
    // disagrees is dropped rather than misread.
    if (frame.ch_layout.nb_channels != inChannels_ || frame.nb_samples <= 0) return;
    const auto count = static_cast<size_t>(frame.nb_samples);
    std::vector<int16_t> interleaved(count * static_cast<size_t>(inChannels_));
    for (int i = 0; i < frame.nb_samples; ++i) {
      for (int c = 0; c < inChannels_; ++c) {
        interleaved[static_cast<size_t>(i) * static_cast<size_t>(inChannels_) + static_cast<size_t>(c)] =
            SampleAt(frame, c, i, inChannels_);
      }
    }
    pending_.resize(count * format.channels);
    ConvertChannels(interleaved.data(), static_cast<unsigned>(inChannels_), pending_.data(), format.channels, count);
  }

  std::unique_ptr<ByteSource> source_;
  std::unique_ptr<AVIOContext, IoCloser> io_;
  std::unique_ptr<AVFormatContext, FormatCloser> format_;
  std::unique_ptr<AVCodecContext, CodecCloser> codec_;
  std::unique_ptr<AVFrame, FrameCloser> frame_;
  std::unique_ptr<AVPacket, PacketCloser> packet_;
  int stream_ = -1;
  int inChannels_ = 0;
  std::vector<int16_t> pending_;
  size_t offset_ = 0;
  bool draining_ = false;
  bool finished_ = false;
};

}  // namespace

AsfOpenResult OpenAsfDecoder(std::unique_ptr<ByteSource> source) {
  AsfOpenResult result;
  if (!source) return result;
  // A damaged stream is reported through the result, not on the console.
  static std::once_flag quiet;
  std::call_once(quiet, [] { av_log_set_level(AV_LOG_QUIET); });
  auto decoder = std::make_unique<AsfDecoder>(std::move(source));
  if (decoder->Open(result.title)) result.decoder = std::move(decoder);
  return result;
}

}  // namespace sono::mms
