// The label class "_VL_Label": a window that paints its caption itself, with
// the label's font, colours, alignment, word wrap and text effect, and shows
// "&" as it is.
#pragma once

#include <windows.h>

namespace platform::win32 {

inline constexpr const wchar_t* kLabelClass = L"_VL_Label";

// Registers the class (arrow cursor, no background brush, redrawn when
// resized); harmless when it is registered already.
void RegisterLabelClass();

}  // namespace platform::win32
