// Tracker modules (IT, XM, S3M, MOD, MTM, UMX and the rest libxmp loads),
// rendered as 44.1 kHz stereo. libxmp scans the order list at load time, so
// the length to the module's end (or to its first loop) is known up front.
#include <xmp.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <type_traits>
#include <vector>

#include "sono/core/Decoder.h"

namespace sono {
namespace {

constexpr uint32_t kRate = 44100;
constexpr int64_t kMaxModuleBytes = 64 << 20;

struct ContextDeleter {
  // Also stops the player and releases the module, whatever state it is in.
  void operator()(xmp_context context) const { xmp_free_context(context); }
};
using Context = std::unique_ptr<std::remove_pointer_t<xmp_context>, ContextDeleter>;

class ModuleDecoder final : public Decoder {
 public:
  ModuleDecoder(Context context, uint32_t flags, int64_t length, int orderCount, std::string name)
      : context_(std::move(context)),
        flags_(flags),
        length_(length),
        orderCount_(orderCount),
        name_(std::move(name)) {}

  PcmFormat Format() const override { return {kRate, 2}; }
  int64_t LengthFrames() const override { return length_; }
  std::string ModuleName() const override { return name_; }

  size_t Read(int16_t* out, size_t maxFrames) override {
    size_t written = 0;
    while (written < maxFrames) {
      if (pendingAt_ == pending_.size() && !RenderFrame()) break;
      const size_t count = std::min((maxFrames - written) * 2, pending_.size() - pendingAt_);
      std::copy_n(pending_.data() + pendingAt_, count, out + written * 2);
      pendingAt_ += count;
      written += count / 2;
    }
    return written;
  }

  bool Seek(uint64_t frame) override {
    if (length_ >= 0 && frame > static_cast<uint64_t>(length_)) return false;
    if (length_ >= 0 && frame == static_cast<uint64_t>(length_)) {
      // The end itself: libxmp would land on the last tick and play it.
      pending_.clear();
      pendingAt_ = 0;
      ended_ = true;
      return true;
    }
    // libxmp seeks to the start of the order holding that time; the rest of
    // the way is rendered and dropped.
    const auto ms = static_cast<int>(frame * 1000 / kRate);
    if (!SeekOrder(ms)) return false;
    if (!RenderFrame()) return true;
    if (TickStartFrame() > frame) {
      // libxmp moves only to another order: back within the order playing,
      // it plays on. Once at the first order it moves to any other.
      if (!SeekOrder(0)) return false;
      if (!RenderFrame()) return true;
      if (!SeekOrder(ms)) return false;
      if (!RenderFrame()) return true;
    }
    const uint64_t reached = TickStartFrame();
    uint64_t left = reached < frame ? (frame - reached) * 2 : 0;  // samples to drop
    while (true) {
      const auto drop = static_cast<size_t>(std::min<uint64_t>(left, pending_.size()));
      pendingAt_ = drop;
      left -= drop;
      if (left == 0 || !RenderFrame()) break;
    }
    return true;
  }

 private:
  // Asks libxmp for the order holding `ms`; it moves there on the next tick.
  bool SeekOrder(int ms) {
    if (xmp_seek_time(context_.get(), ms) < 0) return false;
    pending_.clear();
    pendingAt_ = 0;
    ended_ = false;
    havePrevious_ = false;
    xmp_frame_info info{};
    xmp_get_frame_info(context_.get(), &info);
    loopsSeen_ = info.loop_count;
    return true;
  }

  uint64_t TickStartFrame() const { return static_cast<uint64_t>(std::llround(tickStartMs_ * kRate / 1000)); }

  // Renders one tick into pending_; false once the module has ended.
  bool RenderFrame() {
    pending_.clear();
    pendingAt_ = 0;
    if (ended_) return false;
    if (xmp_play_frame(context_.get()) != 0) {
      ended_ = true;
      return false;
    }
    xmp_frame_info info{};
    xmp_get_frame_info(context_.get(), &info);
    if (info.loop_count > loopsSeen_) {
      loopsSeen_ = info.loop_count;
      // Playing on from the end of the order list would restart the song, so
      // that always ends it; a jump back from anywhere else ends it only when
      // asked, and otherwise keeps looping as the composer wrote.
      const bool fromLastOrder = havePrevious_ && previousPosition_ >= orderCount_ - 1;
      if ((flags_ & kModuleStopBackJump) || fromLastOrder || !havePrevious_) {
        ended_ = true;
        return false;
      }
    }
    havePrevious_ = true;
    previousPosition_ = info.pos;
    // libxmp gives the time after the tick it has just rendered (whole
    // milliseconds, the tick's length in microseconds): the rendered samples
    // start one tick earlier.
    tickStartMs_ = std::max(0.0, info.time - info.frame_time / 1000.0);
    if (!info.buffer || info.buffer_size <= 0) return true;
    const size_t samples = static_cast<size_t>(info.buffer_size) / sizeof(int16_t);
    pending_.resize(samples);
    std::memcpy(pending_.data(), info.buffer, samples * sizeof(int16_t));
    return true;
  }

  Context context_;
  uint32_t flags_;
  int64_t length_;
  int orderCount_;
  std::string name_;
  std::vector<int16_t> pending_;
  size_t pendingAt_ = 0;
  bool ended_ = false;
  int loopsSeen_ = 0;
  bool havePrevious_ = false;
  int previousPosition_ = 0;
  double tickStartMs_ = 0;  // where the samples in pending_ start
};

}  // namespace

std::unique_ptr<Decoder> OpenModuleDecoder(std::unique_ptr<ByteSource> source, uint32_t flags) {
  if (!source) return nullptr;
  std::vector<uint8_t> bytes;
  if (source->CanSeek() && source->Size() > kMaxModuleBytes) return nullptr;
  uint8_t block[65536];
  while (true) {
    const size_t got = source->Read(block, sizeof block);
    if (got == 0) break;
    if (static_cast<int64_t>(bytes.size() + got) > kMaxModuleBytes) return nullptr;
    bytes.insert(bytes.end(), block, block + got);
  }
  if (source->Failed() || bytes.empty()) return nullptr;

  Context context(xmp_create_context());
  if (!context) return nullptr;
  if (xmp_load_module_from_memory(context.get(), bytes.data(), static_cast<long>(bytes.size())) != 0) {
    return nullptr;
  }
  if (xmp_start_player(context.get(), static_cast<int>(kRate), 0) != 0) return nullptr;
  xmp_module_info module{};
  xmp_get_module_info(context.get(), &module);
  xmp_frame_info frame{};
  xmp_get_frame_info(context.get(), &frame);
  if (!module.mod || frame.total_time <= 0) return nullptr;
  const int64_t length = int64_t{frame.total_time} * kRate / 1000;
  // Module names are 8-bit text of no stated code page; read as Latin-1.
  std::string name;
  for (size_t i = 0; i < XMP_NAME_SIZE && module.mod->name[i] != '\0'; ++i) {
    const auto c = static_cast<unsigned char>(module.mod->name[i]);
    if (c < 0x80) {
      name += static_cast<char>(c);
    } else {
      name += static_cast<char>(0xC0 | (c >> 6));
      name += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  while (!name.empty() && name.back() == ' ') name.pop_back();
  return std::make_unique<ModuleDecoder>(std::move(context), flags, length, module.mod->len, std::move(name));
}

}  // namespace sono
