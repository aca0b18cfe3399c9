// Decoders: any bytes, offered as a stream file (seekable or not) and as a
// module, either open as nothing or decode a bounded, well-formed amount.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sono/core/Decoder.h"

namespace {

// Caps the work per input so slow-but-valid data does not stall fuzzing.
constexpr size_t kMaxFrames = 1 << 17;

void Exercise(std::unique_ptr<sono::Decoder> decoder) {
  if (!decoder) return;
  const auto format = decoder->Format();
  if (format.rate == 0 || (format.channels != 1 && format.channels != 2)) std::abort();
  std::vector<int16_t> buffer(1153 * 2);
  size_t total = 0;
  while (total < kMaxFrames) {
    const size_t got = decoder->Read(buffer.data(), 1153);
    if (got > 1153) std::abort();
    if (got == 0) break;
    total += got;
  }
  const int64_t length = decoder->LengthFrames();
  if (length > 0 && decoder->Seek(static_cast<uint64_t>(length / 2))) {
    if (decoder->Read(buffer.data(), 1153) > 1153) std::abort();
  }
  // The length is where decoding ends: a seek there gives nothing more.
  if (length > 0 && decoder->Seek(static_cast<uint64_t>(length)) && decoder->Read(buffer.data(), 1153) != 0) {
    std::abort();
  }
  decoder->ModuleName();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::vector<uint8_t> bytes(data, data + size);
  Exercise(sono::OpenStreamDecoder(sono::OpenMemorySource(bytes, true)));
  Exercise(sono::OpenStreamDecoder(sono::OpenMemorySource(bytes, false, ".mp3")));
  Exercise(sono::OpenModuleDecoder(sono::OpenMemorySource(bytes, true),
                                   sono::kModulePrescan | sono::kModuleStopBackJump));
  return 0;
}
