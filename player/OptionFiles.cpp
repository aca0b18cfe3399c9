#include "player/OptionFiles.h"

#include <fstream>

#include "base/Ascii.h"
#include "base/Paths.h"
#include "base/TextFile.h"

namespace player {

std::optional<std::string> LicenceFilePath(std::string_view exeFolder, std::string_view value) {
  if (value.size() <= 4 || value.find_first_of("\\/:*?\"<>|") != std::string_view::npos ||
      value.find("..") != std::string_view::npos || value.front() == ' ' || value.front() == '.')
    return std::nullopt;
  for (const char c : value)
    if (static_cast<unsigned char>(c) < 0x20) return std::nullopt;
  // The shell ignores trailing dots and blanks: "x.txt." must not reach it.
  if (!sv::SameTextAscii(value.substr(value.size() - 4), ".txt")) return std::nullopt;
  return sv::IncludeTrailingBackslash(exeFolder) + std::string(value);
}

std::string LogViewText(std::string_view bytes, std::size_t maxBytes) {
  if (bytes.size() > maxBytes) {
    bytes = bytes.substr(bytes.size() - maxBytes);
    // Start at the next whole line; a cut without any line break at least
    // starts at a whole character.
    const std::size_t lineBreak = bytes.find('\n');
    if (lineBreak != std::string_view::npos)
      bytes.remove_prefix(lineBreak + 1);
    else
      while (!bytes.empty() && (static_cast<unsigned char>(bytes.front()) & 0xC0) == 0x80) bytes.remove_prefix(1);
  }
  const std::string text = sv::DecodeText(bytes);
  std::string view;
  view.reserve(text.size() + text.size() / 16);
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '\r') {
      if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
      view += "\r\n";
    } else if (c == '\n') {
      view += "\r\n";
    } else {
      view += c;
    }
  }
  return view;
}

std::optional<std::string> ReadLogView(const std::string& path, std::size_t maxBytes) {
  if (!sv::FileExists(path)) return std::nullopt;
  std::ifstream in(sv::PathFromUtf8(path), std::ios::binary | std::ios::ate);
  if (!in) return std::nullopt;
  const std::streamoff size = in.tellg();
  if (size < 0) return std::nullopt;
  // One byte more than shown, so that a cut is recognised as one.
  const std::streamoff want = std::min<std::streamoff>(size, static_cast<std::streamoff>(maxBytes) + 1);
  in.seekg(size - want);
  std::string bytes(static_cast<std::size_t>(want), '\0');
  if (!in.read(bytes.data(), want)) return std::nullopt;
  return LogViewText(bytes, maxBytes);
}

}  // namespace player
