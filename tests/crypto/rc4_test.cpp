#include "crypto/rc4.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Encipher(const std::string& key, const std::string& text) {
  crypto::Rc4State state;
  crypto::Rc4Schedule(state, key.data(), key.size());
  std::vector<std::uint8_t> data(text.begin(), text.end());
  crypto::Rc4Xor(state, data.data(), data.size());
  return data;
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> list) {
  std::vector<std::uint8_t> out;
  for (int b : list) out.push_back(std::uint8_t(b));
  return out;
}

TEST(Rc4, PublishedVectors) {
  EXPECT_EQ(Encipher("Key", "Plaintext"), Bytes({0xBB, 0xF3, 0x16, 0xE8, 0xD9, 0x40, 0xAF, 0x0A, 0xD3}));
  EXPECT_EQ(Encipher("Wiki", "pedia"), Bytes({0x10, 0x21, 0xBF, 0x04, 0x20}));
  EXPECT_EQ(Encipher("Secret", "Attack at dawn"),
            Bytes({0x45, 0xA0, 0x1F, 0x64, 0x5F, 0xC3, 0x5B, 0x38, 0x35, 0x52, 0x54, 0x4B, 0x9B, 0xF5}));
}

// Keystream of the 40-bit key 01 02 03 04 05 at offsets 0, 16, 240 and 256
// (the published long-keystream test vectors).
TEST(Rc4, KeystreamAtOffsetsAndSkipAgrees) {
  const std::uint8_t key[] = {1, 2, 3, 4, 5};
  crypto::Rc4State state;
  crypto::Rc4Schedule(state, key, sizeof key);
  std::vector<std::uint8_t> stream(272);
  crypto::Rc4Keystream(state, stream.data(), stream.size());
  auto at = [&](std::size_t offset) {
    return std::vector<std::uint8_t>(stream.begin() + offset, stream.begin() + offset + 16);
  };
  EXPECT_EQ(at(0), Bytes({0xb2, 0x39, 0x63, 0x05, 0xf0, 0x3d, 0xc0, 0x27, 0xcc, 0xc3, 0x52, 0x4a, 0x0a,
                          0x11, 0x18, 0xa8}));
  EXPECT_EQ(at(16), Bytes({0x69, 0x82, 0x94, 0x4f, 0x18, 0xfc, 0x82, 0xd5, 0x89, 0xc4, 0x03, 0xa4,
                           0x7a, 0x0d, 0x09, 0x19}));
  EXPECT_EQ(at(240), Bytes({0x28, 0xcb, 0x11, 0x32, 0xc9, 0x6c, 0xe2, 0x86, 0x42, 0x1d, 0xca, 0xad,
                            0xb8, 0xb6, 0x9e, 0xae}));
  EXPECT_EQ(at(256), Bytes({0x1c, 0xfc, 0xf6, 0x2b, 0x03, 0xed, 0xdb, 0x64, 0x1d, 0x77, 0xdf, 0xcf,
                            0x7f, 0x8d, 0x8c, 0x93}));

  crypto::Rc4State skipped;
  crypto::Rc4Schedule(skipped, key, sizeof key);
  crypto::Rc4Skip(skipped, 240);
  std::uint8_t sixteen[16];
  crypto::Rc4Keystream(skipped, sixteen, 16);
  EXPECT_EQ(std::vector<std::uint8_t>(sixteen, sixteen + 16), at(240));
  // Skipping and generating advance the state alike.
  crypto::Rc4Skip(skipped, 16);
  EXPECT_EQ(skipped, state);
}

TEST(Rc4, EmptyKeyLeavesIdentityAndXorIsAnInvolution) {
  crypto::Rc4State state;
  crypto::Rc4Schedule(state, nullptr, 0);
  for (int n = 0; n < 256; ++n) ASSERT_EQ(state.s[n], n);
  EXPECT_EQ(state.i, 0);
  EXPECT_EQ(state.j, 0);

  // Keys longer than the 256-byte permutation only use their first 256 bytes.
  std::string long_key(300, 'k');
  long_key[280] = 'x';
  EXPECT_EQ(Encipher(long_key, "same"), Encipher(long_key.substr(0, 256), "same"));

  std::string text = "round trip through the keystream";
  std::vector<std::uint8_t> once = Encipher("pw", text);
  crypto::Rc4State again;
  crypto::Rc4Schedule(again, "pw", 2);
  crypto::Rc4Xor(again, once.data(), once.size());
  EXPECT_EQ(std::string(once.begin(), once.end()), text);
}

}  // namespace
