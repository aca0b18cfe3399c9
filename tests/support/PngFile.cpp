#include "tests/support/PngFile.h"

#include <algorithm>
#include <array>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string_view>

#include "base/TextFile.h"

namespace svtest {
namespace {

std::uint32_t Crc32(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) crc = table[(crc ^ b) & 0xFF] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

void PutBig32(std::string& out, std::uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void Chunk(std::string& out, const char* type, const std::string& data) {
  PutBig32(out, static_cast<std::uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  out += body;
  PutBig32(out, Crc32(body));
}

// A zlib stream of stored (uncompressed) deflate blocks.
std::string StoredZlib(const std::string& raw) {
  std::string out("\x78\x01", 2);
  std::size_t at = 0;
  do {
    const std::size_t size = std::min<std::size_t>(raw.size() - at, 65535);
    const bool last = at + size == raw.size();
    out += static_cast<char>(last ? 1 : 0);
    out += static_cast<char>(size & 0xFF);
    out += static_cast<char>(size >> 8);
    out += static_cast<char>(~size & 0xFF);
    out += static_cast<char>((~size >> 8) & 0xFF);
    out.append(raw, at, size);
    at += size;
  } while (at < raw.size());
  std::uint32_t a = 1;
  std::uint32_t b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  PutBig32(out, (b << 16) | a);
  return out;
}

std::uint32_t Little(const std::string& data, std::size_t at, int bytes) {
  std::uint32_t value = 0;
  for (int i = bytes - 1; i >= 0; --i) value = (value << 8) | static_cast<unsigned char>(data.at(at + i));
  return value;
}

}  // namespace

void SavePng(int width, int height, const std::vector<std::uint32_t>& pixels, const std::string& path) {
  std::string raw;
  raw.reserve(static_cast<std::size_t>(height) * (1 + 3 * static_cast<std::size_t>(width)));
  for (int y = 0; y < height; ++y) {
    raw += '\0';  // no filter
    for (int x = 0; x < width; ++x) {
      const std::uint32_t pixel = pixels.at(static_cast<std::size_t>(y) * width + x);
      raw += static_cast<char>((pixel >> 16) & 0xFF);
      raw += static_cast<char>((pixel >> 8) & 0xFF);
      raw += static_cast<char>(pixel & 0xFF);
    }
  }
  std::string header;
  PutBig32(header, static_cast<std::uint32_t>(width));
  PutBig32(header, static_cast<std::uint32_t>(height));
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB
  std::string png("\x89PNG\r\n\x1A\n", 8);
  Chunk(png, "IHDR", header);
  Chunk(png, "IDAT", StoredZlib(raw));
  Chunk(png, "IEND", "");
  std::ofstream out(sv::PathFromUtf8(path), std::ios::binary);
  out.write(png.data(), static_cast<std::streamsize>(png.size()));
  if (!out) throw std::runtime_error("cannot write " + path);
}

void ConvertBmpToPng(const std::string& bmpPath, const std::string& pngPath) {
  std::ifstream in(sv::PathFromUtf8(bmpPath), std::ios::binary);
  const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (data.size() < 54 || data[0] != 'B' || data[1] != 'M') throw std::runtime_error("not a BMP file: " + bmpPath);
  const std::uint32_t offset = Little(data, 10, 4);
  const int width = static_cast<int>(Little(data, 18, 4));
  const auto rawHeight = static_cast<std::int32_t>(Little(data, 22, 4));
  const int bits = static_cast<int>(Little(data, 28, 2));
  if ((bits != 24 && bits != 32) || Little(data, 30, 4) != 0 || width <= 0 || rawHeight == 0)
    throw std::runtime_error("unsupported BMP file: " + bmpPath);
  const int height = rawHeight < 0 ? -rawHeight : rawHeight;
  const std::size_t rowSize = (static_cast<std::size_t>(width) * (bits / 8) + 3) & ~std::size_t{3};
  std::vector<std::uint32_t> pixels(static_cast<std::size_t>(width) * height);
  for (int y = 0; y < height; ++y) {
    const std::size_t row = offset + rowSize * static_cast<std::size_t>(rawHeight < 0 ? y : height - 1 - y);
    for (int x = 0; x < width; ++x)
      pixels[static_cast<std::size_t>(y) * width + x] = Little(data, row + static_cast<std::size_t>(x) * (bits / 8), 3);
  }
  SavePng(width, height, pixels, pngPath);
}

}  // namespace svtest
