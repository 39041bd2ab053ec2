// Reading the optional values of user.ini, which the notebook never writes:
// a value it cannot use counts as the default, so a mistyped setting never
// stops the notebook.
#pragma once

#include <cstdint>

namespace app {

// `text` as a whole number from 0 to `largest` (decimal digits only);
// `fallback` for anything else, and for an empty or missing text.
std::int32_t ParseWholeNumber(const char* text, std::int32_t largest, std::int32_t fallback);

}  // namespace app
