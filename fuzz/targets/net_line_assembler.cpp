// Line mode over random splits, line ends of 1 to 4 bytes and edit floods:
// lines come out whole, the same whatever the split when nothing is edited,
// and stored bytes stay under the ceiling.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Require.h"
#include "net/core/NetLineAssembler.h"

namespace {

struct Run {
  sv::net::LineAssembler lines;
  std::vector<std::string> got;
  std::string echoed;

  Run(std::string_view lineEnd, bool echo, bool edit) {
    lines.LineEnd = std::string(lineEnd);
    lines.LineEcho = echo;
    lines.LineEdit = edit;
    lines.LineLimit = 0;
    lines.SetLineMode(true);
    lines.OnLineOffered = [this] {
      std::string line(static_cast<size_t>(lines.OfferedLength()), '\0');
      // Read in two parts, as a handler with a small buffer would.
      const size_t first = lines.Read(line.data(), line.size() / 2);
      const size_t second = lines.Read(line.data() + first, line.size() - first);
      REQUIRE(first + second == line.size());
      got.push_back(line);
      return true;
    };
    lines.OnEcho = [this](std::string_view s) { echoed += s; };
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t endLength = 1 + data[0] % 4;
  const bool echo = data[1] & 1;
  const bool edit = data[1] & 2;
  if (size < 2 + endLength) return 0;
  const std::string_view lineEnd(reinterpret_cast<const char*>(data + 2), endLength);
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2 + endLength), size - 2 - endLength);

  Run whole(lineEnd, echo, edit);
  whole.lines.Feed(bytes);
  Run split(lineEnd, echo, edit);
  for (size_t at = 0, step = 1; at < bytes.size(); at += step, step = step % 7 + 1) {
    split.lines.Feed(bytes.substr(at, step));
  }
  for (Run* run : {&whole, &split}) {
    for (const std::string& line : run->got) {
      REQUIRE(line.size() >= lineEnd.size());
      REQUIRE(line.compare(line.size() - lineEnd.size(), lineEnd.size(), lineEnd) == 0);
      REQUIRE(line.find(lineEnd) == line.size() - lineEnd.size());
    }
    REQUIRE(run->lines.Stored().size() <= static_cast<size_t>(sv::net::LineAssembler::kHardLimit));
    REQUIRE(run->lines.Stored().find(lineEnd) == std::string_view::npos);
  }
  if (!edit) {
    REQUIRE(whole.got == split.got);
    REQUIRE(whole.lines.Stored() == split.lines.Stored());
    REQUIRE(whole.echoed == split.echoed);
    std::string joined;
    for (const std::string& line : whole.got) joined += line;
    REQUIRE(joined + std::string(whole.lines.Stored()) == bytes);
  }
  const size_t before = whole.got.size();
  const bool hadStored = !whole.lines.Stored().empty();
  whole.lines.Close();
  REQUIRE(whole.got.size() == before + (hadStored ? 1 : 0));
  REQUIRE(whole.lines.Stored().empty());
  return 0;
}
