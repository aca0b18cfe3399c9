#include "tags/ID3v2Convert.h"

#include <array>
#include <utility>

#include "base/Ascii.h"
#include "base/Utf.h"
#include "tags/AnsiCodec.h"
#include "tags/Bytes.h"
#include "tags/ID3v2Frames.h"

namespace sv::tags::id3 {
namespace {

// Every version 2.2 frame of the published list with a 2.3 counterpart of
// the same layout (PIC and LNK are rewritten), and the sort-order frames
// other programs added to 2.2.
constexpr std::array<std::pair<std::string_view, std::string_view>, 69> kV22 = {{
    {"BUF", "RBUF"}, {"CNT", "PCNT"}, {"COM", "COMM"}, {"CRA", "AENC"}, {"ETC", "ETCO"}, {"EQU", "EQUA"},
    {"GEO", "GEOB"}, {"IPL", "IPLS"}, {"LNK", "LINK"}, {"MCI", "MCDI"}, {"MLL", "MLLT"}, {"PIC", "APIC"},
    {"POP", "POPM"}, {"REV", "RVRB"}, {"RVA", "RVAD"}, {"SLT", "SYLT"}, {"STC", "SYTC"}, {"TAL", "TALB"},
    {"TBP", "TBPM"}, {"TCM", "TCOM"}, {"TCO", "TCON"}, {"TCR", "TCOP"}, {"TDA", "TDAT"}, {"TDY", "TDLY"},
    {"TEN", "TENC"}, {"TFT", "TFLT"}, {"TIM", "TIME"}, {"TKE", "TKEY"}, {"TLA", "TLAN"}, {"TLE", "TLEN"},
    {"TMT", "TMED"}, {"TOA", "TOPE"}, {"TOF", "TOFN"}, {"TOL", "TOLY"}, {"TOR", "TORY"}, {"TOT", "TOAL"},
    {"TP1", "TPE1"}, {"TP2", "TPE2"}, {"TP3", "TPE3"}, {"TP4", "TPE4"}, {"TPA", "TPOS"}, {"TPB", "TPUB"},
    {"TRC", "TSRC"}, {"TRD", "TRDA"}, {"TRK", "TRCK"}, {"TSI", "TSIZ"}, {"TSS", "TSSE"}, {"TT1", "TIT1"},
    {"TT2", "TIT2"}, {"TT3", "TIT3"}, {"TXT", "TEXT"}, {"TXX", "TXXX"}, {"TYE", "TYER"}, {"UFI", "UFID"},
    {"ULT", "USLT"}, {"WAF", "WOAF"}, {"WAR", "WOAR"}, {"WAS", "WOAS"}, {"WCM", "WCOM"}, {"WCP", "WCOP"},
    {"WPB", "WPUB"}, {"WXX", "WXXX"}, {"TCP", "TCMP"}, {"TS2", "TSO2"}, {"TSA", "TSOA"}, {"TSC", "TSOC"},
    {"TSP", "TSOP"}, {"TST", "TSOT"}, {"PCS", "PCST"},
}};

// Where the texts of a frame stand, one letter per part: 'e' the encoding
// byte, a digit that many fixed bytes, 'L' an ISO-8859-1 string with its
// terminator, 'S' a string in the frame's encoding with its terminator, 'R'
// the rest as strings in that encoding, 'B' the rest as binary data, 'Y'
// the rest as synchronised texts (a string and a 4-byte time stamp each).
std::string_view LayoutOf(std::string_view id) {
  if (id == "COMM" || id == "USLT" || id == "USER") return "e3R";
  if (id == "WXXX") return "eSB";
  if (id == "APIC") return "eL1SB";
  if (id == "GEOB") return "eLSSB";
  if (id == "SYLT") return "e311SY";
  if (id == "OWNE") return "eL8R";
  if (id == "COMR") return "eL8L1SSLB";
  if (!id.empty() && id[0] == 'T') return "eR";
  return {};
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

// The rest of a frame, strings in `encoding`, as encoding 1.
std::string RestAsUtf16(std::uint8_t encoding, std::string_view bytes) {
  std::string text = RunToUtf8(encoding, bytes);
  // A final terminator ends the last value; it is not an empty value.
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return Utf16Run(text);
}

bool AllDigits(std::string_view s) {
  for (const char c : s)
    if (c < '0' || c > '9') return false;
  return !s.empty();
}

}  // namespace

std::string_view UpgradeId(std::string_view v22id) {
  for (const auto& [v22, v23] : kV22)
    if (v22 == v22id) return v23;
  return {};
}

bool UpgradeData(std::string_view v22id, std::string_view data, std::string& out) {
  if (UpgradeId(v22id).empty()) return false;
  if (v22id == "PIC") {
    if (data.size() < 4) return false;
    const std::string format(Trim(data.substr(1, 3)));
    const std::string mime = SameTextAscii(format, "JPG") ? "image/jpeg" : "image/" + LowerAscii(format);
    out.assign(1, data[0]);
    out += mime;
    out += '\0';
    out += data.substr(4);
    return true;
  }
  if (v22id == "LNK") {
    // The linked frame's ID: three characters in 2.2, four in 2.3.
    if (data.size() < 3) return false;
    const std::string_view linked = UpgradeId(data.substr(0, 3));
    if (linked.empty()) return false;
    out = std::string(linked) + std::string(data.substr(3));
    return true;
  }
  out.assign(data);
  return true;
}

bool HasTextLayout(std::string_view id) { return !LayoutOf(id).empty(); }

std::string DowngradeData(std::string_view id, std::string_view data) {
  const std::string_view layout = LayoutOf(id);
  if (layout.empty() || data.empty()) return std::string(data);
  const auto enc = static_cast<std::uint8_t>(data[0]);
  if (enc != 2 && enc != 3) return std::string(data);
  std::string out;
  std::size_t pos = 0;
  for (const char part : layout) {
    if (part == 'e') {
      out += '\x01';
      pos = 1;
    } else if (part >= '1' && part <= '9') {
      const std::size_t n = static_cast<std::size_t>(part - '0');
      if (data.size() - pos < n) return std::string(data);
      out += data.substr(pos, n);
      pos += n;
    } else if (part == 'L') {
      const std::size_t end = data.find('\0', pos);
      if (end == std::string_view::npos) return std::string(data);
      out += data.substr(pos, end + 1 - pos);
      pos = end + 1;
    } else if (part == 'S') {
      const std::size_t end = SkipString(enc, data, pos);
      out += EncodeString(1, DecodeString(enc, data.substr(pos, end - pos)), true);
      pos = end;
    } else if (part == 'R') {
      out += RestAsUtf16(enc, data.substr(pos));
      pos = data.size();
    } else if (part == 'B') {
      out += data.substr(pos);
      pos = data.size();
    } else if (part == 'Y') {
      while (pos < data.size()) {
        const std::size_t end = SkipString(enc, data, pos);
        if (data.size() - end < 4) return std::string(data);
        out += EncodeString(1, DecodeString(enc, data.substr(pos, end - pos)), true);
        out += data.substr(end, 4);
        pos = end + 4;
      }
    }
  }
  return out;
}

bool DowngradeEncodedFrame(std::string_view payload, std::uint8_t formatFlags, bool tagUnsync,
                           std::string& data, std::uint8_t& v23Flags) {
  constexpr std::uint8_t kGrouping = 0x40, kCompressed = 0x08, kEncrypted = 0x04, kUnsync = 0x02,
                         kDataLength = 0x01;
  std::string_view p = payload;
  auto take = [&p](std::size_t n, std::string_view& out) {
    if (p.size() < n) return false;
    out = p.substr(0, n);
    p.remove_prefix(n);
    return true;
  };
  std::string_view group, method, length;
  if ((formatFlags & kGrouping) && !take(1, group)) return false;
  if ((formatFlags & kEncrypted) && !take(1, method)) return false;
  if ((formatFlags & kDataLength) && !take(4, length)) return false;
  const bool compressed = (formatFlags & kCompressed) != 0;
  if (compressed && length.empty()) return false;
  const std::string body = (tagUnsync || (formatFlags & kUnsync)) ? Resynchronise(p) : std::string(p);
  data.clear();
  v23Flags = 0;
  if (compressed) {
    v23Flags |= 0x80;
    AppendBE32(data, DecodeSyncSafe(length.data()));
  }
  if (!method.empty()) {
    v23Flags |= 0x40;
    data += method;
  }
  if (!group.empty()) {
    v23Flags |= 0x20;
    data += group;
  }
  data += body;
  return true;
}

bool SplitRecordingTime(std::string_view text, Date23& out) {
  out = Date23{};
  text = Trim(text);
  if (text.size() < 4 || !AllDigits(text.substr(0, 4)) || (text.size() > 4 && text[4] != '-')) return false;
  out.year = std::string(text.substr(0, 4));
  // "-MM-dd" and "THH:mm", each only when whole.
  if (text.size() >= 10 && text[7] == '-' && AllDigits(text.substr(5, 2)) && AllDigits(text.substr(8, 2))) {
    out.date = std::string(text.substr(8, 2)) + std::string(text.substr(5, 2));
    if (text.size() >= 16 && text[10] == 'T' && text[13] == ':' && AllDigits(text.substr(11, 2)) &&
        AllDigits(text.substr(14, 2)))
      out.time = std::string(text.substr(11, 2)) + std::string(text.substr(14, 2));
  }
  return true;
}

}  // namespace sv::tags::id3
