#include "tools/quillkeep/gui_test/gui_user.h"

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>

#include "platform/sim/script_checks.h"
#include "platform/system.h"
#include "platform/win32/password_dialog_win32.h"
#include "platform/window_system.h"

namespace gui_test {
namespace {

using platform::sim::CheckedScreen;
using platform::sim::Quote;
using platform::sim::ScriptFailure;
using platform::sim::ScriptLine;

constexpr UINT kTimerMs = 40;
// A `wait` ends a little after its seconds: a timer of the program's that
// falls due at the same moment has then surely been dispatched.
constexpr DWORD kWaitSlackMs = 100;
// The real clock runs for a `wait`: longer ones belong on the simulated desktop.
constexpr unsigned long kLongestWaitSeconds = 600;
constexpr int kInputPlainEdit = 102, kInputMaskedEdit = 103, kInputPrompt = 101;
constexpr int kMessageBoxText = 0xFFFF;
constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU

GuiUser* g_user = nullptr;

std::wstring WideOfUtf8(const std::string& utf8) {
  if (utf8.empty()) return {};
  int n = ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), n);
  return out;
}

POINT Centre(HWND window) {
  RECT r{};
  ::GetClientRect(window, &r);
  return POINT{(r.right - r.left) / 2, (r.bottom - r.top) / 2};
}

// A person's target must be there, visible and usable.
std::string Unusable(HWND window, const char* what) {
  if (window == nullptr || !::IsWindow(window)) return std::string("no such ") + what;
  if (!::IsWindowVisible(window)) return std::string("the ") + what + " is not visible";
  if (!::IsWindowEnabled(window) || !::IsWindowEnabled(::GetAncestor(window, GA_ROOT)))
    return std::string("the ") + what + " is disabled";
  return {};
}

// The real windows of this thread as the script's checks read them.
class GuiScreen final : public CheckedScreen {
 public:
  GuiScreen(const GuiUser& user) : user_(user), modal_(FindOpenModal()) {}

  std::string Describe() override { return DescribeScreen(); }
  std::optional<std::string> MessageBoxText() override {
    return Showing(Wait::kMessageBox) ? std::optional<std::string>(ItemTextUtf8(modal_->window, kMessageBoxText)) : std::nullopt;
  }
  std::optional<std::string> MessageBoxCaption() override {
    return Showing(Wait::kMessageBox) ? std::optional<std::string>(WindowTextUtf8(modal_->window)) : std::nullopt;
  }
  std::optional<std::string> InputBoxPrompt() override {
    return Showing(Wait::kInputBox) ? std::optional<std::string>(ItemTextUtf8(modal_->window, kInputPrompt)) : std::nullopt;
  }
  std::optional<std::string> PasswordDialogMessage() override {
    if (!Showing(Wait::kPasswordDialog)) return std::nullopt;
    return ItemTextUtf8(modal_->window, platform::win32::kPasswordMessageId);
  }
  std::optional<std::string> ActiveWindowCaption() override {
    HWND active = ::GetActiveWindow();
    if (active == nullptr || !IsOurs(active)) return std::nullopt;
    return WindowTextUtf8(active);
  }
  std::optional<std::string> ClipboardText() override { return ClipboardUtf8(); }
  std::optional<std::string> LastOpenedAddress() override {
    if (!user_.opened_addresses || user_.opened_addresses().empty()) return std::nullopt;
    return platform::GbkToUtf8(user_.opened_addresses().back());
  }
  std::optional<UnitRef> FindUnit(const std::string& name) override {
    HWND unit = gui_test::FindUnit(name);
    return unit != nullptr ? std::optional<UnitRef>(reinterpret_cast<UnitRef>(unit)) : std::nullopt;
  }
  std::optional<std::string> UnitProperty(UnitRef unit, int index) override {
    std::uint32_t window_id = 0, unit_id = 0;
    if (!user_.read_property || !UnitIds(reinterpret_cast<HWND>(unit), &window_id, &unit_id)) return std::nullopt;
    return user_.read_property(window_id, unit_id, index);
  }
  int ListRows(UnitRef unit) override {
    return platform::CurrentWindowSystem()->ListRowCount(static_cast<platform::WindowHandle>(unit));
  }
  std::string ListCell(UnitRef unit, int row, int column) override {
    std::vector<char> buffer(4096);
    int n = platform::CurrentWindowSystem()->ListGetCell(static_cast<platform::WindowHandle>(unit), row, column, buffer.data(),
                                                         static_cast<int>(buffer.size()));
    if (n <= 0) return {};
    return platform::GbkToUtf8(std::string(buffer.data(), static_cast<std::size_t>(n)));
  }

