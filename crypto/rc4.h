// RC4 stream cipher as published: key schedule over a 256-byte permutation,
// then a keystream generator. The state is a plain value so callers can copy
// it (the file cipher keeps a scheduled state and works on copies).
#pragma once

#include <cstddef>
#include <cstdint>

namespace crypto {

struct Rc4State {
  std::uint8_t s[256];
  std::uint8_t i = 0;
  std::uint8_t j = 0;

  bool operator==(const Rc4State&) const = default;
};

// Sets the state to the identity permutation with both indices 0, then mixes
// in the key. An empty key leaves the identity permutation.
void Rc4Schedule(Rc4State& state, const void* key, std::size_t key_size);

// Writes the next `size` keystream bytes.
void Rc4Keystream(Rc4State& state, void* out, std::size_t size);

// Advances the generator by `size` bytes without output.
void Rc4Skip(Rc4State& state, std::size_t size);

// XORs the next `size` keystream bytes into data (enciphers and deciphers).
void Rc4Xor(Rc4State& state, void* data, std::size_t size);

}  // namespace crypto
