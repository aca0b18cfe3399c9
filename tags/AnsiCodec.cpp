#include "tags/AnsiCodec.h"

#include <array>
#include <optional>

#include "base/Utf.h"

namespace sv::tags {
namespace {

bool IsC1(char32_t cp) { return cp >= 0x80 && cp <= 0x9F; }

// The one character a byte 0x80-0x9F stands for in the ANSI code page, as
// UTF-8, or empty when the code page has none for it on its own (a lead
// byte, an unassigned byte): it must be a real character that goes back to
// that same byte.
std::array<std::string, 32> HighBytes(const AnsiCodec& codec) {
  std::array<std::string, 32> out;
  for (std::size_t i = 0; i < out.size(); ++i) {
    const std::string byte(1, static_cast<char>(0x80 + i));
    const std::string utf8 = codec.toUtf8(byte);
    const std::u16string units = Utf8ToUtf16(utf8);
    bool lossless = true;
    if (units.size() == 1 && !IsC1(units[0]) && codec.fromUtf8(utf8, &lossless) == byte && lossless)
      out[i] = utf8;
  }
  return out;
}

}  // namespace

std::string Utf8ToAnsiFitting(std::string_view utf8, std::size_t maxBytes) {
  const AnsiCodec codec = CurrentAnsiCodec();
  std::string bytes = codec.fromUtf8(utf8, nullptr);
  if (bytes.size() <= maxBytes) return bytes;
  bytes.clear();
  const std::u16string units = Utf8ToUtf16(utf8);
  for (std::size_t i = 0; i < units.size();) {
    // A surrogate pair is one character.
    const std::size_t n = (units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size()) ? 2 : 1;
    const std::string one = codec.fromUtf8(Utf16ToUtf8(units.substr(i, n)), nullptr);
    if (bytes.size() + one.size() > maxBytes) break;
    bytes += one;
    i += n;
  }
  return bytes;
}

std::string Id3Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  std::size_t plain = 0;
  std::optional<std::array<std::string, 32>> high;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    const auto b = static_cast<unsigned char>(bytes[i]);
    if (b < 0x80 || b > 0x9F) continue;
    if (!high) high = HighBytes(CurrentAnsiCodec());
    out += Latin1ToUtf8(bytes.substr(plain, i - plain));
    const std::string& mapped = (*high)[b - 0x80];
    out += mapped.empty() ? Latin1ToUtf8(bytes.substr(i, 1)) : mapped;
    plain = i + 1;
  }
  out += Latin1ToUtf8(bytes.substr(plain));
  return out;
}

}  // namespace sv::tags
