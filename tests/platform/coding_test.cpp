// The byte order of every stored integer: least significant byte first, on
// any host, and the same at compile time (window templates) as at run time.
#include "platform/coding.h"

#include <array>
#include <cstdint>

#include <gtest/gtest.h>

namespace {

constexpr std::array<std::uint8_t, 4> EncodedU32(std::uint32_t v) {
  std::array<std::uint8_t, 4> out{};
  platform::EncodeU32(out.data(), v);
  return out;
}
static_assert(EncodedU32(0x12345678) == std::array<std::uint8_t, 4>{0x78, 0x56, 0x34, 0x12});

TEST(CodingTest, IntegersAreLittleEndian) {
  std::uint8_t bytes[8]{};
  platform::EncodeU16(bytes, 0xA1B2);
  EXPECT_EQ(bytes[0], 0xB2);
  EXPECT_EQ(bytes[1], 0xA1);
  EXPECT_EQ(platform::DecodeU16(bytes), 0xA1B2);

  platform::PutI32(bytes + 1, -2);  // unaligned, and a negative number's two's complement
  EXPECT_EQ(bytes[1], 0xFE);
  EXPECT_EQ(bytes[4], 0xFF);
  EXPECT_EQ(platform::GetI32(bytes + 1), -2);
  EXPECT_EQ(platform::DecodeU32(bytes + 1), 0xFFFFFFFEu);

  const std::uint8_t high_bit[4] = {0x00, 0x00, 0x00, 0x80};
  EXPECT_EQ(platform::DecodeI32(high_bit), INT32_MIN);
  EXPECT_EQ(platform::DecodeU32(high_bit), 0x80000000u);
}

TEST(CodingTest, DatesAreLittleEndianDoubles) {
  // 1.0 (1899-12-31) is 3FF0000000000000.
  std::uint8_t bytes[9]{};
  platform::PutF64(bytes + 1, 1.0);
  const std::uint8_t expected[8] = {0, 0, 0, 0, 0, 0, 0xF0, 0x3F};
  for (int i = 0; i < 8; ++i) EXPECT_EQ(bytes[1 + i], expected[i]) << i;
  EXPECT_EQ(platform::GetF64(bytes + 1), 1.0);
  platform::PutF64(bytes, -45000.25);
  EXPECT_EQ(platform::GetF64(bytes), -45000.25);
}

}  // namespace
