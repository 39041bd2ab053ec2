#include "db/index/index_create.h"

#include <cstring>

#include "db/index/key_layout.h"

namespace db::index {
namespace {
constexpr std::int32_t kMaxTextBytes = 1024;  // the largest text field a database declares
}  // namespace

std::int32_t HeaderTypeSize(std::int32_t header_type) {
  switch (header_type) {
    case field_type::kByte:
    case field_type::kBool: return 1;
    case field_type::kShort: return 2;
    case field_type::kInt:
    case field_type::kFloat:
    case field_type::kSubPtr: return 4;
    case field_type::kInt64:
    case field_type::kDouble:
    case field_type::kDateTime: return 8;
    default:
      // -n names a text field of n bytes; n beyond any text size (the most
      // negative value cannot even be negated) is no key field size.
      return header_type < 0 && header_type >= -kMaxTextBytes ? -header_type : -1;
  }
}

bool MakeEmptyIndexHeader(std::uint32_t version, std::int32_t page_size, std::int32_t collation,
                          std::uint32_t text_flags, const std::vector<IndexKeyField>& fields, IndexHeader* out) {
  if (fields.empty() || fields.size() > static_cast<std::size_t>(kMaxKeyFields) || page_size < kMinPageSize)
    return false;
  IndexHeader h;
  h.version = version;
  h.collation = collation;
  h.text_flags = text_flags;
  h.page_count = 2;
  h.free_count = 0;
  h.free_head = 0;
  h.root = 1;
  h.page_size = page_size;
  h.key_field_count = static_cast<std::int32_t>(fields.size());
  std::int32_t key_size = 0;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    const std::int32_t size = HeaderTypeSize(fields[i].header_type);
    if (size <= 0 || fields[i].name.empty() || fields[i].name.size() >= kFieldNameBytes) return false;
    std::memcpy(h.field_names[i].data(), fields[i].name.data(), fields[i].name.size());
    h.field_types[i] = fields[i].header_type;
    key_size += size;
  }
  if (key_size < 1 || key_size > kMaxKeySize) return false;
  h.key_size = key_size;
  *out = h;
  return true;
}

int WriteEmptyIndex(platform::File& file, const IndexHeader& header) {
  const auto page = static_cast<std::size_t>(header.page_size);
  std::vector<std::uint8_t> bytes(2 * page, 0);
  EncodeHeader(header, std::span<std::uint8_t, kHeaderBytes>(bytes.data(), kHeaderBytes));
  // Page 1 stays all zero: a leaf with no keys.
  if (const auto fe = file.Write(0, bytes.data(), bytes.size()); fe != platform::FileError::kNone)
    return platform::FileErrorCode(fe);
  if (const auto fe = file.Truncate(bytes.size()); fe != platform::FileError::kNone)
    return platform::FileErrorCode(fe);
  return 0;
}

}  // namespace db::index
