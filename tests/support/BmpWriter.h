#pragma once
// Pictures made by tests, in the format skins are drawn in.
#include <cstdint>
#include <string>
#include <vector>

namespace svtest {

// A 24-bit BMP file, rows given top first, pixels 0x00RRGGBB.
std::string Bmp(const std::vector<std::vector<std::uint32_t>>& rows);
// The same picture as an 8-bit run-length compressed file (at most 256
// colours), as older paint programs save skins.
std::string Rle8Bmp(const std::vector<std::vector<std::uint32_t>>& rows);

}  // namespace svtest
