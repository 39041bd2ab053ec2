#include "crypto/md5.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::string Hex(const std::string& s) { return crypto::Md5Hex(s.data(), s.size()); }

// The test suite of RFC 1321.
TEST(Md5, PublishedVectors) {
  EXPECT_EQ(Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(Hex("a"), "0cc175b9c0f1b6a831c399e269772661");
  EXPECT_EQ(Hex("abc"), "900150983cd24fb0d6963f7d28e17f72");
  EXPECT_EQ(Hex("message digest"), "f96b697d7cb7938d525a2f31aaf161d0");
  EXPECT_EQ(Hex("abcdefghijklmnopqrstuvwxyz"), "c3fcd3d76192e4007dfb496cca67e13b");
  EXPECT_EQ(Hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "d174ab98d277d9f5a5611c2c9f419d9f");
  EXPECT_EQ(Hex("12345678901234567890123456789012345678901234567890123456789012345678901234567890"),
            "57edf4a22be3c955ac49da2e2107b67a");
  EXPECT_EQ(crypto::Md5Hex(nullptr, 0), "d41d8cd98f00b204e9800998ecf8427e");
}

// Padding crosses into a second block at 56 bytes; chunked updates must not
// change the result wherever the chunk edges fall.
TEST(Md5, StreamingMatchesOneShotAcrossBlockEdges) {
  std::vector<std::uint8_t> data(300);
  for (std::size_t i = 0; i < data.size(); ++i) data[i] = std::uint8_t(i * 7 + 3);
  for (std::size_t length : {55u, 56u, 63u, 64u, 65u, 119u, 120u, 128u, 300u}) {
    crypto::Md5Digest whole = crypto::Md5Of(data.data(), length);
    for (std::size_t chunk : {1u, 3u, 63u, 64u, 65u}) {
      crypto::Md5 md5;
      for (std::size_t at = 0; at < length; at += chunk) {
        md5.Update(data.data() + at, std::min(chunk, length - at));
      }
      EXPECT_EQ(md5.Finish(), whole) << "length " << length << " chunk " << chunk;
    }
  }
  // A million 'a's, the long vector of the published test set.
  crypto::Md5 md5;
  std::string thousand(1000, 'a');
  for (int i = 0; i < 1000; ++i) md5.Update(thousand.data(), thousand.size());
  char hex[32];
  crypto::Md5HexInto(md5.Finish(), hex);
  EXPECT_EQ(std::string(hex, 32), "7707d6ae4e027c70eea2a935c2296f21");
}

TEST(Md5, FinishResetsForTheNextMessage) {
  crypto::Md5 md5;
  md5.Update("abc", 3);
  md5.Finish();
  md5.Update("a", 1);
  crypto::Md5Digest again = md5.Finish();
  EXPECT_EQ(again, crypto::Md5Of("a", 1));
}

}  // namespace
