#include "platform/win32/listener_win32.h"

#include <windows.h>
#include <wtsapi32.h>

namespace platform::win32 {
namespace {

HostListener* g_listener = nullptr;
HHOOK g_hook = nullptr;
UINT_PTR g_timer = 0;
HWND g_session_window = nullptr;
POINT g_pointer{-1, -1};  // where the last mouse move was, screen coordinates

constexpr wchar_t kSessionWindowClass[] = L"QuillkeepSessionWatch";

bool IsInput(const MSG& message) {
  switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_CHAR:
    case WM_SYSCHAR:
    case WM_IME_CHAR:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_XBUTTONDOWN:
    case WM_NCLBUTTONDOWN:
    case WM_NCRBUTTONDOWN:
    case WM_NCMBUTTONDOWN:
    case WM_NCXBUTTONDOWN:
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
      return true;
    case WM_MOUSEMOVE:
    case WM_NCMOUSEMOVE: {
      // Windows makes up moves when a window appears under a still pointer:
      // only a pointer that moved is a person's input.
      bool moved = message.pt.x != g_pointer.x || message.pt.y != g_pointer.y;
      g_pointer = message.pt;
      return moved;
    }
    default:
      return false;
  }
}

LRESULT CALLBACK MessageHook(int code, WPARAM removal, LPARAM message) {
  // A message only looked at (PM_NOREMOVE) comes back when it is taken.
  if (code == HC_ACTION && removal == PM_REMOVE && g_listener != nullptr &&
      IsInput(*reinterpret_cast<const MSG*>(message)))
    g_listener->OnInput();
  return ::CallNextHookEx(g_hook, code, removal, message);
}

void CALLBACK BeatProc(HWND, UINT, UINT_PTR, DWORD) {
  if (g_listener != nullptr) g_listener->OnTick();
}

LRESULT CALLBACK SessionWindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_WTSSESSION_CHANGE) {
    if (w == WTS_SESSION_LOCK && g_listener != nullptr) g_listener->OnSessionLocked();
    return 0;
  }
  return ::DefWindowProcW(window, message, w, l);
}

HWND MakeSessionWindow() {
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = SessionWindowProc;
  type.hInstance = instance;
  type.lpszClassName = kSessionWindowClass;
  ::RegisterClassExW(&type);  // fails harmlessly when registered before
  // A top-level window (never shown): message-only windows get no session
  // notices.
  HWND window = ::CreateWindowExW(WS_EX_TOOLWINDOW, kSessionWindowClass, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, nullptr);
  if (window != nullptr && !::WTSRegisterSessionNotification(window, NOTIFY_FOR_THIS_SESSION)) {
    // No session notices (a system without the service): nothing to hear.
    ::DestroyWindow(window);
    return nullptr;
  }
  return window;
}

void Stop() {
  if (g_hook != nullptr) ::UnhookWindowsHookEx(g_hook);
  if (g_timer != 0) ::KillTimer(nullptr, g_timer);
  if (g_session_window != nullptr) {
    ::WTSUnRegisterSessionNotification(g_session_window);
    ::DestroyWindow(g_session_window);
  }
  g_hook = nullptr;
  g_timer = 0;
  g_session_window = nullptr;
  g_listener = nullptr;
}

}  // namespace

void StartListenerReports(HostListener* listener, std::uint32_t tick_ms) {
  Stop();
  if (listener == nullptr) return;
  g_listener = listener;
  g_hook = ::SetWindowsHookExW(WH_GETMESSAGE, MessageHook, nullptr, ::GetCurrentThreadId());
  if (tick_ms != 0) g_timer = ::SetTimer(nullptr, 0, tick_ms, BeatProc);
  g_session_window = MakeSessionWindow();
}

HWND SessionWatchWindow() { return g_session_window; }

}  // namespace platform::win32
