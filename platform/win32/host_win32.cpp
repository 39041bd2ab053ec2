#include <windows.h>

#include "platform/host.h"
#include "platform/system.h"

namespace platform {
namespace {

std::wstring WidenGbk(const std::string& gbk) {
  if (gbk.empty()) return std::wstring();
  int n = ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), out.data(), n);
  return out;
}

class Win32Host final : public Host {
 public:
  BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                           std::uint32_t flags, WindowHandle owner) override {
    int answer = ::MessageBoxW(reinterpret_cast<HWND>(owner), WidenGbk(text).c_str(),
                               WidenGbk(caption).c_str(), flags);
    return answer == 0 ? BoxAnswer::kCancel : static_cast<BoxAnswer>(answer);
  }

  [[noreturn]] void EndProcess(int code) override { ::ExitProcess(static_cast<UINT>(code)); }

  std::uint32_t TickCount() override { return ::GetTickCount(); }
};

}  // namespace

Host& NativeHost() {
  static Win32Host host;
  return host;
}

}  // namespace platform
