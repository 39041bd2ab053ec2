#include "db/index/key_layout.h"

#include <cmath>
#include <cstring>

#include "platform/coding.h"

namespace db::index {
namespace {

// Key parts hold the field's stored bytes, little-endian as in the record.
std::int16_t LoadI16(const std::uint8_t* p) { return static_cast<std::int16_t>(platform::DecodeU16(p)); }
std::int64_t LoadI64(const std::uint8_t* p) { return static_cast<std::int64_t>(platform::DecodeU64(p)); }

template <typename T>
int Order(T a, T b) {
  return a < b ? -1 : (b < a ? 1 : 0);
}

// Floating values in a total order so the tree stays sorted whatever the
// file holds: NaNs compare equal to each other and after every number.
template <typename T>
int OrderFloating(T a, T b) {
  const bool a_nan = std::isnan(a);
  const bool b_nan = std::isnan(b);
  if (a_nan || b_nan) return a_nan == b_nan ? 0 : (a_nan ? 1 : -1);
  return Order(a, b);
}

// Text as zero-terminated multibyte text of at most `size` bytes. In the
// double-byte code page every lead byte is above every single-byte
// character, so comparing bytes compares characters.
int OrderText(const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
  for (std::size_t i = 0; i < size; ++i) {
    if (a[i] != b[i]) return a[i] < b[i] ? -1 : 1;
    if (a[i] == 0) return 0;
  }
  return 0;
}

}  // namespace

int ComparePart(int type, const std::uint8_t* a, const std::uint8_t* b, std::size_t size) {
  switch (type) {
    case field_type::kByte: return Order(a[0], b[0]);
    case field_type::kShort: return Order(LoadI16(a), LoadI16(b));
    case field_type::kInt: return Order(platform::DecodeI32(a), platform::DecodeI32(b));
    case field_type::kInt64: return Order(LoadI64(a), LoadI64(b));
    case field_type::kFloat: return OrderFloating(platform::GetF32(a), platform::GetF32(b));
    case field_type::kDouble:
    case field_type::kDateTime: return OrderFloating(platform::GetF64(a), platform::GetF64(b));
    case field_type::kBool: return Order(a[0] != 0, b[0] != 0);
    case field_type::kSubPtr: return Order(platform::DecodeU32(a), platform::DecodeU32(b));
    case field_type::kText: return OrderText(a, b, size);
    default: {
      const int c = std::memcmp(a, b, size);
      return c < 0 ? -1 : (c > 0 ? 1 : 0);
    }
  }
}

KeyLayout::KeyLayout(std::span<const KeyPart> parts, std::int32_t collation, std::uint32_t text_flags)
    : parts_(parts.begin(), parts.end()), collation_(collation), text_flags_(text_flags) {
  for (KeyPart& part : parts_) {
    part.offset = key_size_;
    key_size_ += part.size;
  }
}

bool KeyLayout::normalises() const { return collation_ != 0 || text_flags_ != 0; }

void KeyLayout::Normalise(std::uint8_t* key) const {
  if (!normalises()) return;
  for (const KeyPart& part : parts_) {
    if (part.type == field_type::kText)
      NormaliseTextPart(key + part.offset, part.size, static_cast<Collation>(collation_), text_flags_);
  }
}

int KeyLayout::Compare(const std::uint8_t* a, const std::uint8_t* b) const {
  for (const KeyPart& part : parts_) {
    const int c = ComparePart(part.type, a + part.offset, b + part.offset, part.size);
    if (c != 0) return c;
  }
  return 0;
}

}  // namespace db::index
