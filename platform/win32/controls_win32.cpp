// The system controls behind the units: edit rules (byte limit in GBK
// bytes, password character, digits only, case), default buttons, how a
// control looks (font, colours, border, alignment), and the list view's
// columns, rows and row states.
#include <windows.h>
#include <commctrl.h>
#include <imm.h>

#include <algorithm>
#include <memory>
#include <string>

#include "platform/win32/edit_input.h"
#include "platform/win32/gdi_support.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/window_system_win32.h"

namespace platform::win32 {
namespace {

// Bytes the edit's text would keep if its selection were replaced.
int BytesOutsideSelection(HWND edit) {
  WideSecret content = WindowTextSecret(edit);  // may be a password
  std::wstring_view text = content.view();
  DWORD start = 0, end = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  start = std::min<DWORD>(start, static_cast<DWORD>(text.size()));
  end = std::min<DWORD>(std::max(start, end), static_cast<DWORD>(text.size()));
  return GbkLength(text.substr(0, start)) + GbkLength(text.substr(end));
}

// The index into a control's UTF-16 text of a GBK byte offset, rounded down
// to the start of a character; a line break "\r\n" is never split.
int WideIndexOf(std::wstring_view text, int offset) {
  std::size_t at = 0;
  int bytes = 0;
  while (at < text.size()) {
    const bool pair = (text[at] == L'\r' && at + 1 < text.size() && text[at + 1] == L'\n') ||
                      (IS_HIGH_SURROGATE(text[at]) && at + 1 < text.size() && IS_LOW_SURROGATE(text[at + 1]));
    const std::size_t units = pair ? 2 : 1;
    const int width = GbkLength(text.substr(at, units));
    if (bytes + width > offset) break;
    bytes += width;
    at += units;
  }
  return static_cast<int>(at);
}

bool DigitOrMinus(wchar_t c) { return c == L'-' || (c >= L'0' && c <= L'9'); }

// Only ASCII letters change case: a double-byte character is never a letter here.
void ApplyCase(std::wstring* text, int mode) {
  for (wchar_t& c : *text) {
    if (mode == 1 && c >= L'A' && c <= L'Z') c = static_cast<wchar_t>(c + 32);
    if (mode == 2 && c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - 32);
  }
}

COLORREF ListColour(std::uint32_t colour) {
  return colour == kSystemColour ? CLR_DEFAULT : static_cast<COLORREF>(colour & 0xFFFFFF);
}

DWORD BorderExStyle(Border border) {
  switch (border) {
    case Border::kSunken: return WS_EX_CLIENTEDGE;
    case Border::kRaised: return WS_EX_DLGMODALFRAME;
    case Border::kShallow: return WS_EX_STATICEDGE;
    case Border::kRaisedAndSunken: return WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME;
    default: return 0;
  }
}

}  // namespace

// ---------------------------------------------------------------- look

DWORD ListLookStyle(const ControlLook& look) {
  DWORD style = 0;
  const bool icons = look.view == ListViewMode::kLargeIcons || look.view == ListViewMode::kSmallIcons;
  if (icons && !look.wrap_labels) style |= LVS_NOLABELWRAP;
  if (look.view == ListViewMode::kReport && look.hide_header) style |= LVS_NOCOLUMNHEADER;
  return style;
}

void Win32WindowSystem::ApplyFont(HWND window, Native& native, BOOL redraw) {
  HFONT old = native.font;
  native.font = CreateDescribedFont(native.look.font, native.dpi);
  HFONT font = native.font != nullptr ? native.font : DefaultGuiFont(native.dpi);
  ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), redraw);
  if (old != nullptr) ::DeleteObject(old);  // no longer selected by the control
}

