#include <windows.h>

#include <vector>

#include "platform/system.h"

namespace platform {

void* HeapAllocate(std::size_t bytes) { return ::HeapAlloc(::GetProcessHeap(), 0, bytes == 0 ? 1 : bytes); }
void HeapRelease(void* block) {
  if (block != nullptr) ::HeapFree(::GetProcessHeap(), 0, block);
}
std::size_t HeapBlockSize(void* block) {
  if (block == nullptr) return 0;
  SIZE_T size = ::HeapSize(::GetProcessHeap(), 0, block);
  return size == static_cast<SIZE_T>(-1) ? 0 : size;
}

namespace {
std::wstring Widen(const std::string& gbk) {
  if (gbk.empty()) return std::wstring();
  int n = ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
  return out;
}
std::string Narrow(const std::wstring& wide, unsigned code_page) {
  if (wide.empty()) return std::string();
  int n = ::WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                nullptr, nullptr);
  std::string out(static_cast<std::size_t>(n), '\0');
  ::WideCharToMultiByte(code_page, 0, wide.data(), static_cast<int>(wide.size()), out.data(), n,
                        nullptr, nullptr);
  return out;
}
std::wstring WidenUtf8(const std::string& utf8) {
  if (utf8.empty()) return std::wstring();
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}
}  // namespace

std::string ExecutablePath() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    DWORD n = ::GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (n == 0) return std::string();
    if (n < buffer.size()) return Narrow(std::wstring(buffer.data(), n), 936);
    buffer.resize(buffer.size() * 2);
  }
}

std::string CurrentDirectory() {
  DWORD n = ::GetCurrentDirectoryW(0, nullptr);
  std::vector<wchar_t> buffer(n + 1);
  n = ::GetCurrentDirectoryW(static_cast<DWORD>(buffer.size()), buffer.data());
  return Narrow(std::wstring(buffer.data(), n), 936);
}

bool ChangeDirectory(const std::string& path_gbk) {
  return ::SetCurrentDirectoryW(Widen(path_gbk).c_str()) != 0;
}

std::uint32_t CurrentThreadId() { return ::GetCurrentThreadId(); }
void SleepMilliseconds(std::uint32_t ms) { ::Sleep(ms); }
std::uint32_t MonotonicTickCount() { return ::GetTickCount(); }

std::string GbkToUtf8(const std::string& gbk) { return Narrow(Widen(gbk), CP_UTF8); }
std::string Utf8ToGbk(const std::string& utf8) { return Narrow(WidenUtf8(utf8), 936); }

}  // namespace platform
