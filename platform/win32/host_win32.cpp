#include <windows.h>
#include <ole2.h>
#include <shellapi.h>

#include <cstring>

#include "platform/host.h"
#include "platform/system.h"
#include "platform/win32/clipboard_win32.h"
#include "platform/win32/input_box_win32.h"
#include "platform/win32/keep_active.h"
#include "platform/win32/listener_win32.h"
#include "platform/win32/password_dialog_win32.h"
#include "platform/win32/wide_text.h"

namespace platform {
namespace {

class Win32Host final : public Host {
 public:
  BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                           std::uint32_t flags, WindowHandle owner) override {
    win32::KeepActiveWindow keep_active;
    int answer = ::MessageBoxW(reinterpret_cast<HWND>(owner), win32::WidenGbk(text).c_str(),
                               win32::WidenGbk(caption).c_str(), flags);
    return answer == 0 ? BoxAnswer::kCancel : static_cast<BoxAnswer>(answer);
  }

  [[noreturn]] void EndProcess(int code) override { ::ExitProcess(static_cast<UINT>(code)); }

  std::uint32_t TickCount() override { return ::GetTickCount(); }

  BoxAnswer ShowPasswordDialog(const PasswordDialogTexts& texts, Secret* typed) override {
    win32::KeepActiveWindow keep_active;
    return win32::RunPasswordDialog(texts, typed);
  }

  BoxAnswer ShowInputBox(const InputBoxRequest& request, Secret* entered) override {
    win32::KeepActiveWindow keep_active;
    return win32::RunInputBox(request, entered);
  }

  // Marked private (out of clipboard history and the cloud clipboard).
  bool SetClipboardText(const std::string& text) override { return win32::PutPrivateClipboardText(text); }
  bool ClearClipboardIfOurs() override { return win32::ClearClipboardIfUnchanged(); }
  void ScheduleClipboardClear(std::uint32_t seconds) override { win32::ScheduleClipboardClearing(seconds); }
  void SetListener(HostListener* listener, std::uint32_t tick_ms) override {
    win32::StartListenerReports(listener, tick_ms);
  }

  bool OpenWebAddress(const std::string& address) override {
    // A browser window of this exact title, when there is one, owns the request.
    HWND owner = ::FindWindowW(nullptr, L"Microsoft Internet Explorer");
    HINSTANCE started = ::ShellExecuteW(owner, L"open", win32::WidenGbk(address).c_str(), nullptr, nullptr, SW_SHOWNORMAL);
    return reinterpret_cast<INT_PTR>(started) > 32;
  }

  // S_FALSE (already initialised on this thread) is owed an uninitialise too.
  bool InitialiseOle() override { return SUCCEEDED(::OleInitialize(nullptr)); }
  void UninitialiseOle() override { ::OleUninitialize(); }

  LocalTime LocalNow() override {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return LocalTime{now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond};
  }
};

}  // namespace

Host& NativeHost() {
  static Win32Host host;
  return host;
}

}  // namespace platform