 private:
  bool Showing(Wait kind) const { return modal_ && modal_->kind == kind; }

  const GuiUser& user_;
  std::optional<OpenModal> modal_;
};

}  // namespace

GuiUser::GuiUser(const std::string& script) { lines_ = platform::sim::ParseScript(script, &last_line_); }

void GuiUser::Fail(int line, const std::string& expected, const std::string& saw) {
  throw ScriptFailure(line, expected, saw);
}

void GuiUser::Start() {
  g_user = this;
  while (position_ < lines_.size() && lines_[position_].verb == "clock") Check(lines_[position_++], std::nullopt);
  ::SetTimer(nullptr, 0, kTimerMs, OnTimer);
}

void CALLBACK GuiUser::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (g_user == nullptr || g_user->acting_) return;
  std::optional<OpenModal> modal = FindOpenModal();
  if (!modal || modal->window == g_user->last_modal_) return;
  g_user->Act(modal->kind, modal->window);
}

void GuiUser::OnIdle() {
  if (acting_) return;
  if (std::optional<OpenModal> modal = FindOpenModal()) {
    if (modal->window != last_modal_) Act(modal->kind, modal->window);
    return;
  }
  Act(Wait::kIdle, nullptr);
}

void GuiUser::Act(Wait wait, HWND modal) {
  // Failures cannot travel through the system's message loops: they end
  // the run here.
  try {
    ActNow(wait, modal);
  } catch (const ScriptFailure& failure) {
    if (on_failure) on_failure(failure.what());
    std::fprintf(stderr, "%s\n", failure.what());
    std::fflush(stderr);
    std::_Exit(3);
  }
}

void GuiUser::ActNow(Wait wait, HWND modal) {
  if (waiting_until_) {
    if (static_cast<LONG>(::GetTickCount() - *waiting_until_) < 0) return;  // the loop runs on meanwhile
    waiting_until_.reset();
  }
  acting_ = true;
  if (keyboard_state_changed_) {  // modifiers held for the last key press are let go
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = keys[VK_CONTROL] = keys[VK_MENU] = 0;
    ::SetKeyboardState(keys);
    keyboard_state_changed_ = false;
  }
  if (at_wait) at_wait(wait);
  while (position_ < lines_.size()) {
    const ScriptLine& line = lines_[position_++];
    if (line.verb == "wait") {
      StartWaiting(line);
      acting_ = false;
      return;
    }
    if (platform::sim::IsAction(line)) {
      Perform(wait, modal, line);
      if (modal != nullptr) last_modal_ = modal;
      acting_ = false;
      return;
    }
    Check(line, std::nullopt);
  }
  Fail(last_line_ + 1, "a line telling the person what to do",
       "the end of the script while " + std::string(WaitName(wait)) + " waits: " + DescribeScreen());
}

void GuiUser::Finish(int exit_code) {
  ::KillTimer(nullptr, 0);
  g_user = nullptr;
  while (position_ < lines_.size()) {
    const ScriptLine& line = lines_[position_++];
    if (!platform::sim::NeedsNoScreen(line))
      Fail(line.number, "the program to be running for " + Quote(line.verb + (line.words.empty() ? "" : " " + line.words[0])),
           "it ended with exit code " + std::to_string(exit_code));
    if (line.verb == "wait") continue;  // nothing of the program's can fall due any more
    Check(line, exit_code);
  }
}

void GuiUser::StartWaiting(const ScriptLine& line) {
  std::uint32_t seconds = platform::sim::SecondsOf(line);
  if (seconds > kLongestWaitSeconds)
    Fail(line.number, "a wait of at most " + std::to_string(kLongestWaitSeconds) + " seconds on the real clock",
         Quote(line.words[0]));
  waiting_until_ = ::GetTickCount() + static_cast<DWORD>(seconds) * 1000u + kWaitSlackMs;
  if (advance_clock) advance_clock(seconds);
}

HWND GuiUser::Unit(const ScriptLine& line, const std::string& name) {
  HWND unit = FindUnit(name);
  if (unit == nullptr) Fail(line.number, "a unit named " + Quote(name), DescribeScreen());
  return unit;
}

// ---------------------------------------------------------------- checks

void GuiUser::Check(const ScriptLine& line, std::optional<int> exit_code) {
  if (line.verb == "clock") {
    platform::LocalTime t = platform::sim::ClockOf(line);
    if (set_clock) set_clock(t);
    return;
  }
  GuiScreen screen(*this);
  platform::sim::CheckExpectation(line, exit_code, folder, screen);
}

// ---------------------------------------------------------------- actions

