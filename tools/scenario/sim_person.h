// The scenario person on the simulated desktop, and the driver that plays a
// script there: the desktop asks its platform::sim::Person at every wait,
// and SimScriptedUser answers through the dispatcher.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "platform/sim/desktop.h"
#include "tools/scenario/dispatcher.h"

namespace scenario {

class SimPerson final : public Person {
 public:
  // The desktop the person sits at; it must outlive its use here.
  void SitAt(platform::sim::Desktop& desktop) { desktop_ = &desktop; }

  std::optional<ShownMessageBox> OpenMessageBox() override;
  std::optional<std::string> InputBoxPrompt() override;
  std::optional<std::string> PasswordDialogMessage() override;
  std::optional<std::vector<PopupItem>> OpenPopupMenu() override;
  std::optional<std::string> ClipboardText() override;
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
  bool LockSession() override;

  // The characters the box refused at the last `type` or `input` (UTF-8):
  // the code page lacks them.
  const std::vector<std::string>& refused() const { return refused_; }

 private:
  platform::sim::Desktop& desktop();

  platform::sim::Desktop* desktop_ = nullptr;
  std::vector<std::string> refused_;
};

// A script played on the simulated desktop: install it with
// Desktop::set_person, call Start before the program runs and Finish with
// its exit code after, while the desktop still stands.
class SimScriptedUser final : public platform::sim::Person {
 public:
  // Parses the script (ScriptFailure on a malformed line).
  explicit SimScriptedUser(const std::string& script_utf8);

  Dispatcher& script() { return dispatcher_; }
  // Called at each wait before the script acts, and with each action done
  // (a transcript).
  std::function<void(platform::sim::WaitKind)> at_wait;
  // The action's characters a box refused (UTF-8) come with it.
  std::function<void(const ScriptLine&, const std::vector<std::string>& refused)> after_action;

  void Start(platform::sim::Desktop& desktop);
  void Act(platform::sim::Desktop& desktop, platform::sim::WaitKind wait) override;
  void Finish(platform::sim::Desktop& desktop, int exit_code);
  bool finished() const { return dispatcher_.finished(); }

 private:
  SimPerson person_;
  Dispatcher dispatcher_;
};

}  // namespace scenario
