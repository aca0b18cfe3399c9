#pragma once
// Colour values of skin.ini: their text form, and the colour a painter
// shows for a stored value.
#include <cstdint>
#include <optional>
#include <string>

namespace sv::skin {

// "$" and at least six upper-case hexadecimal digits: "$C8D0D4",
// "$8000000F" (a system colour keeps all eight).
std::string ColourText(std::uint32_t value);

// What a stored value means on screen: a plain colour (0x00BBGGRR), or the
// system colour of that index for a value with only the high bit and a
// known index (0..30) set. Anything else above 0xFFFFFF gives `fallback`.
struct ShownColour {
  std::uint32_t Rgb = 0;              // 0x00BBGGRR when no system index
  std::optional<int> SystemIndex;
};
ShownColour ShowColour(std::uint32_t value, std::uint32_t fallback);

}  // namespace sv::skin
