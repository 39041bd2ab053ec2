// The scenario person on the Qt desktop: it reads the program's message
// boxes, dialogs and popup menus, and acts through real Qt input events —
// mouse clicks on buttons and list rows, key presses (typed characters go
// through the same path as a keyboard's, so the runtime sees the keys first
// and the edit box's rules apply), the buttons of boxes and dialogs, and
// clicks in popup menus. Every action is posted to the event loop, so the
// program handles it once the dispatcher has returned, as it would handle
// a person's input.
#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/qt/window_system_qt.h"
#include "tools/scenario/driver_host.h"
#include "tools/scenario/person.h"

namespace quillkeep_qt {

// The box, dialog or popup menu the program shows now, if any.
struct OpenModal {
  scenario::Wait kind = scenario::Wait::kIdle;
  QPointer<QWidget> widget;
};
std::optional<OpenModal> FindOpenModal();

class QtPerson final : public scenario::Person {
 public:
  explicit QtPerson(platform::qt::QtWindowSystem& system) : system_(system) {}

  // The host's clock and browser.
  std::function<void(platform::LocalTime)> set_clock;
  // The script's time passes (scenario::DriverHost::PassTime): the
  // milliseconds of it the real clock must run.
  std::function<std::uint32_t(std::uint32_t seconds)> pass_time;
  std::function<const std::vector<std::string>&()> opened_addresses;  // GBK
  // Tells the host the session locked, as the screen saver's signal would.
  std::function<void()> lock_session;

  // At each wait, before acting: the box, dialog or popup menu showing now.
  void AtWait(std::optional<OpenModal> modal) { modal_ = std::move(modal); }
  // Milliseconds left of the script's last `wait`; 0 when it is over.
  int WaitLeft();
  // True from an action until the program has been handed its input: the
  // program does not wait for the person meanwhile.
  bool ActionPending() const { return pending_ > 0; }

  std::optional<scenario::ShownMessageBox> OpenMessageBox() override;
  std::optional<std::string> InputBoxPrompt() override;
  std::optional<std::string> PasswordDialogMessage() override;
  std::optional<std::vector<scenario::PopupItem>> OpenPopupMenu() override;
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
  std::optional<std::uint32_t> LongestWait() override { return scenario::DriverHost::kLongestWaitSeconds; }
  bool LockSession() override;

 private:
  // The person's input reaches the program once the dispatcher has returned.
  void Later(std::function<void()> act);
  QWidget* Widget(platform::WindowHandle handle);
  template <typename Dialog>
  Dialog* Showing(scenario::Wait kind) const;

  platform::qt::QtWindowSystem& system_;
  std::optional<OpenModal> modal_;
  std::optional<std::int64_t> waiting_until_;  // milliseconds of a steady clock
  int pending_ = 0;
};

}  // namespace quillkeep_qt
