#include "db/index/page_format.h"

#include <algorithm>
#include <cstring>

namespace db::index {
namespace {

std::int32_t LoadI32(const std::uint8_t* p) { return static_cast<std::int32_t>(LoadU32(p)); }
void StoreI32(std::uint8_t* p, std::int32_t v) { StoreU32(p, static_cast<std::uint32_t>(v)); }

constexpr std::size_t kNamesOffset = 52;
constexpr std::size_t kTypesOffset = 188;

}  // namespace

std::uint32_t LoadU32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
         (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

void StoreU32(std::uint8_t* p, std::uint32_t v) {
  p[0] = static_cast<std::uint8_t>(v);
  p[1] = static_cast<std::uint8_t>(v >> 8);
  p[2] = static_cast<std::uint8_t>(v >> 16);
  p[3] = static_cast<std::uint8_t>(v >> 24);
}

std::string IndexHeader::FieldName(int i) const {
  const auto& name = field_names[static_cast<std::size_t>(i)];
  const auto end = std::find(name.begin(), name.end(), '\0');
  return std::string(name.begin(), end);
}

IndexHeader DecodeHeader(std::span<const std::uint8_t, kHeaderBytes> bytes) {
  const std::uint8_t* p = bytes.data();
  IndexHeader h;
  std::memcpy(h.magic.data(), p, 4);
  h.version = LoadU32(p + 4);
  std::memcpy(h.reserved_8.data(), p + 8, 8);
  h.collation = LoadI32(p + 16);
  h.text_flags = LoadU32(p + 20);
  h.page_count = LoadI32(p + 24);
  h.free_count = LoadI32(p + 28);
  h.free_head = LoadI32(p + 32);
  h.root = LoadI32(p + 36);
  h.page_size = LoadI32(p + 40);
  h.key_size = LoadI32(p + 44);
  h.key_field_count = LoadI32(p + 48);
  for (std::size_t i = 0; i < 8; ++i) {
    std::memcpy(h.field_names[i].data(), p + kNamesOffset + i * kFieldNameBytes, kFieldNameBytes);
    h.field_types[i] = LoadI32(p + kTypesOffset + i * 4);
  }
  std::memcpy(h.reserved_220.data(), p + 220, 4);
  return h;
}

void EncodeHeader(const IndexHeader& h, std::span<std::uint8_t, kHeaderBytes> bytes) {
  std::uint8_t* p = bytes.data();
  std::memcpy(p, h.magic.data(), 4);
  StoreU32(p + 4, h.version);
  std::memcpy(p + 8, h.reserved_8.data(), 8);
  StoreI32(p + 16, h.collation);
  StoreU32(p + 20, h.text_flags);
  StoreI32(p + 24, h.page_count);
  StoreI32(p + 28, h.free_count);
  StoreI32(p + 32, h.free_head);
  StoreI32(p + 36, h.root);
  StoreI32(p + 40, h.page_size);
  StoreI32(p + 44, h.key_size);
  StoreI32(p + 48, h.key_field_count);
  for (std::size_t i = 0; i < 8; ++i) {
    std::memcpy(p + kNamesOffset + i * kFieldNameBytes, h.field_names[i].data(), kFieldNameBytes);
    StoreI32(p + kTypesOffset + i * 4, h.field_types[i]);
  }
  std::memcpy(p + 220, h.reserved_220.data(), 4);
}

bool IsFreePage(std::span<const std::uint8_t> page) { return LoadU32(page.data()) == kFreePageMark; }

FreeLinks ReadFreeLinks(std::span<const std::uint8_t> page) {
  return FreeLinks{LoadU32(page.data() + 4), LoadU32(page.data() + 8)};
}

void EncodeFreePage(const FreeLinks& links, std::span<std::uint8_t> out) {
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  StoreU32(out.data(), kFreePageMark);
  StoreU32(out.data() + 4, links.prev);
  StoreU32(out.data() + 8, links.next);
}

bool DecodeTreePage(std::span<const std::uint8_t> page, std::size_t key_size, std::int32_t max_keys,
                    TreePage& out) {
  if (IsFreePage(page)) return false;
  const bool inner = (page[0] & kInnerPageBit) != 0;
  const std::size_t count = static_cast<std::size_t>(page[2]) | (static_cast<std::size_t>(page[3]) << 8);
  const std::size_t entry = 4 + key_size;
  const std::size_t needed = kPageEntriesOffset + count * entry + (inner ? 4 : 0);
  if (count > static_cast<std::size_t>(max_keys) || needed > page.size()) return false;
  out.inner = inner;
  out.refs.resize(count + (inner ? 1 : 0));
  out.keys.resize(count * key_size);
  const std::uint8_t* p = page.data() + kPageEntriesOffset;
  for (std::size_t i = 0; i < count; ++i, p += entry) {
    out.refs[i] = LoadU32(p);
    std::memcpy(out.keys.data() + i * key_size, p + 4, key_size);
  }
  if (inner) out.refs[count] = LoadU32(p);
  return true;
}

void EncodeTreePage(const TreePage& page, std::size_t key_size, std::span<std::uint8_t> out) {
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  const std::size_t count = page.count(key_size);
  out[0] = page.inner ? kInnerPageBit : 0;
  out[2] = static_cast<std::uint8_t>(count & 0xFF);
  out[3] = static_cast<std::uint8_t>(count >> 8);
  std::uint8_t* p = out.data() + kPageEntriesOffset;
  for (std::size_t i = 0; i < count; ++i, p += 4 + key_size) {
    StoreU32(p, page.refs[i]);
    std::memcpy(p + 4, page.key(i, key_size), key_size);
  }
  if (page.inner) StoreU32(p, page.refs[count]);
}

}  // namespace db::index
