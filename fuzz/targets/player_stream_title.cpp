// Stream titles and station names from whatever a radio server sends. The
// first byte splits the input: its low bit picks the parser view, the rest
// is how many bytes of the data the parser may see. Nothing may be read past
// that count, the title is never longer than the data, and what comes out is
// valid UTF-8 without blanks at its ends.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "Require.h"
#include "base/Utf.h"
#include "player/StreamTitle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const size_t limit = data[0];
  ++data;
  --size;
  // A copy exactly as long as the parser may read, so the sanitizer sees any
  // read past it.
  const size_t visible = limit < size ? limit : size;
  const auto bytes = std::make_unique<char[]>(visible == 0 ? 1 : visible);
  for (size_t i = 0; i < visible; ++i) bytes[i] = static_cast<char>(data[i]);

  const std::string title = player::StreamTitleFromMetadata(bytes.get(), visible);
  REQUIRE(sv::IsValidUtf8(title));
  // Windows-1252 takes at most three bytes per byte.
  REQUIRE(title.size() <= 3 * visible);
  REQUIRE(title.empty() || (static_cast<unsigned char>(title.front()) > ' ' &&
                            static_cast<unsigned char>(title.back()) > ' '));
  if (visible < 13) REQUIRE(title.empty());

  const auto station = player::StationNameFromHeaders(bytes.get(), visible);
  if (station) {
    REQUIRE(sv::IsValidUtf8(*station));
    REQUIRE(visible >= 9);
    REQUIRE(station->size() <= 3 * (visible - 9));
  }
  REQUIRE(player::StreamTitleFromMetadata(nullptr, visible).empty());
  REQUIRE(!player::StationNameFromHeaders(nullptr, visible));
  return 0;
}
