// Frames, the hidden owner, geometry, visibility, focus and activation, and
// the window procedures that turn Win32 messages into seam notices.
#include "platform/win32/window_system_win32.h"

#include <windows.h>
#include <commctrl.h>

#include <cwchar>
#include <vector>

#include "platform/win32/clipboard_win32.h"
#include "platform/win32/gdi_support.h"
#include "platform/win32/label_win32.h"
#include "platform/win32/wide_text.h"

namespace platform::win32 {
namespace {

Win32WindowSystem* g_instance = nullptr;

LRESULT CALLBACK StaticFrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (g_instance == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
  return g_instance->FrameProc(window, message, wparam, lparam);
}

LRESULT CALLBACK StaticControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
  if (g_instance == nullptr) return ::DefSubclassProc(window, message, wparam, lparam);
  return g_instance->ControlProc(window, message, wparam, lparam);
}

// Registers a frame class on first use: arrow cursor, no background brush
// (the frame paints its own background), the program's icon.
bool RegisterFrameClass(const std::wstring& name) {
  WNDCLASSEXW existing{};
  existing.cbSize = sizeof existing;
  HINSTANCE instance = ::GetModuleHandleW(nullptr);
  if (::GetClassInfoExW(instance, name.c_str(), &existing)) return true;
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = StaticFrameProc;
  wc.hInstance = instance;
  wc.hCursor = ArrowCursor();
  wc.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
  wc.lpszClassName = name.c_str();
  return ::RegisterClassExW(&wc) != 0;
}

struct FrameBits {
  DWORD style = 0;
  DWORD ex_style = 0;
};

FrameBits FrameStyleBits(const FrameStyle& frame) {
  FrameBits bits;
  bits.style = WS_POPUP | WS_CLIPCHILDREN;
  if (frame.framed) {
    if (frame.title_bar) bits.style |= WS_CAPTION;
    if (frame.sizing) bits.style |= WS_THICKFRAME;
    else if (!frame.title_bar) bits.style |= WS_DLGFRAME;
    if (frame.system_menu && frame.title_bar) bits.style |= WS_SYSMENU;
    if (frame.maximize_box) bits.style |= WS_MAXIMIZEBOX;
    if (frame.minimize_box) bits.style |= WS_MINIMIZEBOX;
    if (frame.tool_window) bits.ex_style |= WS_EX_TOOLWINDOW;
    if (frame.sunken_client) bits.ex_style |= WS_EX_CLIENTEDGE;
  }
  if (frame.topmost) bits.ex_style |= WS_EX_TOPMOST;
  return bits;
}

void RemoveMoveCommand(HWND frame, bool movable) {
  if (movable) {
    ::GetSystemMenu(frame, TRUE);  // back to the standard system menu
  } else if (HMENU menu = ::GetSystemMenu(frame, FALSE)) {
    ::DeleteMenu(menu, SC_MOVE, MF_BYCOMMAND);
  }
}

RECT WorkArea() {
  RECT area{0, 0, ::GetSystemMetrics(SM_CXSCREEN), ::GetSystemMetrics(SM_CYSCREEN)};
  ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
  return area;
}

}  // namespace

Win32WindowSystem* Win32WindowSystem::Instance() { return g_instance; }

Win32WindowSystem& NativeWindowSystem() {
  static Win32WindowSystem system;
  return system;
}

Win32WindowSystem::Win32WindowSystem() {
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_LISTVIEW_CLASSES | ICC_STANDARD_CLASSES | ICC_UPDOWN_CLASS};
  ::InitCommonControlsEx(&controls);
  RegisterLabelClass();
  g_instance = this;
}

Win32WindowSystem::~Win32WindowSystem() {
  if (g_instance == this) g_instance = nullptr;
}