void Win32WindowSystem::ApplyLook(HWND window, Native& native) {
  const ControlLook& look = native.look;
  ApplyFont(window, native, TRUE);

  if (native.background != nullptr) ::DeleteObject(native.background);
  native.background = look.background == kSystemColour ? nullptr : ::CreateSolidBrush(look.background & 0xFFFFFF);

  // The control's own border: sunken for edits and lists.
  Border border = look.border;
  if (border < Border::kNone)
    border = native.kind == ControlKind::kEdit || native.kind == ControlKind::kListView ? Border::kSunken : Border::kNone;
  LONG_PTR style = ::GetWindowLongPtrW(window, GWL_STYLE) & ~static_cast<LONG_PTR>(WS_BORDER);
  LONG_PTR ex = ::GetWindowLongPtrW(window, GWL_EXSTYLE) &
                ~static_cast<LONG_PTR>(WS_EX_CLIENTEDGE | WS_EX_DLGMODALFRAME | WS_EX_STATICEDGE);
  ex |= static_cast<LONG_PTR>(BorderExStyle(border));
  if (border == Border::kSingleLine) style |= WS_BORDER;

  if (native.kind == ControlKind::kButton) {
    style &= ~static_cast<LONG_PTR>(BS_CENTER | BS_VCENTER);
    style |= look.horizontal_align == 0 ? BS_LEFT : look.horizontal_align == 2 ? BS_RIGHT : BS_CENTER;
    style |= look.vertical_align == 0 ? BS_TOP : look.vertical_align == 2 ? BS_BOTTOM : BS_VCENTER;
  }
  if (native.kind == ControlKind::kListView) {
    style &= ~static_cast<LONG_PTR>(LVS_NOLABELWRAP | LVS_NOCOLUMNHEADER);
    style |= static_cast<LONG_PTR>(ListLookStyle(look));
  }
  if (native.kind == ControlKind::kEdit) {
    style &= ~static_cast<LONG_PTR>(ES_CENTER | ES_RIGHT);
    if (look.horizontal_align == 1) style |= ES_CENTER;
    if (look.horizontal_align == 2) style |= ES_RIGHT;
  }
  ::SetWindowLongPtrW(window, GWL_STYLE, style);
  ::SetWindowLongPtrW(window, GWL_EXSTYLE, ex);
  ::SetWindowPos(window, nullptr, 0, 0, 0, 0, SWP_FRAMECHANGED | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);

  if (native.kind == ControlKind::kListView) {
    ::SendMessageW(window, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ListColour(look.text_colour)));
    ::SendMessageW(window, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(ListColour(look.text_background)));
    ::SendMessageW(window, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(ListColour(look.background)));
  }
  ::InvalidateRect(window, nullptr, TRUE);
}

void Win32WindowSystem::SetLook(WindowHandle handle, const ControlLook& look) {
  HWND window = reinterpret_cast<HWND>(handle);
  Native* native = Get(window);
  if (native == nullptr || native->kind == ControlKind::kHidden) return;
  if (native->kind == ControlKind::kFrame) {
    SetFrameBackground(window, *native, look.background);
    return;
  }
  native->look = look;
  ApplyLook(window, *native);
}

