#include "tests/support/BmpWriter.h"

namespace svtest {

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
  auto le32 = [](std::uint32_t v) {
    return std::string{static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF),
                       static_cast<char>((v >> 16) & 0xFF), static_cast<char>(v >> 24)};
  };
  std::string file = "BM" + le32(static_cast<std::uint32_t>(54 + pixels.size())) + le32(0) + le32(54);
  file += le32(40) + le32(static_cast<std::uint32_t>(width)) + le32(static_cast<std::uint32_t>(height));
  file += std::string("\x01\x00\x18\x00", 4) + le32(0) + le32(static_cast<std::uint32_t>(pixels.size()));
  file += le32(2835) + le32(2835) + le32(0) + le32(0);
  return file + pixels;
}

}  // namespace svtest
