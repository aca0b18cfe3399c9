#include "tags/ID3v2Fields.h"

#include <array>

#include "base/Ascii.h"
#include "base/Utf.h"
#include "tags/AnsiCodec.h"
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

std::string GenreName(std::string_view digits) {
  const std::uint32_t n = ParseDecimal(digits, 1000);
  return n < GenreNames.size() ? std::string(GenreNames[n]) : std::string();
}

// The whole of a text run (NUL separators kept) as UTF-8.
std::string RunToUtf8(std::uint8_t encoding, std::string_view bytes) {
  if (encoding == 2) return Utf16BEBytesToUtf8(bytes);
  return IsValidUtf8(bytes) ? std::string(bytes) : Id3Latin1ToUtf8(bytes);
}

// Each NUL-separated string with its own byte-order mark, as readers of
// encoding 1 expect.
std::string Utf16Run(std::string_view utf8) {
  std::string out;
  std::size_t start = 0;
  while (true) {
    const std::size_t nul = utf8.find('\0', start);
    const std::string_view piece = utf8.substr(start, nul == std::string_view::npos ? nul : nul - start);
    out += EncodeString(1, piece, nul != std::string_view::npos);
    if (nul == std::string_view::npos) return out;
    start = nul + 1;
  }
}

}  // namespace

int EntryOf(std::string_view id, std::uint8_t version) {
  const auto& ids = version == 2 ? kIdsV22 : kIds;
  for (std::size_t i = 0; i < ids.size(); ++i)
    if (ids[i] == id) return static_cast<int>(i);
  return -1;
}

std::string_view IdOf(int entry) { return kIds[static_cast<std::size_t>(entry)]; }

std::string_view UpgradeId(std::string_view v22id) {
  const int entry = EntryOf(v22id, 2);
  if (entry < 0) return {};
  // TOR is the original release year, which version 3 calls TORY.
  return entry == kRecordingTime ? std::string_view("TORY") : IdOf(entry);
}

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

std::string UpgradePicture(std::string_view data) {
  if (data.size() < 4) return std::string(data);
  const std::string format = AsciiUpper(data.substr(1, 3));
  const std::string mime = LowerAscii(format == "JPG" ? "image/jpeg" : "image/" + std::string(Trim(data.substr(1, 3))));
  std::string out(1, data[0]);
  out += mime;
  out += '\0';
  out += data.substr(4);
  return out;
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

std::string DowngradeText(std::string_view id, std::string_view data) {
  if (data.empty()) return std::string(data);
  const auto enc = static_cast<std::uint8_t>(data[0]);
  if (enc != 2 && enc != 3) return std::string(data);
  std::size_t textAt;
  if (!id.empty() && id[0] == 'T')
    textAt = 1;
  else if ((id == "COMM" || id == "USLT") && data.size() >= 4)
    textAt = 4;
  else
    return std::string(data);
  std::string text = RunToUtf8(enc, data.substr(textAt));
  // A final terminator ends the last value; it is not an empty value.
  if (!text.empty() && text.back() == '\0') text.pop_back();
  std::string out(1, '\x01');
  out += data.substr(1, textAt - 1);
  out += Utf16Run(text);
  return out;
}

}  // namespace sv::tags::id3
