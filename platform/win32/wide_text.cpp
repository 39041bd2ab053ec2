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

int GbkLength(const std::wstring& wide) {
  if (wide.empty()) return 0;
  return ::WideCharToMultiByte(kGbkCodePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
}

void WipeWide(std::wstring* text) {
  if (!text->empty()) ::SecureZeroMemory(text->data(), text->size() * sizeof(wchar_t));
  text->clear();
}

void WipeNarrow(std::string* text) {
  if (!text->empty()) ::SecureZeroMemory(text->data(), text->size());
  text->clear();
}

}  // namespace platform::win32
