// Tree cache files from anywhere. Whatever comes in, the nodes read form a
// tree (the first a base, none more than one level below the one before),
// no text is empty or holds a line break, and writing them out and reading
// that back gives the same nodes.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "Require.h"
#include "base/TextFile.h"
#include "player/TreeCache.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text = sv::DecodeText(std::string_view(reinterpret_cast<const char*>(data), size));
  const player::TreeCacheRead read = player::ReadTreeCache(text);
  int previous = -1;
  for (const player::TreeLine& line : read.Lines) {
    REQUIRE(line.Level >= 0 && line.Level <= previous + 1);
    REQUIRE(!line.Text.empty() && line.Text.front() != '\t');
    REQUIRE(line.Text.find_first_of("\r\n") == std::string::npos);
    previous = line.Level;
  }
  REQUIRE(read.Malformed == (read.BadLine != 0));

  const player::TreeCacheRead again = player::ReadTreeCache(sv::DecodeText(player::WriteTreeCache(read.Lines)));
  REQUIRE(!again.Malformed);
  REQUIRE(again.Lines.size() == read.Lines.size());
  for (std::size_t i = 0; i < read.Lines.size(); ++i) {
    REQUIRE(again.Lines[i].Level == read.Lines[i].Level);
    // Other control characters become blanks on the way out.
    REQUIRE(again.Lines[i].Text.size() == read.Lines[i].Text.size());
  }
  return 0;
}
