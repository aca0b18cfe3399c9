#include "base/Utf.h"

#include <array>
#include <cstdint>

namespace sv {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one scalar value at s[i], advancing i. Overlong forms, surrogates,
// values past U+10FFFF and truncated sequences yield U+FFFD; a bad lead byte
// consumes one byte, a broken sequence consumes the bytes that were valid so
// far (the maximal-subpart rule), so the next character resynchronises.
char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  if (b0 < 0x80) {
    ++i;
    return b0;
  }
  int len;
  char32_t cp;
  unsigned char lo = 0x80, hi = 0xBF;  // allowed range of the second byte
  if (b0 >= 0xC2 && b0 <= 0xDF) {
    len = 2;
    cp = b0 & 0x1F;
  } else if (b0 >= 0xE0 && b0 <= 0xEF) {
    len = 3;
    cp = b0 & 0x0F;
    if (b0 == 0xE0) lo = 0xA0;
    if (b0 == 0xED) hi = 0x9F;
  } else if (b0 >= 0xF0 && b0 <= 0xF4) {
    len = 4;
    cp = b0 & 0x07;
    if (b0 == 0xF0) lo = 0x90;
    if (b0 == 0xF4) hi = 0x8F;
  } else {
    ++i;
    return kReplacement;
  }
  ++i;
  for (int k = 1; k < len; ++k) {
    if (i >= s.size()) return kReplacement;
    const auto b = static_cast<unsigned char>(s[i]);
    const unsigned char l = k == 1 ? lo : 0x80;
    const unsigned char h = k == 1 ? hi : 0xBF;
    if (b < l || b > h) return kReplacement;
    cp = (cp << 6) | (b & 0x3F);
    ++i;
  }
  return cp;
}

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

template <typename Unit>
std::string Utf16UnitsToUtf8(std::size_t count, Unit unitAt) {
  std::string out;
  out.reserve(count);
  for (std::size_t i = 0; i < count; ++i) {
    const char16_t u = unitAt(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < count) {
      const char16_t v = unitAt(i + 1);
      if (v >= 0xDC00 && v <= 0xDFFF) {
        AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(v) - 0xDC00));
        ++i;
        continue;
      }
    }
    AppendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : char32_t(u));
  }
  return out;
}

// Windows-1252 0x80..0x9F; the five undefined positions map to the C1
// controls, as the system conversion does, so every byte round-trips.
constexpr std::array<char16_t, 32> kCp1252High = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

int Cp1252Byte(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (std::size_t k = 0; k < kCp1252High.size(); ++k)
    if (kCp1252High[k] == cp) return static_cast<int>(0x80 + k);
  return -1;
}

template <typename Map>
std::string EncodeSingleByte(std::string_view utf8, bool* lossless, Map map) {
  std::string out;
  out.reserve(utf8.size());
  bool exact = true;
  for (std::size_t i = 0; i < utf8.size();) {
    const int b = map(DecodeUtf8(utf8, i));
    if (b < 0) {
      exact = false;
      out += '?';
    } else {
      out += static_cast<char>(b);
    }
  }
  if (lossless) *lossless = exact;
  return out;
}

}  // namespace

std::u16string Utf8ToUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const char32_t cp = DecodeUtf8(utf8, i);
    if (cp >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((cp - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((cp - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string Utf16ToUtf8(std::u16string_view utf16) {
  return Utf16UnitsToUtf8(utf16.size(), [&](std::size_t i) { return utf16[i]; });
}

std::string Utf16LEBytesToUtf8(std::string_view bytes) {
  return Utf16UnitsToUtf8(bytes.size() / 2, [&](std::size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  });
}

std::string Utf16BEBytesToUtf8(std::string_view bytes) {
  return Utf16UnitsToUtf8(bytes.size() / 2, [&](std::size_t i) {
    return static_cast<char16_t>((static_cast<unsigned char>(bytes[2 * i]) << 8) |
                                 static_cast<unsigned char>(bytes[2 * i + 1]));
  });
}

std::string Cp1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    AppendUtf8(out, (b >= 0x80 && b <= 0x9F) ? char32_t(kCp1252High[b - 0x80]) : char32_t(b));
  }
  return out;
}

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (const char c : bytes) AppendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

std::string Utf8ToCp1252(std::string_view utf8, bool* lossless) {
  return EncodeSingleByte(utf8, lossless, Cp1252Byte);
}

std::string Utf8ToLatin1(std::string_view utf8, bool* lossless) {
  return EncodeSingleByte(utf8, lossless,
                          [](char32_t cp) { return cp <= 0xFF ? static_cast<int>(cp) : -1; });
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const std::size_t start = i;
    const char32_t cp = DecodeUtf8(bytes, i);
    // A genuine U+FFFD is three bytes; a replacement for a fault is shorter
    // or comes from a byte that is not EF.
    if (cp == kReplacement && !(i - start == 3 && static_cast<unsigned char>(bytes[start]) == 0xEF))
      return false;
  }
  return true;
}

std::string_view Utf8Prefix(std::string_view utf8, std::size_t maxBytes) {
  if (utf8.size() <= maxBytes) return utf8;
  std::size_t end = maxBytes;
  // Step back over continuation bytes to the lead byte of the cut sequence.
  while (end > 0 && (static_cast<unsigned char>(utf8[end]) & 0xC0) == 0x80) --end;
  return utf8.substr(0, end);
}

}  // namespace sv