Win32WindowSystem::Native* Win32WindowSystem::Get(HWND window) {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

const Win32WindowSystem::Native* Win32WindowSystem::Find(HWND window) const {
  auto it = windows_.find(window);
  return it == windows_.end() ? nullptr : &it->second;
}

void Win32WindowSystem::Notify(Notice notice, HWND window, std::intptr_t a, std::intptr_t b) {
  if (listener_ != nullptr) listener_->OnNotice(Message{notice, reinterpret_cast<WindowHandle>(window), a, b});
}

bool Win32WindowSystem::Ask(Notice notice, HWND window, std::intptr_t a, const std::string* text) {
  bool refused = false;
  if (listener_ != nullptr)
    listener_->OnNotice(Message{notice, reinterpret_cast<WindowHandle>(window), a, 0, text, &refused});
  return refused;
}

void Win32WindowSystem::Forget(HWND window) {
  auto it = windows_.find(window);
  if (it == windows_.end()) return;
  Native native = it->second;
  windows_.erase(it);
  kept_cells_.erase(window);
  spin_boxes_.erase(native.spin);  // gone with the frame, or destroyed before the box
  if (native.kind == ControlKind::kHidden) SetClipboardOwnerWindow(nullptr);
  if (native.font != nullptr) ::DeleteObject(native.font);
  if (native.background != nullptr) ::DeleteObject(native.background);
  Notify(Notice::kDestroyed, window);
}

// ---------------------------------------------------------------- creation

WindowHandle Win32WindowSystem::Create(const CreateParams& params) {
  HWND made = nullptr;
  switch (params.kind) {
    case ControlKind::kFrame: made = CreateFrame(params); break;
    case ControlKind::kHidden: made = CreateHiddenOwner(params); break;
    default: made = CreateControl(params); break;
  }
  return reinterpret_cast<WindowHandle>(made);
}

HWND Win32WindowSystem::CreateHiddenOwner(const CreateParams& params) {
  std::wstring class_name = WidenGbk(params.class_name.empty() ? std::string("_VL_HideOwner") : params.class_name);
  if (!RegisterFrameClass(class_name)) return nullptr;
  HWND owner = ::CreateWindowExW(WS_EX_TOOLWINDOW, class_name.c_str(), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                 ::GetModuleHandleW(nullptr), nullptr);
  if (owner == nullptr) return nullptr;
  Native native;
  native.kind = ControlKind::kHidden;
  windows_[owner] = native;
  SetClipboardOwnerWindow(owner);
  return owner;
}

HWND Win32WindowSystem::CreateFrame(const CreateParams& params) {
  std::wstring class_name = WidenGbk(params.class_name.empty() ? std::string("QXWindow") : params.class_name);
  if (!RegisterFrameClass(class_name)) return nullptr;
  FrameBits bits = FrameStyleBits(params.frame);
  if (params.disabled) bits.style |= WS_DISABLED;
  RECT place{};
  auto place_at = [&](int dpi) {
    int width = ScaleToDpi(params.rect.width, dpi), height = ScaleToDpi(params.rect.height, dpi);
    int left = ScaleToDpi(params.rect.left, dpi), top = ScaleToDpi(params.rect.top, dpi);
    if (params.frame.centered) {
      RECT area = WorkArea();
      left = area.left + (area.right - area.left - width) / 2;
      top = area.top + (area.bottom - area.top - height) / 2;
    }
    place = RECT{left, top, left + width, top + height};
  };
  place_at(ScreenDpi());
  HWND frame = ::CreateWindowExW(bits.ex_style, class_name.c_str(), WidenGbk(params.text).c_str(), bits.style,
                                 place.left, place.top, place.right - place.left, place.bottom - place.top,
                                 reinterpret_cast<HWND>(params.owner), nullptr, ::GetModuleHandleW(nullptr), nullptr);
  if (frame == nullptr) return nullptr;
  Native native;
  native.kind = ControlKind::kFrame;
  native.frame = params.frame;
  native.pending_state = params.frame.initial_state;
  native.layout = params.rect;
  native.look.background = params.look.background;
  if (params.look.background != kSystemColour)
    native.background = ::CreateSolidBrush(static_cast<COLORREF>(params.look.background & 0xFFFFFF));
  // The frame's monitor may have another scale than the system's.
  native.dpi = WindowDpi(frame);
  place_at(native.dpi);
  windows_[frame] = native;
  // The system may have adjusted the size (minimum track size): take the stored one.
  ::SetWindowPos(frame, nullptr, place.left, place.top, place.right - place.left, place.bottom - place.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  RemoveMoveCommand(frame, params.frame.movable);
  ::SendMessageW(frame, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont(native.dpi)), FALSE);
  return frame;
}

HWND Win32WindowSystem::CreateControl(const CreateParams& params) {
  HWND parent = reinterpret_cast<HWND>(params.parent);
  if (parent == nullptr || !::IsWindow(parent)) return nullptr;
  const ControlLook& look = params.look;
  DWORD style = WS_CHILD | WS_CLIPSIBLINGS;
  DWORD ex_style = 0;
  if (params.disabled) style |= WS_DISABLED;
  if (params.tab_stop) style |= WS_TABSTOP;
  const wchar_t* class_name = L"STATIC";
  switch (params.kind) {
    case ControlKind::kEdit:
      class_name = L"EDIT";
      if (look.multi_line) {
        style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
        if (look.scroll_bars == ScrollBars::kHorizontal || look.scroll_bars == ScrollBars::kBoth)
          style |= ES_AUTOHSCROLL | WS_HSCROLL;
        if (look.scroll_bars == ScrollBars::kVertical || look.scroll_bars == ScrollBars::kBoth) style |= WS_VSCROLL;
      } else {
        style |= ES_AUTOHSCROLL;
      }
      if (!look.hide_selection) style |= ES_NOHIDESEL;
      if (look.horizontal_align == 1) style |= ES_CENTER;
      if (look.horizontal_align == 2) style |= ES_RIGHT;
      break;
    case ControlKind::kButton:
      class_name = L"BUTTON";
      style |= BS_PUSHBUTTON | BS_MULTILINE;
      break;
    case ControlKind::kLabel:
      class_name = kLabelClass;
      break;
    case ControlKind::kListView: {
      class_name = WC_LISTVIEWW;
      style |= WS_CLIPCHILDREN;
      static const DWORD kViews[] = {LVS_ICON, LVS_SMALLICON, LVS_LIST, LVS_REPORT};
      ListViewMode view =
          look.view < ListViewMode::kLargeIcons || look.view > ListViewMode::kReport ? ListViewMode::kLargeIcons : look.view;
      style |= kViews[static_cast<int>(view)];
      if (view <= ListViewMode::kSmallIcons) style |= LVS_AUTOARRANGE;
      if (view == ListViewMode::kReport && !look.clickable_header) style |= LVS_NOSORTHEADER;
      style |= ListLookStyle(look);
      if (look.label_editing) style |= LVS_EDITLABELS;
      if (look.sort == ListSort::kAscending) style |= LVS_SORTASCENDING;
      if (look.sort == ListSort::kDescending) style |= LVS_SORTDESCENDING;
      if (look.single_selection) style |= LVS_SINGLESEL;
      if (look.always_show_selection) style |= LVS_SHOWSELALWAYS;
      break;
    }
    default: return nullptr;
  }
  const int dpi = FrameDpi(parent);
  HWND control = ::CreateWindowExW(ex_style, class_name, WidenGbk(params.text).c_str(), style,
                                   ScaleToDpi(params.rect.left, dpi), ScaleToDpi(params.rect.top, dpi),
                                   ScaleToDpi(params.rect.width, dpi), ScaleToDpi(params.rect.height, dpi), parent,
                                   reinterpret_cast<HMENU>(static_cast<INT_PTR>(params.control_id)),
                                   ::GetModuleHandleW(nullptr), nullptr);
  if (control == nullptr) return nullptr;
  Native native;
  native.kind = params.kind;
  native.look = look;
  native.dpi = dpi;
  native.layout = params.rect;
  Native& stored = windows_[control] = native;
  if (params.kind != ControlKind::kLabel) ::SetWindowSubclass(control, StaticControlProc, 1, 0);
  if (params.kind == ControlKind::kEdit) ::SendMessageW(control, EM_LIMITTEXT, 0, 0);  // bytes are counted here
  if (params.kind == ControlKind::kListView) {
    DWORD ex = LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP;
    if (look.view == ListViewMode::kReport) {
      if (look.full_row_select) ex |= LVS_EX_FULLROWSELECT;
      if (look.grid_lines) ex |= LVS_EX_GRIDLINES;
      if (look.header_drag_drop) ex |= LVS_EX_HEADERDRAGDROP;
    }
    if (look.hot_tracking) ex |= LVS_EX_TRACKSELECT | LVS_EX_ONECLICKACTIVATE;
    if (look.check_boxes) ex |= LVS_EX_CHECKBOXES;
    if (look.flat_scroll_bars) ex |= LVS_EX_FLATSB;
    ::SendMessageW(control, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    if (look.view == ListViewMode::kReport && look.sort == ListSort::kNone) kept_cells_[control];
  }
  ApplyLook(control, stored);
  return control;
}

void Win32WindowSystem::Destroy(WindowHandle handle) {
  HWND window = reinterpret_cast<HWND>(handle);
  if (!::IsWindow(window)) return;
  // The menu bar belongs to the runtime, which destroys it itself.
  if (const Native* native = Find(window); native != nullptr && native->kind == ControlKind::kFrame)
    ::SetMenu(window, nullptr);
  if (Native* native = Get(window)) DropSpin(*native);  // a sibling: it would outlive the box
  ::DestroyWindow(window);
}

bool Win32WindowSystem::IsWindow(WindowHandle handle) {
  HWND window = reinterpret_cast<HWND>(handle);
  return window != nullptr && ::IsWindow(window) && Find(window) != nullptr;
}

// ---------------------------------------------------------------- texts and geometry

void Win32WindowSystem::SetText(WindowHandle handle, const std::string& text) {
  HWND window = reinterpret_cast<HWND>(handle);
  if (!IsWindow(handle)) return;
  ++suppress_text_change_;
  ::SetWindowTextW(window, WidenGbk(text).c_str());
  --suppress_text_change_;
  if (Find(window)->kind == ControlKind::kLabel) ::InvalidateRect(window, nullptr, TRUE);
}

std::string Win32WindowSystem::GetText(WindowHandle handle) {
  HWND window = reinterpret_cast<HWND>(handle);
  if (!IsWindow(handle)) return std::string();
  WideSecret text = WindowTextSecret(window);  // may be a password box
  return NarrowToGbk(text.c_str(), static_cast<int>(text.size()));
}

void Win32WindowSystem::SetRect(WindowHandle handle, const Rect& rect) {
  HWND window = reinterpret_cast<HWND>(handle);
  Native* native = Get(window);
  if (native == nullptr || !::IsWindow(window)) return;
  native->layout = rect;
  const int dpi = native->dpi;
  ::SetWindowPos(window, nullptr, ScaleToDpi(rect.left, dpi), ScaleToDpi(rect.top, dpi), ScaleToDpi(rect.width, dpi),
                 ScaleToDpi(rect.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  if (Native* still = Get(window)) PlaceSpin(*still);
}

Rect Win32WindowSystem::GetRect(WindowHandle handle) {
  HWND window = reinterpret_cast<HWND>(handle);
  const Native* native = Find(window);
  if (native == nullptr || !::IsWindow(window)) return Rect{};
  RECT r{};
  ::GetWindowRect(window, &r);
  if (native->kind != ControlKind::kFrame && native->kind != ControlKind::kHidden) {
    HWND parent = ::GetAncestor(window, GA_PARENT);
    ::MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
  }
  const int dpi = native->dpi;
  return Rect{ScaleFromDpi(r.left, dpi), ScaleFromDpi(r.top, dpi), ScaleFromDpi(r.right - r.left, dpi),
              ScaleFromDpi(r.bottom - r.top, dpi)};
}

// ---------------------------------------------------------------- visibility and state

void Win32WindowSystem::Show(WindowHandle handle, bool visible, bool activate) {
  HWND window = reinterpret_cast<HWND>(handle);
  Native* native = Get(window);
  if (native == nullptr || native->kind == ControlKind::kHidden) return;
  ResumeListRedraw(window, *native);  // the style's visible bit is the list's own again
  if (native->spin != nullptr) ::ShowWindow(native->spin, visible ? SW_SHOWNA : SW_HIDE);
  if (!visible) {
    ::ShowWindow(window, SW_HIDE);
    return;
  }
  if (native->kind != ControlKind::kFrame) {
    ::ShowWindow(window, SW_SHOWNA);
    return;
  }
  int command = activate ? SW_SHOW : SW_SHOWNA;
  if (!native->shown_once) {
    native->shown_once = true;
    if (native->pending_state == ShowState::kMinimized) command = activate ? SW_SHOWMINIMIZED : SW_SHOWMINNOACTIVE;
    if (native->pending_state == ShowState::kMaximized) command = SW_SHOWMAXIMIZED;
  }
  ::ShowWindow(window, command);
  if (activate) ::SetForegroundWindow(window);
}

void Win32WindowSystem::SetShowState(WindowHandle handle, ShowState state) {
  HWND window = reinterpret_cast<HWND>(handle);
  Native* native = Get(window);
  if (native == nullptr || native->kind != ControlKind::kFrame) return;
  if (!::IsWindowVisible(window)) {
    native->pending_state = state;
    native->shown_once = false;
    return;
  }
  ::ShowWindow(window, state == ShowState::kMinimized   ? SW_MINIMIZE
                       : state == ShowState::kMaximized ? SW_MAXIMIZE
                                                        : SW_RESTORE);
}

ShowState Win32WindowSystem::GetShowState(WindowHandle handle) {
  HWND window = reinterpret_cast<HWND>(handle);
  Native* native = Get(window);
  if (native == nullptr) return ShowState::kNormal;
  if (!::IsWindowVisible(window) && native->kind == ControlKind::kFrame && !native->shown_once)
    return native->pending_state;
  if (::IsIconic(window)) return ShowState::kMinimized;
  if (::IsZoomed(window)) return ShowState::kMaximized;
  return ShowState::kNormal;
}

bool Win32WindowSystem::IsVisible(WindowHandle handle) {
  if (!IsWindow(handle)) return false;
  HWND window = reinterpret_cast<HWND>(handle);
  // A list whose drawing is held was visible when it was held (the hold may
  // clear its visible bit).
  const Native* native = Find(window);
  if (native != nullptr && native->redraw_held) {
    HWND parent = ::GetParent(window);
    return parent == nullptr || ::IsWindowVisible(parent);
  }
  return ::IsWindowVisible(window);
}

void Win32WindowSystem::Enable(WindowHandle handle, bool enabled) {
  if (!IsWindow(handle)) return;
  HWND window = reinterpret_cast<HWND>(handle);
  const Native* native = Find(window);
  if (native->spin != nullptr) ::EnableWindow(native->spin, enabled ? TRUE : FALSE);
  ::EnableWindow(window, enabled ? TRUE : FALSE);
}

bool Win32WindowSystem::IsEnabled(WindowHandle handle) {
  return IsWindow(handle) && ::IsWindowEnabled(reinterpret_cast<HWND>(handle));
}

void Win32WindowSystem::SetParent(WindowHandle handle, WindowHandle parent) {
  const Native* native = Find(reinterpret_cast<HWND>(handle));
  if (native == nullptr || native->kind == ControlKind::kFrame || native->kind == ControlKind::kHidden) return;
  if (!::IsWindow(reinterpret_cast<HWND>(parent))) return;
  HWND control = reinterpret_cast<HWND>(handle);
  HWND spin = native->spin;
  ::SetParent(control, reinterpret_cast<HWND>(parent));
  if (spin != nullptr) ::SetParent(spin, reinterpret_cast<HWND>(parent));
  // Into a frame on a monitor at another scale: lay it out at that one.
  if (Native* moved = Get(control); moved != nullptr && moved->dpi != FrameDpi(control))
    RelayControl(control, *moved, FrameDpi(control));
}

WindowHandle Win32WindowSystem::GetParent(WindowHandle handle) {
  const Native* native = Find(reinterpret_cast<HWND>(handle));
  if (native == nullptr || native->kind == ControlKind::kFrame || native->kind == ControlKind::kHidden) return 0;
  return reinterpret_cast<WindowHandle>(::GetAncestor(reinterpret_cast<HWND>(handle), GA_PARENT));
}

WindowHandle Win32WindowSystem::GetOwner(WindowHandle handle) {
  if (!IsWindow(handle)) return 0;
  return reinterpret_cast<WindowHandle>(::GetWindow(reinterpret_cast<HWND>(handle), GW_OWNER));
}

void Win32WindowSystem::PlaceAfter(WindowHandle handle, WindowHandle after) {
  if (!IsWindow(handle)) return;
  HWND insert_after = after == 0 ? HWND_TOP : reinterpret_cast<HWND>(after);
  ::SetWindowPos(reinterpret_cast<HWND>(handle), insert_after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void Win32WindowSystem::ApplyFrameStyle(HWND frame, const FrameStyle& style, bool keep_rect) {
  FrameBits bits = FrameStyleBits(style);
  const DWORD kept = WS_VISIBLE | WS_DISABLED | WS_MINIMIZE | WS_MAXIMIZE;
  DWORD old_style = static_cast<DWORD>(::GetWindowLongPtrW(frame, GWL_STYLE));
  DWORD old_ex = static_cast<DWORD>(::GetWindowLongPtrW(frame, GWL_EXSTYLE));
  ::SetWindowLongPtrW(frame, GWL_STYLE, static_cast<LONG_PTR>(bits.style | (old_style & kept)));
  ::SetWindowLongPtrW(frame, GWL_EXSTYLE, static_cast<LONG_PTR>(bits.ex_style | (old_ex & ~(WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE | WS_EX_TOPMOST))));
  RECT r{};
  ::GetWindowRect(frame, &r);
  UINT flags = SWP_FRAMECHANGED | SWP_NOZORDER | SWP_NOACTIVATE;
  if (!keep_rect) flags |= SWP_NOMOVE | SWP_NOSIZE;
  ::SetWindowPos(frame, nullptr, r.left, r.top, r.right - r.left, r.bottom - r.top, flags);
  ::SetWindowPos(frame, style.topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RemoveMoveCommand(frame, style.movable);
}

void Win32WindowSystem::SetFrameStyle(WindowHandle handle, const FrameStyle& style) {
  HWND frame = reinterpret_cast<HWND>(handle);
  Native* native = Get(frame);
  if (native == nullptr || native->kind != ControlKind::kFrame) return;
  native->frame = style;
  ApplyFrameStyle(frame, style, true);
}

void Win32WindowSystem::SetTopmost(WindowHandle handle, bool topmost) {
  HWND frame = reinterpret_cast<HWND>(handle);
  Native* native = Get(frame);
  if (native == nullptr || native->kind != ControlKind::kFrame) return;
  native->frame.topmost = topmost;
  ::SetWindowPos(frame, topmost ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

bool Win32WindowSystem::IsTopmost(WindowHandle handle) {
  if (!IsWindow(handle)) return false;
  return (::GetWindowLongPtrW(reinterpret_cast<HWND>(handle), GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
}

// ---------------------------------------------------------------- focus

void Win32WindowSystem::SetFocus(WindowHandle handle) {
  HWND window = reinterpret_cast<HWND>(handle);
  if (window != nullptr && !IsWindow(handle)) return;
  ::SetFocus(window);
}

WindowHandle Win32WindowSystem::GetFocus() { return reinterpret_cast<WindowHandle>(::GetFocus()); }

void Win32WindowSystem::Activate(WindowHandle handle) {
  HWND frame = reinterpret_cast<HWND>(handle);
  if (!IsWindow(handle)) return;
  ::SetActiveWindow(frame);
  ::SetForegroundWindow(frame);
}

WindowHandle Win32WindowSystem::GetActive() { return reinterpret_cast<WindowHandle>(::GetActiveWindow()); }

void Win32WindowSystem::KeyboardContextMenu(HWND list) {
  // A menu opened meanwhile belongs at the selected row (its lower left
  // corner), or at the list's top left corner without one.
  POINT at{0, 0};
  int row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
  RECT item{};
  item.left = LVIR_BOUNDS;
  if (row >= 0 && ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)))
    at = POINT{item.left, item.bottom};
  ::ClientToScreen(list, &at);
  context_point_ = at;
  context_point_set_ = true;
  Notify(Notice::kRightClicked, list);
  context_point_set_ = false;
}

void Win32WindowSystem::CursorPosition(int* x, int* y) {
  POINT at{};
  if (context_point_set_) {
    at = context_point_;
  } else {
    ::GetCursorPos(&at);
  }
  *x = ScaleFromScreen(at.x);
  *y = ScaleFromScreen(at.y);
}

void Win32WindowSystem::ScreenSize(int* width, int* height) {
  *width = ScaleFromScreen(::GetSystemMetrics(SM_CXSCREEN));
  *height = ScaleFromScreen(::GetSystemMetrics(SM_CYSCREEN));
}

// Measured at 96 dots per inch, the units' own pixels; a font's pixel
// height does not depend on the device context it is measured in.
int Win32WindowSystem::FontLineHeight(const std::string& font) {
  constexpr int kUnitDpi = 96;
  HFONT made = font.empty() ? nullptr : CreateDescribedFont(font, kUnitDpi);
  HFONT measured = made != nullptr ? made : DefaultGuiFont(kUnitDpi);
  TEXTMETRICW metrics{};
  HDC screen = ::GetDC(nullptr);
  bool ok = false;
  if (screen != nullptr) {
    HGDIOBJ old = ::SelectObject(screen, measured);
    ok = ::GetTextMetricsW(screen, &metrics) != FALSE;
    ::SelectObject(screen, old);
    ::ReleaseDC(nullptr, screen);
  }
  if (made != nullptr) ::DeleteObject(made);
  constexpr int kDefaultLine = 12;  // 9 points
  return ok && metrics.tmHeight > 0 ? static_cast<int>(metrics.tmHeight) : kDefaultLine;
}

int Win32WindowSystem::EdgeHeight() { return ScaleFromScreen(::GetSystemMetrics(SM_CYEDGE)); }

// ---------------------------------------------------------------- dots per inch

int Win32WindowSystem::FrameDpi(HWND window) const {
  HWND root = ::GetAncestor(window, GA_ROOT);
  const Native* frame = Find(root != nullptr ? root : window);
  return frame != nullptr ? frame->dpi : WindowDpi(window);
}

void Win32WindowSystem::RelayControl(HWND control, Native& native, int dpi) {
  const int old_dpi = native.dpi;
  native.dpi = dpi;
  const Rect& r = native.layout;
  ::SetWindowPos(control, nullptr, ScaleToDpi(r.left, dpi), ScaleToDpi(r.top, dpi), ScaleToDpi(r.width, dpi),
                 ScaleToDpi(r.height, dpi), SWP_NOZORDER | SWP_NOACTIVATE);
  PlaceSpin(native);
  ApplyFont(control, native, TRUE);
  if (native.kind != ControlKind::kListView) return;
  // Columns keep their width in the template's pixels, dragged ones too.
  for (int column = 0; column < native.list_columns; ++column) {
    int width = static_cast<int>(::SendMessageW(control, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0));
    ::SendMessageW(control, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column), MAKELPARAM(::MulDiv(width, dpi, old_dpi), 0));
  }
}

void Win32WindowSystem::ChangeDpi(HWND frame, Native& native, int dpi, const RECT& suggested) {
  if (dpi <= 0) return;
  native.dpi = dpi;
  ::SendMessageW(frame, WM_SETFONT, reinterpret_cast<WPARAM>(DefaultGuiFont(dpi)), FALSE);
  std::vector<HWND> controls;  // nested ones too: a list view may hold others
  for (const auto& [window, control] : windows_)
    if (control.kind != ControlKind::kFrame && control.kind != ControlKind::kHidden &&
        ::GetAncestor(window, GA_ROOT) == frame)
      controls.push_back(window);
  for (HWND control : controls)
    if (Native* laid = Get(control)) RelayControl(control, *laid, dpi);
  // Last, so a resize handler that places units reads them at the new scale.
  ::SetWindowPos(frame, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

// ---------------------------------------------------------------- window procedures

LRESULT Win32WindowSystem::FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Native* native = Get(window);
  if (native == nullptr) return ::DefWindowProcW(window, message, wparam, lparam);
  LRESULT result = 0;
  switch (message) {
    case kPostedNotice: DeliverPosted(static_cast<std::intptr_t>(wparam)); return 0;
    case WM_CLOSE: Notify(Notice::kCloseRequest, window); return 0;
    case WM_COMMAND:
      if (lparam == 0) {  // a menu or an accelerator
        Notify(Notice::kCommand, window, LOWORD(wparam));
        return 0;
      }
      if (ChildNotification(message, wparam, lparam, &result)) return result;
      break;
    case WM_NOTIFY:
      if (ChildNotification(message, wparam, lparam, &result)) return result;
      break;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
      if (ControlColours(reinterpret_cast<HWND>(lparam), reinterpret_cast<HDC>(wparam), &result)) return result;
      break;
    case WM_DPICHANGED:
      ChangeDpi(window, *native, HIWORD(wparam), *reinterpret_cast<const RECT*>(lparam));
      return 0;
    case WM_SHOWWINDOW:
      // Only a window the program shows or hides; not one that appears or
      // goes with its owner being restored or minimised (lparam says why).
      if (lparam == 0) Notify(wparam != 0 ? Notice::kShown : Notice::kHidden, window);
      break;
    case WM_MOVE: Notify(Notice::kMoved, window); return 0;
    case WM_LBUTTONDOWN:
      if (DragByClientArea(window, lparam)) return 0;
      break;
    case WM_SIZE: Notify(Notice::kResized, window); return 0;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = ::GetFocus();
        if (focus != nullptr && ::IsChild(window, focus)) native->saved_focus = focus;
        Notify(Notice::kDeactivated, window);
        return 0;
      }
      Notify(Notice::kActivated, window);
      if (HIWORD(wparam) == 0 && ::IsWindow(window)) {  // not minimised: give the focus back where it was
        HWND focus = ::GetFocus();
        if (focus == nullptr || (focus != window && !::IsChild(window, focus))) {
          Native* still = Get(window);
          HWND saved = still != nullptr ? still->saved_focus : nullptr;
          ::SetFocus(saved != nullptr && ::IsChild(window, saved) && ::IsWindowEnabled(saved) ? saved : window);
        }
      }
      return 0;
    case WM_SETFOCUS: Notify(Notice::kGotFocus, window); return 0;
    case WM_KILLFOCUS: Notify(Notice::kLostFocus, window); return 0;
    case WM_ERASEBKGND: {
      // The class has no brush: the window's background colour, else the
      // system's dialog face.
      RECT client{};
      ::GetClientRect(window, &client);
      HBRUSH brush = native->background != nullptr ? native->background : ::GetSysColorBrush(COLOR_BTNFACE);
      ::FillRect(reinterpret_cast<HDC>(wparam), &client, brush);
      return 1;
    }
    case WM_NCDESTROY: {
      LRESULT done = ::DefWindowProcW(window, message, wparam, lparam);
      Forget(window);
      return done;
    }
    default: break;
  }
  return ::DefWindowProcW(window, message, wparam, lparam);
}

bool Win32WindowSystem::DragByClientArea(HWND window, LPARAM where) {
  HWND frame = ::GetAncestor(window, GA_ROOT);
  const Native* native = Find(frame);
  if (native == nullptr || native->kind != ControlKind::kFrame || !native->frame.drag_by_client) return false;
  POINT at{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
  ::ClientToScreen(window, &at);
  // The press the system itself would see on the title bar: its move loop
  // follows the mouse, and WM_MOVE reports where the frame went.
  ::ReleaseCapture();
  ::SendMessageW(frame, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(static_cast<SHORT>(at.x), static_cast<SHORT>(at.y)));
  return true;
}

LRESULT Win32WindowSystem::ControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  Native* native = Get(window);
  if (native == nullptr) return ::DefSubclassProc(window, message, wparam, lparam);
  LRESULT result = 0;
  switch (message) {
    case kPostedNotice: DeliverPosted(static_cast<std::intptr_t>(wparam)); return 0;
    case kResumeRedraw: ResumeListRedraw(window, *native); return 0;
    case WM_SETFOCUS: {
      LRESULT done = ::DefSubclassProc(window, message, wparam, lparam);
      Notify(Notice::kGotFocus, window);
      return done;
    }
    case WM_KILLFOCUS: {
      LRESULT done = ::DefSubclassProc(window, message, wparam, lparam);
      Notify(Notice::kLostFocus, window);
      return done;
    }
    case WM_CHAR:
    case WM_PASTE:
    case WM_IME_CHAR:
    case WM_IME_COMPOSITION:
      if (native->kind == ControlKind::kEdit) {
        if (std::optional<LRESULT> used = FilterEditInput(window, *native, message, wparam, lparam)) return *used;
      }
      break;
    case WM_MOUSEMOVE:
      if (native->kind == ControlKind::kListView && native->look.hot_tracking) {
        LRESULT done = ::DefSubclassProc(window, message, wparam, lparam);
        if (Native* still = Get(window)) TrackHotRow(window, *still, lparam);
        return done;
      }
      break;
    case WM_SYSKEYDOWN:
      // Shift+F10 is taken here rather than by the default procedure: Wine's
      // arms the menu bar on it, and the F10 key's release would then leave
      // the frame in menu mode, waiting for keys.
      if (native->kind == ControlKind::kListView && wparam == VK_F10 && (::GetKeyState(VK_SHIFT) & 0x8000) != 0 &&
          (HIWORD(lparam) & KF_ALTDOWN) == 0) {
        KeyboardContextMenu(window);
        return 0;
      }
      break;
    case WM_CONTEXTMENU:
      // Shift+F10 and the menu key (no position): the same request as a
      // right click, whose NM_RCLICK has already been reported.
      if (native->kind == ControlKind::kListView && lparam == static_cast<LPARAM>(-1)) {
        KeyboardContextMenu(window);
        return 0;
      }
      break;
    case WM_COMMAND:
    case WM_NOTIFY:  // from controls placed inside this one
      if (ChildNotification(message, wparam, lparam, &result)) return result;
      break;
    case WM_NCDESTROY: {
      ::RemoveWindowSubclass(window, StaticControlProc, 1);
      LRESULT done = ::DefSubclassProc(window, message, wparam, lparam);
      Forget(window);
      return done;
    }
    default: break;
  }
  return ::DefSubclassProc(window, message, wparam, lparam);
}

// Hot tracking reports the row under the mouse each time it becomes
// another one; the list's own hot-track notice is not sent by every
// version of the control, so the row is found from the mouse position.
void Win32WindowSystem::TrackHotRow(HWND list, Native& native, LPARAM where) {
  LVHITTESTINFO hit{};
  hit.pt = POINT{static_cast<short>(LOWORD(where)), static_cast<short>(HIWORD(where))};
  const int row = static_cast<int>(::SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
  const int on = row >= 0 && (hit.flags & LVHT_ONITEM) != 0 ? row : -1;
  if (on == native.hot_row) return;
  native.hot_row = on;  // off the rows: the next row is reported again
  if (on >= 0) Notify(Notice::kHotRow, list, on);
}

bool Win32WindowSystem::ChildNotification(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result) {
  *result = 0;
  if (message == WM_COMMAND) {
    HWND control = reinterpret_cast<HWND>(lparam);
    const Native* native = Find(control);
    if (native == nullptr) return false;
    WORD code = HIWORD(wparam);
    if (native->kind == ControlKind::kButton && code == BN_CLICKED) {
      Notify(Notice::kClicked, control);
      return true;
    }
    if (native->kind == ControlKind::kEdit && code == EN_CHANGE) {
      if (suppress_text_change_ == 0) Notify(Notice::kTextChanged, control);
      return true;
    }
    return false;
  }
  const auto* header = reinterpret_cast<const NMHDR*>(lparam);
  if (header == nullptr) return false;
  if (SpinNotification(*header, lparam, result)) return true;
  Native* native = Get(header->hwndFrom);
  if (native == nullptr || native->kind != ControlKind::kListView) return false;
  HWND list = header->hwndFrom;
  switch (header->code) {
    case NM_CLICK: Notify(Notice::kClicked, list); return true;
    case NM_RCLICK: Notify(Notice::kRightClicked, list); return true;
    case LVN_ITEMACTIVATE: {
      const auto* item = reinterpret_cast<const NMITEMACTIVATE*>(lparam);
      Notify(Notice::kRowActivated, list, item->iItem);
      return true;
    }
    case LVN_COLUMNCLICK: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lparam);
      Notify(Notice::kColumnClicked, list, change->iSubItem);
      return true;
    }
    case LVN_ITEMCHANGED: {
      const auto* change = reinterpret_cast<const NMLISTVIEW*>(lparam);
      bool newly_focused = (change->uChanged & LVIF_STATE) != 0 && (change->uNewState & LVIS_FOCUSED) != 0 &&
                           (change->uOldState & LVIS_FOCUSED) == 0 && change->iItem >= 0;
      // A check box toggles between state images 1 and 2; a row that has
      // just been given its box (0 to 1) was not toggled. The change is
      // reported by a posted message whose handler reads the new state.
      const UINT old_box = (change->uOldState & LVIS_STATEIMAGEMASK) >> 12;
      const UINT new_box = (change->uNewState & LVIS_STATEIMAGEMASK) >> 12;
      const bool toggled = (change->uChanged & LVIF_STATE) != 0 && native->look.check_boxes && change->iItem >= 0 &&
                           old_box != 0 && new_box != 0 && old_box != new_box;
      if (newly_focused) Notify(Notice::kRowFocused, list, change->iItem);
      if (toggled) PostMessage(Message{Notice::kCheckToggled, reinterpret_cast<WindowHandle>(list), change->iItem, 0});
      return true;
    }
    case LVN_GETDISPINFOW:
      GiveKeptText(list, lparam);
      return true;
    case LVN_BEGINLABELEDITW: {
      const auto* edit = reinterpret_cast<const NMLVDISPINFOW*>(lparam);
      *result = Ask(Notice::kLabelEditStarting, list, edit->item.iItem) ? TRUE : FALSE;  // TRUE cancels
      return true;
    }
    case LVN_ENDLABELEDITW: {
      const auto* edit = reinterpret_cast<const NMLVDISPINFOW*>(lparam);
      if (edit->item.pszText == nullptr) return true;  // cancelled: nothing to take
      const std::string text = NarrowToGbk(edit->item.pszText, static_cast<int>(std::wcslen(edit->item.pszText)));
      *result = Ask(Notice::kLabelEditEnded, list, edit->item.iItem, &text) ? FALSE : TRUE;  // TRUE keeps the text
      if (*result == TRUE) {
        auto kept = kept_cells_.find(list);
        if (RowCells* cells = kept != kept_cells_.end() ? KeptRow(list, kept->second, edit->item.iItem) : nullptr)
          (*cells)[0].Assign(edit->item.pszText);
      }
      return true;
    }
    default: return false;
  }
}

}  // namespace platform::win32
