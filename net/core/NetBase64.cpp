#include "net/core/NetBase64.h"

#include <cstdint>

namespace sv::net {
namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

uint8_t Value(char c) {
  if (c >= 'A' && c <= 'Z') return static_cast<uint8_t>(c - 'A');
  if (c >= 'a' && c <= 'z') return static_cast<uint8_t>(c - 'a' + 26);
  if (c >= '0' && c <= '9') return static_cast<uint8_t>(c - '0' + 52);
  if (c == '+') return 62;
  if (c == '/') return 63;
  return 255;
}

}  // namespace

std::string Base64Encode(std::string_view bytes) {
  std::string out;
  out.reserve((bytes.size() + 2) / 3 * 4);
  size_t at = 0;
  for (; at + 3 <= bytes.size(); at += 3) {
    const uint32_t group = static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 16 |
                           static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8 |
                           static_cast<uint8_t>(bytes[at + 2]);
    out += kAlphabet[group >> 18 & 63];
    out += kAlphabet[group >> 12 & 63];
    out += kAlphabet[group >> 6 & 63];
    out += kAlphabet[group & 63];
  }
  const size_t rest = bytes.size() - at;
  if (rest > 0) {
    uint32_t group = static_cast<uint32_t>(static_cast<uint8_t>(bytes[at])) << 16;
    if (rest == 2) group |= static_cast<uint32_t>(static_cast<uint8_t>(bytes[at + 1])) << 8;
    out += kAlphabet[group >> 18 & 63];
    out += kAlphabet[group >> 12 & 63];
    out += rest == 2 ? kAlphabet[group >> 6 & 63] : '=';
    out += '=';
  }
  return out;
}

std::string Base64Decode(std::string_view text) {
  std::string out;
  out.reserve(text.size() / 4 * 3 + 2);
  for (size_t at = 0; at < text.size(); at += 4) {
    const size_t have = text.size() - at < 4 ? text.size() - at : 4;
    if (have < 2) break;
    const uint8_t v1 = Value(text[at]);
    const uint8_t v2 = Value(text[at + 1]);
    const uint8_t v3 = have > 2 ? Value(text[at + 2]) : 0;
    const uint8_t v4 = have > 3 ? Value(text[at + 3]) : 0;
    out += static_cast<char>((v1 << 2 | v2 >> 4) & 0xFF);
    if (have == 2 || text[at + 2] == '=') continue;
    out += static_cast<char>((v2 << 4 | v3 >> 2) & 0xFF);
    if (have == 3 || text[at + 3] == '=') continue;
    out += static_cast<char>((v3 << 6 | v4) & 0xFF);
  }
  return out;
}

std::string EncodeStr(std::string_view bytes) { return Base64Encode(bytes); }

}  // namespace sv::net
