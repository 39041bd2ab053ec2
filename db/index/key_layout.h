// The shape of an index key (its parts, their types and sizes) and the two
// operations on keys: normalising the text parts and comparing keys.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "db/field.h"
#include "db/index/collation.h"

namespace db::index {

inline constexpr int kMaxKeyFields = 8;
inline constexpr int kMaxKeySize = 80;

// Field type codes as stored in database field definitions.
namespace field_type = ::db::ftype;

// One key part: the field's type code (1..10) and its stored size.
struct KeyPart {
  int type = 0;
  std::size_t size = 0;
  std::size_t offset = 0;  // position inside the key
};

class KeyLayout {
 public:
  KeyLayout() = default;
  // Parts in key order; their offsets are recomputed from the sizes.
  KeyLayout(std::span<const KeyPart> parts, std::int32_t collation, std::uint32_t text_flags);

  std::size_t key_size() const { return key_size_; }
  const std::vector<KeyPart>& parts() const { return parts_; }
  std::int32_t collation() const { return collation_; }
  std::uint32_t text_flags() const { return text_flags_; }

  // Whether text parts are rewritten before keys are inserted or searched.
  bool normalises() const;
  // Rewrites the text parts of a key_size() key in place.
  void Normalise(std::uint8_t* key) const;
  // <0, 0, >0 comparing two key_size() keys part by part.
  int Compare(const std::uint8_t* a, const std::uint8_t* b) const;

 private:
  std::vector<KeyPart> parts_;
  std::size_t key_size_ = 0;
  std::int32_t collation_ = 0;
  std::uint32_t text_flags_ = 0;
};

// Compares one stored value of a field type; exposed for tests.
int ComparePart(int type, const std::uint8_t* a, const std::uint8_t* b, std::size_t size);

}  // namespace db::index
