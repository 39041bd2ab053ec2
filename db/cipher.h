// The position-keyed stream cipher of database and auxiliary files.
//
// A file is enciphered from its start offset (4: the magic stays plain) to
// its end. Each 4096-byte block of the file has its own RC4 keystream, keyed
// by 40 bytes: a 32-bit word w (the block's word of the password's own RC4
// keystream), the password digest D, and w XOR the block number. Inside a
// block, the first 36 keystream bytes are dropped and byte k of the block is
// XORed with keystream byte 36 + k. Deciphering and enciphering are the same
// XOR, so a byte's cipher depends only on the password and its position.
//
// The block words depend only on the password, so a key computes them once
// and keeps them; the keystreams of recently used blocks are cached too, so
// reading at position p costs work bounded by the block size, not by p.
// A key's caches are not guarded: one open file, one thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "crypto/rc4.h"
#include "db/cipher_password.h"

namespace db {

inline constexpr std::uint64_t kCipherStartOffset = 4;
inline constexpr std::size_t kCipherBlockSize = 4096;

// Key material of one non-empty password, with its caches.
class CipherKey {
 public:
  explicit CipherKey(std::string_view password);
  ~CipherKey();
  CipherKey(const CipherKey&) = delete;
  CipherKey& operator=(const CipherKey&) = delete;

  const PasswordDigest& digest() const { return digest_; }
  const crypto::Rc4State& schedule() const { return schedule_; }
  // Same digest and same scheduled RC4 state: the two encipher alike.
  bool SameAs(const CipherKey& other) const;

  // XORs the keystream of file positions [pos, pos + n) into data.
  void Apply(std::uint64_t pos, std::uint8_t* data, std::size_t n);

 private:
  struct CachedBlock;
  std::uint32_t BlockWord(std::uint64_t block);
  // The block's keystream (after the 36 dropped bytes), at least `need` long.
  const std::uint8_t* BlockKeystream(std::uint64_t block, std::size_t need);

  PasswordDigest digest_;
  crypto::Rc4State schedule_;  // RC4 key schedule of the password
  std::vector<std::uint32_t> words_;  // block words computed so far
  crypto::Rc4State words_generator_;  // continues the words' keystream
  std::unique_ptr<CachedBlock[]> cache_;
  std::uint64_t use_counter_ = 0;
};

// The cipher state of an open file: the start offset and the key, or no key
// at all for a file without password (then nothing is enciphered).
struct CipherState {
  std::shared_ptr<CipherKey> key;
  std::uint64_t start = 0;

  bool enciphered() const { return key != nullptr; }
  // The data of file positions [pos, pos + n): enciphers plain bytes,
  // deciphers enciphered ones. Bytes before the start offset stay as they are.
  void Apply(std::uint64_t pos, void* data, std::size_t n) const;
  // True when both encipher every position alike.
  bool SameAs(const CipherState& other) const;
};

// The state for a password; the empty password gives the plain state.
CipherState MakeCipherState(std::string_view password, std::uint64_t start = kCipherStartOffset);

// The reading and writing copies of one open file's cipher state. They are
// equal except while the file is being re-enciphered under a new password.
class FileCipher {
 public:
  void Set(CipherState state) {
    reading_ = state;
    writing_ = std::move(state);
  }
  const CipherState& reading() const { return reading_; }
  const CipherState& writing() const { return writing_; }
  bool enciphered() const { return reading_.enciphered() || writing_.enciphered(); }

  // Re-enciphering: new state for writes, then either kept for reads too or
  // abandoned (the old password stays in force).
  void SetWriting(CipherState state) { writing_ = std::move(state); }
  void CommitWriting() { reading_ = writing_; }
  void AbandonWriting() { writing_ = reading_; }

  void AfterRead(std::uint64_t pos, void* data, std::size_t n) const { reading_.Apply(pos, data, n); }
  void BeforeWrite(std::uint64_t pos, void* data, std::size_t n) const { writing_.Apply(pos, data, n); }

 private:
  CipherState reading_;
  CipherState writing_;
};

}  // namespace db
