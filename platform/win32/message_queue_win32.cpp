// The message queue behind the seam. Native messages are handed to the
// runtime wrapped (so it can look at key presses first) and dispatched
// unchanged; seam messages the runtime posts travel as a private window
// message, so that a foreign modal loop (a message box, a popup menu)
// delivers them too.
#include "platform/win32/window_system_win32.h"

namespace platform::win32 {
namespace {

constexpr std::intptr_t kNativeMessage = 0x4E415449;  // a: the message is a wrapped native one, b: its serial
constexpr std::size_t kMaxUndispatched = 256;

int Modifiers() {
  int modifiers = 0;
  if (::GetKeyState(VK_CONTROL) < 0) modifiers |= key::kCtrl;
  if (::GetKeyState(VK_SHIFT) < 0) modifiers |= key::kShift;
  if (::GetKeyState(VK_MENU) < 0) modifiers |= key::kAlt;
  return modifiers;
}

}  // namespace

bool Win32WindowSystem::WrapNative(const MSG& msg, Message* message) {
  if (msg.message == kPostedNotice) {
    auto it = posted_.find(static_cast<std::intptr_t>(msg.wParam));
    if (it == posted_.end()) return false;
    *message = it->second;
    posted_.erase(it);
    return true;
  }
  if (msg.message == WM_KEYDOWN && Find(msg.hwnd) != nullptr) {
    // Keys for our windows are seen by the runtime's keyboard handling first.
    last_key_ = msg;
    *message = Message{Notice::kKeyDown, reinterpret_cast<WindowHandle>(msg.hwnd), static_cast<std::intptr_t>(msg.wParam),
                       Modifiers()};
    return true;
  }
  std::intptr_t serial = next_serial_++;
  fetched_[serial] = msg;
  // Messages the runtime took but never dispatched (it handled the key
  // itself) must not pile up.
  while (fetched_.size() > kMaxUndispatched) fetched_.erase(fetched_.begin());
  *message = Message{Notice::kPosted, reinterpret_cast<WindowHandle>(msg.hwnd), kNativeMessage, serial};
  return true;
}

bool Win32WindowSystem::GetMessage(Message* message, void (*idle)(void*), void* context) {
  for (;;) {
    MSG msg{};
    if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (idle != nullptr) idle(context);
      if (idle_hook_ != nullptr && !::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE)) idle_hook_(idle_context_);
      if (!::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        BOOL got = ::GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) return false;
        if (got == 0) {
          quit_code_ = static_cast<int>(msg.wParam);
          return false;
        }
      }
    }
    if (msg.message == WM_QUIT) {
      quit_code_ = static_cast<int>(msg.wParam);
      return false;
    }
    if (WrapNative(msg, message)) return true;
  }
}

bool Win32WindowSystem::PeekMessage(Message* message, bool* quit) {
  MSG msg{};
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      quit_code_ = static_cast<int>(msg.wParam);
      if (quit != nullptr) *quit = true;
      return false;
    }
    if (WrapNative(msg, message)) return true;
  }
  return false;
}

void Win32WindowSystem::DispatchMessage(const Message& message) {
  if (message.notice == Notice::kPosted && message.a == kNativeMessage) {
    auto it = fetched_.find(message.b);
    if (it == fetched_.end()) return;
    MSG msg = it->second;
    fetched_.erase(it);
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return;
  }
  if (message.notice == Notice::kKeyDown && last_key_.hwnd == reinterpret_cast<HWND>(message.window) &&
      static_cast<std::intptr_t>(last_key_.wParam) == message.a) {
    MSG msg = last_key_;
    last_key_ = MSG{};
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
    return;
  }
  if (IsWindow(message.window)) Notify(message.notice, reinterpret_cast<HWND>(message.window), message.a, message.b);
}

void Win32WindowSystem::PostMessage(const Message& message) {
  HWND target = reinterpret_cast<HWND>(message.window);
  if (!IsWindow(message.window)) return;
  std::intptr_t serial = next_serial_++;
  posted_[serial] = message;
  if (!::PostMessageW(target, kPostedNotice, static_cast<WPARAM>(serial), 0)) posted_.erase(serial);
}

void Win32WindowSystem::DeliverPosted(std::intptr_t serial) {
  auto it = posted_.find(serial);
  if (it == posted_.end()) return;
  Message message = it->second;
  posted_.erase(it);
  if (IsWindow(message.window)) Notify(message.notice, reinterpret_cast<HWND>(message.window), message.a, message.b);
}

void Win32WindowSystem::PostQuit(int code) { ::PostQuitMessage(code); }

}  // namespace platform::win32
