// The 60-byte font description of font properties: height, width,
// escapement, orientation, weight (i32 each), italic, underline, strike-out,
// character set, output precision, clip precision, quality, pitch (bytes),
// and a 32-byte face name.
#pragma once

#include <cstdint>
#include <string>

#include "runtime/value.h"

namespace ui {

inline constexpr std::size_t kFontSize = 60;

// The system's default GUI font ("宋体", 9 points) when a unit has none.
std::string DefaultFontData();

// Sub-indexes: 0 angle, 1 bold, 2 italic, 3 strike-out, 4 underline, 5 size
// in points, 6 face name; -1 the whole description as Bytes.
rt::Value ReadFontPart(const std::string& font, std::int32_t sub_index);
// Returns the description with one part replaced. The angle is taken modulo
// 3600; a face name that is empty or too long for its field becomes "宋体".
std::string WriteFontPart(const std::string& font, std::int32_t sub_index, std::uint32_t lo, std::uint32_t hi);

}  // namespace ui
