#include "tags/TextUtil.h"

#include "base/Ascii.h"

namespace sv::tags {
namespace {

char Upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsContinuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

std::string AsciiUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = Upper(c);
  return out;
}

std::uint32_t ParseDecimal(std::string_view text, std::uint32_t max) {
  std::uint32_t value = 0;
  return ParseFixedDigits(Trim(text), value) && value <= max ? value : 0;
}

bool ParseFixedDigits(std::string_view text, std::uint32_t& value) {
  if (text.empty()) return false;
  std::uint64_t v = 0;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + static_cast<std::uint64_t>(c - '0');
    if (v > UINT32_MAX) return false;
  }
  value = static_cast<std::uint32_t>(v);
  return true;
}

std::string FixedDigits(std::uint32_t value, int width) {
  std::string out(static_cast<std::size_t>(width), '0');
  for (int i = width - 1; i >= 0 && value > 0; --i) {
    out[static_cast<std::size_t>(i)] = static_cast<char>('0' + value % 10);
    value /= 10;
  }
  return out;
}

std::size_t Utf8Length(std::string_view utf8) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i)
    if (!IsContinuation(utf8[i]) || i == 0) ++n;
  return n;
}

std::string_view Utf8PrefixChars(std::string_view utf8, std::size_t count) {
  std::size_t seen = 0;
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    if (i > 0 && IsContinuation(utf8[i])) continue;
    if (seen == count) return utf8.substr(0, i);
    ++seen;
  }
  return utf8;
}

}  // namespace sv::tags