void GuiUser::Perform(Wait wait, HWND modal, const ScriptLine& line) {
  const std::string& v = line.verb;
  auto need = [&](bool ok, const char* what) {
    if (!ok) Fail(line.number, std::string(what) + " for " + Quote(v), WaitName(wait) + std::string(": ") + DescribeScreen());
  };
  auto refuse = [&](const std::string& why) {
    Fail(line.number, "to " + Quote(v + (line.words.empty() ? "" : " " + line.words[0])), why + "; " + DescribeScreen());
  };
  if (v == "answer") {
    need(wait == Wait::kMessageBox, "a message box");
    static const std::pair<const char*, int> kButtons[] = {{"OK", IDOK},   {"Cancel", IDCANCEL}, {"Yes", IDYES},
                                                           {"No", IDNO},   {"Abort", IDABORT},   {"Retry", IDRETRY},
                                                           {"Ignore", IDIGNORE}};
    for (auto [name, id] : kButtons)
      if (line.words[0] == name) {
        if (::GetDlgItem(modal, id) == nullptr) refuse("the box has no such button");
        return AnswerBox(modal, id);
      }
    Fail(line.number, "a button name", Quote(line.words[0]));
  }
  if (v == "input") {
    need(wait == Wait::kInputBox || wait == Wait::kPasswordDialog, "an input box or the password dialog");
    HWND edit = wait == Wait::kPasswordDialog ? ::GetDlgItem(modal, platform::win32::kPasswordEditId)
                : ::IsWindowVisible(::GetDlgItem(modal, kInputMaskedEdit)) ? ::GetDlgItem(modal, kInputMaskedEdit)
                                                                            : ::GetDlgItem(modal, kInputPlainEdit);
    TypeInto(edit, WideOfUtf8(line.text));
    return AnswerBox(modal, IDOK);
  }
  if (v == "cancel") {
    need(wait == Wait::kInputBox || wait == Wait::kPasswordDialog || wait == Wait::kPopupMenu,
         "an input box, the password dialog or a popup menu");
    if (wait == Wait::kPopupMenu) {
      ::PostMessageW(::GetActiveWindow() != nullptr ? ::GetActiveWindow() : modal, WM_KEYDOWN, VK_ESCAPE, 1);
      return;
    }
    return AnswerBox(modal, IDCANCEL);
  }
  if (v == "menu") {
    need(wait == Wait::kPopupMenu, "a popup menu");
    return ChoosePopup(modal, line.text);
  }
  need(wait == Wait::kIdle, "the program waiting in a window");
  if (v == "type") {
    HWND edit = Unit(line, line.words[0]);
    if (std::string why = Unusable(edit, "edit box"); !why.empty()) refuse(why);
    if (!IsOurs(edit, static_cast<int>(platform::ControlKind::kEdit))) refuse("not an edit box");
    if ((::GetWindowLongPtrW(edit, GWL_STYLE) & ES_READONLY) != 0) refuse("the edit box is read-only");
    ClickAt(edit, Centre(edit), false);
    return TypeInto(edit, WideOfUtf8(line.text));
  }
  if (v == "click") {
    HWND unit = Unit(line, line.words[0]);
    if (std::string why = Unusable(unit, "unit"); !why.empty()) refuse(why);
    if (IsOurs(unit, static_cast<int>(platform::ControlKind::kListView))) {
      // Below the last row: a click on the list that picks no row.
      RECT client{};
      ::GetClientRect(unit, &client);
      return ClickAt(unit, POINT{client.right / 2, client.bottom - 4}, false);
    }
    return ClickAt(unit, Centre(unit), false);
  }
  if (v == "rclick") {
    HWND list = Unit(line, line.words[0]);
    if (std::string why = Unusable(list, "list"); !why.empty()) refuse(why);
    // On the selected row, so the click keeps the selection as it is; else
    // on the empty part of the list.
    int row = static_cast<int>(::SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
    RECT client{};
    ::GetClientRect(list, &client);
    POINT at{client.right / 2, client.bottom - 4};
    RECT item{};
    item.left = LVIR_BOUNDS;
    if (row >= 0 && ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item)))
      at = POINT{item.left + 8, (item.top + item.bottom) / 2};
    return ClickAt(list, at, true);
  }
  if (v == "select") {
    HWND list = Unit(line, line.words[0]);
    if (std::string why = Unusable(list, "list"); !why.empty()) refuse(why);
    if (!IsOurs(list, static_cast<int>(platform::ControlKind::kListView))) refuse("not a list");
    int row = platform::sim::WholeNumberOf(line, 1);
    int rows = static_cast<int>(::SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    if (row < -1 || row >= rows) refuse("the list has " + std::to_string(rows) + " rows");
    RECT client{};
    ::GetClientRect(list, &client);
    POINT at{client.right / 2, client.bottom - 4};
    if (row >= 0) {
      ::SendMessageW(list, LVM_ENSUREVISIBLE, static_cast<WPARAM>(row), FALSE);
      RECT item{};
      item.left = LVIR_BOUNDS;
      ::SendMessageW(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
      at = POINT{item.left + 8, (item.top + item.bottom) / 2};
    }
    return ClickAt(list, at, false);
  }
  if (v == "close") {
    HWND active = ::GetActiveWindow();
    if (active == nullptr || !IsOurs(active)) refuse("no window is active");
    if (std::string why = Unusable(active, "window"); !why.empty()) refuse(why);
    ::PostMessageW(active, WM_SYSCOMMAND, SC_CLOSE, 0);  // the close box
    return;
  }
  if (v == "key") {
    const std::string& k = line.words[0];
    int key = k == "Tab" ? platform::key::kTab : k == "Shift+Tab" ? (platform::key::kTab | platform::key::kShift)
            : k == "Enter" ? platform::key::kEnter : k == "Esc" ? platform::key::kEscape : 0;
    if (key == 0) Fail(line.number, "Tab, Shift+Tab, Enter or Esc", Quote(k));
    return PressKey(key);
  }
}

// Everything below goes through the message queue, so the program sees it
// in order, as it would see a person's input.

void GuiUser::TypeInto(HWND edit, const std::wstring& text) {
  ::PostMessageW(edit, EM_SETSEL, 0, -1);  // select all, then type over it
  if (text.empty()) ::PostMessageW(edit, WM_CHAR, VK_BACK, 1);
  for (wchar_t c : text) ::PostMessageW(edit, WM_CHAR, c, 1);
}

void GuiUser::ClickAt(HWND window, POINT at, bool right) {
  LPARAM where = MAKELPARAM(at.x, at.y);
  ::PostMessageW(window, right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN, right ? MK_RBUTTON : MK_LBUTTON, where);
  ::PostMessageW(window, right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, where);
}

void GuiUser::PressKey(int key) {
  HWND target = ::GetFocus();
  if (target == nullptr) target = ::GetActiveWindow();
  if (target == nullptr || !IsOurs(::GetAncestor(target, GA_ROOT))) Fail(position_ > 0 ? lines_[position_ - 1].number : 0, "to press a key", "no window is active; " + DescribeScreen());
  if ((key & platform::key::kShift) != 0) {
    BYTE keys[256] = {};
    ::GetKeyboardState(keys);
    keys[VK_SHIFT] = 0x80;
    ::SetKeyboardState(keys);
    keyboard_state_changed_ = true;
  }
  WPARAM vk = static_cast<WPARAM>(key & 0x1FFF);
  ::PostMessageW(target, WM_KEYDOWN, vk, 1);
  ::PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
}

void GuiUser::AnswerBox(HWND box, int button_id) {
  HWND button = ::GetDlgItem(box, button_id);
  ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button_id, BN_CLICKED), reinterpret_cast<LPARAM>(button));
}

