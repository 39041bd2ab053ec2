#include "runtime/value.h"

namespace rt {

int TypeClass(TypeCode code) {
  if (code == 0) return 0;
  if (code >= 0x80000000u && code < 0xC0000000u) return 1;
  if (code >= 0x40000000u && code < 0x80000000u) return 2;
  return 3;
}

bool IsNumericType(TypeCode code) {
  return code >= type::kByte && code <= type::kDouble && (code & 0xFF) == 0x01 &&
         ((code - 0x80000001u) % 0x100u) == 0;
}

int NumericSize(TypeCode code) {
  switch (code) {
    case type::kByte: return 1;
    case type::kShort: return 2;
    case type::kInt: return 4;
    case type::kInt64: return 8;
    case type::kFloat: return 4;
    case type::kDouble: return 8;
    default: return 0;
  }
}

int InlineSize(TypeCode code) {
  if (IsNumericType(code)) return NumericSize(code);
  switch (code) {
    case type::kBool:
    case type::kSubPtr: return 4;
    case type::kDateTime: return 8;
    default: return 0;
  }
}

}  // namespace rt
