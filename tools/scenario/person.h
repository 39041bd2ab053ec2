// The person of a scenario script: what someone in front of a desktop can
// see and do. The dispatcher (dispatcher.h) plays a script through this
// interface, so the verbs, the names of buttons and keys, the checks and
// the failure messages exist once for every desktop.
//
// A desktop takes part with two pieces:
//  - a Person: the desktop's own boxes, dialogs and popup menus as a person
//    reads them, the input a person makes, and the clock;
//  - a driver that calls Dispatcher::Start before the program runs,
//    Dispatcher::Act each time the program waits for the person (its message
//    loop runs dry, or a message box, input box, password dialog or popup
//    menu shows and waits), and Dispatcher::Finish once the program ended.
// Everything else the dispatcher reads itself: the windows and units of the
// program through the window-system seam (platform::CurrentWindowSystem())
// and the window runtime (ui/unit_lookup.h, ui/property_text.h). A person
// therefore never looks units up by name; it gets the system window to act on.
//
// The simulated desktop's person is tools/scenario/sim_person.h, the Win32
// one tools/quillkeep/gui_test/gui_person.h. A new desktop (say on Qt
// widgets) writes the same two pieces: a Person whose actions post real
// input events to the widgets behind the handles, and a driver that finds
// out when the program waits (an idle hook of its event loop, a timer while
// a modal dialog runs its own loop) and calls Act with the kind of wait.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/host.h"

namespace scenario {

// What the program waits for when the person is asked to act.
enum class Wait { kIdle, kMessageBox, kInputBox, kPasswordDialog, kPopupMenu };
const char* WaitName(Wait wait);

// The desktop cannot do what the person tries (a box without that button,
// no row there...). The dispatcher reports it as the script line's failure,
// with the reason and the screen.
struct ActionRefused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// An open message box as a person reads it (texts UTF-8).
struct ShownMessageBox {
  std::string text;
  std::string caption;
  std::vector<platform::BoxAnswer> buttons;
};

// An item of an open popup menu a person can choose (separators are none).
struct PopupItem {
  std::string caption;  // UTF-8, without the shortcut text after a tab
  bool greyed = false;
};

class Person {
 public:
  virtual ~Person() = default;

  // ---- What the person sees. Texts are UTF-8; nothing: not showing now.
  virtual std::optional<ShownMessageBox> OpenMessageBox() = 0;
  virtual std::optional<std::string> InputBoxPrompt() = 0;
  // The message line of the password dialog (empty on the first asking).
  virtual std::optional<std::string> PasswordDialogMessage() = 0;
  // The items of the open popup menu, in the order ChoosePopupItem counts them.
  virtual std::optional<std::vector<PopupItem>> OpenPopupMenu() = 0;
  // The clipboard's text; nothing when it holds none.
  virtual std::optional<std::string> ClipboardText() = 0;
  // The last address handed to the browser.
  virtual std::optional<std::string> LastOpenedAddress() = 0;
  virtual bool IsReadOnly(platform::WindowHandle edit) = 0;
  // The colour the person sees at (x, y) of the unit's client area (the
  // template's pixels), as 0xRRGGBB: what the window and the units over
  // that point drew. Nothing when the point lies outside the client area.
  virtual std::optional<std::uint32_t> ColourAt(platform::WindowHandle unit, int x, int y) = 0;
  // The desktop's own face colour of windows and dialogs, 0xRRGGBB.
  virtual std::uint32_t FaceColour() = 0;

  // ---- What the person does. The dispatcher has checked that the wait
  // fits the action and that the target is there, visible and enabled; a
  // person may still refuse with ActionRefused. Input goes to the program
  // as the desktop's own input would, to be handled once Act returns.
  // Replaces the edit box's content, typed through the box's own rules.
  virtual void Type(platform::WindowHandle edit, const std::string& text) = 0;
  // A left click: a button is pressed; a list view is clicked where no row is.
  virtual void Click(platform::WindowHandle unit) = 0;
  // A right click in a list view, keeping its selection.
  virtual void RightClick(platform::WindowHandle list) = 0;
  // A click on the row (-1: on no row, which clears the selection).
  virtual void SelectRow(platform::WindowHandle list, int row) = 0;
  // A double click on the row (which exists).
  virtual void DoubleClickRow(platform::WindowHandle list, int row) = 0;
  // A click on the title of a column of a list in report view; refused
  // when the list shows no such column title.
  virtual void ClickHeader(platform::WindowHandle list, int column) = 0;
  // The mouse moves onto the row (which exists).
  virtual void HoverRow(platform::WindowHandle list, int row) = 0;
  // A click on the row's check box; refused when the list has none.
  virtual void ToggleCheck(platform::WindowHandle list, int row) = 0;
  // Edits the caption of the row (which exists) as a person does: starts
  // the edit on the selected row; when an editor opens, types the text
  // into it and confirms with Enter. Refused when the list's captions
  // cannot be edited.
  virtual void RenameRow(platform::WindowHandle list, int row, const std::string& text) = 0;
  // A press on the upper (up) or lower half of the edit box's spin
  // control; refused when the box has none.
  virtual void PressSpin(platform::WindowHandle edit, bool up) = 0;
  // A left-button press on the unit, a move by dx, dy (pixels) and the
  // release there. On a frame the press falls on a part of its client area
  // that no unit covers; refused when there is none.
  virtual void Drag(platform::WindowHandle unit, int dx, int dy) = 0;
  // A key (platform::key codes with modifiers) to the focus of the active window.
  virtual void PressKey(int key) = 0;
  // The close box of a frame.
  virtual void Close(platform::WindowHandle frame) = 0;
  // At a message box: one of its buttons.
  virtual void AnswerBox(platform::BoxAnswer answer) = 0;
  // At an input box or the password dialog: types the text and confirms;
  // nothing cancels.
  virtual void AnswerDialog(const std::optional<std::string>& typed) = 0;
  // At a popup menu: the item at `index` of OpenPopupMenu(), or none at all.
  virtual void ChoosePopupItem(std::size_t index) = 0;
  virtual void DismissPopup() = 0;

  // ---- Time.
  // The local time the program reads from now on, standing still but for
  // the waits.
  virtual void SetClock(const platform::LocalTime& now) = 0;
  // The person waits `seconds` while the program runs. True when the time
  // has passed already (a simulated clock); false when the program must run
  // on the real clock meanwhile: the driver then calls Act again at the
  // first wait after the time is up, and the script goes on from there.
  virtual bool PassTime(std::uint32_t seconds) = 0;
  // The longest wait the desktop can make; nothing: any.
  virtual std::optional<std::uint32_t> LongestWait() { return std::nullopt; }
  // The desktop session locks. True when the program has learnt of it
  // already; false when it must run first, as for PassTime (the driver
  // calls Act again at its next wait).
  virtual bool LockSession() = 0;
};

}  // namespace scenario