void GuiUser::ChoosePopup(HWND menu_window, const std::string& caption) {
  const ScriptLine& line = lines_[position_ - 1];
  HMENU menu = reinterpret_cast<HMENU>(::SendMessageW(menu_window, kGetMenuHandle, 0, 0));
  if (menu == nullptr) Fail(line.number, "a popup menu", DescribeScreen());
  // The keyboard walks the items (separators are skipped) to the one named.
  int steps = 0;
  for (int i = 0; i < ::GetMenuItemCount(menu); ++i) {
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_STATE | MIIM_STRING;
    wchar_t text[256] = {};
    info.dwTypeData = text;
    info.cch = 255;
    ::GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if ((info.fType & MFT_SEPARATOR) != 0) continue;
    ++steps;
    std::wstring shown = text;
    shown = shown.substr(0, shown.find(L'\t'));
    if (shown != WideOfUtf8(caption)) continue;
    if ((info.fState & MFS_GRAYED) != 0)
      Fail(line.number, "to " + Quote("menu " + caption), "the menu item is disabled; " + DescribeScreen());
    HWND owner = ::GetActiveWindow();
    for (int k = 0; k < steps; ++k) ::PostMessageW(owner, WM_KEYDOWN, VK_DOWN, 1);
    ::PostMessageW(owner, WM_KEYDOWN, VK_RETURN, 1);
    return;
  }
  Fail(line.number, "to " + Quote("menu " + caption), "the popup menu has no such item; " + DescribeScreen());
}

}  // namespace gui_test
