#pragma once
// Small ID3v2 tags built byte by byte for the cases no tool writes.
#include <cstdint>
#include <string>

namespace sv::tags::test {

inline std::string SyncSafe(std::uint32_t n) {
  return {static_cast<char>((n >> 21) & 0x7F), static_cast<char>((n >> 14) & 0x7F),
          static_cast<char>((n >> 7) & 0x7F), static_cast<char>(n & 0x7F)};
}

inline std::string BigEndian(std::uint32_t n) {
  return {static_cast<char>(n >> 24), static_cast<char>(n >> 16), static_cast<char>(n >> 8),
          static_cast<char>(n)};
}

// A version 2.3 frame; `size` overrides the stored size.
inline std::string Frame23(const std::string& id, const std::string& data, std::int64_t size = -1) {
  return id + BigEndian(size < 0 ? static_cast<std::uint32_t>(data.size()) : static_cast<std::uint32_t>(size)) +
         std::string(2, '\0') + data;
}

inline std::string Frame24(const std::string& id, const std::string& data, char formatFlags = 0) {
  return id + SyncSafe(static_cast<std::uint32_t>(data.size())) + std::string(1, '\0') + formatFlags + data;
}

inline std::string Tag(int version, const std::string& frames, std::size_t padding = 0, char flags = 0) {
  const std::string body = frames + std::string(padding, '\0');
  return std::string("ID3") + static_cast<char>(version) + '\0' + flags +
         SyncSafe(static_cast<std::uint32_t>(body.size())) + body;
}

inline std::string Latin1Text(const std::string& s) { return std::string(1, '\0') + s; }

}  // namespace sv::tags::test
