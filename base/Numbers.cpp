#include "base/Numbers.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace sv {
namespace {

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Magnitude and sign of an integer text; hexadecimal magnitudes are limited
// to hexBits, decimal ones to decLimit (the caller applies the sign).
struct Parsed {
  uint64_t magnitude;
  bool negative;
  bool hex;
};

std::optional<Parsed> ParseInteger(std::string_view s, unsigned hexBits, uint64_t decLimit) {
  std::size_t i = 0;
  while (i < s.size() && IsBlank(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  bool hex = false;
  if (i < s.size() && s[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < s.size() && s[i] == '0' && (s[i + 1] == 'x' || s[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i == s.size()) return std::nullopt;
  uint64_t value = 0;
  const uint64_t hexLimit = hexBits >= 64 ? std::numeric_limits<uint64_t>::max() : (uint64_t{1} << hexBits) - 1;
  for (; i < s.size(); ++i) {
    if (hex) {
      const int d = HexDigit(s[i]);
      if (d < 0 || value > (hexLimit >> 4)) return std::nullopt;
      value = (value << 4) | static_cast<uint64_t>(d);
    } else {
      if (s[i] < '0' || s[i] > '9') return std::nullopt;
      const auto d = static_cast<uint64_t>(s[i] - '0');
      if (value > (decLimit - d) / 10) return std::nullopt;
      value = value * 10 + d;
    }
  }
  return Parsed{value, negative, hex};
}

}  // namespace

std::optional<int32_t> ParseInt32(std::string_view text) {
  // Decimal magnitudes may reach 2^31 so that the most negative value parses.
  const auto p = ParseInteger(text, 32, uint64_t{1} << 31);
  if (!p) return std::nullopt;
  if (p->hex) {
    const auto bits = static_cast<uint32_t>(p->magnitude);
    const auto wrapped = static_cast<int32_t>(bits);
    return p->negative ? static_cast<int32_t>(0u - bits) : wrapped;
  }
  if (!p->negative && p->magnitude > uint64_t{std::numeric_limits<int32_t>::max()}) return std::nullopt;
  return p->negative ? static_cast<int32_t>(0 - static_cast<int64_t>(p->magnitude))
                     : static_cast<int32_t>(p->magnitude);
}

std::optional<int64_t> ParseInt64(std::string_view text) {
  const auto p = ParseInteger(text, 64, uint64_t{1} << 63);
  if (!p) return std::nullopt;
  if (!p->hex && !p->negative && p->magnitude > uint64_t{std::numeric_limits<int64_t>::max()})
    return std::nullopt;
  // Two's complement wrap, written without signed overflow.
  const uint64_t bits = p->negative ? 0 - p->magnitude : p->magnitude;
  return static_cast<int64_t>(bits);
}

std::optional<double> ParseFloat(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  if (text.empty()) return std::nullopt;
  std::string s(text);
  bool separatorSeen = false;
  for (char& c : s) {
    if (c == ',' || c == '.') {
      if (separatorSeen) return std::nullopt;
      separatorSeen = true;
      c = '.';
    }
  }
  std::size_t start = 0;
  bool negative = false;
  if (s[0] == '+' || s[0] == '-') {
    negative = s[0] == '-';
    start = 1;
  }
  // from_chars would also take "inf", "nan" and hexadecimal forms; a stored
  // number starts with a digit or the separator.
  if (start == s.size() || !((s[start] >= '0' && s[start] <= '9') || s[start] == '.')) return std::nullopt;
  double value = 0;
  const char* first = s.data() + start;
  const char* last = s.data() + s.size();
  const auto [end, ec] = std::from_chars(first, last, value, std::chars_format::general);
  if (ec != std::errc() || end != last || !std::isfinite(value)) return std::nullopt;
  return negative ? -value : value;
}

std::string FormatFloat(double value) {
  if (std::isnan(value)) return "NAN";
  if (std::isinf(value)) return value > 0 ? "INF" : "-INF";
  if (value == 0) return "0";
  char buf[64];
  const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, 15);
  if (ec != std::errc()) return "0";
  std::string s(buf, end);
  // "1.5e-07" becomes "1.5E-7", "1e+20" becomes "1E20".
  const auto e = s.find('e');
  if (e != std::string::npos) {
    std::string mantissa = s.substr(0, e);
    std::string exponent = s.substr(e + 1);
    const bool negativeExponent = exponent[0] == '-';
    exponent.erase(0, 1);
    exponent.erase(0, exponent.find_first_not_of('0'));
    s = mantissa + "E" + (negativeExponent ? "-" : "") + exponent;
  }
  return s;
}

int64_t Round(double value) {
  if (std::isnan(value)) return 0;
  if (value >= 9.2233720368547758e18) return std::numeric_limits<int64_t>::max();
  if (value <= -9.2233720368547758e18) return std::numeric_limits<int64_t>::min();
  // The tie test is done here rather than through the floating-point
  // rounding mode, which other code (or a driver) may have changed.
  const double lower = std::floor(value);
  const double diff = value - lower;
  double result = lower;
  if (diff > 0.5 || (diff == 0.5 && std::fmod(lower, 2.0) != 0)) result = lower + 1;
  return static_cast<int64_t>(result);
}

}  // namespace sv
