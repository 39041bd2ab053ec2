// Byte layout of index files: the header page and the tree pages.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace db::index {

inline constexpr std::size_t kHeaderBytes = 224;
inline constexpr std::int32_t kMinPageSize = 512;
inline constexpr std::size_t kFieldNameBytes = 17;
inline constexpr std::uint32_t kFreePageMark = 2;
inline constexpr std::uint8_t kInnerPageBit = 0x01;
inline constexpr std::size_t kPageEntriesOffset = 4;

// The 224-byte header of page 0. Reserved bytes are kept as read so a
// header written back changes only the fields this system maintains.
struct IndexHeader {
  std::array<char, 4> magic{'Q', 'V', 'N', 'X'};
  std::uint32_t version = 0;
  std::array<std::uint8_t, 8> reserved_8{};
  std::int32_t collation = 0;
  std::uint32_t text_flags = 0;
  std::int32_t page_count = 0;
  std::int32_t free_count = 0;
  std::int32_t free_head = 0;
  std::int32_t root = 0;
  std::int32_t page_size = 0;
  std::int32_t key_size = 0;
  std::int32_t key_field_count = 0;
  std::array<std::array<char, kFieldNameBytes>, 8> field_names{};
  std::array<std::int32_t, 8> field_types{};  // 1..9, or -n for a text field of n bytes
  std::array<std::uint8_t, 4> reserved_220{};

  bool has_magic() const { return magic == std::array<char, 4>{'Q', 'V', 'N', 'X'}; }
  // The field name of key part i, up to its terminator (17 bytes at most).
  std::string FieldName(int i) const;
  bool operator==(const IndexHeader&) const = default;
};

IndexHeader DecodeHeader(std::span<const std::uint8_t, kHeaderBytes> bytes);
void EncodeHeader(const IndexHeader& header, std::span<std::uint8_t, kHeaderBytes> bytes);

// Keys per page for a page and key size; never above what the page's 16-bit
// count can hold.
inline std::int32_t MaxKeys(std::int32_t page_size, std::int32_t key_size) {
  const std::int32_t keys = (page_size - 8) / (key_size + 4);
  return keys > 0xFFFF ? 0xFFFF : keys;
}
// Keys left in the first page by a split.
inline std::int32_t SplitKeep(std::int32_t max_keys) { return max_keys / 2; }

// A tree page in memory. Leaf: refs[i] is the record number of keys[i].
// Inner: refs holds count + 1 child pages; keys[i] separates refs[i] (whose
// subtree's largest key it is) from refs[i + 1].
struct TreePage {
  bool inner = false;
  std::vector<std::uint32_t> refs;
  std::vector<std::uint8_t> keys;  // count * key_size bytes

  std::size_t count(std::size_t key_size) const { return keys.size() / key_size; }
  const std::uint8_t* key(std::size_t i, std::size_t key_size) const { return keys.data() + i * key_size; }
};

// Decodes a tree page; false when the count does not fit the page, when it
// exceeds max_keys, or when the page is a free page.
bool DecodeTreePage(std::span<const std::uint8_t> page, std::size_t key_size, std::int32_t max_keys,
                    TreePage* out);
// Encodes into a page_size buffer (zero-filled after the entries).
void EncodeTreePage(const TreePage& page, std::size_t key_size, std::span<std::uint8_t> out);

// Free page links.
struct FreeLinks {
  std::uint32_t prev = 0;
  std::uint32_t next = 0;
};
bool IsFreePage(std::span<const std::uint8_t> page);
FreeLinks ReadFreeLinks(std::span<const std::uint8_t> page);
void EncodeFreePage(const FreeLinks& links, std::span<std::uint8_t> out);

}  // namespace db::index
