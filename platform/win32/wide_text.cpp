#include "platform/win32/wide_text.h"

#include <windows.h>

namespace platform::win32 {

std::wstring WidenGbk(const std::string& gbk) {
  if (gbk.empty()) return std::wstring();
  int n = ::MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
  return out;
}

std::string NarrowToGbk(const wchar_t* wide, int length) {
  if (wide == nullptr || length <= 0) return std::string();
  int n = ::WideCharToMultiByte(kGbkCodePage, 0, wide, length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(kGbkCodePage, 0, wide, length, out.data(), n, nullptr, nullptr);
  return out;
}

std::string NarrowToGbk(const std::wstring& wide) { return NarrowToGbk(wide.data(), static_cast<int>(wide.size())); }


WideSecret WidenGbkSecret(std::string_view gbk) {
  WideSecret out;
  if (gbk.empty()) return out;
  int n = ::MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  if (n <= 0) return out;
  out.Resize(static_cast<std::size_t>(n));
  ::MultiByteToWideChar(kGbkCodePage, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
  return out;
}

Secret NarrowToGbkSecret(std::wstring_view wide) {
  Secret out;
  if (wide.empty()) return out;
  int length = static_cast<int>(wide.size());
  int n = ::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return out;
  out.Resize(static_cast<std::size_t>(n));
  ::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), length, out.data(), n, nullptr, nullptr);
  return out;
}

int GbkLength(std::wstring_view wide) {
  if (wide.empty()) return 0;
  return ::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
}

WideSecret WindowTextSecret(HWND window) {
  WideSecret text;
  int length = ::GetWindowTextLengthW(window);
  if (length <= 0) return text;
  text.Resize(static_cast<std::size_t>(length) + 1);
  int got = ::GetWindowTextW(window, text.data(), length + 1);
  text.Resize(static_cast<std::size_t>(got > 0 ? got : 0));
  return text;
}

void BlankEditControl(HWND edit) {
  int length = edit != nullptr ? ::GetWindowTextLengthW(edit) : 0;
  if (length <= 0) return;
  ::SetWindowTextW(edit, std::wstring(static_cast<std::size_t>(length), L' ').c_str());
  ::SetWindowTextW(edit, L"");
}

}  // namespace platform::win32
