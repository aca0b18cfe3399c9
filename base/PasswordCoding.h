#pragma once
// The stored form of passwords in the settings file: each byte of the UTF-8
// text as two upper-case hexadecimal digits, then the whole text reversed.
// ASCII passwords give exactly the form older files hold.
#include <string>
#include <string_view>

namespace sv {

std::string EncodePassword(std::string_view password);

// Reverses the text, then reads it pair by pair; a pair that is not two
// hexadecimal digits gives "?", an odd last character is ignored. Bytes that
// are no valid UTF-8 come from files written in the system's ANSI code page
// and are read in it.
std::string DecodePassword(std::string_view stored);

}  // namespace sv