// The frame erases with this brush; its labels with the system's background
// paint it too, so they are drawn again with it.
void Win32WindowSystem::SetFrameBackground(HWND frame, Native& native, std::uint32_t colour) {
  HBRUSH brush = colour == kSystemColour ? nullptr : ::CreateSolidBrush(static_cast<COLORREF>(colour & 0xFFFFFF));
  if (native.background != nullptr) ::DeleteObject(native.background);
  native.background = brush;
  native.look.background = colour;
  ::RedrawWindow(frame, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

COLORREF Win32WindowSystem::FaceBehind(HWND control) const {
  const Native* holder = Find(::GetParent(control));
  if (holder == nullptr || holder->look.background == kSystemColour) return ::GetSysColor(COLOR_BTNFACE);
  return static_cast<COLORREF>(holder->look.background & 0xFFFFFF);
}

bool Win32WindowSystem::ControlColours(HWND control, HDC dc, LRESULT* brush) {
  const Native* native = Find(control);
  if (native == nullptr || native->kind != ControlKind::kEdit) return false;
  const ControlLook& look = native->look;
  bool read_only = (::GetWindowLongPtrW(control, GWL_STYLE) & ES_READONLY) != 0 || !::IsWindowEnabled(control);
  int system_background = read_only ? COLOR_BTNFACE : COLOR_WINDOW;
  ::SetTextColor(dc, look.text_colour == kSystemColour ? ::GetSysColor(read_only ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT)
                                                       : static_cast<COLORREF>(look.text_colour & 0xFFFFFF));
  if (native->background != nullptr && !read_only) {
    ::SetBkColor(dc, static_cast<COLORREF>(look.background & 0xFFFFFF));
    *brush = reinterpret_cast<LRESULT>(native->background);
  } else {
    ::SetBkColor(dc, ::GetSysColor(system_background));
    *brush = reinterpret_cast<LRESULT>(::GetSysColorBrush(system_background));
  }
  return true;
}

// ---------------------------------------------------------------- edits

void Win32WindowSystem::SetEditSelection(WindowHandle handle, int start, int length) {
  HWND edit = reinterpret_cast<HWND>(handle);
  Native* native = Get(edit);
  if (native == nullptr || native->kind != ControlKind::kEdit) return;
  WideSecret content = WindowTextSecret(edit);  // may be a password
  std::wstring_view text = content.view();
  const int from = WideIndexOf(text, std::max(start, 0));
  const int to = from + WideIndexOf(text.substr(static_cast<std::size_t>(from)), std::max(length, 0));
  ::SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(from), static_cast<LPARAM>(to));
  ::SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

void Win32WindowSystem::GetEditSelection(WindowHandle handle, int* start, int* length) {
  *start = *length = 0;
  HWND edit = reinterpret_cast<HWND>(handle);
  Native* native = Get(edit);
  if (native == nullptr || native->kind != ControlKind::kEdit) return;
  WideSecret content = WindowTextSecret(edit);
  std::wstring_view text = content.view();
  DWORD from = 0, to = 0;
  ::SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
  from = std::min<DWORD>(from, static_cast<DWORD>(text.size()));
  to = std::min<DWORD>(std::max(from, to), static_cast<DWORD>(text.size()));
  *start = GbkLength(text.substr(0, from));
  *length = GbkLength(text.substr(from, to - from));
}

void Win32WindowSystem::SetEditRules(WindowHandle handle, const EditRules& rules) {
  HWND edit = reinterpret_cast<HWND>(handle);
  Native* native = Get(edit);
  if (native == nullptr || native->kind != ControlKind::kEdit) return;
  native->rules = rules;
  ::SendMessageW(edit, EM_SETREADONLY, rules.read_only ? TRUE : FALSE, 0);
  auto mask = static_cast<unsigned char>(rules.password_char);
  wchar_t shown = mask >= 0x21 && mask < 0x7F ? static_cast<wchar_t>(mask) : L'*';
  ::SendMessageW(edit, EM_SETPASSWORDCHAR, rules.password ? shown : 0, 0);
  LONG_PTR style = ::GetWindowLongPtrW(edit, GWL_STYLE) & ~static_cast<LONG_PTR>(ES_UPPERCASE | ES_LOWERCASE);
  if (rules.case_mode == 1) style |= ES_LOWERCASE;
  if (rules.case_mode == 2) style |= ES_UPPERCASE;
  ::SetWindowLongPtrW(edit, GWL_STYLE, style);
  // No input context at all for a secret: an input method in full-width or
  // Chinese-punctuation mode writes what a masked box can never type.
  if (rules.input_method) {
    ::ImmAssociateContextEx(edit, nullptr, IACE_DEFAULT);
  } else {
    ::ImmAssociateContext(edit, nullptr);
  }
  ::InvalidateRect(edit, nullptr, TRUE);
}

// Typed characters, pastes and what an input method commits go through the
// box's rules; characters GBK lacks never go in.
std::optional<LRESULT> Win32WindowSystem::FilterEditInput(HWND edit, const Native& native, UINT message, WPARAM wparam,
                                                          LPARAM lparam) {
  // A copy: the control's own handling of a message may change the map.
  const EditRules rules = native.rules;
  if (rules.read_only) return std::nullopt;
  EditInputRules input;
  input.accepts_character = [&](wchar_t c) {
    if (rules.digits_only && !DigitOrMinus(c)) return false;
    return rules.max_bytes <= 0 || BytesOutsideSelection(edit) + GbkLength(std::wstring(1, c)) <= rules.max_bytes;
  };
  input.admit = [&](std::wstring text) { return AdmitIntoEdit(edit, rules, std::move(text)); };
  return FilterTextInput(edit, message, wparam, lparam, input,
                         [edit](UINT m, WPARAM w, LPARAM l) { return ::DefSubclassProc(edit, m, w, l); });
}

std::wstring Win32WindowSystem::AdmitIntoEdit(HWND edit, const EditRules& rules, std::wstring text) {
  if (!rules.multi_line) text = text.substr(0, text.find_first_of(L"\r\n"));
  if (rules.digits_only) text.erase(std::remove_if(text.begin(), text.end(), [](wchar_t c) { return !DigitOrMinus(c); }), text.end());
  ApplyCase(&text, rules.case_mode);
  if (rules.max_bytes > 0) {
    int room = rules.max_bytes - BytesOutsideSelection(edit);
    std::size_t keep = 0;
    int used = 0;
    while (keep < text.size()) {
      int step = GbkLength(text.substr(keep, 1));
      if (used + step > room) break;
      used += step;
      ++keep;
    }
    text.resize(keep);
  }
  return text;
}

// ---------------------------------------------------------------- buttons

void Win32WindowSystem::SetDefaultButton(WindowHandle handle, bool is_default) {
  HWND button = reinterpret_cast<HWND>(handle);
  Native* native = Get(button);
  if (native == nullptr || native->kind != ControlKind::kButton) return;
  native->default_button = is_default;
  LONG_PTR style = ::GetWindowLongPtrW(button, GWL_STYLE);
  style = (style & ~static_cast<LONG_PTR>(BS_TYPEMASK)) | (is_default ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
  ::SendMessageW(button, BM_SETSTYLE, static_cast<WPARAM>(style), TRUE);
}

// ---------------------------------------------------------------- list views

void Win32WindowSystem::ListInsertColumn(WindowHandle handle, int index, const std::string& title, int width,
                                         int alignment) {
  HWND list = reinterpret_cast<HWND>(handle);
  Native* native = Get(list);
  if (native == nullptr || native->kind != ControlKind::kListView) return;
  std::wstring text = WidenGbk(title);
  LVCOLUMNW column{};
  column.mask = LVCF_FMT | LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  column.fmt = alignment == 1 ? LVCFMT_CENTER : alignment == 2 ? LVCFMT_RIGHT : LVCFMT_LEFT;
  column.cx = ScaleToDpi(width, native->dpi);
  column.pszText = text.data();
  column.iSubItem = index;
  if (::SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column)) >= 0)
    ++native->list_columns;
}

void Win32WindowSystem::HoldListRedraw(HWND list, Native& native) {
  // A hidden list draws nothing anyway; and WM_SETREDRAW TRUE would show it.
  if (native.redraw_held || (::GetWindowLongPtrW(list, GWL_STYLE) & WS_VISIBLE) == 0) return;
  if (!::PostMessageW(list, kResumeRedraw, 0, 0)) return;
  ::SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  native.redraw_held = true;
}

void Win32WindowSystem::ResumeListRedraw(HWND list, Native& native) {
  if (!native.redraw_held) return;
  native.redraw_held = false;
  ::SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  ::RedrawWindow(list, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
}

Win32WindowSystem::RowCells* Win32WindowSystem::KeptRow(HWND list, KeptCells& kept, int row) {
  if (row < 0) return nullptr;
  if (row == kept.last_row) return kept.last_cells;
  LVITEMW item{};
  item.mask = LVIF_PARAM;
  item.iItem = row;
  if (!::SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&item))) return nullptr;
  return reinterpret_cast<RowCells*>(item.lParam);
}

