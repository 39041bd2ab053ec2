// The Value cell: an 8-byte payload and a 32-bit type code. Every datum that
// crosses between the application, the runtime and the commands is a Value.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace rt {

using TypeCode = std::uint32_t;

namespace type {
inline constexpr TypeCode kNone = 0;
inline constexpr TypeCode kByte = 0x80000101;
inline constexpr TypeCode kShort = 0x80000201;
inline constexpr TypeCode kInt = 0x80000301;
inline constexpr TypeCode kInt64 = 0x80000401;
inline constexpr TypeCode kFloat = 0x80000501;
inline constexpr TypeCode kDouble = 0x80000601;
inline constexpr TypeCode kBool = 0x80000002;
inline constexpr TypeCode kDateTime = 0x80000003;
inline constexpr TypeCode kText = 0x80000004;
inline constexpr TypeCode kBytes = 0x80000005;
inline constexpr TypeCode kSubPtr = 0x80000006;
inline constexpr TypeCode kStatement = 0x80000008;
inline constexpr TypeCode kArrayFlag = 0x20000000;

// Library types the application passes.
inline constexpr TypeCode kWindow = 0x00010001;
inline constexpr TypeCode kMenu = 0x00010003;
inline constexpr TypeCode kFieldInf = 0x00010022;
inline constexpr TypeCode kListView = 0x00020004;
}  // namespace type

// Valid DateTime range in days since 1899-12-30: year 100-01-01 to 9999-12-31.
inline constexpr double kMinDateTime = -657434.0;
inline constexpr double kMaxDateTime = 2958465.0;

// Three 32-bit words: payload low, payload high, type code. On 64-bit
// targets a pointer fills both payload words.
struct Value {
  std::uint32_t lo = 0;
  std::uint32_t hi = 0;
  TypeCode type = type::kNone;

  bool omitted() const { return type == type::kNone; }

  void* pointer() const {
    std::uint64_t raw = static_cast<std::uint64_t>(lo) | (static_cast<std::uint64_t>(hi) << 32);
    return reinterpret_cast<void*>(static_cast<std::uintptr_t>(raw));
  }
  void set_pointer(const void* p) {
    std::uint64_t raw = reinterpret_cast<std::uintptr_t>(p);
    lo = static_cast<std::uint32_t>(raw);
    hi = static_cast<std::uint32_t>(raw >> 32);
  }
  std::int32_t as_int() const { return static_cast<std::int32_t>(lo); }
  std::int64_t as_int64() const {
    return static_cast<std::int64_t>(static_cast<std::uint64_t>(lo) | (static_cast<std::uint64_t>(hi) << 32));
  }
  double as_double() const {
    std::uint64_t raw = static_cast<std::uint64_t>(lo) | (static_cast<std::uint64_t>(hi) << 32);
    double d;
    std::memcpy(&d, &raw, sizeof d);
    return d;
  }
  float as_float() const {
    float f;
    std::memcpy(&f, &lo, sizeof f);
    return f;
  }
  char* text() const { return static_cast<char*>(pointer()); }

  static Value Int(std::int32_t v) { return Value{static_cast<std::uint32_t>(v), 0, type::kInt}; }
  static Value Int64(std::int64_t v) {
    auto raw = static_cast<std::uint64_t>(v);
    return Value{static_cast<std::uint32_t>(raw), static_cast<std::uint32_t>(raw >> 32), type::kInt64};
  }
  static Value Bool(bool v) { return Value{v ? 1u : 0u, 0, type::kBool}; }
  static Value Double(double d, TypeCode t = type::kDouble) {
    std::uint64_t raw;
    std::memcpy(&raw, &d, sizeof raw);
    return Value{static_cast<std::uint32_t>(raw), static_cast<std::uint32_t>(raw >> 32), t};
  }
  static Value DateTime(double days) { return Double(days, type::kDateTime); }
  static Value Float(float f) {
    std::uint32_t raw;
    std::memcpy(&raw, &f, sizeof raw);
    return Value{raw, 0, type::kFloat};
  }
  static Value Pointer(const void* p, TypeCode t) {
    Value v;
    v.set_pointer(p);
    v.type = t;
    return v;
  }
  static Value Text(const char* p) { return Pointer(p, type::kText); }
};
static_assert(sizeof(Value) == 12, "a Value is three 32-bit words");

// A command: command(result, argument count, argument array).
using Command = void (*)(Value* result, std::int32_t argc, Value* argv);

// A statement argument: a piece of code run when the command needs the
// value, with the one word handed to it. The payload points to this record.
struct Statement {
  Value (*code)(std::uint32_t word);
  std::uint32_t word;
};

// Type-code classes: 0 none, 1 built-in, 2 application-declared, 3 library.
int TypeClass(TypeCode code);
bool IsNumericType(TypeCode code);
// 1, 2, 4, 8, 4, 8 for the six numeric types; 0 for every other code.
int NumericSize(TypeCode code);
// Size of an inline datum of a built-in type (numeric, Bool, DateTime,
// SubPtr); 0 for other types.
int InlineSize(TypeCode code);

// Block layouts. A Bytes block and an array block begin with the dimension
// count; the sizes follow, then the data.
struct BytesBlock {
  std::int32_t dimensions;  // always 1
  std::int32_t length;
  unsigned char data[1];
};
inline constexpr std::size_t kBytesHeader = 8;

inline const unsigned char* BytesData(const void* block) {
  return static_cast<const unsigned char*>(block) + kBytesHeader;
}
inline std::int32_t BytesLength(const void* block) {
  if (block == nullptr) return 0;
  std::int32_t n;
  std::memcpy(&n, static_cast<const unsigned char*>(block) + 4, sizeof n);
  return n;
}

}  // namespace rt
