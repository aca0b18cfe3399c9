#include "sono/core/MpegSync.h"

namespace sono {
namespace {

// Kilobits per second by [row][index - 1]: rows MPEG-1 layers I, II, III,
// then MPEG-2/2.5 layer I, then MPEG-2/2.5 layers II and III.
constexpr uint16_t kBitRates[5][14] = {
    {32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
    {32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
    {32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320},
    {32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
    {8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
};
constexpr uint32_t kRates[3] = {44100, 48000, 32000};

}  // namespace

size_t MpegFrameLength(const uint8_t* p) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return 0;
  const unsigned version = (p[1] >> 3) & 3;  // 0: 2.5, 1: reserved, 2: 2, 3: 1
  const unsigned layer = (p[1] >> 1) & 3;    // 1: III, 2: II, 3: I
  const unsigned rateIndex = (p[2] >> 4) & 15;
  const unsigned sampleRateIndex = (p[2] >> 2) & 3;
  if (version == 1 || layer == 0 || rateIndex == 0 || rateIndex == 15 || sampleRateIndex == 3) return 0;
  if ((p[3] & 3) == 2) return 0;  // reserved emphasis
  const bool mpeg1 = version == 3;
  const unsigned layerNumber = 4 - layer;
  const unsigned row = mpeg1 ? layerNumber - 1 : (layerNumber == 1 ? 3 : 4);
  const uint32_t bitRate = kBitRates[row][rateIndex - 1] * 1000u;
  const uint32_t sampleRate = kRates[sampleRateIndex] >> (mpeg1 ? 0 : version == 2 ? 1 : 2);
  const unsigned padding = (p[2] >> 1) & 1;
  if (layerNumber == 1) return (12 * bitRate / sampleRate + padding) * 4;
  const unsigned factor = layerNumber == 3 && !mpeg1 ? 72 : 144;
  return factor * bitRate / sampleRate + padding;
}

int64_t FindMpegAudio(const uint8_t* data, size_t size, int framesInARow, bool complete) {
  size_t start = 0;
  if (size >= 10 && data[0] == 'I' && data[1] == 'D' && data[2] == '3') {
    const size_t tag = (size_t{data[6]} & 0x7F) << 21 | (size_t{data[7]} & 0x7F) << 14 |
                       (size_t{data[8]} & 0x7F) << 7 | (size_t{data[9]} & 0x7F);
    start = 10 + tag + ((data[5] & 0x10) ? 10 : 0);
    if (start + 4 > size) return static_cast<int64_t>(start);
  }
  for (size_t at = start; at + 4 <= size; ++at) {
    size_t next = at;
    int frames = 0;
    while (frames < framesInARow && next + 4 <= size) {
      const size_t length = MpegFrameLength(data + next);
      if (length == 0 || (data[next + 1] & 0x1E) != (data[at + 1] & 0x1E) ||
          (data[next + 2] & 0x0C) != (data[at + 2] & 0x0C)) {
        break;
      }
      ++frames;
      next += length;
    }
    if (frames == framesInARow) return static_cast<int64_t>(at);
    // Data too short for the whole run: its frames must start it and run on
    // to its very end.
    if (complete && at == start && frames > 0 && next >= size) return static_cast<int64_t>(at);
  }
  return -1;
}

}  // namespace sono