void Win32WindowSystem::ForgetKeptRow(KeptCells& kept, RowCells* cells) {
  kept.last_row = -1;  // the rows after it move up
  kept.last_cells = nullptr;
  auto it = std::find_if(kept.rows.begin(), kept.rows.end(), [cells](const auto& row) { return row.get() == cells; });
  if (it == kept.rows.end()) return;
  std::swap(*it, kept.rows.back());
  kept.rows.pop_back();
}

void Win32WindowSystem::GiveKeptText(HWND list, LPARAM dispinfo) {
  LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(dispinfo)->item;
  if ((item.mask & LVIF_TEXT) == 0 || item.pszText == nullptr || item.cchTextMax <= 0) return;
  item.pszText[0] = L'\0';
  auto kept = kept_cells_.find(list);
  if (kept == kept_cells_.end() || item.iSubItem < 0) return;
  // The control passes the row's item data; found by the row otherwise.
  const RowCells* cells = item.lParam != 0 ? reinterpret_cast<const RowCells*>(item.lParam)
                                           : KeptRow(list, kept->second, item.iItem);
  if (cells == nullptr || static_cast<std::size_t>(item.iSubItem) >= cells->size()) return;
  const WideSecret& text = (*cells)[static_cast<std::size_t>(item.iSubItem)];
  const std::size_t n = std::min(text.size(), static_cast<std::size_t>(item.cchTextMax - 1));
  std::copy_n(text.data(), n, item.pszText);
  item.pszText[n] = L'\0';
}

