#include "crypto/des.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

crypto::DesKey Key(std::uint64_t v) {
  crypto::DesKey key;
  for (int i = 7; i >= 0; --i, v >>= 8) key[i] = std::uint8_t(v);
  return key;
}

std::uint64_t Encrypt(std::uint64_t key, std::uint64_t block) {
  std::uint8_t b[8];
  for (int i = 7; i >= 0; --i, block >>= 8) b[i] = std::uint8_t(block);
  crypto::Des(Key(key)).EncryptBlock(b, b);
  std::uint64_t out = 0;
  for (int i = 0; i < 8; ++i) out = (out << 8) | b[i];
  return out;
}

TEST(Des, PublishedVectors) {
  EXPECT_EQ(Encrypt(0x133457799BBCDFF1, 0x0123456789ABCDEF), 0x85E813540F0AB405u);
  EXPECT_EQ(Encrypt(0x0000000000000000, 0x0000000000000000), 0x8CA64DE9C1B123A7u);
  EXPECT_EQ(Encrypt(0xFFFFFFFFFFFFFFFF, 0xFFFFFFFFFFFFFFFF), 0x7359B2163E4EDC58u);
  EXPECT_EQ(Encrypt(0x3000000000000000, 0x1000000000000001), 0x958E6E627A05557Bu);
  // The classic "Now is the time for all " example in ECB mode.
  const std::string text = "Now is the time for all ";
  const std::uint64_t expected[3] = {0x3FA40E8A984D4815, 0x6A271787AB8883F9, 0x893D51EC4B563B53};
  crypto::Des des(Key(0x0123456789ABCDEF));
  for (int block = 0; block < 3; ++block) {
    std::uint8_t b[8];
    for (int i = 0; i < 8; ++i) b[i] = std::uint8_t(text[8 * block + i]);
    des.EncryptBlock(b, b);
    std::uint64_t out = 0;
    for (int i = 0; i < 8; ++i) out = (out << 8) | b[i];
    EXPECT_EQ(out, expected[block]) << "block " << block;
  }
}

TEST(Des, DecryptInvertsAndParityBitsAreIgnored) {
  crypto::Des des(Key(0x0E329232EA6D0D73));
  std::uint8_t plain[8] = {0x87, 0x87, 0x87, 0x87, 0x87, 0x87, 0x87, 0x87};
  std::uint8_t cipher[8];
  des.EncryptBlock(plain, cipher);
  EXPECT_EQ(std::vector<std::uint8_t>(cipher, cipher + 8), (std::vector<std::uint8_t>(8, 0)));
  std::uint8_t back[8];
  des.DecryptBlock(cipher, back);
  EXPECT_EQ(std::vector<std::uint8_t>(back, back + 8), std::vector<std::uint8_t>(plain, plain + 8));
  // Flipping the least significant bit of every key byte changes nothing.
  EXPECT_EQ(Encrypt(0x0E329232EA6D0D73 ^ 0x0101010101010101, 0x8787878787878787), 0u);
}

TEST(Des, ReverseBitsInBytesMovesParityToTheTopBit) {
  crypto::DesKey reversed = crypto::ReverseBitsInBytes(Key(0x0180C3A50F3C7E01));
  EXPECT_EQ(reversed, Key(0x8001C3A5F03C7E80));
  // In the least-significant-first reading the top bit of each byte is the
  // ignored one: keys differing only there give the same cipher.
  crypto::DesKey a = crypto::ReverseBitsInBytes(Key(0x1122334455667708));
  crypto::DesKey b = crypto::ReverseBitsInBytes(Key(0x1122334455667788));
  std::uint8_t x[8] = {1, 2, 3, 4, 5, 6, 7, 8}, y[8] = {1, 2, 3, 4, 5, 6, 7, 8};
  crypto::Des(a).EncryptBlock(x, x);
  crypto::Des(b).EncryptBlock(y, y);
  EXPECT_EQ(std::vector<std::uint8_t>(x, x + 8), std::vector<std::uint8_t>(y, y + 8));
}

}  // namespace
