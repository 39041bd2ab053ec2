// GBK inside, UTF-16 at every Win32 call: conversions through code page 936,
// whatever the system's own code page is.
#pragma once

#include <string>

namespace platform::win32 {

inline constexpr unsigned kGbkCodePage = 936;

std::wstring WidenGbk(const std::string& gbk);
std::string NarrowToGbk(const std::wstring& wide);
std::string NarrowToGbk(const wchar_t* wide, int length);

// The GBK byte length of a UTF-16 text (the unit every byte limit uses).
int GbkLength(const std::wstring& wide);

// Overwrites a text's characters before its memory goes back.
void WipeWide(std::wstring* text);
void WipeNarrow(std::string* text);

}  // namespace platform::win32
