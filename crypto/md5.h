// MD5 message digest (RFC 1321), streaming and one-shot.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

namespace crypto {

using Md5Digest = std::array<std::uint8_t, 16>;

class Md5 {
 public:
  Md5() { Reset(); }
  void Reset();
  void Update(const void* data, std::size_t size);
  // Pads, returns the digest and leaves the object reset for a new message.
  Md5Digest Finish();

 private:
  void Transform(const std::uint8_t block[64]);

  std::uint32_t state_[4];
  std::uint64_t length_ = 0;  // bytes hashed so far
  std::uint8_t buffer_[64];
};

Md5Digest Md5Of(const void* data, std::size_t size);

// 32 lower-case hexadecimal characters, two per digest byte in order.
std::string Md5Hex(const void* data, std::size_t size);
void Md5HexInto(const Md5Digest& digest, char out[32]);

}  // namespace crypto
