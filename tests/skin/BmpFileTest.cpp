// Bitmap files: the formats a skin may hold decode to their pixels;
// truncated, huge and hostile headers are refused without reading past the
// end.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "skin/BmpFile.h"

namespace sv::skin {
namespace {

void Put16(std::string& s, std::size_t at, std::uint32_t v) {
  s[at] = static_cast<char>(v & 0xFF);
  s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
void Put32(std::string& s, std::size_t at, std::uint32_t v) {
  Put16(s, at, v & 0xFFFF);
  Put16(s, at + 2, v >> 16);
}

// A BITMAPINFOHEADER file; pixels given as rows bottom-up, already packed.
std::string Bmp(int width, int height, int bits, const std::string& palette, const std::string& rows,
                std::uint32_t compression = 0, const std::string& masks = {}) {
  std::string s(54, '\0');
  s[0] = 'B';
  s[1] = 'M';
  s += masks + palette + rows;
  Put32(s, 2, static_cast<std::uint32_t>(s.size()));
  Put32(s, 10, static_cast<std::uint32_t>(54 + masks.size() + palette.size()));
  Put32(s, 14, 40);
  Put32(s, 18, static_cast<std::uint32_t>(width));
  Put32(s, 22, static_cast<std::uint32_t>(height));
  Put16(s, 26, 1);
  Put16(s, 28, static_cast<std::uint32_t>(bits));
  Put32(s, 30, compression);
  Put32(s, 46, static_cast<std::uint32_t>(palette.size() / 4));
  return s;
}

std::string Bytes(std::initializer_list<int> values) {
  std::string s;
  for (int v : values) s += static_cast<char>(v);
  return s;
}

TEST(BmpFile, EachDepthDecodesToItsPixels) {
  // 2 x 2, bottom row first: bottom = red, green; top = blue, white.
  const std::string palette = Bytes({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0});
  struct Case {
    const char* name;
    std::string file;
  } cases[] = {
      {"24", Bmp(2, 2, 24, "", Bytes({0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0}))},
      {"32", Bmp(2, 2, 32, "", Bytes({0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0}))},
      {"8", Bmp(2, 2, 8, palette, Bytes({0, 1, 0, 0, 2, 3, 0, 0}))},
      {"4", Bmp(2, 2, 4, palette, Bytes({0x01, 0, 0, 0, 0x23, 0, 0, 0}))},
      {"16 (5-6-5)", Bmp(2, 2, 16, "", Bytes({0x00, 0xF8, 0xE0, 0x07, 0x1F, 0x00, 0xFF, 0xFF}), 3,
                         Bytes({0x00, 0xF8, 0, 0, 0xE0, 0x07, 0, 0, 0x1F, 0, 0, 0}))},
      {"16 (5-5-5)", Bmp(2, 2, 16, "", Bytes({0x00, 0x7C, 0xE0, 0x03, 0x1F, 0x00, 0xFF, 0x7F}))},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto image = DecodeBmp(c.file);
    ASSERT_TRUE(image.has_value()) << CheckBmpHeader(c.file).Problem;
    EXPECT_EQ(image->Pixel(0, 1), 0xFF0000u);
    EXPECT_EQ(image->Pixel(1, 1), 0x00FF00u);
    EXPECT_EQ(image->Pixel(0, 0), 0x0000FFu);
    EXPECT_EQ(image->Pixel(1, 0), 0xFFFFFFu);
  }
  // One bit per pixel, top-down (negative height), rows padded to 4 bytes.
  const auto mono = DecodeBmp(Bmp(9, -1, 1, Bytes({0, 0, 0, 0, 255, 255, 255, 0}), Bytes({0xA0, 0x80, 0, 0})));
  ASSERT_TRUE(mono.has_value());
  EXPECT_EQ(mono->Pixel(0, 0), 0xFFFFFFu);
  EXPECT_EQ(mono->Pixel(1, 0), 0u);
  EXPECT_EQ(mono->Pixel(2, 0), 0xFFFFFFu);
  EXPECT_EQ(mono->Pixel(8, 0), 0xFFFFFFu);
  // An index past a short palette reads black, never past the palette.
  const auto shortPalette = Bmp(1, 1, 8, Bytes({1, 2, 3, 0}), Bytes({200, 0, 0, 0}));
  ASSERT_TRUE(DecodeBmp(shortPalette).has_value());
  EXPECT_EQ(DecodeBmp(shortPalette)->Pixel(0, 0), 0u);
  std::string fullPalette = Bmp(1, 1, 8, std::string(1024, '\x7F'), Bytes({200, 0, 0, 0}));
  Put32(fullPalette, 46, 0);
  ASSERT_TRUE(DecodeBmp(fullPalette).has_value());
  EXPECT_EQ(DecodeBmp(fullPalette)->Pixel(0, 0), 0x7F7F7Fu);
}

// The same 4 x 3 picture (bottom row first: red red green blue; then a
// skipped row; top: white green), compressed each way.
TEST(BmpFile, RunLengthAndOs2FilesDecode) {
  const std::string palette = Bytes({0, 0, 0, 0, 0, 0, 255, 0, 0, 255, 0, 0, 255, 0, 0, 0, 255, 255, 255, 0});
  auto expect = [](const std::optional<BmpImage>& image, const char* name) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(image.has_value());
    ASSERT_EQ(image->Width, 4);
    ASSERT_EQ(image->Height, 3);
    const std::uint32_t want[3][4] = {{0xFFFFFF, 0x00FF00, 0, 0}, {0, 0, 0, 0}, {0xFF0000, 0xFF0000, 0x00FF00, 0x0000FF}};
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 4; ++x) EXPECT_EQ(image->Pixel(x, y), want[y][x]) << x << "," << y;
  };
  // RLE8: a run of two reds, three pixels as they are (padded to an even
  // count; the third falls past the row's end and is cut), end of line, a
  // delta over the empty row, three pixels as they are, end of bitmap.
  expect(DecodeBmp(Bmp(4, 3, 8, palette, Bytes({2, 1, 0, 3, 2, 3, 0, 0, 0, 0, 0, 2, 0, 1, 0, 3, 4, 2, 0, 0, 0, 1}), 1)),
         "RLE8");
  // RLE4: the red pair as a run of one index pair, three pixels as they
  // are (two bytes), end of line twice, a run of white-green, end of bitmap.
  expect(DecodeBmp(Bmp(4, 3, 4, palette, Bytes({2, 0x11, 0, 3, 0x23, 0, 0, 0, 0, 0, 2, 0x42, 0, 1}), 2)), "RLE4");
  // Runs past the row's end, a delta past the last row and a file that
  // stops mid-run are cut, never written past the picture.
  const auto wild = DecodeBmp(Bmp(4, 3, 8, palette, Bytes({200, 1, 0, 2, 90, 90, 9}), 1));
  ASSERT_TRUE(wild.has_value());
  EXPECT_EQ(wild->Pixel(3, 2), 0xFF0000u);

