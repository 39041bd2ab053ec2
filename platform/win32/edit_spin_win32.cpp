// An edit box's spin control on Win32: the system up-down control, placed
// beside the box and attached to it as its buddy. It never writes the box's
// number itself (no UDS_SETBUDDYINT, and every change of its position is
// refused): each press becomes a kSpin notice to the box, whose unit does
// the arithmetic. It wraps at the ends of its range, so the control always
// has a step to report.
#include <windows.h>
#include <commctrl.h>

#include <cstdint>

#include "platform/win32/gdi_support.h"
#include "platform/win32/window_system_win32.h"

namespace platform::win32 {
namespace {

constexpr int kSpinWidth = 16;  // template pixels

}  // namespace

void Win32WindowSystem::SetEditSpin(WindowHandle handle, const EditSpin& spin) {
  HWND edit = reinterpret_cast<HWND>(handle);
  Native* native = Get(edit);
  if (native == nullptr || native->kind != ControlKind::kEdit || !::IsWindow(edit)) return;
  if (!spin.present) {
    DropSpin(*native);
    return;
  }
  if (native->spin == nullptr) {
    DWORD style = WS_CHILD | WS_CLIPSIBLINGS | UDS_WRAP | UDS_NOTHOUSANDS;
    const auto edit_style = static_cast<DWORD>(::GetWindowLongPtrW(edit, GWL_STYLE));
    if ((edit_style & WS_VISIBLE) != 0) style |= WS_VISIBLE;
    if ((edit_style & WS_DISABLED) != 0) style |= WS_DISABLED;
    HWND made = ::CreateWindowExW(0, UPDOWN_CLASSW, L"", style, 0, 0, 0, 0, ::GetParent(edit), nullptr,
                                  ::GetModuleHandleW(nullptr), nullptr);
    if (made == nullptr) return;
    native = Get(edit);  // creation reports to the parent, whose handlers may have run
    if (native == nullptr) {
      ::DestroyWindow(made);
      return;
    }
    ::SendMessageW(made, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
    native->spin = made;
    spin_boxes_[made] = edit;
    PlaceSpin(*native);
    ::SetWindowPos(made, edit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);  // next to the box in tab order
  }
  ::SendMessageW(native->spin, UDM_SETRANGE32, static_cast<WPARAM>(spin.low), static_cast<LPARAM>(spin.high));
  const auto middle = static_cast<int>((static_cast<std::int64_t>(spin.low) + spin.high) / 2);
  ::SendMessageW(native->spin, UDM_SETPOS32, 0, static_cast<LPARAM>(middle));
}

void Win32WindowSystem::PlaceSpin(const Native& native) {
  if (native.spin == nullptr) return;
  const Rect& box = native.layout;
  const int dpi = native.dpi;
  ::SetWindowPos(native.spin, nullptr, ScaleToDpi(box.left + box.width, dpi), ScaleToDpi(box.top, dpi),
                 ScaleToDpi(kSpinWidth, dpi), ScaleToDpi(box.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
}

void Win32WindowSystem::DropSpin(Native& native) {
  HWND spin = native.spin;
  if (spin == nullptr) return;
  native.spin = nullptr;
  spin_boxes_.erase(spin);
  if (::IsWindow(spin)) ::DestroyWindow(spin);
}

bool Win32WindowSystem::SpinNotification(const NMHDR& header, LPARAM lparam, LRESULT* result) {
  if (header.code != UDN_DELTAPOS) return false;
  auto it = spin_boxes_.find(header.hwndFrom);
  if (it == spin_boxes_.end()) return false;
  const int delta = reinterpret_cast<const NMUPDOWN*>(lparam)->iDelta;
  // Posted: the box's handlers run once the control has finished with the
  // press, so they may destroy the box and the control with it.
  if (delta != 0)
    PostMessage(Message{Notice::kSpin, reinterpret_cast<WindowHandle>(it->second), delta > 0 ? 1 : -1, 0});
  *result = TRUE;  // the control keeps its position
  return true;
}

}  // namespace platform::win32
