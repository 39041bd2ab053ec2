#include "db/cipher.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "db/cipher_password.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes FromHex(const std::string& hex) {
  Bytes out;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2) out.push_back(std::uint8_t(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return out;
}

// The keystream itself: what zero bytes at [pos, pos + n) encipher to.
Bytes Keystream(const db::CipherState& state, std::uint64_t pos, std::size_t n) {
  Bytes data(n, 0);
  state.Apply(pos, data.data(), n);
  return data;
}

// The cipher exactly as the file format defines it, with no caching: copy the
// password's RC4 state, run it 4 x block bytes, take the block words, then key
// each block's own RC4 and drop 36 bytes plus the in-block offset.
Bytes Reference(const std::string& password, std::uint64_t p, Bytes data) {
  std::size_t n = data.size(), at = 0;
  if (p < 4) {
    std::size_t plain = std::min<std::size_t>(n, std::size_t(4 - p));
    at = plain;
    n -= plain;
    p = 4;
  }
  if (n == 0) return data;
  crypto::Rc4State w;
  crypto::Rc4Schedule(w, password.data(), password.size());
  std::uint64_t block = p / 4096;
  crypto::Rc4Skip(w, std::size_t(4 * block));
  Bytes words(4 * (n / 4096) + 8);
  crypto::Rc4Keystream(w, words.data(), words.size());
  db::PasswordDigest d = db::DigestOfPassword(password);
  for (std::size_t k = 0; n > 0; ++k, ++block) {
    std::uint8_t key[40];
    std::copy(words.begin() + 4 * k, words.begin() + 4 * k + 4, key);
    std::copy(d.begin(), d.end(), key + 4);
    for (int i = 0; i < 4; ++i) key[36 + i] = std::uint8_t(key[i] ^ std::uint8_t(block >> (8 * i)));
    crypto::Rc4State b;
    crypto::Rc4Schedule(b, key, sizeof key);
    std::size_t offset = k == 0 ? std::size_t(p % 4096) : 0;
    crypto::Rc4Skip(b, 36 + offset);
    std::size_t take = std::min(n, 4096 - offset);
    crypto::Rc4Xor(b, data.data() + at, take);
    at += take;
    n -= take;
  }
  return data;
}

TEST(PasswordDigest, SwappedPairsReversedAndTheCheckField) {
  db::PasswordDigest d = db::DigestOfPassword("abc");
  EXPECT_EQ(std::string(d.begin(), d.end()), "727fe1287d3f96d6b04fd23c98500190");
  // The password's GBK bytes are hashed, not some other encoding of them.
  d = db::DigestOfPassword("密码");
  EXPECT_EQ(std::string(d.begin(), d.end()), "3c488aaa862424f6c564c9f0303e29d2");

  db::PasswordCheck check = db::PasswordCheckFor("abc");
  EXPECT_EQ(std::string(check.begin(), check.begin() + 32), "727fe1287d3f96d6b04fd23c98500190");
  EXPECT_EQ(Bytes(check.begin() + 32, check.end()), Bytes(4, 0));
  EXPECT_EQ(db::PasswordCheckFor(""), db::PasswordCheck{});

  d = db::DigestOfPassword("abc");
  EXPECT_TRUE(db::PasswordCheckMatches(check.data(), d));
  db::PasswordCheck upper = check;
  for (auto& c : upper) c = std::uint8_t(std::toupper(c));
  EXPECT_TRUE(db::PasswordCheckMatches(upper.data(), d)) << "letters compare without case";
  db::PasswordCheck longer = check;
  longer[32] = '0';
  EXPECT_FALSE(db::PasswordCheckMatches(longer.data(), d)) << "the text must end after 32 characters";
  EXPECT_FALSE(db::PasswordCheckMatches(db::PasswordCheck{}.data(), d));
  EXPECT_FALSE(db::PasswordCheckMatches(db::PasswordCheckFor("abd").data(), d));
}

// Fixed answers for the password "abc", computed independently of this code.
TEST(FileCipher, KnownKeystreamAtFixedPositions) {
  db::CipherState state = db::MakeCipherState("abc");
  // The magic stays plain; the cipher starts at offset 4.
  EXPECT_EQ(Keystream(state, 0, 20), FromHex("00000000b9a31f17a4fd90a98452eec066166393"));
  // Across the boundary of blocks 0 and 1.
  EXPECT_EQ(Keystream(state, 4090, 12), FromHex("e8d2b4aa7c474c44d7a40b4c"));
  // A range spanning blocks 1 and 2.
  EXPECT_EQ(Keystream(state, 8180, 24), FromHex("2e9169f1ea8a916d1ad01efc68074faa43507ad1225f030e"));
  // In the middle of block 3, with a fresh key (nothing cached).
  EXPECT_EQ(Keystream(db::MakeCipherState("abc"), 13288, 8), FromHex("c142ff37135c7e56"));
  EXPECT_EQ(Keystream(db::MakeCipherState("密码"), 4, 12), FromHex("ca50356e00097c33aaedceba"));
}

TEST(FileCipher, PiecesAgreeWithTheWholeAndWithTheDefinition) {
  const std::string password = "correct horse";
  db::CipherState whole_state = db::MakeCipherState(password);
  Bytes plain(5 * 4096 + 123);
  std::mt19937 rng(7);
  for (auto& b : plain) b = std::uint8_t(rng());
  Bytes whole = plain;
  whole_state.Apply(0, whole.data(), whole.size());
  EXPECT_EQ(whole, Reference(password, 0, plain));
  EXPECT_NE(Bytes(whole.begin() + 4, whole.end()), Bytes(plain.begin() + 4, plain.end()));

  // Random pieces (a write in the middle of a block, pieces crossing
  // boundaries, far and near positions in turn so the block cache evicts)
  // encipher exactly like the whole, and deciphering restores them.
  db::CipherState pieces = db::MakeCipherState(password);
  for (int trial = 0; trial < 400; ++trial) {
    std::size_t pos = rng() % plain.size();
    std::size_t n = std::min<std::size_t>(rng() % (trial % 10 == 0 ? 9000 : 300), plain.size() - pos);
    Bytes piece(plain.begin() + pos, plain.begin() + pos + n);
    pieces.Apply(pos, piece.data(), n);
    ASSERT_EQ(piece, Bytes(whole.begin() + pos, whole.begin() + pos + n)) << pos << "+" << n;
    pieces.Apply(pos, piece.data(), n);
    ASSERT_EQ(piece, Bytes(plain.begin() + pos, plain.begin() + pos + n));
  }
  // Far into a large file (block 25,000): same as the definition.
  EXPECT_EQ(Keystream(pieces, 25000 * 4096ull + 4000, 5000),
            Reference(password, 25000 * 4096ull + 4000, Bytes(5000, 0)));
}

TEST(FileCipher, PlainStateAndCopies) {
  db::CipherState plain = db::MakeCipherState("");
  EXPECT_FALSE(plain.enciphered());
  EXPECT_EQ(Keystream(plain, 0, 64), Bytes(64, 0));

  db::CipherState a = db::MakeCipherState("one"), a2 = db::MakeCipherState("one"),
                  b = db::MakeCipherState("two");
  EXPECT_TRUE(a.SameAs(a2));
  EXPECT_FALSE(a.SameAs(b));
  EXPECT_FALSE(a.SameAs(plain));
  EXPECT_TRUE(plain.SameAs(db::MakeCipherState("")));

  // Re-enciphering: read with the old copy, write with the new; abandoning
  // puts the old password back in force for writes.
  db::FileCipher file;
  file.Set(a);
  file.SetWriting(b);
  Bytes data = Keystream(a, 100, 16);  // zero bytes as stored under "one"
  file.AfterRead(100, data.data(), data.size());
  EXPECT_EQ(data, Bytes(16, 0));
  file.BeforeWrite(100, data.data(), data.size());
  EXPECT_EQ(data, Keystream(b, 100, 16));
  file.AbandonWriting();
  EXPECT_TRUE(file.writing().SameAs(a));
  file.SetWriting(plain);
  file.CommitWriting();
  EXPECT_FALSE(file.enciphered());
}

}  // namespace
