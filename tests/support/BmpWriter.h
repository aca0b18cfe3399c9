#pragma once
// Pictures made by tests, in the format skins are drawn in.
#include <cstdint>
#include <string>
#include <vector>

namespace svtest {

// A 24-bit BMP file, rows given top first, pixels 0x00RRGGBB.
std::string Bmp(const std::vector<std::vector<std::uint32_t>>& rows);

}  // namespace svtest
