#include "tests/support/BmpWriter.h"

namespace svtest {

namespace {

std::string le32(std::uint32_t v) {
  return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                     static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
}

}  // namespace

std::string Bmp(const std::vector<std::vector<std::uint32_t>>& rows) {
  const int height = static_cast<int>(rows.size()), width = static_cast<int>(rows[0].size());
  const int stride = (width * 3 + 3) / 4 * 4;
  std::string pixels;
  for (int y = height - 1; y >= 0; --y) {
    std::string row;
    for (std::uint32_t p : rows[static_cast<std::size_t>(y)]) {
      row += static_cast<char>(p & 0xFF);
      row += static_cast<char>((p >> 8) & 0xFF);
      row += static_cast<char>((p >> 16) & 0xFF);
    }
    row.resize(static_cast<std::size_t>(stride), '\0');
    pixels += row;
  }
  std::string file = "BM" + le32(static_cast<std::uint32_t>(54 + pixels.size())) + le32(0) + le32(54);
  file += le32(40) + le32(static_cast<std::uint32_t>(width)) + le32(static_cast<std::uint32_t>(height));
  file += std::string("\x01\x00\x18\x00", 4) + le32(0) + le32(static_cast<std::uint32_t>(pixels.size()));
  file += le32(2835) + le32(2835) + le32(0) + le32(0);
  return file + pixels;
}

std::string Rle8Bmp(const std::vector<std::vector<std::uint32_t>>& rows) {
  const int height = static_cast<int>(rows.size()), width = static_cast<int>(rows[0].size());
  std::vector<std::uint32_t> palette;
  auto index = [&](std::uint32_t colour) {
    for (std::size_t i = 0; i < palette.size(); ++i)
      if (palette[i] == colour) return static_cast<char>(i);
    palette.push_back(colour);
    return static_cast<char>(palette.size() - 1);
  };
  // Bottom row first: each run of one colour as (count, index), then the
  // end of the line; the end of the picture last.
  std::string pixels;
  for (int y = height - 1; y >= 0; --y) {
    const auto& row = rows[static_cast<std::size_t>(y)];
    for (std::size_t x = 0; x < row.size();) {
      std::size_t run = 1;
      while (x + run < row.size() && run < 255 && row[x + run] == row[x]) ++run;
      pixels += static_cast<char>(run);
      pixels += index(row[x]);
      x += run;
    }
    pixels += std::string("\0\0", 2);
  }
  pixels += std::string("\0\x01", 2);
  std::string table;
  for (std::uint32_t colour : palette) table += le32(colour);
  const auto at = static_cast<std::uint32_t>(54 + table.size());
  std::string file = "BM" + le32(at + static_cast<std::uint32_t>(pixels.size())) + le32(0) + le32(at);
  file += le32(40) + le32(static_cast<std::uint32_t>(width)) + le32(static_cast<std::uint32_t>(height));
  file += std::string("\x01\x00\x08\x00", 4) + le32(1) + le32(static_cast<std::uint32_t>(pixels.size()));
  file += le32(2835) + le32(2835) + le32(static_cast<std::uint32_t>(palette.size())) + le32(0);
  return file + table + pixels;
}

}  // namespace svtest