  // The first OS/2 header: 16-bit sizes and a palette of 3-byte entries that
  // ends where the pixels start (here two entries at 8 bits per pixel).
  std::string core(26, '\0');
  core[0] = 'B';
  core[1] = 'M';
  core += Bytes({0, 0, 255, 0, 255, 0});
  core += Bytes({1, 0, 0, 0, 0, 1, 0, 0});
  Put32(core, 2, static_cast<std::uint32_t>(core.size()));
  Put32(core, 10, 32);
  Put32(core, 14, 12);
  Put16(core, 18, 2);
  Put16(core, 20, 2);
  Put16(core, 22, 1);
  Put16(core, 24, 8);
  const auto os2 = DecodeBmp(core);
  ASSERT_TRUE(os2.has_value()) << CheckBmpHeader(core).Problem;
  EXPECT_EQ(os2->Pixel(0, 1), 0x00FF00u);
  EXPECT_EQ(os2->Pixel(1, 1), 0xFF0000u);
  EXPECT_EQ(os2->Pixel(0, 0), 0xFF0000u);
  EXPECT_EQ(os2->Pixel(1, 0), 0x00FF00u);

  // The second OS/2 header, whole (64 bytes) and cut to 16 bytes.
  for (std::uint32_t size : {64u, 16u}) {
    SCOPED_TRACE(size);
    const std::string windows = Bmp(2, 2, 24, "", Bytes({0, 0, 255, 0, 255, 0, 0, 0, 255, 0, 0, 255, 255, 255, 0, 0}));
    std::string file = windows.substr(0, 14 + std::min(size, 40u));
    file.resize(14 + size, '\0');
    file += windows.substr(54);
    Put32(file, 2, static_cast<std::uint32_t>(file.size()));
    Put32(file, 10, 14 + size);
    Put32(file, 14, size);
    const auto image = DecodeBmp(file);
    ASSERT_TRUE(image.has_value()) << CheckBmpHeader(file).Problem;
    EXPECT_EQ(image->Pixel(0, 1), 0xFF0000u);
    EXPECT_EQ(image->Pixel(1, 0), 0xFFFFFFu);
  }
  // OS/2's compression 3 is Huffman coding, not bit fields.
  std::string huffman = Bmp(1, 1, 32, std::string(24, '\0'), std::string(4, '\0'), 3);
  Put32(huffman, 14, 64);
  EXPECT_FALSE(DecodeBmp(huffman).has_value());
}

TEST(BmpFile, HostileHeadersAreRefused) {
  const std::string good = Bmp(2, 2, 24, "", std::string(16, '\x10'));
  ASSERT_TRUE(CheckBmpHeader(good).Info.has_value());
  struct Case {
    const char* name;
    std::string file;
  } cases[] = {
      {"empty", ""},
      {"signature", "XM" + good.substr(2)},
      {"cut in the file header", good.substr(0, 10)},
      {"cut in the info header", good.substr(0, 30)},
      {"cut in the pixels", good.substr(0, good.size() - 1)},
      {"100000 x 100000", Bmp(100000, 100000, 24, "", std::string(64, '\0'))},
      {"width 0", Bmp(0, 2, 24, "", std::string(16, '\0'))},
      {"height 0", Bmp(2, 0, 24, "", std::string(16, '\0'))},
      {"most negative height", Bmp(2, INT32_MIN, 24, "", std::string(16, '\0'))},
      {"8192 x 8192 (too many pixels)", Bmp(8192, 8192, 1, std::string(8, '\0'), std::string(64, '\0'))},
      {"bits 7", Bmp(2, 2, 7, "", std::string(16, '\0'))},
      {"run-length at 24 bits", Bmp(2, 2, 24, "", std::string(16, '\0'), 1)},
      {"run-length stored top-down", Bmp(2, -2, 8, std::string(1024, '\0'), std::string(16, '\0'), 1)},
      {"RLE4 at 8 bits", Bmp(2, 2, 8, std::string(1024, '\0'), std::string(16, '\0'), 2)},
      {"bit fields at 24 bits", Bmp(2, 2, 24, "", std::string(16, '\0'), 3, std::string(12, '\0'))},
      {"palette cut short", Bmp(2, 2, 8, std::string(20, '\0'), "")},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const BmpCheck check = CheckBmpHeader(c.file);
    EXPECT_FALSE(check.Info.has_value());
    EXPECT_FALSE(check.Problem.empty());
    EXPECT_FALSE(DecodeBmp(c.file).has_value());
  }
  std::string planes = good;
  Put16(planes, 26, 2);
  EXPECT_FALSE(DecodeBmp(planes).has_value());
  std::string offset = good;
  Put32(offset, 10, 0xFFFFFFF0);
  EXPECT_FALSE(DecodeBmp(offset).has_value());
  std::string header = good;
  Put32(header, 14, 0x7FFFFFFF);
  EXPECT_FALSE(DecodeBmp(header).has_value());
  std::string used = Bmp(1, 1, 8, std::string(1024, '\0'), std::string(4, '\0'));
  Put32(used, 46, 257);
  EXPECT_FALSE(DecodeBmp(used).has_value());
  EXPECT_FALSE(LoadBmpFile("/nonexistent/skin/back.bmp").has_value());
}

}  // namespace
}  // namespace sv::skin
