#include "app/ini_values.h"

namespace app {

std::int32_t ParseWholeNumber(const char* text, std::int32_t largest, std::int32_t fallback) {
  if (text == nullptr || *text == '\0') return fallback;
  std::int32_t value = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return fallback;
    value = value * 10 + (*p - '0');
    if (value > largest) return fallback;  // before it could overflow
  }
  return value;
}

}  // namespace app
