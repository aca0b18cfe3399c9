// M3U and PLS lists from anywhere. The first byte picks the reader (low bit:
// M3U or PLS); the rest is the file. Whatever comes in, entries are valid
// UTF-8, every path is a stream address or a full path, M3U titles carry no
// blanks at their ends, and the own playlist written from what was read reads
// back to the same entries, with titles free of control characters.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Require.h"
#include "base/Ascii.h"
#include "base/StringList.h"
#include "base/TextFile.h"
#include "base/Utf.h"
#include "player/Extensions.h"
#include "player/PlaylistFiles.h"

namespace {

const std::vector<std::string> kSupported = {"mp3", "ogg", "wav"};
constexpr std::string_view kFolder = "C:\\Lists\\";

bool IsFullPath(std::string_view path) {
  return path.substr(0, 2) == "\\\\" || (path.size() >= 3 && path[1] == ':' && path[2] == '\\');
}

bool Trimmed(std::string_view s) {
  return s.empty() || (static_cast<unsigned char>(s.front()) > ' ' && static_cast<unsigned char>(s.back()) > ' ');
}

// Paths that name no file are left out of the round trip: a colon past the
// drive is no part of a Windows file name (and the relative rule splits names
// at it), and "\\server\share.mp3" expands to a share root, a folder.
bool NamesAFile(std::string_view path) {
  return path.find(':', 2) == std::string_view::npos && !path.empty() && path.back() != '\\';
}

void CheckM3u(std::string_view bytes) {
  sv::StringList list;
  list.SetText(sv::DecodeText(bytes));
  const std::vector<std::string>& lines = list.Items();

  const auto imported = player::ParseM3u(lines, kFolder, kSupported);
  REQUIRE(imported.size() <= lines.size());
  for (const auto& e : imported) {
    REQUIRE(sv::IsValidUtf8(e.Path) && sv::IsValidUtf8(e.Title));
    REQUIRE(player::IsStreamUrl(e.Path) || IsFullPath(e.Path));
    REQUIRE(Trimmed(e.Title));
  }

  const auto own =
      player::ReadOwnPlaylist(lines, kFolder, kSupported, [](const std::string& path) { return path.size() % 2 == 0; });
  REQUIRE(own.size() == imported.size());
  std::vector<std::string> paths;
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < own.size(); ++i) {
    REQUIRE(own[i].Path == imported[i].Path);
    REQUIRE(!own[i].Text.empty() && own[i].Text.front() == ' ');
    if (NamesAFile(own[i].Path) || player::IsStreamUrl(own[i].Path)) {
      paths.push_back(own[i].Path);
      texts.push_back(own[i].Text);
    }
  }

  const auto written = player::OwnPlaylistLines(paths, texts, kFolder);
  sv::StringList back;
  back.SetText(sv::DecodeText(player::EncodePlaylistText(written)));
  const auto again =
      player::ReadOwnPlaylist(back.Items(), kFolder, kSupported, [](const std::string&) { return true; });
  REQUIRE(again.size() == paths.size());
  // The relative rule drops the common folders whatever their case, and
  // Windows names ignore it.
  for (std::size_t i = 0; i < again.size(); ++i) REQUIRE(sv::SameTextAscii(again[i].Path, paths[i]));
  // Titles are written as one line: no control character comes back.
  for (const auto& e : again)
    for (const char c : e.Text) REQUIRE(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
}

void CheckPls(std::string_view bytes) {
  for (const auto& e : player::ParsePls(bytes, kFolder)) {
    REQUIRE(sv::IsValidUtf8(e.Path) && sv::IsValidUtf8(e.Title));
    REQUIRE(player::IsStreamUrl(e.Path) || IsFullPath(e.Path));
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);
  if (data[0] & 1)
    CheckPls(bytes);
  else
    CheckM3u(bytes);
  return 0;
}
