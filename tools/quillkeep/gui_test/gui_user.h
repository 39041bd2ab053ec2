// The driver that plays a scenario script on the real Win32 desktop: it
// gives the dispatcher its turn whenever the program waits — when the
// message loop runs dry, and (by a thread timer) while a message box, a
// dialog or a popup menu runs its own loop — with the Win32 person
// (gui_person.h) acting.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "tools/quillkeep/gui_test/gui_person.h"
#include "tools/scenario/dispatcher.h"

namespace gui_test {

class GuiUser {
 public:
  // Parses the script (ScriptFailure on a malformed line).
  explicit GuiUser(const std::string& script_utf8);

  GuiPerson& person() { return person_; }
  scenario::Dispatcher& script() { return dispatcher_; }
  // Called at each wait before the person acts (a transcript, a screenshot).
  std::function<void(scenario::Wait)> at_wait;
  // Called when the person has acted at a wait.
  std::function<void()> after_act;
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
  void Act(scenario::Wait wait, HWND modal);
  void ActNow(scenario::Wait wait, HWND modal);

  GuiPerson person_;
  scenario::Dispatcher dispatcher_;
  bool acting_ = false;
  HWND last_modal_ = nullptr;  // the modal window already acted on
};

}  // namespace gui_test
