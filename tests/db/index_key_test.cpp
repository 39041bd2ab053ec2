// Key normalisation (letter case, blanks, the two collations) and the
// comparison of stored values by field type.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "db/index/collation.h"
#include "db/index/key_layout.h"

namespace {

using namespace db::index;

std::string Normalised(std::string text, std::size_t size, int collation, std::uint32_t flags) {
  std::string part(size, '\0');
  std::memcpy(part.data(), text.data(), std::min(text.size(), size));
  NormaliseTextPart(reinterpret_cast<std::uint8_t*>(part.data()), size, static_cast<Collation>(collation), flags);
  return part;
}

std::string Padded(std::string text, std::size_t size) {
  text.resize(size, '\0');
  return text;
}

TEST(IndexNormalise, FoldsLettersAndSkipsBothBlanksOnlyWhenAsked) {
  EXPECT_EQ(Normalised("abc Xy", 8, 0, kFoldLetterCase), Padded("ABC XY", 8));
  EXPECT_EQ(Normalised("a b\xa1\xa1" "c", 8, 0, kIgnoreBlanks), Padded("abc", 8));
  EXPECT_EQ(Normalised("a b\xa1\xa1" "c", 8, 0, kIgnoreBlanks | kFoldLetterCase), Padded("ABC", 8));
  // Only a-z fold: the second byte of a double-byte character is never a
  // letter to fold, even when it falls in a-z (0xB0 0x61 is one character).
  EXPECT_EQ(Normalised("\xb0\x61z", 4, 0, kFoldLetterCase), Padded("\xb0\x61Z", 4));
  // A full-width blank is one double-byte character, not two single bytes.
  EXPECT_EQ(Normalised("\xa1\xa1\xa1\xa2", 4, 0, kIgnoreBlanks), Padded("\xa1\xa2", 4));
}

TEST(IndexNormalise, StopsAtTheFirstZeroAndZeroFillsTheRest) {
  std::string part("ab\0cd", 5);
  NormaliseTextPart(reinterpret_cast<std::uint8_t*>(part.data()), 5, Collation::kBytes, kFoldLetterCase);
  EXPECT_EQ(part, std::string("AB\0\0\0", 5));
  // A part cut inside a double-byte character keeps the lone lead byte.
  EXPECT_EQ(Normalised("a\xb0", 2, 1, kFoldLetterCase), std::string("A\xb0", 2));
}

TEST(IndexCollation, PositionCollationOrdersPinyinThenRadicalStroke) {
  // 啊 (B0A1) < 阿 (B0A2) < 做 (D7F6, last of the first level) < 亍 (D8A1,
  // first of the second level): the sort code keeps table order.
  const std::string a1 = Normalised("\xb0\xa1", 2, 1, 0);
  const std::string a2 = Normalised("\xb0\xa2", 2, 1, 0);
  const std::string last = Normalised("\xd7\xf6", 2, 1, 0);
  const std::string second = Normalised("\xd8\xa1", 2, 1, 0);
  EXPECT_LT(a1, a2);
  EXPECT_LT(a2, last);
  EXPECT_LT(last, second);
  // The table form: entry minus 20304, little-endian, is what the key holds.
  const std::uint16_t entry = SortTableEntry(Collation::kGb2312Position, 0xC4, 0xE3);
  const auto code = static_cast<std::uint16_t>(entry - kSortCodeBias);
  EXPECT_EQ(Normalised("\xc4\xe3", 2, 1, 0), std::string({static_cast<char>(code & 0xFF), static_cast<char>(code >> 8)}));
  // Characters outside the table are copied; ASCII is untouched.
  EXPECT_EQ(Normalised("x\xa3\xc1\x81\x40", 6, 1, 0), Padded("x\xa3\xc1\x81\x40", 6));
}

TEST(IndexCollation, InitialCollationMakesCharactersOfOneInitialEqual) {
  // 啊 B0A1 and 按 B0B4 both start with A; 芭 B0C5 starts the B group; 张
  // D5C5 and 赵 D5D4 both start with Z.
  EXPECT_EQ(Normalised("\xb0\xa1", 2, 2, 0), Normalised("\xb0\xb4", 2, 2, 0));
  EXPECT_LT(Normalised("\xb0\xb4", 2, 2, 0), Normalised("\xb0\xc5", 2, 2, 0));
  EXPECT_EQ(Normalised("\xd5\xc5", 2, 2, 0), Normalised("\xd5\xd4", 2, 2, 0));
  EXPECT_EQ(Normalised("\xd5\xc5", 2, 2, 0), Padded("\xd4\xd1", 2));  // 匝, first of Z
  EXPECT_LT(Normalised("\xcd\xf5", 2, 2, 0), Normalised("\xd5\xc5", 2, 2, 0));  // 王 (W) before 张 (Z)
  // The second level keeps its own position after every group.
  EXPECT_EQ(Normalised("\xd8\xa1", 2, 2, 0), Padded("\xd8\xa1", 2));
  EXPECT_NE(Normalised("\xd8\xa1", 2, 2, 0), Normalised("\xd8\xa2", 2, 2, 0));
  EXPECT_LT(Normalised("\xd7\xf9", 2, 2, 0), Normalised("\xd8\xa1", 2, 2, 0));
}

template <typename T>
std::string Bytes(T v) {
  std::string s(sizeof v, '\0');
  std::memcpy(s.data(), &v, sizeof v);
  return s;
}

int Cmp(int type, const std::string& a, const std::string& b) {
  return ComparePart(type, reinterpret_cast<const std::uint8_t*>(a.data()),
                     reinterpret_cast<const std::uint8_t*>(b.data()), a.size());
}

TEST(IndexCompare, EachTypeByItsOwnOrder) {
  EXPECT_GT(Cmp(field_type::kByte, Bytes<std::uint8_t>(200), Bytes<std::uint8_t>(3)), 0);
  EXPECT_LT(Cmp(field_type::kShort, Bytes<std::int16_t>(-2), Bytes<std::int16_t>(1)), 0);
  EXPECT_LT(Cmp(field_type::kInt, Bytes<std::int32_t>(-70000), Bytes<std::int32_t>(5)), 0);
  EXPECT_LT(Cmp(field_type::kInt64, Bytes<std::int64_t>(-1), Bytes<std::int64_t>(1LL << 40)), 0);
  EXPECT_LT(Cmp(field_type::kFloat, Bytes<float>(-1.5f), Bytes<float>(0.25f)), 0);
  EXPECT_EQ(Cmp(field_type::kDouble, Bytes<double>(-0.0), Bytes<double>(0.0)), 0);
  EXPECT_LT(Cmp(field_type::kDateTime, Bytes<double>(-657434.0), Bytes<double>(45000.5)), 0);
  EXPECT_LT(Cmp(field_type::kBool, Bytes<std::uint8_t>(0), Bytes<std::uint8_t>(1)), 0);
  EXPECT_EQ(Cmp(field_type::kBool, Bytes<std::uint8_t>(1), Bytes<std::uint8_t>(7)), 0);
  EXPECT_GT(Cmp(field_type::kSubPtr, Bytes<std::uint32_t>(0x80000000u), Bytes<std::uint32_t>(1)), 0);
  // Stored little-endian: 256 is 00 01 and comes after 255 (ff 00).
  EXPECT_GT(Cmp(field_type::kShort, std::string("\x00\x01", 2), std::string("\xff\x00", 2)), 0);
  EXPECT_GT(Cmp(field_type::kInt, std::string("\x00\x00\x00\x01", 4), std::string("\xff\xff\xff\x00", 4)), 0);
  // NaN sorts after every number and equals itself, so a tree stays ordered.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_GT(Cmp(field_type::kDouble, Bytes(nan), Bytes(1e300)), 0);
  EXPECT_EQ(Cmp(field_type::kDouble, Bytes(nan), Bytes(nan)), 0);
}

TEST(IndexCompare, TextComparesUpToTheTerminatorAsMultibyteText) {
  EXPECT_LT(Cmp(field_type::kText, std::string("ab\0\0", 4), std::string("abc\0", 4)), 0);
  EXPECT_EQ(Cmp(field_type::kText, std::string("ab\0x", 4), std::string("ab\0y", 4)), 0);
  EXPECT_LT(Cmp(field_type::kText, std::string("z\0\0\0", 4), std::string("\xb0\xa1\0\0", 4)), 0);
  EXPECT_LT(Cmp(field_type::kText, std::string("ZZ\0\0", 4), std::string("ab\0\0", 4)), 0);
}

TEST(IndexKeyLayout, FoldingMakesKeysEqualAndPartsAreComparedInOrder) {
  const KeyPart parts[] = {{field_type::kText, 4, 0}, {field_type::kInt, 4, 0}};
  const KeyLayout folded(parts, 0, kFoldLetterCase);
  ASSERT_EQ(folded.key_size(), 8u);
  EXPECT_EQ(folded.parts()[1].offset, 4u);
  std::string a = std::string("abc\0", 4) + Bytes<std::int32_t>(1);
  std::string b = std::string("ABC\0", 4) + Bytes<std::int32_t>(1);
  auto* pa = reinterpret_cast<std::uint8_t*>(a.data());
  auto* pb = reinterpret_cast<std::uint8_t*>(b.data());
  EXPECT_NE(folded.Compare(pa, pb), 0);  // raw bytes differ
  folded.Normalise(pa);
  folded.Normalise(pb);
  EXPECT_EQ(folded.Compare(pa, pb), 0);
  EXPECT_EQ(a, b);
  // The Int part is untouched by normalisation and decides after the text.
  std::string c = std::string("ABC\0", 4) + Bytes<std::int32_t>(-5);
  EXPECT_GT(folded.Compare(pa, reinterpret_cast<const std::uint8_t*>(c.data())), 0);
  const KeyLayout plain(parts, 0, 0);
  EXPECT_FALSE(plain.normalises());
  EXPECT_TRUE(KeyLayout(parts, 2, 0).normalises());
}

}  // namespace
