// ToInt, ToBytes and ToText, with the full-width to half-width map used by
// the numeric conversion of texts.
#include <cmath>
#include <cstring>

#include "commands/byte_buffer.h"
#include "commands/gbk.h"
#include "commands/text.h"
#include "commands/value_text.h"
#include "runtime/helpers.h"

namespace commands {
namespace {

// Full-width forms in GBK: A1A1 is the full-width space, A1AB the wave dash,
// A1EE/A1EF two stars, and row A3 holds the full-width ASCII set.
void AppendHalfWidth(const char* text, bool remove_spaces, ByteBuffer& out) {
  if (text == nullptr) return;
  for (const char* p = text; *p != '\0';) {
    if (!IsLeadByte(*p)) {
      if (!(remove_spaces && *p == ' ')) out.Push(*p);
      ++p;
      continue;
    }
    if (p[1] == '\0') break;  // a lone lead byte ends the text
    auto first = static_cast<unsigned char>(p[0]);
    auto second = static_cast<unsigned char>(p[1]);
    if (first == 0xA1 && second == 0xA1) {
      if (!remove_spaces) out.Push(' ');
    } else if (first == 0xA1 && second == 0xAB) {
      out.Push('~');
    } else if (first == 0xA1 && (second == 0xEE || second == 0xEF)) {
      out.Push('*');
    } else if (first == 0xA3 && second >= 0xA1 && second <= 0xFE) {
      out.Push(static_cast<char>(second - 0x80));
    } else {
      out.Append(p, 2);
    }
    p += 2;
  }
}

bool IsCSpace(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

// Decimal digits with wrap-around in the width of Unsigned.
template <typename Unsigned>
Unsigned ParseWrapping(const char* text) {
  if (text == nullptr) return 0;
  const char* p = text;
  while (IsCSpace(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  Unsigned value = 0;
  for (; *p >= '0' && *p <= '9'; ++p) value = static_cast<Unsigned>(value * 10u + static_cast<unsigned>(*p - '0'));
  return negative ? static_cast<Unsigned>(0u - value) : value;
}

// Truncation toward zero to 64 bits, as the processor does it: values out
// of range (and NaN) give the "integer indefinite" 0x8000000000000000.
std::int64_t TruncateToInt64(double x) {
  if (!(x > -9223372036854775808.0 && x < 9223372036854775808.0)) return INT64_MIN;
  return static_cast<std::int64_t>(x);
}

bool IsNumericArray(rt::TypeCode type) {
  return (type & rt::type::kArrayFlag) != 0 && rt::IsNumericType(type & ~rt::type::kArrayFlag);
}

// The element bytes of a numeric array value.
rt::DataView NumericArrayData(const rt::Value& value) {
  const void* block = value.pointer();
  if (block == nullptr) return rt::DataView{};
  rt::ArrayView view = rt::ArrayElements(block);
  auto size = static_cast<std::size_t>(rt::NumericSize(value.type & ~rt::type::kArrayFlag));
  return rt::DataView{view.elements, view.count * size};
}

}  // namespace

char* HalfWidthText(const char* text, bool remove_spaces) {
  ByteBuffer out;
  AppendHalfWidth(text, remove_spaces, out);
  return out.ToText();
}

std::int32_t ParseInt32(const char* text) { return static_cast<std::int32_t>(ParseWrapping<std::uint32_t>(text)); }
std::int64_t ParseInt64(const char* text) { return static_cast<std::int64_t>(ParseWrapping<std::uint64_t>(text)); }

void ToInt(rt::Value* result, std::int32_t, rt::Value* argv) {
  const rt::Value& v = argv[0];
  std::int32_t n = 0;
  switch (v.type) {
    case rt::type::kText: {
      ByteBuffer half;
      AppendHalfWidth(v.text(), false, half);
      half.Push('\0');
      n = ParseInt32(half.data());
      break;
    }
    case rt::type::kInt:
    case rt::type::kSubPtr:
    case rt::type::kInt64:
    case rt::type::kBool: n = static_cast<std::int32_t>(v.lo); break;
    case rt::type::kByte: n = static_cast<std::int32_t>(v.lo & 0xFF); break;
    case rt::type::kShort: n = static_cast<std::int16_t>(v.lo & 0xFFFF); break;
    case rt::type::kFloat: n = static_cast<std::int32_t>(TruncateToInt64(v.as_float())); break;
    case rt::type::kDouble: n = static_cast<std::int32_t>(TruncateToInt64(v.as_double())); break;
    default: break;
  }
  *result = rt::Value::Int(n);
}

void ToBytes(rt::Value* result, std::int32_t, rt::Value* argv) {
  const rt::Value& v = argv[0];
  rt::DataView data;
  if ((v.type & rt::type::kArrayFlag) != 0 && rt::TypeClass(v.type) == 1) {
    if (IsNumericArray(v.type)) data = NumericArrayData(v);
  } else if (v.type == rt::type::kText) {
    data = rt::ValueData(v);
    if (data.size > 0) --data.size;  // without the NUL
  } else {
    data = rt::ValueData(v);  // Bytes data, or the inline datum
  }
  *result = rt::Value::Pointer(rt::MakeBytes(data.data, static_cast<std::int64_t>(data.size)), rt::type::kBytes);
}

void ToText(rt::Value* result, std::int32_t, rt::Value* argv) {
  const rt::Value& v = argv[0];
  *result = rt::Value::Text(nullptr);
  rt::DataView raw;
  if (IsNumericArray(v.type)) {
    raw = NumericArrayData(v);
  } else if (v.type == rt::type::kBytes) {
    raw = rt::ValueData(v);
  } else if (v.type == rt::type::kText) {
    result->set_pointer(rt::CopyText(v.text()));
    return;
  } else {
    ByteBuffer out(32);
    if (AppendScalarText(v, out)) result->set_pointer(out.ToText());
    return;
  }
  // Byte data become text up to the first zero byte.
  if (raw.size == 0) return;
  const void* zero = std::memchr(raw.data, 0, raw.size);
  std::size_t length = zero == nullptr ? raw.size : static_cast<std::size_t>(static_cast<const char*>(zero) -
                                                                            static_cast<const char*>(raw.data));
  result->set_pointer(rt::CopyTextN(raw.data, static_cast<std::int64_t>(length)));
}

}  // namespace commands
