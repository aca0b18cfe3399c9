#include "tags/ID3v2Fields.h"

#include <array>

#include "base/Ascii.h"
#include "tags/Genres.h"
#include "tags/ID3v2Frames.h"
#include "tags/TextUtil.h"

namespace sv::tags::id3 {
namespace {

constexpr std::array<std::string_view, kEntryCount> kIds = {
    "TIT2", "TPE1", "TALB", "TRCK", "TYER", "TCON", "COMM", "TCOM", "TENC",
    "TCOP", "TLAN", "WXXX", "TDRC", "TOPE", "TIT1", "TOAL", "TSIZ", "APIC"};
constexpr std::array<std::string_view, kEntryCount> kIdsV22 = {
    "TT2", "TP1", "TAL", "TRK", "TYE", "TCO", "COM", "TCM", "TEN",
    "TCR", "TLA", "WXX", "TOR", "TOA", "TT1", "TOT", "TSI", "PIC"};

bool AllDigits(std::string_view s) {
  if (s.empty()) return false;
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

// The genre a reference names; empty for a number outside the table.
std::string GenreName(std::string_view digits) {
  std::uint32_t n = 0;
  return ParseFixedDigits(digits, n) && n < GenreNames.size() ? std::string(GenreNames[n]) : std::string();
}

}  // namespace

int EntryOf(std::string_view id, std::uint8_t version) {
  const auto& ids = version == 2 ? kIdsV22 : kIds;
  for (std::size_t i = 0; i < ids.size(); ++i)
    if (ids[i] == id) return static_cast<int>(i);
  return -1;
}

std::string_view IdOf(int entry) { return kIds[static_cast<std::size_t>(entry)]; }

std::string TextValue(std::string_view data) {
  if (data.empty() || static_cast<unsigned char>(data[0]) > 3) return {};
  return std::string(Trim(DecodeString(static_cast<std::uint8_t>(data[0]), data.substr(1))));
}

bool ParseComment(std::string_view data, Described& out) {
  if (data.size() < 4 || static_cast<unsigned char>(data[0]) > 3) return false;
  const auto enc = static_cast<std::uint8_t>(data[0]);
  const std::size_t descEnd = SkipString(enc, data, 4);
  out.language = std::string(data.substr(1, 3));
  out.description = DecodeString(enc, data.substr(4, descEnd - 4));
  out.value = std::string(Trim(DecodeString(enc, data.substr(descEnd))));
  return true;
}

bool ParseLink(std::string_view data, Described& out) {
  if (data.empty() || static_cast<unsigned char>(data[0]) > 3) return false;
  const auto enc = static_cast<std::uint8_t>(data[0]);
  const std::size_t descEnd = SkipString(enc, data, 1);
  out.language.clear();
  out.description = DecodeString(enc, data.substr(1, descEnd - 1));
  // The address itself is always ISO-8859-1.
  out.value = std::string(Trim(DecodeString(0, data.substr(descEnd))));
  return true;
}

bool ParsePicture(std::string_view data, std::uint8_t version, PictureFrame& out) {
  out = PictureFrame{};
  if (data.empty() || static_cast<unsigned char>(data[0]) > 3) return false;
  const auto enc = static_cast<std::uint8_t>(data[0]);
  std::size_t typeAt;
  bool jpegType;
  if (version == 2) {
    if (data.size() < 5) return false;
    jpegType = SameTextAscii(data.substr(1, 3), "JPG");
    typeAt = 4;
  } else {
    const std::size_t mimeEnd = data.find('\0', 1);
    if (mimeEnd == std::string_view::npos || mimeEnd + 1 >= data.size()) return false;
    const std::string_view mime = data.substr(1, mimeEnd - 1);
    jpegType = SameTextAscii(mime, "image/jpeg") || SameTextAscii(mime, "image/jpg");
    typeAt = mimeEnd + 1;
  }
  out.type = static_cast<std::uint8_t>(data[typeAt]);
  out.dataOffset = SkipString(enc, data, typeAt + 1);
  // The bytes go to a JPEG decoder: they must at least start like JPEG.
  out.jpeg = jpegType && data.substr(out.dataOffset, 2) == "\xFF\xD8";
  return true;
}

std::uint16_t TrackNumber(std::string_view text) {
  return static_cast<std::uint16_t>(ParseDecimal(text.substr(0, text.find('/')), 65535));
}

std::string GenreText(std::string_view text) {
  std::string_view s = Trim(text);
  std::string first;
  bool referenced = false;
  // Leading "(n)" references; "((" starts a text that begins with "(".
  while (s.size() >= 2 && s[0] == '(' && s[1] != '(') {
    const std::size_t close = s.find(')');
    if (close == std::string_view::npos) break;
    const std::string_view inner = s.substr(1, close - 1);
    std::string name;
    if (AllDigits(inner))
      name = GenreName(inner);
    else if (inner == "RX")
      name = "Remix";
    else if (inner == "CR")
      name = "Cover";
    else
      break;
    if (!referenced) first = std::move(name);
    referenced = true;
    s.remove_prefix(close + 1);
  }
  if (s.substr(0, 2) == "((") s.remove_prefix(1);
  s = Trim(s);
  if (!s.empty()) {
    if (!referenced && AllDigits(s)) {
      std::string name = GenreName(s);
      if (!name.empty()) return name;
    }
    return std::string(s);
  }
  return first;
}

}  // namespace sv::tags::id3
