// Reading a unit's property as the text a person (or a scenario script)
// compares with, without the fatal errors of the property service: a unit
// that is not there gives nothing.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ui {

// Integers in decimal, logical values as "true" or "false", texts in UTF-8,
// 8-byte values with up to 15 significant digits, binary data in lower-case
// hexadecimal. Nothing when the window is not in the registry, the unit is
// not in its table, or a unit-specific property's unit is not created.
std::optional<std::string> PropertyText(std::uint32_t window, std::uint32_t unit, int index);

}  // namespace ui
