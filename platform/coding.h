// Fixed-width integers as this system stores them: in every file (database,
// auxiliary, index and rollback files), in window templates and in byte
// blocks handed between layers, an integer is little-endian, least
// significant byte first, whatever the host's own order. This is the one
// place that order is written down; everything that reads or writes such
// bytes goes through these functions.
//
// The byte forms are constexpr so the template encoder can run at compile
// time; the void* forms serve record buffers and headers held as raw memory.
#pragma once

#include <bit>
#include <cstdint>

namespace platform {

constexpr void EncodeU16(std::uint8_t* dst, std::uint16_t v) {
  dst[0] = static_cast<std::uint8_t>(v);
  dst[1] = static_cast<std::uint8_t>(v >> 8);
}
constexpr void EncodeU32(std::uint8_t* dst, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) dst[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
constexpr void EncodeU64(std::uint8_t* dst, std::uint64_t v) {
  for (int i = 0; i < 8; ++i) dst[i] = static_cast<std::uint8_t>(v >> (8 * i));
}
constexpr void EncodeI32(std::uint8_t* dst, std::int32_t v) { EncodeU32(dst, static_cast<std::uint32_t>(v)); }

constexpr std::uint16_t DecodeU16(const std::uint8_t* src) {
  return static_cast<std::uint16_t>(src[0] | (src[1] << 8));
}
constexpr std::uint32_t DecodeU32(const std::uint8_t* src) {
  return static_cast<std::uint32_t>(src[0]) | (static_cast<std::uint32_t>(src[1]) << 8) |
         (static_cast<std::uint32_t>(src[2]) << 16) | (static_cast<std::uint32_t>(src[3]) << 24);
}
constexpr std::uint64_t DecodeU64(const std::uint8_t* src) {
  return static_cast<std::uint64_t>(DecodeU32(src)) | (static_cast<std::uint64_t>(DecodeU32(src + 4)) << 32);
}
constexpr std::int32_t DecodeI32(const std::uint8_t* src) { return static_cast<std::int32_t>(DecodeU32(src)); }

// Raw memory: a 32-bit integer and IEEE floats (dates are doubles, days
// since 1899-12-30), at any alignment.
inline std::int32_t GetI32(const void* src) { return DecodeI32(static_cast<const std::uint8_t*>(src)); }
inline void PutI32(void* dst, std::int32_t v) { EncodeI32(static_cast<std::uint8_t*>(dst), v); }
inline float GetF32(const void* src) {
  return std::bit_cast<float>(DecodeU32(static_cast<const std::uint8_t*>(src)));
}
inline void PutF32(void* dst, float v) {
  EncodeU32(static_cast<std::uint8_t*>(dst), std::bit_cast<std::uint32_t>(v));
}
inline double GetF64(const void* src) {
  return std::bit_cast<double>(DecodeU64(static_cast<const std::uint8_t*>(src)));
}
inline void PutF64(void* dst, double v) {
  EncodeU64(static_cast<std::uint8_t*>(dst), std::bit_cast<std::uint64_t>(v));
}

}  // namespace platform
