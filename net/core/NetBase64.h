#pragma once
// Base64 with the standard alphabet ("A"-"Z", "a"-"z", "0"-"9", "+", "/") and
// "=" padding, no line breaks. Works on byte strings and never raises.

#include <string>
#include <string_view>

namespace sv::net {

std::string Base64Encode(std::string_view bytes);

// Groups of four characters give three bytes, two when the fourth is "=",
// one when the third is. Nothing is skipped or rejected: a character outside
// the alphabet counts as 255 (the arithmetic is kept to 8 bits). A short last
// group gives what its characters hold: 2 characters 1 byte, 3 characters 2.
std::string Base64Decode(std::string_view text);

// The encoder behind Basic credentials ("user:password"); same text as
// Base64Encode, padded to a multiple of four.
std::string EncodeStr(std::string_view bytes);

}  // namespace sv::net
