#include "base/PasswordCoding.h"

#include <algorithm>

#include "base/AnsiCodec.h"
#include "base/Utf.h"

namespace sv {
namespace {

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

}  // namespace

std::string EncodePassword(std::string_view password) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(password.size() * 2);
  for (const char c : password) {
    const auto b = static_cast<unsigned char>(c);
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  std::reverse(out.begin(), out.end());
  return out;
}

std::string DecodePassword(std::string_view stored) {
  const std::string reversed(stored.rbegin(), stored.rend());
  std::string bytes;
  bytes.reserve(reversed.size() / 2);
  for (std::size_t i = 0; i + 1 < reversed.size(); i += 2) {
    const int hi = HexValue(reversed[i]);
    const int lo = HexValue(reversed[i + 1]);
    bytes += (hi < 0 || lo < 0) ? '?' : static_cast<char>(hi * 16 + lo);
  }
  return IsValidUtf8(bytes) ? bytes : AnsiToUtf8(bytes);
}

}  // namespace sv
