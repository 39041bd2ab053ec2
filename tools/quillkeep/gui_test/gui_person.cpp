#include "tools/quillkeep/gui_test/gui_person.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>

#include "platform/system.h"
#include "platform/win32/gdi_support.h"
#include "platform/win32/password_dialog_win32.h"
#include "platform/win32/listener_win32.h"

namespace gui_test {
namespace {

using scenario::Wait;

// A `wait` ends a little after its seconds: a timer of the program's that
// falls due at the same moment has then surely been dispatched.
constexpr DWORD kWaitSlackMs = 100;

HWND Hwnd(platform::WindowHandle handle) { return reinterpret_cast<HWND>(handle); }

POINT Centre(HWND window) {
  RECT r{};
  ::GetClientRect(window, &r);
  return POINT{(r.right - r.left) / 2, (r.bottom - r.top) / 2};
}

// Below the last row of a list: a click there picks no row.
POINT BelowTheRows(HWND list) {
  RECT client{};
  ::GetClientRect(list, &client);
  return POINT{client.right / 2, client.bottom - 4};
}

// On a row of a list; below the rows when it has no such row.
POINT OnRow(HWND list, int row) {
  RECT item{};
  item.left = LVIR_BOUNDS;
  if (row < 0 || !::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)))
    return BelowTheRows(list);
  return POINT{item.left + 8, (item.top + item.bottom) / 2};
}

std::uint32_t Rgb(COLORREF colour) {
  return static_cast<std::uint32_t>(GetRValue(colour)) << 16 | static_cast<std::uint32_t>(GetGValue(colour)) << 8 |
         GetBValue(colour);
}

// The up-down control a box has as its buddy; null when it has none.
HWND SpinOf(HWND edit) {
  for (HWND sibling = ::GetWindow(edit, GW_HWNDFIRST); sibling != nullptr; sibling = ::GetWindow(sibling, GW_HWNDNEXT)) {
    wchar_t class_name[32] = {};
    ::GetClassNameW(sibling, class_name, 32);
    if (std::wcscmp(class_name, UPDOWN_CLASSW) == 0 &&
        reinterpret_cast<HWND>(::SendMessageW(sibling, UDM_GETBUDDY, 0, 0)) == edit)
      return sibling;
  }
  return nullptr;
}

// A point of a frame's client area that no unit covers, near its top left.
std::optional<POINT> UncoveredPoint(HWND frame) {
  constexpr int kStep = 4;
  RECT client{};
  ::GetClientRect(frame, &client);
  for (LONG y = 2; y < client.bottom; y += kStep)
    for (LONG x = 2; x < client.right; x += kStep)
      if (::ChildWindowFromPointEx(frame, POINT{x, y}, CWP_SKIPINVISIBLE) == frame) return POINT{x, y};
  return std::nullopt;
}

// Mouse input at a screen point, in the normalised coordinates of the
// primary screen that the system maps back to exactly that pixel.
INPUT MouseAt(POINT at, DWORD flags) {
  const LONG width = std::max(1, ::GetSystemMetrics(SM_CXSCREEN)), height = std::max(1, ::GetSystemMetrics(SM_CYSCREEN));
  auto normal = [](LONG pixel, LONG extent) {
    return static_cast<LONG>((static_cast<long long>(pixel) * 65536 + extent - 1) / extent);
  };
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = normal(at.x, width);
  input.mi.dy = normal(at.y, height);
  input.mi.dwFlags = flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return input;
}

std::optional<OpenModal> Showing(Wait kind) {
  std::optional<OpenModal> modal = FindOpenModal();
  return modal && modal->kind == kind ? modal : std::nullopt;
}

}  // namespace

void GuiPerson::AtWait(std::optional<OpenModal> modal) {
  modal_ = modal;
  // A drag's release has been handled: the mouse is free again.
  if (drag_capture_ != nullptr && ::GetCapture() == drag_capture_) ::ReleaseCapture();
  drag_capture_ = nullptr;
  if (keyboard_state_changed_) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_CONTROL] = keys[VK_MENU] = 0;
    ::SetKeyboardState(keys);
    keyboard_state_changed_ = false;
  }
}

