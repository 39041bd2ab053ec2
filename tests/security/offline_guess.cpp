#include "tests/security/offline_guess.h"

#include <cstring>
#include <fstream>
#include <vector>

#include "crypto/des.h"
#include "crypto/md5.h"
#include "crypto/rc4.h"
#include "db/cipher_password.h"

namespace security {
namespace {

// Keystream bytes dropped at the start of each 4096-byte block.
constexpr std::size_t kDropped = 36;

}  // namespace

std::array<char, 32> NotebookKey(std::string_view password) {
  std::array<char, 32> first;
  crypto::Md5HexInto(crypto::Md5Of(password.data(), password.size()), first.data());
  std::array<char, 32> key;
  if (password.empty()) {  // the block cipher of nothing is nothing
    crypto::Md5HexInto(crypto::Md5Of("", 0), key.data());
    return key;
  }
  // The block cipher's input: the length as a little-endian word, the bytes,
  // zeros up to a multiple of 8; its key folds the first digest into 8
  // bytes read least significant bit first.
  std::size_t n = password.size();
  std::size_t length = (n + 4 + 7) / 8 * 8;
  std::uint8_t small[64] = {};
  std::vector<std::uint8_t> large;
  std::uint8_t* buffer = small;
  if (length > sizeof small) {
    large.assign(length, 0);
    buffer = large.data();
  }
  for (int i = 0; i < 4; ++i) buffer[i] = std::uint8_t(n >> (8 * i));
  std::memcpy(buffer + 4, password.data(), n);
  crypto::DesKey folded{};
  for (std::size_t i = 0; i < first.size(); ++i) folded[i % 8] ^= std::uint8_t(first[i]);
  crypto::Des des(crypto::ReverseBitsInBytes(folded));
  for (std::size_t at = 0; at < length; at += 8) des.EncryptBlock(buffer + at, buffer + at);
  crypto::Md5HexInto(crypto::Md5Of(buffer, length), key.data());
  return key;
}

bool OfflineGuesser::TryKey(std::string_view key) const {
  // Block 0's word is the first keystream word of the key's own RC4 state;
  // the block's 40-byte key is that word, the key's digest D, the word
  // again (XOR block number 0).
  db::PasswordDigest digest = db::DigestOfPassword(key);
  crypto::Rc4State state;
  crypto::Rc4Schedule(state, key.data(), key.size());
  std::uint8_t block_key[40];
  crypto::Rc4Keystream(state, block_key, 4);
  std::memcpy(block_key + 4, digest.data(), digest.size());
  std::memcpy(block_key + 36, block_key, 4);
  crypto::Rc4Schedule(state, block_key, sizeof block_key);
  crypto::Rc4Skip(state, kDropped + kCheckFieldPos);
  // The deciphered field must be D and a zero byte.
  std::uint8_t plain[33];
  std::memcpy(plain, enciphered_.data(), sizeof plain);
  crypto::Rc4Xor(state, plain, sizeof plain);
  return std::memcmp(plain, digest.data(), digest.size()) == 0 && plain[32] == 0;
}

bool OfflineGuesser::Try(std::string_view candidate) const {
  std::array<char, 32> key = NotebookKey(candidate);
  return TryKey(std::string_view(key.data(), key.size()));
}

bool ReadCheckField(const std::string& path, CheckField* field) {
  std::ifstream in(path, std::ios::binary);
  char header[kCheckFieldPos + kCheckFieldSize];
  if (!in.read(header, sizeof header)) return false;
  if (std::memcmp(header, "QCDB", 4) != 0) return false;
  std::memcpy(field->data(), header + kCheckFieldPos, kCheckFieldSize);
  return true;
}

}  // namespace security
