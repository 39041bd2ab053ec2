#include "crypto/rc4.h"

namespace crypto {

void Rc4Schedule(Rc4State& state, const void* key, std::size_t key_size) {
  for (int n = 0; n < 256; ++n) state.s[n] = std::uint8_t(n);
  state.i = 0;
  state.j = 0;
  if (key_size == 0) return;
  const auto* k = static_cast<const std::uint8_t*>(key);
  std::uint8_t j = 0;
  std::size_t key_index = 0;
  for (int n = 0; n < 256; ++n) {
    j = std::uint8_t(j + state.s[n] + k[key_index]);
    std::uint8_t t = state.s[n];
    state.s[n] = state.s[j];
    state.s[j] = t;
    if (++key_index == key_size) key_index = 0;
  }
}

// The generator, with the indices in locals so the loop stays in registers.
template <typename Sink>
static inline void Generate(Rc4State& state, std::size_t size, Sink sink) {
  std::uint8_t* s = state.s;
  std::uint8_t i = state.i;
  std::uint8_t j = state.j;
  for (std::size_t n = 0; n < size; ++n) {
    i = std::uint8_t(i + 1);
    std::uint8_t si = s[i];
    j = std::uint8_t(j + si);
    std::uint8_t sj = s[j];
    s[i] = sj;
    s[j] = si;
    sink(n, s[std::uint8_t(si + sj)]);
  }
  state.i = i;
  state.j = j;
}

void Rc4Keystream(Rc4State& state, void* out, std::size_t size) {
  auto* o = static_cast<std::uint8_t*>(out);
  Generate(state, size, [o](std::size_t n, std::uint8_t k) { o[n] = k; });
}

void Rc4Skip(Rc4State& state, std::size_t size) {
  Generate(state, size, [](std::size_t, std::uint8_t) {});
}

void Rc4Xor(Rc4State& state, void* data, std::size_t size) {
  auto* d = static_cast<std::uint8_t*>(data);
  Generate(state, size, [d](std::size_t n, std::uint8_t k) { d[n] ^= k; });
}

}  // namespace crypto
