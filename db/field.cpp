#include "db/field.h"

#include <cstring>

#include "db/errors.h"

namespace db {

std::int32_t StoredSize(std::int32_t type, std::int32_t text_size) {
  switch (type) {
    case ftype::kByte:
    case ftype::kBool: return 1;
    case ftype::kShort: return 2;
    case ftype::kInt:
    case ftype::kFloat:
    case ftype::kSubPtr:
    case ftype::kBytes:
    case ftype::kMemo: return 4;
    case ftype::kInt64:
    case ftype::kDouble:
    case ftype::kDateTime: return 8;
    case ftype::kText: return text_size;
    default: return -1;
  }
}

std::int32_t FieldDesc::stored_size() const { return StoredSize(type, text_size); }

FieldDefinition DecodeFieldDefinition(const std::uint8_t* def, std::int32_t record_size) {
  FieldDefinition d;
  d.stored_text_size = GetI32(def + kDefTextSizePos);
  d.name_terminated = std::memchr(def, 0, kFieldNameArea) != nullptr;
  if (!d.name_terminated) return d;
  FieldDesc& f = d.field;
  std::memcpy(f.name, def, kFieldNameArea);
  f.type = GetI32(def + kDefTypePos);
  f.offset = GetI32(def + kDefOffsetPos);
  f.text_size = f.type == ftype::kText ? d.stored_text_size : 0;
  d.known_type = f.type >= ftype::kByte && f.type <= ftype::kMemo;
  d.text_size_positive = f.type != ftype::kText || f.text_size > 0;
  // A field reaching past its record would let writes spill into the next
  // record.
  d.inside_record = d.known_type && f.offset >= 0 && static_cast<std::int64_t>(f.offset) + f.stored_size() <= record_size;
  return d;
}

rt::TypeCode ValueTypeOf(std::int32_t field_type) {
  switch (field_type) {
    case ftype::kByte: return rt::type::kByte;
    case ftype::kShort: return rt::type::kShort;
    case ftype::kInt: return rt::type::kInt;
    case ftype::kInt64: return rt::type::kInt64;
    case ftype::kFloat: return rt::type::kFloat;
    case ftype::kDouble: return rt::type::kDouble;
    case ftype::kBool: return rt::type::kBool;
    case ftype::kDateTime: return rt::type::kDateTime;
    case ftype::kSubPtr: return rt::type::kSubPtr;
    case ftype::kText:
    case ftype::kMemo: return rt::type::kText;
    case ftype::kBytes: return rt::type::kBytes;
    default: return rt::type::kNone;
  }
}

namespace {

bool IsAsciiLetter(unsigned char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(unsigned char c) { return c >= '0' && c <= '9'; }

bool IsFullWidthDigit(unsigned lead, unsigned trail) { return lead == 0xA3 && trail >= 0xB0 && trail <= 0xB9; }

// Double-byte characters a name may hold.
bool IsNameDoubleByte(unsigned lead, unsigned trail) {
  if ((lead >= 0x81 && lead <= 0xA0) || (lead >= 0xAA && lead <= 0xFE)) return true;  // Chinese rows
  if (IsFullWidthDigit(lead, trail)) return true;
  if (lead == 0xA3 && ((trail >= 0xC1 && trail <= 0xDA) || (trail >= 0xE1 && trail <= 0xFA))) return true;
  if (lead == 0xA4 && trail >= 0xA1 && trail <= 0xF3) return true;
  if (lead == 0xA5 && trail >= 0xA1 && trail <= 0xF6) return true;
  return lead == 0xA9 && trail == 0x60;
}

unsigned char FoldCase(unsigned char c) { return (c >= 'a' && c <= 'z') ? static_cast<unsigned char>(c - 32) : c; }

}  // namespace

bool IsValidName(const char* name) {
  if (name == nullptr || name[0] == '\0') return false;
  const auto* p = reinterpret_cast<const unsigned char*>(name);
  bool first = true;
  while (*p != 0) {
    if (*p < 0x80) {
      unsigned char c = *p;
      if (first && (IsAsciiDigit(c) || c == '.')) return false;
      if (!IsAsciiLetter(c) && !IsAsciiDigit(c) && c != '_') return false;
      ++p;
    } else {
      unsigned lead = p[0], trail = p[1];
      if (trail == 0) return false;  // a lead byte without its second byte
      if (first && IsFullWidthDigit(lead, trail)) return false;
      if (!IsNameDoubleByte(lead, trail)) return false;
      p += 2;
    }
    first = false;
  }
  return true;
}

bool NamesEqual(const char* a, const char* b) {
  if (a == nullptr) a = "";
  if (b == nullptr) b = "";
  const auto* x = reinterpret_cast<const unsigned char*>(a);
  const auto* y = reinterpret_cast<const unsigned char*>(b);
  while (*x != 0 && *y != 0) {
    if (*x >= 0x80) {
      // A double-byte character is compared as a unit, never case-folded.
      if (x[0] != y[0]) return false;
      if (x[1] == 0 || y[1] == 0) return x[1] == y[1];
      if (x[1] != y[1]) return false;
      x += 2;
      y += 2;
    } else {
      if (FoldCase(*x) != FoldCase(*y)) return false;
      ++x;
      ++y;
    }
  }
  return *x == *y;
}

int LayOutFields(const std::vector<FieldSpec>& field_specs, std::vector<FieldDesc>* fields, std::int32_t* record_size) {
  fields->clear();
  *record_size = 0;
  std::size_t count = 0;
  while (count < field_specs.size() && !field_specs[count].name.empty()) ++count;
  if (count == 0) return err::kNoFields;
  std::int64_t offset = 4;
  for (std::size_t i = 0; i < count; ++i) {
    const FieldSpec& field_spec = field_specs[i];
    if (field_spec.name.size() > kMaxFieldName || !IsValidName(field_spec.name.c_str())) return err::kBadFieldName;
    if (field_spec.type < ftype::kByte || field_spec.type > ftype::kMemo) return err::kBadFieldType;
    if (field_spec.type == ftype::kText && (field_spec.size < 1 || field_spec.size > kMaxTextSize)) return err::kBadFieldSize;
    FieldDesc desc;
    std::memcpy(desc.name, field_spec.name.c_str(), field_spec.name.size() + 1);
    desc.type = field_spec.type;
    desc.text_size = field_spec.type == ftype::kText ? field_spec.size : 0;
    desc.offset = static_cast<std::int32_t>(offset);
    offset += desc.stored_size();
    fields->push_back(desc);
  }
  for (std::size_t i = 0; i < fields->size(); ++i)
    for (std::size_t j = i + 1; j < fields->size(); ++j)
      if (NamesEqual((*fields)[i].name, (*fields)[j].name)) {
        fields->clear();
        return err::kDuplicateField;
      }
  // The format has 32-bit sizes; a list this long cannot be stored.
  if (offset > 0x7FFFFFFF) {
    fields->clear();
    return err::kBadFieldSize;
  }
  *record_size = static_cast<std::int32_t>(offset);
  return 0;
}

int FindFieldByName(const std::vector<FieldDesc>& fields, const char* name) {
  for (std::size_t i = 0; i < fields.size(); ++i)
    if (NamesEqual(fields[i].name, name)) return static_cast<int>(i);
  return -1;
}

}  // namespace db
