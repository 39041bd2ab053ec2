// GBK inside, UTF-16 at every Win32 call: conversions through code page 936,
// whatever the system's own code page is.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "platform/secret.h"

namespace platform::win32 {

inline constexpr unsigned kGbkCodePage = 936;

std::wstring WidenGbk(const std::string& gbk);
std::string NarrowToGbk(const std::wstring& wide);
std::string NarrowToGbk(const wchar_t* wide, int length);

// The GBK byte length of a UTF-16 text (the unit every byte limit uses).
int GbkLength(std::wstring_view wide);

// The same conversions for secrets: the results wipe themselves, and no
// temporary copy is made on the way.
WideSecret WidenGbkSecret(std::string_view gbk);
Secret NarrowToGbkSecret(std::wstring_view wide);

// A window's text (an edit control's content) as a secret.
WideSecret WindowTextSecret(HWND window);

// Leaves blanks of the same length in an edit control (the control's own
// buffer, which the program cannot wipe) and then empties it, before a box
// that held a password goes.
void BlankEditControl(HWND edit);

}  // namespace platform::win32
