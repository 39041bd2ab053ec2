#include "db/codec.h"

#include <cmath>
#include <cstring>

#include "db/errors.h"
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

void StoreLow(std::int64_t v, unsigned char* out, int size) {
  auto raw = static_cast<std::uint64_t>(v);
  for (int i = 0; i < size; ++i) out[i] = static_cast<unsigned char>(raw >> (8 * i));
}

void EncodeNumeric(rt::TypeCode to, const rt::Value& v, unsigned char* out) {
  int size = rt::NumericSize(to);
  if (to == rt::type::kFloat || to == rt::type::kDouble) {
    double d = IsFloating(v.type) ? FloatingOf(v) : static_cast<double>(IntegerOf(v));
    if (to == rt::type::kFloat) {
      // Integers go straight to the nearest float, not through double.
      float f = IsFloating(v.type) ? static_cast<float>(d) : static_cast<float>(IntegerOf(v));
      std::memcpy(out, &f, 4);
    } else {
      std::memcpy(out, &d, 8);
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

void EncodeFixed(const FieldDesc& field, const rt::Value& value, unsigned char* out) {
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
    case ftype::kDateTime: {
      double d = value.as_double();
      std::memcpy(out, &d, 8);
      return;
    }
    case ftype::kSubPtr: std::memcpy(out, &value.lo, 4); return;
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

rt::Value DecodeFixed(const FieldDesc& field, const unsigned char* bytes) {
  switch (field.type) {
    case ftype::kBool: return rt::Value::Bool(bytes[0] != 0);
    case ftype::kDateTime: {
      double d;
      std::memcpy(&d, bytes, 8);
      return rt::Value::DateTime(ClampDateTime(d));
    }
    case ftype::kText: {
      std::size_t n = 0;
      while (n < static_cast<std::size_t>(field.text_size) && bytes[n] != 0) ++n;
      return rt::Value::Text(rt::CopyTextN(bytes, static_cast<std::int64_t>(n)));
    }
    default: {
      rt::Value out;
      rt::ValueFromRaw(ValueTypeOf(field.type), bytes, field.stored_size(), &out);
      return out;
    }
  }
}

rt::Value DecodeLarge(const FieldDesc& field, const unsigned char* data, std::size_t n) {
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
