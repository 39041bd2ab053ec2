// The scripted user on the real Win32 desktop: the same scenario scripts as
// the simulated desktop's, acted out through real window messages — typing
// characters into the focused edit control, mouse clicks on buttons and list
// rows, key presses, the buttons of real message boxes and dialogs, and the
// keyboard in popup menus. It acts whenever the program waits: when the
// message loop runs dry, and (by a thread timer) while a message box, a
// dialog or a popup menu runs its own loop. `wait SECONDS` lets the real
// clock run that long with the program's message loop going, so timers
// that fall due meanwhile (clearing the clipboard) fire; a clock the script
// set moves on by as much.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/sim/script.h"
#include "tools/quillkeep/gui_test/screen.h"

namespace gui_test {

class GuiUser {
 public:
  // Parses the script (ScriptFailure on a malformed line).
  explicit GuiUser(const std::string& script_utf8);

  std::string folder = ".";  // UTF-8, for `expect file`
  std::function<std::optional<std::string>(std::uint32_t window, std::uint32_t unit, int index)> read_property;
  std::function<void(platform::LocalTime)> set_clock;
  // A `wait` line moves a clock the script set on by its seconds.
  std::function<void(std::uint32_t seconds)> advance_clock;
  std::function<const std::vector<std::string>&()> opened_addresses;  // GBK
  // Called at each wait before the person acts (a transcript, a screenshot).
  std::function<void(Wait)> at_wait;
  // Called with the message of a failed script line before the run ends
  // (exit code 3).
  std::function<void(const std::string&)> on_failure;

  // Applies the clock lines at the top; arms the timer for modal waits.
  void Start();
  // The program's message loop ran dry.
  void OnIdle();
  // The program ended: the remaining lines may only be off-screen checks.
  void Finish(int exit_code);

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  void Act(Wait wait, HWND modal);
  void ActNow(Wait wait, HWND modal);
  void Check(const platform::sim::ScriptLine& line, std::optional<int> exit_code);
  void Perform(Wait wait, HWND modal, const platform::sim::ScriptLine& line);
  void StartWaiting(const platform::sim::ScriptLine& line);
  HWND Unit(const platform::sim::ScriptLine& line, const std::string& name);
  [[noreturn]] void Fail(int line, const std::string& expected, const std::string& saw);

  // Person input, as real window messages.
  void TypeInto(HWND edit, const std::wstring& text);
  void ClickAt(HWND window, POINT client, bool right);
  void PressKey(int key);
  void AnswerBox(HWND box, int button_id);
  void ChoosePopup(HWND menu_window, const std::string& caption_utf8);

  std::vector<platform::sim::ScriptLine> lines_;
  std::size_t position_ = 0;
  int last_line_ = 0;
  bool acting_ = false;
  HWND last_modal_ = nullptr;  // the modal window already acted on
  bool keyboard_state_changed_ = false;
  std::optional<DWORD> waiting_until_;  // tick count a `wait` line ends at
};

}  // namespace gui_test
