// Field descriptors, the twelve field types and their stored sizes, field
// lists for creation, and the name rule shared by field names and aliases.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "db/format.h"
#include "runtime/value.h"

namespace db {

namespace ftype {
inline constexpr std::int32_t kByte = 1;
inline constexpr std::int32_t kShort = 2;
inline constexpr std::int32_t kInt = 3;
inline constexpr std::int32_t kInt64 = 4;
inline constexpr std::int32_t kFloat = 5;
inline constexpr std::int32_t kDouble = 6;
inline constexpr std::int32_t kBool = 7;
inline constexpr std::int32_t kDateTime = 8;
inline constexpr std::int32_t kSubPtr = 9;
inline constexpr std::int32_t kText = 10;
inline constexpr std::int32_t kBytes = 11;
inline constexpr std::int32_t kMemo = 12;
}  // namespace ftype

inline constexpr std::int32_t kMaxTextSize = 1024;

struct FieldDesc {
  char name[kFieldNameArea] = {};  // zero-terminated
  std::int32_t type = 0;
  std::int32_t offset = 0;     // inside the record
  std::int32_t text_size = 0;  // type 10 only

  // Stored size in the record; -1 for a type outside 1..12.
  std::int32_t stored_size() const;
  bool is_large() const { return type == ftype::kBytes || type == ftype::kMemo; }
};

// One field definition of a file (kFieldDefSize bytes) and what is wrong with
// it against a record of record_size bytes. Opening refuses a file with any
// unsound definition; checking reports each fault.
struct FieldDefinition {
  FieldDesc field;                 // text_size 0 for types other than text
  std::int32_t stored_text_size;   // the text size word as stored
  bool name_terminated = false;    // a zero within the name area (else `field` is empty)
  bool known_type = false;         // 1..12
  bool text_size_positive = false; // type 10 only; true for the others
  bool inside_record = false;      // offset 0 or more and the field's end within the record

  bool sound() const { return name_terminated && known_type && text_size_positive && inside_record; }
};
FieldDefinition DecodeFieldDefinition(const std::uint8_t* def, std::int32_t record_size);

// Stored size of a type code (text_size for type 10); -1 when invalid.
std::int32_t StoredSize(std::int32_t type, std::int32_t text_size);
// The value type that reading returns and writing expects.
rt::TypeCode ValueTypeOf(std::int32_t field_type);

// True when the GBK name follows the rule for field names and aliases.
bool IsValidName(const char* name);
// Case-insensitive for letters, double-byte characters compared whole.
bool NamesEqual(const char* a, const char* b);

// A field to create: name (GBK), type, declared size.
struct FieldSpec {
  std::string name;
  std::int32_t type = 0;
  std::int32_t size = 0;
};

// Checks a field list for creation and lays it out. The list is cut at the
// first empty name. Returns 0 or -16..-20.
int LayOutFields(const std::vector<FieldSpec>& field_specs, std::vector<FieldDesc>* fields, std::int32_t* record_size);

// Index of the field with that name, or -1.
int FindFieldByName(const std::vector<FieldDesc>& fields, const char* name);

}  // namespace db
