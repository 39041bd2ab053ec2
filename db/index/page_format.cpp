#include "db/index/page_format.h"

#include <algorithm>
#include <cassert>
#include <cstring>

#include "platform/coding.h"

namespace db::index {
namespace {

using platform::DecodeI32;
using platform::DecodeU16;
using platform::DecodeU32;
using platform::EncodeI32;
using platform::EncodeU16;
using platform::EncodeU32;

constexpr std::size_t kNamesOffset = 52;
constexpr std::size_t kTypesOffset = 188;

}  // namespace

std::string IndexHeader::FieldName(int i) const {
  const auto& name = field_names[static_cast<std::size_t>(i)];
  const auto end = std::find(name.begin(), name.end(), '\0');
  return std::string(name.begin(), end);
}

IndexHeader DecodeHeader(std::span<const std::uint8_t, kHeaderBytes> bytes) {
  const std::uint8_t* p = bytes.data();
  IndexHeader h;
  std::memcpy(h.magic.data(), p, 4);
  h.version = DecodeU32(p + 4);
  std::memcpy(h.reserved_8.data(), p + 8, 8);
  h.collation = DecodeI32(p + 16);
  h.text_flags = DecodeU32(p + 20);
  h.page_count = DecodeI32(p + 24);
  h.free_count = DecodeI32(p + 28);
  h.free_head = DecodeI32(p + 32);
  h.root = DecodeI32(p + 36);
  h.page_size = DecodeI32(p + 40);
  h.key_size = DecodeI32(p + 44);
  h.key_field_count = DecodeI32(p + 48);
  for (std::size_t i = 0; i < 8; ++i) {
    std::memcpy(h.field_names[i].data(), p + kNamesOffset + i * kFieldNameBytes, kFieldNameBytes);
    h.field_types[i] = DecodeI32(p + kTypesOffset + i * 4);
  }
  std::memcpy(h.reserved_220.data(), p + 220, 4);
  return h;
}

void EncodeHeader(const IndexHeader& h, std::span<std::uint8_t, kHeaderBytes> bytes) {
  std::uint8_t* p = bytes.data();
  std::memcpy(p, h.magic.data(), 4);
  EncodeU32(p + 4, h.version);
  std::memcpy(p + 8, h.reserved_8.data(), 8);
  EncodeI32(p + 16, h.collation);
  EncodeU32(p + 20, h.text_flags);
  EncodeI32(p + 24, h.page_count);
  EncodeI32(p + 28, h.free_count);
  EncodeI32(p + 32, h.free_head);
  EncodeI32(p + 36, h.root);
  EncodeI32(p + 40, h.page_size);
  EncodeI32(p + 44, h.key_size);
  EncodeI32(p + 48, h.key_field_count);
  for (std::size_t i = 0; i < 8; ++i) {
    std::memcpy(p + kNamesOffset + i * kFieldNameBytes, h.field_names[i].data(), kFieldNameBytes);
    EncodeI32(p + kTypesOffset + i * 4, h.field_types[i]);
  }
  std::memcpy(p + 220, h.reserved_220.data(), 4);
}

bool IsFreePage(std::span<const std::uint8_t> page) { return DecodeU32(page.data()) == kFreePageMark; }

FreeLinks ReadFreeLinks(std::span<const std::uint8_t> page) {
  return FreeLinks{DecodeU32(page.data() + 4), DecodeU32(page.data() + 8)};
}

void EncodeFreePage(const FreeLinks& links, std::span<std::uint8_t> out) {
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  EncodeU32(out.data(), kFreePageMark);
  EncodeU32(out.data() + 4, links.prev);
  EncodeU32(out.data() + 8, links.next);
}

bool DecodeTreePage(std::span<const std::uint8_t> page, std::size_t key_size, std::int32_t max_keys,
                    TreePage* out) {
  if (IsFreePage(page)) return false;
  const bool inner = (page[0] & kInnerPageBit) != 0;
  const std::size_t count = DecodeU16(page.data() + 2);
  const std::size_t entry = 4 + key_size;
  const std::size_t needed = kPageEntriesOffset + count * entry + (inner ? 4 : 0);
  if (count > static_cast<std::size_t>(max_keys) || needed > page.size()) return false;
  out->inner = inner;
  out->refs.resize(count + (inner ? 1 : 0));
  out->keys.resize(count * key_size);
  const std::uint8_t* p = page.data() + kPageEntriesOffset;
  for (std::size_t i = 0; i < count; ++i, p += entry) {
    out->refs[i] = DecodeU32(p);
    std::memcpy(out->keys.data() + i * key_size, p + 4, key_size);
  }
  if (inner) out->refs[count] = DecodeU32(p);
  return true;
}

void EncodeTreePage(const TreePage& page, std::size_t key_size, std::span<std::uint8_t> out) {
  const std::size_t count = page.count(key_size);
  // The caller settled the page first: it fits the page and its 16-bit count.
  assert(key_size > 0 && count <= 0xFFFF && page.refs.size() == count + (page.inner ? 1 : 0));
  assert(out.size() >= kPageEntriesOffset + count * (4 + key_size) + (page.inner ? 4 : 0));
  std::fill(out.begin(), out.end(), std::uint8_t{0});
  out[0] = page.inner ? kInnerPageBit : 0;
  EncodeU16(out.data() + 2, static_cast<std::uint16_t>(count));
  std::uint8_t* p = out.data() + kPageEntriesOffset;
  for (std::size_t i = 0; i < count; ++i, p += 4 + key_size) {
    EncodeU32(p, page.refs[i]);
    std::memcpy(p + 4, page.key(i, key_size), key_size);
  }
  if (page.inner) EncodeU32(p, page.refs[count]);
}

}  // namespace db::index
