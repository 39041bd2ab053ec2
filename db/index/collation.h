// Sort codes for Chinese characters in index keys, and the normalisation of
// the text parts of a key (letter case, blanks, collation).
#pragma once

#include <cstddef>
#include <cstdint>

namespace db::index {

// How text key parts are compared: by their bytes, or with the GB2312
// Chinese characters replaced by a sort code from one of two tables.
enum class Collation : std::int32_t { kBytes = 0, kGb2312Position = 1, kPinyinInitial = 2 };

// textFlags bits.
inline constexpr std::uint32_t kFoldLetterCase = 1u << 0;  // a-z compare as A-Z
inline constexpr std::uint32_t kIgnoreBlanks = 1u << 1;    // 0x20 and 0xA1A1 are skipped

// The sort-code tables cover the characters whose first byte is 0xB0..0xF7
// and second byte 0xA1..0xFE (72 rows of 94 cells).
inline constexpr int kCollationFirstLow = 0xB0;
inline constexpr int kCollationFirstHigh = 0xF7;
inline constexpr int kCollationSecondLow = 0xA1;
inline constexpr int kCollationSecondHigh = 0xFE;
inline constexpr int kCollationRows = kCollationFirstHigh - kCollationFirstLow + 1;
inline constexpr int kCollationCells = kCollationSecondHigh - kCollationSecondLow + 1;
// A table entry is the sort code plus this bias; the key receives the entry
// minus the bias as two little-endian bytes.
inline constexpr std::uint16_t kSortCodeBias = 20304;

// The table entry of a character for collation 1 or 2 (the biased 16-bit
// value). Only valid for first/second bytes inside the ranges above.
std::uint16_t SortTableEntry(Collation collation, std::uint8_t first, std::uint8_t second);

// Whether a collation number read from a file is one this system knows.
bool IsKnownCollation(std::int32_t value);

// Normalises one text key part of `size` bytes in place: bytes up to the
// size or the first zero are processed, the result is zero-filled to size.
// Normalisation never makes a part longer (every step keeps or drops bytes).
void NormaliseTextPart(std::uint8_t* part, std::size_t size, Collation collation,
                       std::uint32_t text_flags);

}  // namespace db::index
