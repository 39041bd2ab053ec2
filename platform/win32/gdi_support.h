// Screen scale and fonts for the Win32 window system. Geometry crosses the
// seam in the template's pixels (96 dots per inch); the system scales it to
// the dots per inch of the monitor each window is on, so properties read
// back what was written.
#pragma once

#include <windows.h>

#include <string>

namespace platform::win32 {

// The system's dots per inch (the primary monitor's when the process is
// aware of DPI; 96 when it is not).
int ScreenDpi();
// The dots per inch of the monitor a window is on, under per-monitor
// awareness; the system's where Windows cannot tell (before Windows 10
// 1607, or a process not aware of monitors).
int WindowDpi(HWND window);

int ScaleToDpi(int template_pixels, int dpi);
int ScaleFromDpi(int pixels, int dpi);
// At the system's dots per inch: screen-wide positions (the cursor, a popup
// menu, the screen's size).
int ScaleToScreen(int template_pixels);
int ScaleFromScreen(int screen_pixels);

// A font made from the 60-byte font description (height, width, escapement,
// orientation, weight, italic, underline, strike-out, character set, output
// and clip precision, quality, pitch, 32-byte face name, GBK). A face that is
// not installed gives way to the default GUI font's face; a face that cannot
// show Chinese gives way to one that can. Its height and width are the
// template's pixels scaled to `dpi`. Null when the description is empty or
// malformed (the caller then uses DefaultGuiFont(dpi)).
HFONT CreateDescribedFont(const std::string& description, int dpi);

// The default GUI font at 9 points at `dpi`, able to show Chinese. Shared
// (one per DPI seen): never delete it.
HFONT DefaultGuiFont(int dpi);

// The system's arrow cursor.
HCURSOR ArrowCursor();

// Whether a font family of this face is installed.
bool FaceInstalled(const std::wstring& face);

}  // namespace platform::win32
