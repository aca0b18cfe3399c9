#pragma once
// Snapshots of windows for a person to look at: the automation interface
// writes BMP files; these turn them into PNG files (uncompressed deflate
// blocks, so no compression library is needed).
#include <cstdint>
#include <string>
#include <vector>

namespace svtest {

// Pixels 0x00RRGGBB, top row first. Throws std::runtime_error when the file
// cannot be written.
void SavePng(int width, int height, const std::vector<std::uint32_t>& pixels, const std::string& path);

// A 24- or 32-bit uncompressed BMP file as a PNG file; throws
// std::runtime_error for anything else.
void ConvertBmpToPng(const std::string& bmpPath, const std::string& pngPath);

}  // namespace svtest
