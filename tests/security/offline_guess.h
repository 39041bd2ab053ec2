// What someone holding a copy of a protected database does to guess its
// password offline, written as tightly as the primitives allow: the
// notebook's key derivation of a candidate, then the decipher of the
// header's password-check field and the comparison with the key's digest.
// The benchmark measures it and the tests prove it finds a real file's
// password, so the figures in docs/security.md are those of a working
// attack, not of a model of one.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace security {

// File positions of the password-check field: 36 bytes at offset 28.
inline constexpr std::size_t kCheckFieldPos = 28;
inline constexpr std::size_t kCheckFieldSize = 36;
using CheckField = std::array<std::uint8_t, kCheckFieldSize>;

// The notebook's database key of an already trimmed password: 32
// lower-case hexadecimal digits (MD5 of the password's block-cipher image,
// whose key is the MD5 of the password).
std::array<char, 32> NotebookKey(std::string_view password);

// Tests candidates against the enciphered check field of one file.
class OfflineGuesser {
 public:
  explicit OfflineGuesser(const CheckField& enciphered) : enciphered_(enciphered) {}
  // True when the candidate (trimmed, GBK bytes) is the file's password.
  bool Try(std::string_view candidate) const;
  // True when `key` (the engine's access password) opens the file.
  bool TryKey(std::string_view key) const;

 private:
  CheckField enciphered_;
};

// The enciphered check field of the file at `path`; false when the file
// cannot be read or is not a protected database.
bool ReadCheckField(const std::string& path, CheckField* field);

}  // namespace security
