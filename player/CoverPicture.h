#pragma once
// Album pictures for the cover preview and the info bubble: decoding a JPEG
// into a 24-bit bitmap at a reduced scale, choosing the picture file of a
// song's folder, and sizing the preview panel.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace player {

struct DecodedPicture {
  int Width = 0, Height = 0;      // after scaling
  int Stride = 0;                 // bytes per row, multiple of 4
  std::vector<std::uint8_t> Bgr;  // rows top-down, 3 bytes per pixel B,G,R
};

// Sides larger than this are refused rather than decoded: no cover is that
// big, and a forged header must not ask for gigabytes.
inline constexpr int kMaxCoverSide = 16384;

// The preview is 100 pixels, so big pictures are decoded small: 1 when both
// sides are under 200 pixels, 2 under 400, 4 under 800, else 8.
int CoverScaleDenominator(int width, int height);

// Decodes at CoverScaleDenominator's scale with the fastest settings. Colour,
// greyscale and CMYK pictures (baseline or progressive) come out as BGR.
// Corrupt or truncated data, a zero or oversized side, or an unsupported
// colour space give false with `out` empty; the process is never stopped.
bool DecodeJpeg(const std::uint8_t* data, std::size_t size, DecodedPicture& out);

// Reads the file (UTF-8 path) and decodes it; false on any failure.
bool DecodeJpegFile(const std::string& path, DecodedPicture& out);

// The picture file of a song's folder, from the plain file names of that
// folder in listing order: "folder.jpg", else the first "*front*.jpg", else
// the first "*.jpg", ignoring case as the system's file search does. Empty
// when there is none.
std::string FindFolderCover(const std::vector<std::string>& namesInFolder);

// The preview panel is 100 pixels on the picture's long side; RatioTag is the
// height/width ratio in percent, truncated, which the info bubble reads.
struct CoverLayout {
  int PanelWidth = 0, PanelHeight = 0, RatioTag = 0;
};
// False (and `out` untouched) when a side is not positive.
bool LayoutCover(int width, int height, CoverLayout& out);

}  // namespace player
