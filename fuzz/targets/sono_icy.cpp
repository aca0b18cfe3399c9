// ICY stream splitting and metadata parsing: the first two bytes choose the
// metadata interval and the chunk size, the rest is the stream. Audio bytes
// and metadata bytes must add up to what went in, and every block parses.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Require.h"
#include "sono/net/IcyDemuxer.h"
#include "sono/net/IcyMetadata.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t interval = data[0];
  const size_t chunk = data[1] % 64 + 1;
  data += 2;
  size -= 2;

  sono::net::IcyDemuxer demuxer(interval);
  std::vector<uint8_t> out(chunk);
  size_t audio = 0;
  size_t metadata = 0;
  size_t lengthBytes = 0;
  for (size_t at = 0; at < size;) {
    const auto step = demuxer.Process(data + at, size - at, out.data(), out.size());
    REQUIRE(step.consumed > 0);
    REQUIRE(step.produced <= out.size() && step.consumed <= size - at);
    at += step.consumed;
    audio += step.produced;
    while (demuxer.HasBlock()) {
      const std::string block = demuxer.TakeBlock();
      REQUIRE(!block.empty() && block.size() % 16 == 0 && block.size() <= 255 * 16);
      metadata += block.size();
      const auto text = sono::net::MetadataText(block);
      REQUIRE(text.size() <= block.size());
      if (const auto title = sono::net::StreamTitle(block)) REQUIRE(title->size() < text.size());
    }
  }
  if (interval > 0) lengthBytes = audio / interval;
  if (demuxer.InsideMetadata()) {
    // Waiting for the length byte counted above, or inside a block whose
    // bytes are not a block yet.
    REQUIRE(audio + metadata + lengthBytes <= size + 1);
  } else {
    REQUIRE(audio + metadata + lengthBytes == size);
  }
  if (interval == 0) REQUIRE(audio == size);

  const std::string text(reinterpret_cast<const char*>(data), size);
  if (const auto title = sono::net::StreamTitle(text)) REQUIRE(title->size() < size);
  return 0;
}
