// DES block cipher (FIPS 46), one 8-byte block at a time. Keys are the
// standard 8-byte form: bit 7 of every byte is the first key bit, and the
// least significant bit of each byte is a parity position that is ignored.
#pragma once

#include <array>
#include <cstdint>

namespace crypto {

using DesKey = std::array<std::uint8_t, 8>;

class Des {
 public:
  explicit Des(const DesKey& key);

  // in and out may be the same buffer.
  void EncryptBlock(const std::uint8_t in[8], std::uint8_t out[8]) const;
  void DecryptBlock(const std::uint8_t in[8], std::uint8_t out[8]) const;

 private:
  std::uint64_t Crypt(std::uint64_t block, bool decrypt) const;
  std::uint64_t subkeys_[16];  // 48 bits each
};

// Reverses the bit order inside each byte (bit 0 <-> bit 7, 1 <-> 6, ...).
// A key whose bits are meant to be read least significant first becomes the
// standard DES key that yields the same cipher; the parity positions move
// to the most significant bit of each original byte.
DesKey ReverseBitsInBytes(const DesKey& key);

}  // namespace crypto
