// The scenario person on the real Win32 desktop: it reads the message boxes,
// dialogs and popup menus of this process, and acts through real window
// messages — characters typed into the focused edit control, mouse clicks
// on buttons and list rows, key presses, the buttons of boxes and dialogs,
// and the keyboard in popup menus. Everything goes through the message
// queue, so the program sees it in order, as it would see a person's input.
// A `wait` lets the real clock run with the program's message loop going,
// so its timers fire: all of a short wait, the first seconds of a long one,
// whose rest the host's tick count skips (scenario::DriverHost::PassTime);
// a clock the script set moves on by the whole wait. The session locks as
// the system tells a program of it: a session-change message.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "tools/quillkeep/gui_test/screen.h"
#include "tools/scenario/driver_host.h"
#include "tools/scenario/person.h"

namespace gui_test {

class GuiPerson final : public scenario::Person {
 public:
  // The host's clock and browser.
  std::function<void(platform::LocalTime)> set_clock;
  // The script's time passes (scenario::DriverHost::PassTime): the
  // milliseconds of it the real clock must run.
  std::function<std::uint32_t(std::uint32_t seconds)> pass_time;
  std::function<const std::vector<std::string>&()> opened_addresses;  // GBK

  // At each wait, before acting: the box, dialog or popup menu showing
  // now (nothing at an idle wait); modifier keys held for the last key
  // press are let go.
  void AtWait(std::optional<OpenModal> modal);
  // True while the script's last `wait` is not over: the program runs on.
  bool StillWaiting();

  std::optional<scenario::ShownMessageBox> OpenMessageBox() override;
  std::optional<std::string> InputBoxPrompt() override;
  std::optional<std::string> PasswordDialogMessage() override;
  std::optional<std::vector<scenario::PopupItem>> OpenPopupMenu() override;
  std::optional<std::string> ClipboardText() override { return ClipboardUtf8(); }
  std::optional<std::string> LastOpenedAddress() override;
  bool IsReadOnly(platform::WindowHandle edit) override;
  std::optional<std::uint32_t> ColourAt(platform::WindowHandle unit, int x, int y) override;
  std::uint32_t FaceColour() override;

  void Type(platform::WindowHandle edit, const std::string& text) override;
  void Click(platform::WindowHandle unit) override;
  void RightClick(platform::WindowHandle list) override;
  void SelectRow(platform::WindowHandle list, int row) override;
  void DoubleClickRow(platform::WindowHandle list, int row) override;
  void ClickHeader(platform::WindowHandle list, int column) override;
  void HoverRow(platform::WindowHandle list, int row) override;
  void ToggleCheck(platform::WindowHandle list, int row) override;
  void PressSpin(platform::WindowHandle edit, bool up) override;
  void RenameRow(platform::WindowHandle list, int row, const std::string& text) override;
  void Drag(platform::WindowHandle unit, int dx, int dy) override;
  void PressKey(int key) override;
  void Close(platform::WindowHandle frame) override;
  void AnswerBox(platform::BoxAnswer answer) override;
  void AnswerDialog(const std::optional<std::string>& typed) override;
  void ChoosePopupItem(std::size_t index) override;
  void DismissPopup() override;

  void SetClock(const platform::LocalTime& now) override;
  bool PassTime(std::uint32_t seconds) override;
  std::optional<std::uint32_t> LongestWait() override { return scenario::DriverHost::kLongestWaitSeconds; }
  bool LockSession() override;

 private:
  void TypeInto(HWND edit, const std::wstring& text);
  void ClickAt(HWND window, POINT client, bool right);
  void PressButton(int button_id);

  std::optional<OpenModal> modal_;      // what this wait shows
  bool keyboard_state_changed_ = false;
  HWND drag_capture_ = nullptr;         // holds the mouse from a drag's press until the next wait
  std::optional<DWORD> waiting_until_;  // tick count the last `wait` ends at
};

}  // namespace gui_test