int Win32WindowSystem::ListInsertRow(WindowHandle handle, int position, const std::string& caption) {
  HWND list = reinterpret_cast<HWND>(handle);
  Native* native = Get(list);
  if (native == nullptr || native->kind != ControlKind::kListView) return -1;
  HoldListRedraw(list, *native);
  WideSecret text = WidenGbkSecret(caption);
  LVITEMW item{};
  item.mask = LVIF_TEXT;
  item.iItem = std::max(position, 0);
  item.pszText = text.data();
  auto kept = kept_cells_.find(list);
  if (kept == kept_cells_.end())
    return static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  auto cells = std::make_unique<RowCells>(1);
  cells->front() = std::move(text);
  item.mask |= LVIF_PARAM;
  item.pszText = LPSTR_TEXTCALLBACKW;
  item.lParam = reinterpret_cast<LPARAM>(cells.get());
  const int row = static_cast<int>(::SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
  if (row < 0) return row;
  kept->second.last_row = row;
  kept->second.last_cells = cells.get();
  kept->second.rows.push_back(std::move(cells));
  return row;
}

bool Win32WindowSystem::ListDeleteRow(WindowHandle handle, int row) {
  HWND list = reinterpret_cast<HWND>(handle);
  if (Find(list) == nullptr || row < 0) return false;
  auto kept = kept_cells_.find(list);
  RowCells* cells = kept != kept_cells_.end() ? KeptRow(list, kept->second, row) : nullptr;
  if (::SendMessageW(list, LVM_DELETEITEM, static_cast<WPARAM>(row), 0) == 0) return false;
  if (kept != kept_cells_.end()) ForgetKeptRow(kept->second, cells);
  return true;
}

void Win32WindowSystem::ListDeleteAllRows(WindowHandle handle) {
  HWND list = reinterpret_cast<HWND>(handle);
  Native* native = Get(list);
  if (native == nullptr) return;
  if (native->kind == ControlKind::kListView) HoldListRedraw(list, *native);  // a reload follows
  ::SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  if (auto kept = kept_cells_.find(list); kept != kept_cells_.end()) kept->second = KeptCells{};
}

int Win32WindowSystem::ListRowCount(WindowHandle handle) {
  HWND list = reinterpret_cast<HWND>(handle);
  if (Find(list) == nullptr) return 0;
  return static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
}

bool Win32WindowSystem::ListSetCell(WindowHandle handle, int row, int column, const std::string& text) {
  // One message per cell (a list is filled a cell at a time): the control
  // refuses a row it lacks, and the columns are counted as they are added.
  HWND list = reinterpret_cast<HWND>(handle);
  const Native* native = Find(list);
  if (native == nullptr || row < 0 || column < 0) return false;
  if (native->list_columns > 0 && column >= native->list_columns) return false;  // nothing is kept beyond the columns
  if (auto kept = kept_cells_.find(list); kept != kept_cells_.end()) {
    if (column >= std::max(native->list_columns, 1)) return false;
    RowCells* cells = KeptRow(list, kept->second, row);
    if (cells == nullptr) return false;
    if (cells->size() <= static_cast<std::size_t>(column)) cells->resize(static_cast<std::size_t>(column) + 1);
    (*cells)[static_cast<std::size_t>(column)] = WidenGbkSecret(text);
    // Drawn with the rest when drawing is held; a hidden list draws nothing.
    if (!native->redraw_held && ::IsWindowVisible(list))
      ::SendMessageW(list, LVM_REDRAWITEMS, static_cast<WPARAM>(row), static_cast<LPARAM>(row));
    return true;
  }
  std::wstring wide = WidenGbk(text);
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = wide.data();
  return ::SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)) != 0;
}

