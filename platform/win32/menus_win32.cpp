// Menu bars and popup menus from the seam's menu entries.
#include "platform/win32/gdi_support.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_system_win32.h"

namespace platform::win32 {
namespace {

void AppendEntries(HMENU menu, const std::vector<MenuEntry>& entries) {
  for (const MenuEntry& entry : entries) {
    std::wstring caption = WidenGbk(entry.caption);
    if (!entry.children.empty()) {
      HMENU sub = ::CreatePopupMenu();
      AppendEntries(sub, entry.children);
      ::AppendMenuW(menu, MF_POPUP | MF_STRING | (entry.greyed ? MF_GRAYED : 0u), reinterpret_cast<UINT_PTR>(sub),
                    caption.c_str());
    } else if (entry.caption == "-") {
      ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      UINT flags = MF_STRING | (entry.checked ? MF_CHECKED : 0u) | (entry.greyed ? MF_GRAYED : 0u);
      ::AppendMenuW(menu, flags, static_cast<UINT_PTR>(entry.command), caption.c_str());
    }
  }
}

}  // namespace

MenuHandle Win32WindowSystem::CreateMenuBar(const std::vector<MenuEntry>& entries) {
  HMENU menu = ::CreateMenu();
  if (menu != nullptr) AppendEntries(menu, entries);
  return reinterpret_cast<MenuHandle>(menu);
}

void Win32WindowSystem::SetMenuBar(WindowHandle handle, MenuHandle menu) {
  HWND frame = reinterpret_cast<HWND>(handle);
  const Native* native = Find(frame);
  if (native == nullptr || native->kind != ControlKind::kFrame) return;
  // The outer size stays what the template says; the client area gives way.
  RECT r{};
  ::GetWindowRect(frame, &r);
  ::SetMenu(frame, reinterpret_cast<HMENU>(menu));
  ::SetWindowPos(frame, nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  ::DrawMenuBar(frame);
}

void Win32WindowSystem::DestroyMenu(MenuHandle menu) {
  HMENU handle = reinterpret_cast<HMENU>(menu);
  if (handle != nullptr && ::IsMenu(handle)) ::DestroyMenu(handle);
}

int Win32WindowSystem::TrackPopupMenu(WindowHandle owner, const std::vector<MenuEntry>& entries, int x, int y) {
  HWND window = reinterpret_cast<HWND>(owner);
  if (!::IsWindow(window) || entries.empty()) return 0;
  HMENU popup = ::CreatePopupMenu();
  if (popup == nullptr) return 0;
  AppendEntries(popup, entries);
  // The owner must be in the foreground, or the menu would not close when
  // the person clicks elsewhere.
  ::SetForegroundWindow(window);
  BOOL command = ::TrackPopupMenuEx(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                                    ScaleToScreen(x), ScaleToScreen(y), window, nullptr);
  ::PostMessageW(window, WM_NULL, 0, 0);
  ::DestroyMenu(popup);
  return static_cast<int>(command);
}

}  // namespace platform::win32
