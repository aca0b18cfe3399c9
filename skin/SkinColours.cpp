#include "skin/SkinColours.h"

#include <cstdio>

namespace sv::skin {

namespace {
constexpr std::uint32_t kSystemBit = 0x80000000u;
constexpr std::uint32_t kLastSystemIndex = 30;  // COLOR_MENUBAR
}  // namespace

std::string ColourText(std::uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "$%06X", static_cast<unsigned>(value));
  return text;
}

ShownColour ShowColour(std::uint32_t value, std::uint32_t fallback) {
  ShownColour shown;
  if (value <= 0xFFFFFFu) {
    shown.Rgb = value;
  } else if ((value & kSystemBit) != 0 && (value & ~kSystemBit) <= kLastSystemIndex) {
    shown.SystemIndex = static_cast<int>(value & ~kSystemBit);
  } else {
    shown.Rgb = fallback & 0xFFFFFFu;
  }
  return shown;
}

}  // namespace sv::skin
