// What a person at the simulated desktop does: input that waits in the
// queue until the program takes it (typing, clicks, keys, the close box,
// menu commands), and the answers to the box, dialog or popup menu that is
// open. What a real desktop would not let a person do is refused.
#pragma once

#include <optional>
#include <stdexcept>
#include <string>

#include "platform/host.h"

namespace platform::sim {

class Desktop;

// A person's action could not be done (a disabled button, no such row, a
// box that has no such button): the one acting reports it as a failure.
struct ActionRefused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class PersonInput {
 public:
  explicit PersonInput(Desktop& desktop) : desktop_(desktop) {}
  PersonInput(const PersonInput&) = delete;
  PersonInput& operator=(const PersonInput&) = delete;

  // Replaces an edit box's content as typing would, through its rules.
  void Type(WindowHandle edit, const std::string& text_gbk);
  void Click(WindowHandle unit);
  void RightClick(WindowHandle list);
  void SelectRow(WindowHandle list, int row);  // -1 clears the selection
  // The first click selects the row, the second activates it.
  void DoubleClickRow(WindowHandle list, int row);
  // On the title of a column: only a report list with its header shown has
  // them, and only a clickable header reports the click.
  void ClickHeader(WindowHandle list, int column);
  // The mouse moves onto a row: a list with hot tracking reports the row
  // when it is another than the one the mouse was on.
  void HoverRow(WindowHandle list, int row);
  // A click on the row's check box; refused in a list without them.
  void ToggleCheck(WindowHandle list, int row);
  // Selects the row and edits its caption, as a second click on a selected
  // row does: when the program lets the edit start, the text is typed and
  // Enter confirms it, and the caption becomes the text unless the program
  // rejects it. Refused in a list whose captions cannot be edited.
  void RenameRow(WindowHandle list, int row, const std::string& text_gbk);
  // A press on the upper (up) or lower half of an edit box's spin control;
  // refused when the box has none.
  void PressSpin(WindowHandle edit, bool up);
  // A left-button press on the unit (on a frame: on a part of its client
  // area no unit covers), a move by dx, dy and the release. A press on the
  // client area or on a label moves the window along when its frame drags
  // by the client area; other units keep the press as a click would,
  // a button clicking when the release is still on it.
  void Drag(WindowHandle unit, int dx, int dy);
  void PressKey(int key_with_modifiers);       // to the focus, or the active window
  void CloseActive();
  void ChooseMenuCommand(WindowHandle frame, int command);
  void AnswerBox(BoxAnswer answer);
  void AnswerDialog(std::optional<std::string> typed_gbk);  // input box or password dialog; nothing cancels
  void ChoosePopup(int command);  // the command of one of the popup menu's items
  void DismissPopup();

 private:
  // The window is there, shown, enabled, and no box or dialog is in the way.
  void RequireUsable(WindowHandle window, const char* what);
  void RequireNoDialog();
  // Activates the window's frame and focuses it, as a click does.
  void FocusOn(WindowHandle window);

  Desktop& desktop_;
};

}  // namespace platform::sim