int Win32WindowSystem::ListGetCell(WindowHandle handle, int row, int column, char* buffer, int capacity) {
  if (capacity <= 0) return 0;
  buffer[0] = '\0';
  HWND list = reinterpret_cast<HWND>(handle);
  if (Find(list) == nullptr || row < 0 || column < 0 || row >= ListRowCount(handle)) return 0;
  std::wstring wide(256, L'\0');
  int got = 0;
  for (;;) {
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = wide.data();
    item.cchTextMax = static_cast<int>(wide.size());
    got = static_cast<int>(::SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)));
    if (got < static_cast<int>(wide.size()) - 1) break;
    wide.assign(wide.size() * 2, L'\0');
  }
  std::string text = NarrowToGbk(wide.data(), got);
  int n = std::min(static_cast<int>(text.size()), capacity - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = '\0';
  return n;
}

void Win32WindowSystem::ListSetRowState(WindowHandle handle, int row, bool selected, bool focused) {
  HWND list = reinterpret_cast<HWND>(handle);
  if (Find(list) == nullptr || row < 0 || row >= ListRowCount(handle)) return;
  LVITEMW item{};
  item.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  item.state = (selected ? LVIS_SELECTED : 0u) | (focused ? LVIS_FOCUSED : 0u);
  ::SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
  if (focused) ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
}

bool Win32WindowSystem::ListRowChecked(WindowHandle handle, int row) {
  HWND list = reinterpret_cast<HWND>(handle);
  const Native* native = Find(list);
  if (native == nullptr || native->kind != ControlKind::kListView || !native->look.check_boxes) return false;
  const auto state = static_cast<UINT>(
      ::SendMessageW(list, LVM_GETITEMSTATE, static_cast<WPARAM>(row), static_cast<LPARAM>(LVIS_STATEIMAGEMASK)));
  return (state & LVIS_STATEIMAGEMASK) >> 12 == 2;  // image 2 is the ticked box
}

int Win32WindowSystem::ListFirstSelected(WindowHandle handle) {
  HWND list = reinterpret_cast<HWND>(handle);
  if (Find(list) == nullptr) return -1;
  return static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), MAKELPARAM(LVNI_SELECTED, 0)));
}

}  // namespace platform::win32
