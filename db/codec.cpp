#include "db/codec.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "db/errors.h"
#include "db/format.h"
#include "runtime/memory.h"

namespace db {
namespace {

bool IsFloating(rt::TypeCode t) { return t == rt::type::kFloat || t == rt::type::kDouble; }

// A numeric value as an integer (integer types) or a double (Float, Double).
std::int64_t IntegerOf(const rt::Value& v) {
  switch (v.type) {
    case rt::type::kByte: return static_cast<std::uint8_t>(v.lo);  // unsigned
    case rt::type::kShort: return static_cast<std::int16_t>(v.lo & 0xFFFF);
    case rt::type::kInt: return v.as_int();
    default: return v.as_int64();
  }
}
double FloatingOf(const rt::Value& v) { return v.type == rt::type::kFloat ? v.as_float() : v.as_double(); }

// Float or Double to an integer: toward zero, as the processor's truncating
// conversion does, out-of-range and NaN giving the "integer indefinite".
std::int64_t TruncateToInt64(double d) {
  if (std::isnan(d) || d >= 9223372036854775808.0 || d < -9223372036854775808.0) return INT64_MIN;
  return static_cast<std::int64_t>(d);
}

// The low `size` bytes of v: little-endian puts them first.
void StoreLow(std::int64_t v, std::uint8_t* out, int size) {
  std::uint8_t all[8];
  platform::EncodeU64(all, static_cast<std::uint64_t>(v));
  std::memcpy(out, all, static_cast<std::size_t>(size));
}

void EncodeNumeric(rt::TypeCode to, const rt::Value& v, std::uint8_t* out) {
  int size = rt::NumericSize(to);
  if (to == rt::type::kFloat || to == rt::type::kDouble) {
    double d = IsFloating(v.type) ? FloatingOf(v) : static_cast<double>(IntegerOf(v));
    if (to == rt::type::kFloat) {
      // Integers go straight to the nearest float, not through double.
      platform::PutF32(out, IsFloating(v.type) ? static_cast<float>(d) : static_cast<float>(IntegerOf(v)));
    } else {
      PutF64(out, d);
    }
    return;
  }
  std::int64_t i = IsFloating(v.type) ? TruncateToInt64(FloatingOf(v)) : IntegerOf(v);
  StoreLow(i, out, size);
}

}  // namespace

double ClampDateTime(double days) {
  // The first and the last day keep their time of day: 9999-12-31 23:59:59
  // is 2958465.99998..., and before 1899-12-30 the time counts away from 0,
  // so 0100-01-01 12:00 is -657434.5. Only dates past those days are
  // clamped, to the day itself.
  if (!(days > rt::kMinDateTime - 1)) return rt::kMinDateTime;
  if (days >= rt::kMaxDateTime + 1) return rt::kMaxDateTime;
  return days;
}

int CheckValueType(const FieldDesc& field, const rt::Value& value) {
  if (value.omitted()) return 0;
  rt::TypeCode want = ValueTypeOf(field.type);
  if (want == rt::type::kNone || rt::TypeClass(value.type) != 1 || (value.type & rt::type::kArrayFlag) != 0)
    return err::kTypeMismatch;
  if (value.type == want) return 0;
  if (rt::IsNumericType(want) && rt::IsNumericType(value.type)) return 0;
  return err::kTypeMismatch;
}

void EncodeFixed(const FieldDesc& field, const rt::Value& value, std::uint8_t* out) {
  std::int32_t size = field.stored_size();
  if (size <= 0) return;
  std::memset(out, 0, static_cast<std::size_t>(size));
  if (value.omitted()) return;
  rt::TypeCode want = ValueTypeOf(field.type);
  switch (field.type) {
    case ftype::kBool: out[0] = value.lo != 0 ? 1 : 0; return;
    case ftype::kText: {
      const char* text = value.text();
      std::size_t n = text == nullptr ? 1 : std::strlen(text) + 1;  // with the terminator
      if (n > static_cast<std::size_t>(size)) n = static_cast<std::size_t>(size);
      if (text != nullptr) std::memcpy(out, text, n);
      return;
    }
    case ftype::kDateTime: PutF64(out, value.as_double()); return;
    case ftype::kSubPtr: platform::EncodeU32(out, value.lo); return;
    default:
      if (rt::IsNumericType(want)) EncodeNumeric(want, value, out);
      return;
  }
}

rt::DataView LargeData(const rt::Value& value) {
  if (value.type == rt::type::kText) {
    const char* text = value.text();
    return rt::DataView{text, text == nullptr ? 0 : std::strlen(text)};
  }
  if (value.type == rt::type::kBytes) return rt::ValueData(value);
  return rt::DataView{};
}

rt::Value DecodeFixed(const FieldDesc& field, const std::uint8_t* bytes) {
  switch (field.type) {
    case ftype::kBool: return rt::Value::Bool(bytes[0] != 0);
    case ftype::kDateTime: return rt::Value::DateTime(ClampDateTime(GetF64(bytes)));
    case ftype::kText: {
      std::size_t n = 0;
      while (n < static_cast<std::size_t>(field.text_size) && bytes[n] != 0) ++n;
      return rt::Value::Text(rt::CopyTextN(bytes, static_cast<std::int64_t>(n)));
    }
    default: {
      // Numbers and sub-pointers: the stored size's little-endian bytes,
      // as the value's low and high words.
      rt::TypeCode type = ValueTypeOf(field.type);
      int size = rt::InlineSize(type);
      if (size <= 0 || size > 8) return rt::Value{};
      std::uint8_t all[8] = {};
      std::memcpy(all, bytes, static_cast<std::size_t>(std::min(size, field.stored_size())));
      std::uint64_t raw = platform::DecodeU64(all);
      return rt::Value{static_cast<std::uint32_t>(raw), static_cast<std::uint32_t>(raw >> 32), type};
    }
  }
}

rt::Value DecodeLarge(const FieldDesc& field, const std::uint8_t* data, std::size_t n) {
  if (field.type == ftype::kBytes) return rt::Value::Pointer(rt::MakeBytes(data, static_cast<std::int64_t>(n)), rt::type::kBytes);
  std::size_t length = 0;
  while (length < n && data[length] != 0) ++length;
  return rt::Value::Text(rt::CopyTextN(data, static_cast<std::int64_t>(length)));
}

rt::Value EmptyValue(const FieldDesc& field) {
  rt::Value v;
  v.type = ValueTypeOf(field.type);
  return v;
}

}  // namespace db
