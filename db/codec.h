// Conversion between command values and the stored bytes of a field.
#pragma once

#include <cstdint>

#include "db/field.h"
#include "runtime/helpers.h"
#include "runtime/value.h"

namespace db {

// 0 when `value` may be stored in the field (an omitted value always may),
// else -72: the types must be equal, or both numeric.
int CheckValueType(const FieldDesc& field, const rt::Value& value);

// Stores a checked value of a fixed-size field (every type but 11 and 12)
// into `out` (the field's stored size). An omitted value stores zeros.
void EncodeFixed(const FieldDesc& field, const rt::Value& value, std::uint8_t* out);

// The bytes a memo or bytes value puts into its chain: text without its
// terminator, or the byte block's data. Empty for an omitted value.
rt::DataView LargeData(const rt::Value& value);

// A fixed-size field's stored bytes as a value (texts are new heap blocks).
rt::Value DecodeFixed(const FieldDesc& field, const std::uint8_t* bytes);
// A memo or bytes value from its chain's bytes.
rt::Value DecodeLarge(const FieldDesc& field, const std::uint8_t* data, std::size_t n);

// The empty value of the field's value type: 0, false, empty text or bytes.
rt::Value EmptyValue(const FieldDesc& field);

// Clamps a stored date to the years 100..9999 (NaN to the first day); a
// time on the first or the last day is kept.
double ClampDateTime(double days);

}  // namespace db
