#pragma once
// Small text rules shared by the tag formats. Text is UTF-8; conversions to
// and from the stored encodings are in base/Utf.h.
#include <cstdint>
#include <string>
#include <string_view>

namespace sv::tags {

// Trimming removes characters of code 0x20 or less (blanks, controls, NULs).
std::string_view TrimCtl(std::string_view text);
std::string_view TrimLeftCtl(std::string_view text);
std::string_view TrimRightCtl(std::string_view text);

// Case-insensitive for ASCII letters only.
bool AsciiIEquals(std::string_view a, std::string_view b);
std::string AsciiUpper(std::string_view text);

// Strict decimal number: ASCII digits, optionally surrounded by characters
// of code 0x20 or less. No sign, no hex, no locale. Anything else, or a value
// above `max`, gives 0 ("not a number").
std::uint32_t ParseDecimal(std::string_view text, std::uint32_t max = UINT32_MAX);

// Exactly text.size() ASCII digits and nothing else (fixed-width size
// fields). False otherwise, or when the value exceeds 32 bits.
bool ParseFixedDigits(std::string_view text, std::uint32_t& value);

// `value` as exactly `width` digits with leading zeros; the caller keeps the
// value below 10^width.
std::string FixedDigits(std::uint32_t value, int width);

// Number of code points in UTF-8 text (stray continuation bytes count with
// the character before them).
std::size_t Utf8Length(std::string_view utf8);
// The first `count` code points.
std::string_view Utf8PrefixChars(std::string_view utf8, std::size_t count);

}  // namespace sv::tags
