#pragma once
// Pictures of windows for a person to look at: a PNG writer (stored,
// uncompressed blocks; no library needed).
#include <cstdint>
#include <filesystem>
#include <vector>

namespace playertest {

// 0x00RRGGBB pixels, top row first.
void WritePng(const std::filesystem::path& path, int width, int height, const std::vector<std::uint32_t>& pixels);

}  // namespace playertest
