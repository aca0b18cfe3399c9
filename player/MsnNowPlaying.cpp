#include "player/MsnNowPlaying.h"

#include "base/Utf.h"

namespace player {

namespace {

// A value must not start a field of its own: "\0" inside it becomes "\ 0".
std::string Field(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (std::size_t i = 0; i < value.size(); ++i) {
    out += value[i];
    if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == '0') out += ' ';
  }
  return out;
}

}  // namespace

std::u16string MsnNowPlayingText(std::string_view artist, std::string_view album, std::string_view title, int kind) {
  std::string category = "Music";
  std::string state = std::to_string(kind);
  if (kind > 1) {
    category = kind == 3 ? "Office" : "Games";
    state = "1";
  }
  const std::string text = "\\0" + category + "\\0" + state + "\\0{0} - {1}\\0" + Field(artist) + "\\0" +
                           Field(title) + "\\0" + Field(album) + "\\0WMContentID";
  std::u16string wide = sv::Utf8ToUtf16(text);
  wide += u'\0';
  return wide;
}

MsnBuffer MsnNowPlayingBuffer(std::string_view artist, std::string_view album, std::string_view title, int kind) {
  MsnBuffer buffer{};
  const std::u16string text = MsnNowPlayingText(artist, album, title, kind);
  if (text.size() > kMsnMaxUnits) return buffer;
  for (std::size_t i = 0; i < text.size(); ++i) {
    buffer[2 * i] = static_cast<std::uint8_t>(text[i] & 0xFF);
    buffer[2 * i + 1] = static_cast<std::uint8_t>(text[i] >> 8);
  }
  return buffer;
}

}  // namespace player
