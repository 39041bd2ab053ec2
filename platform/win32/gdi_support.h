// Screen scale and fonts for the Win32 window system. Geometry crosses the
// seam in the template's pixels (96 dots per inch); the system scales it to
// the screen's dots per inch, so properties read back what was written.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

int ScreenDpi();
int ScaleToScreen(int template_pixels);
int ScaleFromScreen(int screen_pixels);

// A font made from the 60-byte font description (height, width, escapement,
// orientation, weight, italic, underline, strike-out, character set, output
// and clip precision, quality, pitch, 32-byte face name, GBK). A face that is
// not installed gives way to the default GUI font's face; a face that cannot
// show Chinese gives way to one that can. Null when the description is
// empty or malformed (the caller then uses DefaultGuiFont()).
HFONT CreateDescribedFont(const std::string& description);

// The default GUI font at 9 points on this screen, able to show Chinese.
// Shared: never delete it.
HFONT DefaultGuiFont();

// The system's arrow cursor.
HCURSOR ArrowCursor();

// Whether a font family of this face is installed.
bool FaceInstalled(const std::wstring& face);

}  // namespace platform::win32
