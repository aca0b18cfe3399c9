#pragma once
// Fixed-width integers in stored byte order, read from and written to raw
// bytes. Callers check the bounds first.
#include <cstdint>
#include <string>

namespace sv::tags {

inline std::uint32_t Byte(const char* p, int i) { return static_cast<unsigned char>(p[i]); }

inline std::uint16_t LoadLE16(const char* p) { return static_cast<std::uint16_t>(Byte(p, 0) | Byte(p, 1) << 8); }
inline std::uint32_t LoadLE32(const char* p) {
  return Byte(p, 0) | Byte(p, 1) << 8 | Byte(p, 2) << 16 | Byte(p, 3) << 24;
}
inline std::uint64_t LoadLE64(const char* p) {
  return LoadLE32(p) | static_cast<std::uint64_t>(LoadLE32(p + 4)) << 32;
}
inline std::uint16_t LoadBE16(const char* p) { return static_cast<std::uint16_t>(Byte(p, 0) << 8 | Byte(p, 1)); }
inline std::uint32_t LoadBE24(const char* p) { return Byte(p, 0) << 16 | Byte(p, 1) << 8 | Byte(p, 2); }
inline std::uint32_t LoadBE32(const char* p) {
  return Byte(p, 0) << 24 | Byte(p, 1) << 16 | Byte(p, 2) << 8 | Byte(p, 3);
}

inline void AppendLE16(std::string& out, std::uint32_t v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
inline void AppendLE32(std::string& out, std::uint32_t v) {
  AppendLE16(out, v & 0xFFFF);
  AppendLE16(out, v >> 16);
}
inline void AppendLE64(std::string& out, std::uint64_t v) {
  AppendLE32(out, static_cast<std::uint32_t>(v));
  AppendLE32(out, static_cast<std::uint32_t>(v >> 32));
}
inline void AppendBE16(std::string& out, std::uint32_t v) {
  out += static_cast<char>((v >> 8) & 0xFF);
  out += static_cast<char>(v & 0xFF);
}
inline void AppendBE32(std::string& out, std::uint32_t v) {
  AppendBE16(out, v >> 16);
  AppendBE16(out, v & 0xFFFF);
}

}  // namespace sv::tags
