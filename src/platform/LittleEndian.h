// Little-endian numbers in file formats: read from and written to byte buffers.
#pragma once
#include <cstdint>
#include <string>

namespace plat {

inline uint16_t Get16LE(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32LE(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline uint64_t Get64LE(const uint8_t* p) {
  return Get32LE(p) | (static_cast<uint64_t>(Get32LE(p + 4)) << 32);
}

inline void Set16LE(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Set32LE(uint8_t* p, uint32_t v) {
  Set16LE(p, v);
  Set16LE(p + 2, v >> 16);
}

// Appended at the end of a byte string.
inline void Put16LE(std::string& out, uint32_t v) {
  const char bytes[2] = {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
  out.append(bytes, 2);
}
inline void Put32LE(std::string& out, uint32_t v) {
  Put16LE(out, v);
  Put16LE(out, v >> 16);
}

}  // namespace plat
