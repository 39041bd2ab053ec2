// Collation tables for Chinese characters in index keys.
//
// Collation 1 orders the GB2312 Chinese characters by their position in the
// GB2312 table. That table already lists its first level (rows 0xB0..0xD7)
// in pinyin order and its second level (rows 0xD8..0xF7) by radical and then
// stroke count, so a character's sort code is its own cell: the key keeps
// the character's bytes, and Chinese text sorts in pinyin order, then the
// second level in radical/stroke order.
//
// Collation 2 maps each first-level character to the first character of its
// pinyin-initial group (啊 for A, 芭 for B, ... 匝 for Z), so characters with
// the same initial compare equal: an index ordered by the initials of names,
// as in a telephone book. Second-level characters keep their position and so
// follow every first-level group, in radical/stroke order.
//
// Table form: an entry is (sort code + 20304) modulo 2^16, where the sort
// code's little-endian bytes are the two bytes the key receives. Sort codes
// are written as a GB2312 cell (row byte first), so the emitted bytes sort in
// code order under the byte-wise text comparison and never contain zero.
#include "db/index/collation.h"

#include <array>
#include <cstring>

namespace db::index {
namespace {

constexpr int kTableSize = kCollationRows * kCollationCells;

// GB2312 code of the first character of each pinyin-initial group of the
// first level, A..Z without I, U and V. The first level ends at 0xD7F9.
constexpr std::array<std::uint16_t, 23> kInitialGroupStarts = {
    0xB0A1, 0xB0C5, 0xB2C1, 0xB4EE, 0xB6EA, 0xB7A2, 0xB8C1, 0xB9FE,
    0xBBF7, 0xBFA6, 0xC0AC, 0xC2E8, 0xC4C3, 0xC5B6, 0xC5BE, 0xC6DA,
    0xC8BB, 0xC8F6, 0xCBFA, 0xCDDA, 0xCEF4, 0xD1B9, 0xD4D1};
constexpr std::uint16_t kFirstLevelEnd = 0xD7F9;

constexpr int CellOf(std::uint16_t code) {
  return ((code >> 8) - kCollationFirstLow) * kCollationCells + ((code & 0xFF) - kCollationSecondLow);
}

constexpr std::uint16_t EntryForCell(int cell) {
  const unsigned first = static_cast<unsigned>(kCollationFirstLow + cell / kCollationCells);
  const unsigned second = static_cast<unsigned>(kCollationSecondLow + cell % kCollationCells);
  return static_cast<std::uint16_t>((first | (second << 8)) + kSortCodeBias);
}

constexpr std::array<std::uint16_t, kTableSize> MakePositionTable() {
  std::array<std::uint16_t, kTableSize> table{};
  for (int cell = 0; cell < kTableSize; ++cell) table[cell] = EntryForCell(cell);
  return table;
}

constexpr std::array<std::uint16_t, kTableSize> MakeInitialTable() {
  std::array<std::uint16_t, kTableSize> table{};
  const int level_end = CellOf(kFirstLevelEnd);
  std::size_t group = 0;
  for (int cell = 0; cell < kTableSize; ++cell) {
    if (cell > level_end) {
      table[cell] = EntryForCell(cell);
      continue;
    }
    while (group + 1 < kInitialGroupStarts.size() && CellOf(kInitialGroupStarts[group + 1]) <= cell) ++group;
    table[cell] = EntryForCell(CellOf(kInitialGroupStarts[group]));
  }
  return table;
}

constexpr auto kPositionTable = MakePositionTable();
constexpr auto kInitialTable = MakeInitialTable();

bool IsLeadByte(std::uint8_t b) { return b >= 0x81 && b <= 0xFE; }

}  // namespace

bool IsKnownCollation(std::int32_t value) { return value >= 0 && value <= 2; }

std::uint16_t SortTableEntry(Collation collation, std::uint8_t first, std::uint8_t second) {
  const int cell = (first - kCollationFirstLow) * kCollationCells + (second - kCollationSecondLow);
  return collation == Collation::kPinyinInitial ? kInitialTable[cell] : kPositionTable[cell];
}

void NormaliseTextPart(std::uint8_t* part, std::size_t size, Collation collation,
                       std::uint32_t text_flags) {
  const bool fold = (text_flags & kFoldLetterCase) != 0;
  const bool skip_blanks = (text_flags & kIgnoreBlanks) != 0;
  const bool sort_codes = collation == Collation::kGb2312Position || collation == Collation::kPinyinInitial;
  // Output never runs ahead of input, so the part is rewritten in place.
  std::size_t in = 0;
  std::size_t out = 0;
  while (in < size && part[in] != 0) {
    const std::uint8_t b = part[in];
    const bool has_second = IsLeadByte(b) && in + 1 < size && part[in + 1] != 0;
    if (has_second) {
      const std::uint8_t s = part[in + 1];
      in += 2;
      if (skip_blanks && b == 0xA1 && s == 0xA1) continue;
      if (sort_codes && b >= kCollationFirstLow && b <= kCollationFirstHigh && s >= kCollationSecondLow &&
          s <= kCollationSecondHigh) {
        const auto code = static_cast<std::uint16_t>(SortTableEntry(collation, b, s) - kSortCodeBias);
        part[out++] = static_cast<std::uint8_t>(code & 0xFF);
        part[out++] = static_cast<std::uint8_t>(code >> 8);
      } else {
        part[out++] = b;
        part[out++] = s;
      }
      continue;
    }
    ++in;
    if (skip_blanks && b == 0x20) continue;
    part[out++] = (fold && b >= 'a' && b <= 'z') ? static_cast<std::uint8_t>(b - 'a' + 'A') : b;
  }
  std::memset(part + out, 0, size - out);
}

}  // namespace db::index