bool GuiPerson::StillWaiting() {
  if (!waiting_until_) return false;
  if (static_cast<LONG>(::GetTickCount() - *waiting_until_) < 0) return true;
  waiting_until_.reset();
  return false;
}

// ---------------------------------------------------------------- what is seen

std::optional<scenario::ShownMessageBox> GuiPerson::OpenMessageBox() {
  std::optional<OpenModal> box = Showing(Wait::kMessageBox);
  if (!box) return std::nullopt;
  scenario::ShownMessageBox shown{ItemTextUtf8(box->window, kMessageBoxText), WindowTextUtf8(box->window), {}};
  // The answers are the buttons' dialog ids (IDOK ... IDNO).
  for (int id = IDOK; id <= IDNO; ++id)
    if (::GetDlgItem(box->window, id) != nullptr) shown.buttons.push_back(static_cast<platform::BoxAnswer>(id));
  return shown;
}

std::optional<std::string> GuiPerson::InputBoxPrompt() {
  std::optional<OpenModal> input = Showing(Wait::kInputBox);
  return input ? std::optional<std::string>(ItemTextUtf8(input->window, kInputPrompt)) : std::nullopt;
}

std::optional<std::string> GuiPerson::PasswordDialogMessage() {
  std::optional<OpenModal> dialog = Showing(Wait::kPasswordDialog);
  if (!dialog) return std::nullopt;
  return ItemTextUtf8(dialog->window, platform::win32::kPasswordMessageId);
}

std::optional<std::vector<scenario::PopupItem>> GuiPerson::OpenPopupMenu() {
  std::optional<OpenModal> popup = Showing(Wait::kPopupMenu);
  HMENU menu = popup ? MenuOfPopup(popup->window) : nullptr;
  if (menu == nullptr) return std::nullopt;
  std::vector<scenario::PopupItem> items;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    wchar_t text[256] = {};
    info.dwTypeData = text;
    info.cch = 255;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if ((info.fType & MFT_SEPARATOR) != 0) continue;
    std::wstring shown = text;
    items.push_back(scenario::PopupItem{Utf8OfWide(shown.substr(0, shown.find(L'\t'))), (info.fState & MFS_GRAYED) != 0});
  }
  return items;
}

std::optional<std::string> GuiPerson::LastOpenedAddress() {
  if (!opened_addresses || opened_addresses().empty()) return std::nullopt;
  return platform::GbkToUtf8(opened_addresses().back());
}

bool GuiPerson::IsReadOnly(platform::WindowHandle edit) {
  return (::GetWindowLongPtrW(Hwnd(edit), GWL_STYLE) & ES_READONLY) != 0;
}

