// Whatever a CD database server or the version file sends. A match never
// carries text that could change the next request, the cache values hold no
// control character and are valid UTF-8, and a version is digits with at
// most one point.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "base/Utf.h"
#include "player/CddbProtocol.h"
#include "player/VersionReply.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);

  const player::CddbQueryReply query = player::ParseCddbQueryReply(body);
  if (query.kind == player::CddbQueryReply::Kind::Match) {
    REQUIRE(player::IsCddbCategory(query.category));
    REQUIRE(player::IsCddbDiscId(query.discId));
  }

  const player::CddbReadReply read = player::ParseCddbReadReply(body, 3, "0a0b0c0d");
  if (read.kind == player::CddbReadReply::Kind::Entry) {
    REQUIRE(read.entry.titles.size() == 3);
    const auto disc = player::ParseDiscQuery("0a0b0c0d 3 150 1000 2000 100");
    REQUIRE(disc.has_value());
    for (const auto& [key, value] : player::CddbMatchKeys(read.entry, *disc)) {
      REQUIRE(sv::IsValidUtf8(value));
      for (unsigned char c : value) REQUIRE(c >= 0x20 && c != 0x7F);
    }
  }

  if (const auto disc = player::ParseDiscQuery(body)) {
    REQUIRE(!disc->offsets.empty() && disc->offsets.size() <= 99);
    for (long long seconds : player::TrackSeconds(*disc)) REQUIRE(seconds >= 0);
    for (char c : disc->text)
      REQUIRE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F') || c == '+');
  }

  if (const auto version = player::ParseVersionReply(body)) {
    REQUIRE(!version->empty());
    int points = 0;
    for (char c : *version) {
      REQUIRE((c >= '0' && c <= '9') || c == '.');
      points += c == '.';
    }
    REQUIRE(points <= 1);
    REQUIRE(!player::IsNewerVersion(*version, *version));
  }
  return 0;
}
