// Little-endian integers, the byte order of every file the system reads and writes.
#pragma once

#include <cstdint>
#include <string>

namespace lumora {

constexpr uint16_t GetLe16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
constexpr uint32_t GetLe32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 | static_cast<uint32_t>(p[2]) << 16 |
         static_cast<uint32_t>(p[3]) << 24;
}
constexpr int32_t GetLeInt32(const uint8_t* p) { return static_cast<int32_t>(GetLe32(p)); }

constexpr void PutLe32(uint8_t* p, uint32_t value) {
  for (int i = 0; i < 4; ++i) p[i] = static_cast<uint8_t>(value >> (8 * i));
}

// The low `count` bytes of `value` (count <= 8), lowest first: what a writer appends.
inline std::string LeBytes(uint64_t value, int count = 4) {
  std::string bytes(static_cast<size_t>(count), '\0');
  for (int i = 0; i < count; ++i) bytes[static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i) & 0xFF);
  return bytes;
}

}  // namespace lumora
