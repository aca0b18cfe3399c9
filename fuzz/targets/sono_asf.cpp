// ASF/WMA as an "mms://" stream delivers it: any bytes, offered as a source
// that cannot seek, either open as nothing or decode a bounded, well-formed
// amount of mono or stereo.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "sono/mms/AsfDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  constexpr size_t kMaxFrames = 1 << 17;
  auto asf = sono::mms::OpenAsfDecoder(sono::OpenMemorySource(std::vector<uint8_t>(data, data + size), false));
  if (!asf.decoder) return 0;
  const auto format = asf.decoder->Format();
  if (format.rate == 0 || (format.channels != 1 && format.channels != 2)) std::abort();
  std::vector<int16_t> buffer(4096 * 2);
  for (size_t total = 0, got; total < kMaxFrames; total += got) {
    got = asf.decoder->Read(buffer.data(), 4096);
    if (got > 4096) std::abort();
    if (got == 0) break;
  }
  return 0;
}
