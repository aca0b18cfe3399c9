#pragma once
// Small text rules shared by the tag formats. Text is UTF-8; conversions to
// and from the stored encodings are in base/Utf.h. Trimming (characters of
// code 0x20 or less) and ASCII case folding are those of base/Ascii.h.
#include <cstdint>
#include <string>
#include <string_view>

namespace sv::tags {

// Upper case for ASCII letters only.
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
