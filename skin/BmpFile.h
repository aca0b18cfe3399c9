#pragma once
// Windows bitmap files read defensively: the header is checked against the
// file's size before anything is decoded, the dimensions are capped, and a
// file that fails any check is refused as a whole (the caller treats it as
// missing). Uncompressed 1, 4, 8, 16, 24 and 32 bits per pixel, with or
// without bit-field masks, run-length compressed 4 and 8 bits per pixel,
// and the Windows and both OS/2 headers.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace sv::skin {

inline constexpr int kMaxBitmapSide = 16384;
inline constexpr std::int64_t kMaxBitmapPixels = std::int64_t{1} << 24;
inline constexpr std::uintmax_t kMaxBitmapFileBytes = 128u * 1024 * 1024;

struct BmpInfo {
  int Width = 0;
  int Height = 0;  // positive
  int BitCount = 0;
  bool TopDown = false;
};

// The header's facts, or the reason it is refused.
struct BmpCheck {
  std::optional<BmpInfo> Info;
  std::string Problem;
};
BmpCheck CheckBmpHeader(std::string_view fileBytes);

struct BmpImage {
  int Width = 0;
  int Height = 0;
  std::vector<std::uint32_t> Pixels;  // 0x00RRGGBB, top row first
  std::uint32_t Pixel(int x, int y) const { return Pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(Width) + static_cast<std::size_t>(x)]; }
};

std::optional<BmpImage> DecodeBmp(std::string_view fileBytes);
// Reads and decodes the file; nothing when it is missing or refused. A
// file that is there but refused puts the reason in `problem` when given.
std::optional<BmpImage> LoadBmpFile(const std::string& path, std::string* problem = nullptr);

}  // namespace sv::skin
