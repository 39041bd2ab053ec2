// Modal boxes and dialogs without an owner leave no window active when they
// close on some desktops (the system picks the next window, possibly another
// program's, or none). The program's window that was active before gets the
// activation back, so typing and Esc go on where the person left off.
#pragma once

#include <windows.h>

namespace platform::win32 {

class KeepActiveWindow {
 public:
  KeepActiveWindow() : before_(::GetActiveWindow()) {}
  ~KeepActiveWindow() {
    if (before_ == nullptr || ::GetActiveWindow() != nullptr) return;
    if (::IsWindow(before_) && ::IsWindowVisible(before_) && ::IsWindowEnabled(before_)) ::SetActiveWindow(before_);
  }
  KeepActiveWindow(const KeepActiveWindow&) = delete;
  KeepActiveWindow& operator=(const KeepActiveWindow&) = delete;

 private:
  HWND before_;
};

}  // namespace platform::win32
