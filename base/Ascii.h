#pragma once
// Byte-wise text helpers with ASCII-only case folding: names in our files
// (INI sections and keys, list values) compare this way on every platform.
#include <string>
#include <string_view>

namespace sv {

// No byte beyond 0x7F.
bool IsAscii(std::string_view s);

char LowerAscii(char c);
std::string LowerAscii(std::string_view s);
bool SameTextAscii(std::string_view a, std::string_view b);
// <0, 0, >0 ignoring ASCII case; other bytes compare unsigned, which orders
// UTF-8 by code point.
int CompareTextAscii(std::string_view a, std::string_view b);

// Removes every character up to and including the blank (controls too) from
// both ends, or one end.
std::string_view Trim(std::string_view s);
std::string_view TrimLeft(std::string_view s);
std::string_view TrimRight(std::string_view s);
// Removes only blanks and tabs from both ends: the white space a protocol
// header allows around its values, where other controls are content.
std::string_view TrimBlanks(std::string_view s);

}  // namespace sv