// What the windows drew at the point: everything painted first, then the
// pixel read from the window on top there (the unit, or a control over it).
std::optional<std::uint32_t> GuiPerson::ColourAt(platform::WindowHandle unit, int x, int y) {
  HWND window = Hwnd(unit);
  const int dpi = platform::win32::WindowDpi(window);
  POINT at{platform::win32::ScaleToDpi(x, dpi), platform::win32::ScaleToDpi(y, dpi)};
  RECT client{};
  if (x < 0 || y < 0 || !::GetClientRect(window, &client) || !::PtInRect(&client, at)) return std::nullopt;
  ::RedrawWindow(::GetAncestor(window, GA_ROOT), nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  for (;;) {
    HWND child = ::ChildWindowFromPointEx(window, at, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (child == nullptr || child == window) break;
    ::MapWindowPoints(window, child, &at, 1);
    window = child;
  }
  HDC dc = ::GetDC(window);
  if (dc == nullptr) return std::nullopt;
  const COLORREF colour = ::GetPixel(dc, at.x, at.y);
  ::ReleaseDC(window, dc);
  if (colour == CLR_INVALID) return std::nullopt;
  return Rgb(colour);
}

std::uint32_t GuiPerson::FaceColour() { return Rgb(::GetSysColor(COLOR_BTNFACE)); }

// ---------------------------------------------------------------- what is done

void GuiPerson::Type(platform::WindowHandle edit, const std::string& text) {
  ClickAt(Hwnd(edit), Centre(Hwnd(edit)), false);
  TypeInto(Hwnd(edit), WideOfUtf8(text));
}

void GuiPerson::Click(platform::WindowHandle unit) {
  HWND window = Hwnd(unit);
  ClickAt(window, IsOurs(window, platform::ControlKind::kListView) ? BelowTheRows(window) : Centre(window), false);
}

void GuiPerson::RightClick(platform::WindowHandle handle) {
  // On the selected row, so the click keeps the selection as it is; else
  // on the empty part of the list.
  HWND list = Hwnd(handle);
  int row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  ClickAt(list, OnRow(list, row), true);
}

void GuiPerson::SelectRow(platform::WindowHandle handle, int row) {
  HWND list = Hwnd(handle);
  if (row >= 0) ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  ClickAt(list, OnRow(list, row), false);
}

void GuiPerson::DoubleClickRow(platform::WindowHandle handle, int row) {
  HWND list = Hwnd(handle);
  ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  const POINT at = OnRow(list, row);
  const LPARAM where = MAKELPARAM(at.x, at.y);
  ::PostMessageW(list, WM_LBUTTONDOWN, MK_LBUTTON, where);
  ::PostMessageW(list, WM_LBUTTONUP, 0, where);
  ::PostMessageW(list, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
  ::PostMessageW(list, WM_LBUTTONUP, 0, where);
}

void GuiPerson::ClickHeader(platform::WindowHandle handle, int column) {
  HWND list = Hwnd(handle);
  HWND header = reinterpret_cast<HWND>(::SendMessageW(list, LVM_GETHEADER, 0, 0));
  if (header == nullptr || !::IsWindowVisible(header)) throw scenario::ActionRefused("the list shows no column titles");
  const int columns = static_cast<int>(::SendMessageW(header, HDM_GETITEMCOUNT, 0, 0));
  if (column >= columns) throw scenario::ActionRefused("the list has " + std::to_string(columns) + " columns");
  RECT item{};
  ::SendMessageW(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
  ClickAt(header, POINT{(item.left + item.right) / 2, (item.top + item.bottom) / 2}, false);
}

void GuiPerson::HoverRow(platform::WindowHandle handle, int row) {
  HWND list = Hwnd(handle);
  ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  const POINT at = OnRow(list, row);
  ::PostMessageW(list, WM_MOUSEMOVE, 0, MAKELPARAM(at.x, at.y));
}

void GuiPerson::ToggleCheck(platform::WindowHandle handle, int row) {
  HWND list = Hwnd(handle);
  const auto ex = static_cast<DWORD>(::SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
  if ((ex & LVS_EX_CHECKBOXES) == 0) throw scenario::ActionRefused("the list has no check boxes");
  ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  // The box is drawn at the row's left end: the first point there that the
  // list says is on it.
  const POINT on_row = OnRow(list, row);
  for (int x = 0; x < on_row.x + 32; ++x) {
    LVHITTESTINFO hit{};
    hit.pt = POINT{x, on_row.y};
    if (::SendMessageW(list, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)) == row &&
        (hit.flags & LVHT_ONITEMSTATEICON) != 0) {
      ClickAt(list, hit.pt, false);
      return;
    }
  }
  throw scenario::ActionRefused("the row shows no check box");
}

void GuiPerson::PressSpin(platform::WindowHandle handle, bool up) {
  HWND spin = SpinOf(Hwnd(handle));
  if (spin == nullptr || !::IsWindowVisible(spin)) throw scenario::ActionRefused("the edit box has no spin control");
  if (!::IsWindowEnabled(spin)) throw scenario::ActionRefused("the spin control is disabled");
  // The middle of the upper or lower arrow; the mouse is over it first, as
  // the control looks for the arrow under the mouse.
  RECT r{};
  ::GetClientRect(spin, &r);
  const LPARAM where = MAKELPARAM(r.right / 2, up ? r.bottom / 4 : r.bottom * 3 / 4);
  ::PostMessageW(spin, WM_MOUSEMOVE, 0, where);
  ::PostMessageW(spin, WM_LBUTTONDOWN, MK_LBUTTON, where);
  ::PostMessageW(spin, WM_LBUTTONUP, 0, where);
}

void GuiPerson::RenameRow(platform::WindowHandle handle, int row, const std::string& text) {
  HWND list = Hwnd(handle);
  if ((::GetWindowLongPtrW(list, GWL_STYLE) & LVS_EDITLABELS) == 0)
    throw scenario::ActionRefused("the list's captions cannot be edited");
  ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
  // The list starts the edit itself a moment after a second click on the
  // selected row; asking for it directly spares that wait. When the program
  // lets it start, the editor takes the text and Enter ends it.
  ::SetFocus(list);
  HWND editor = reinterpret_cast<HWND>(::SendMessageW(list, LVM_EDITLABELW, static_cast<WPARAM>(row), 0));
  if (editor == nullptr) return;
  TypeInto(editor, WideOfUtf8(text));
  ::PostMessageW(editor, WM_KEYDOWN, VK_RETURN, 1);
}

void GuiPerson::Drag(platform::WindowHandle handle, int dx, int dy) {
  // A frame is pressed on its client area where no unit is, a unit at its
  // centre; the system decides from the point what is pressed.
  HWND unit = Hwnd(handle);
  POINT at = Centre(unit);
  if (IsOurs(unit, platform::ControlKind::kFrame)) {
    std::optional<POINT> bare = UncoveredPoint(unit);
    if (!bare) throw scenario::ActionRefused("no part of the window's client area is uncovered");
    at = *bare;
  }
  ::ClientToScreen(unit, &at);
  const POINT to{at.x + dx, at.y + dy};
  const LONG width = ::GetSystemMetrics(SM_CXSCREEN), height = ::GetSystemMetrics(SM_CYSCREEN);
  if (at.x < 0 || at.y < 0 || at.x >= width || at.y >= height || to.x < 0 || to.y < 0 || to.x >= width || to.y >= height)
    throw scenario::ActionRefused("the drag leaves the screen");
  // Real mouse input: the press, a move and the release, queued at once.
  // The system routes each to a window as it is queued, before the program
  // has taken the press; so the window under the press holds the mouse
  // meanwhile, as it would have it once pressed, and a move off it still
  // reaches the program. A press the program takes for a move of the frame
  // hands the mouse to the system's move loop.
  drag_capture_ = ::WindowFromPoint(at);
  if (drag_capture_ == nullptr || !IsOurs(::GetAncestor(drag_capture_, GA_ROOT)))
    throw scenario::ActionRefused("another window is over the point pressed");
  ::SetCapture(drag_capture_);
  INPUT input[3] = {MouseAt(at, MOUSEEVENTF_LEFTDOWN), MouseAt(to, 0), MouseAt(to, MOUSEEVENTF_LEFTUP)};
  if (::SendInput(3, input, sizeof(INPUT)) != 3) throw scenario::ActionRefused("the system took no mouse input");
}

void GuiPerson::PressKey(int key) {
  HWND target = ::GetFocus();
  if (target == nullptr) target = ::GetActiveWindow();
  if ((key & platform::key::kShift) != 0) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    keyboard_state_changed_ = true;
  }
  WPARAM vk = static_cast<WPARAM>(key & 0x1FFF);
  if (vk == VK_APPS) {
    // The system turns the menu key into a context-menu request only when
    // it comes from the keyboard, not from posted key messages.
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = VK_APPS;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    ::SendInput(2, input, sizeof(INPUT));
    return;
  }
  // F10 is a system key: the keyboard sends it as WM_SYSKEYDOWN.
  const bool system_key = vk == VK_F10;
  ::PostMessageW(target, system_key ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1);
  ::PostMessageW(target, system_key ? WM_SYSKEYUP : WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

void GuiPerson::Close(platform::WindowHandle frame) {
  ::PostMessageW(Hwnd(frame), WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
}

void GuiPerson::AnswerBox(platform::BoxAnswer answer) { PressButton(static_cast<int>(answer)); }

void GuiPerson::AnswerDialog(const std::optional<std::string>& typed) {
  if (!modal_) throw scenario::ActionRefused("no input box or password dialog is open");
  if (typed) {
    HWND dialog = modal_->window;
    HWND edit = modal_->kind == Wait::kPasswordDialog ? ::GetDlgItem(dialog, platform::win32::kPasswordEditId)
                : ::IsWindowVisible(::GetDlgItem(dialog, kInputMaskedEdit)) ? ::GetDlgItem(dialog, kInputMaskedEdit)
                                                                             : ::GetDlgItem(dialog, kInputPlainEdit);
    TypeInto(edit, WideOfUtf8(*typed));
  }
  PressButton(typed ? IDOK : IDCANCEL);
}

void GuiPerson::ChoosePopupItem(std::size_t index) {
  // The keyboard walks the items (separators are skipped) to the one chosen.
  HWND owner = ::GetActiveWindow();
  for (std::size_t k = 0; k <= index; ++k) ::PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 1);
  ::PostMessageW(owner, WM_KEYDOWN, VK_RETURN, 1);
}

void GuiPerson::DismissPopup() {
  HWND target = ::GetActiveWindow() != nullptr ? ::GetActiveWindow() : modal_ ? modal_->window : nullptr;
  ::PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 1);
}

void GuiPerson::SetClock(const platform::LocalTime& now) {
  if (set_clock) set_clock(now);
}

bool GuiPerson::PassTime(std::uint32_t seconds) {
  DWORD real = pass_time ? pass_time(seconds) : seconds * 1000u;
  waiting_until_ = ::GetTickCount() + real + kWaitSlackMs;
  return false;
}

bool GuiPerson::LockSession() {
  // A notebook that does not watch the session has no window to tell.
  HWND watch = platform::win32::SessionWatchWindow();
  if (watch == nullptr) return true;
  ::PostMessageW(watch, WM_WTSSESSION_CHANGE, WTS_SESSION_LOCK, 0);
  waiting_until_ = ::GetTickCount() + kWaitSlackMs;  // the program takes the message first
  return false;
}

void GuiPerson::TypeInto(HWND edit, const std::wstring& text) {
  ::PostMessageW(edit, EM_SETSEL, 0, -1);  // select all, then type over it
  if (text.empty()) ::PostMessageW(edit, WM_CHAR, VK_BACK, 1);
  // A line break of the script (\r\n, or a lone \n or \r) is one Enter:
  // one "\r" character, which a multi-line box turns into its line break.
  // A single-line box takes the text up to the first one, as a paste.
  const bool multi_line = (::GetWindowLongPtrW(edit, GWL_STYLE) & ES_MULTILINE) != 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c == L'\r' || c == L'\n') {
      if (!multi_line) break;
      if (c == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') ++i;
      c = L'\r';
    }
    ::PostMessageW(edit, WM_CHAR, c, 1);
  }
}

void GuiPerson::ClickAt(HWND window, POINT at, bool right) {
  LPARAM where = MAKELPARAM(at.x, at.y);
  ::PostMessageW(window, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, where);
  ::PostMessageW(window, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, where);
}

void GuiPerson::PressButton(int button_id) {
  if (!modal_) throw scenario::ActionRefused("no box or dialog is open");
  HWND button = ::GetDlgItem(modal_->window, button_id);
  ::PostMessageW(modal_->window, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

}  // namespace gui_test
