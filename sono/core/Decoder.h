#pragma once
// What every decoder gives the engine: 16-bit interleaved PCM at the
// decoder's own rate and channel count, which stay fixed for its lifetime so
// that byte positions saved by the player keep meaning the same place.
#include <cstdint>
#include <memory>
#include <string>

#include "sono/core/ByteSource.h"

namespace sono {

struct PcmFormat {
  uint32_t rate = 0;      // frames per second
  uint32_t channels = 0;  // 1 or 2 (more are mixed down by the decoder)
  uint64_t BytesPerFrame() const { return uint64_t{channels} * 2; }
};

class Decoder {
 public:
  virtual ~Decoder() = default;
  virtual PcmFormat Format() const = 0;
  // Total length in frames, or -1 while unknown (a live stream).
  virtual int64_t LengthFrames() const = 0;
  // Decodes up to maxFrames frames into out (interleaved); returns the
  // number of frames written, 0 at the end. Never throws.
  virtual size_t Read(int16_t* out, size_t maxFrames) = 0;
  // Moves to a frame; false when the source cannot seek there.
  virtual bool Seek(uint64_t frame) = 0;
  // A module's name, empty for other kinds.
  virtual std::string ModuleName() const { return {}; }
};

// Flags for modules, as the player passes them.
enum ModuleFlags : uint32_t {
  kModulePrescan = 0x20000,        // exact length from a pre-scan
  kModuleStopBackJump = 0x80000,   // a backward jump ends the module
};

// Each returns null when the data is not of that kind or is damaged.
std::unique_ptr<Decoder> OpenMpegDecoder(std::unique_ptr<ByteSource> source);
std::unique_ptr<Decoder> OpenVorbisDecoder(std::unique_ptr<ByteSource> source);
std::unique_ptr<Decoder> OpenSoundFileDecoder(std::unique_ptr<ByteSource> source);  // WAV and AIFF
// Modules render at 44.1 kHz stereo. Their order list is always scanned at
// load (kModulePrescan costs nothing more); the length runs to the natural
// end or to the first backward jump. Without kModuleStopBackJump such a jump
// loops for ever, as the composer wrote it. Files over 64 MiB are refused.
std::unique_ptr<Decoder> OpenModuleDecoder(std::unique_ptr<ByteSource> source, uint32_t flags);

// Picks a decoder for a stream file by its contents (then by extension).
std::unique_ptr<Decoder> OpenStreamDecoder(const std::string& utf8Path);
// The same over any source (MPEG audio, Ogg Vorbis, WAV, AIFF). A
// source that cannot seek gets its first bytes replayed after the look.
std::unique_ptr<Decoder> OpenStreamDecoder(std::unique_ptr<ByteSource> source);

}  // namespace sono
