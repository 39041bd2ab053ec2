#include "tools/scenario/dispatcher.h"

#include <algorithm>

#include "tools/scenario/checks.h"
#include "ui/unit.h"

namespace scenario {

const char* WaitName(Wait wait) {
  switch (wait) {
    case Wait::kIdle: return "the program waiting in a window";
    case Wait::kMessageBox: return "a message box";
    case Wait::kInputBox: return "an input box";
    case Wait::kPasswordDialog: return "the password dialog";
    case Wait::kPopupMenu: return "a popup menu";
  }
  return "";
}

Dispatcher::Dispatcher(Person& person, const std::string& script) : person_(person), screen_(person) {
  lines_ = ParseScript(script, &last_line_);
}

void Dispatcher::Start() {
  while (position_ < lines_.size() && lines_[position_].verb == "clock") Check(lines_[position_++], std::nullopt);
}

const ScriptLine* Dispatcher::Act(Wait wait) {
  while (position_ < lines_.size()) {
    const ScriptLine& line = lines_[position_++];
    if (line.verb == "wait") {
      std::uint32_t seconds = SecondsOf(line);
      std::optional<std::uint32_t> longest = person_.LongestWait();
      if (longest && seconds > *longest)
        throw ScriptFailure(line.number, "a wait of at most " + std::to_string(*longest) + " seconds",
                            Quote(line.words[0]));
      if (!person_.PassTime(seconds)) return nullptr;
      continue;
    }
    if (line.verb == "lock-session") {
      if (!person_.LockSession()) return nullptr;
      continue;
    }
    if (IsAction(line)) {
      Perform(wait, line);
      return &line;
    }
    Check(line, std::nullopt);
  }
  throw ScriptFailure(last_line_ + 1, "a line telling the person what to do",
                      "the end of the script while " + std::string(WaitName(wait)) + " waits: " + screen_.Describe());
}

void Dispatcher::Finish(int exit_code) {
  while (position_ < lines_.size()) {
    const ScriptLine& line = lines_[position_++];
    if (!NeedsNoScreen(line))
      throw ScriptFailure(line.number,
                          "the program to be running for " + Quote(line.verb + (line.words.empty() ? "" : " " + line.words[0])),
                          "it ended with exit code " + std::to_string(exit_code));
    if (line.verb == "wait") {
      SecondsOf(line);  // read, but nothing of the program's can fall due any more
      continue;
    }
    Check(line, exit_code);
  }
}

void Dispatcher::Check(const ScriptLine& line, std::optional<int> exit_code) {
  if (line.verb == "clock") return person_.SetClock(ClockOf(line));
  CheckExpectation(line, exit_code, folder, screen_);
}

platform::WindowHandle Dispatcher::Unit(const ScriptLine& line, const std::string& name, const char* what) {
  platform::WindowHandle unit = screen_.FindUnit(name);
  if (unit == 0) throw ScriptFailure(line.number, "a unit named " + Quote(name), screen_.Describe());
  if (std::string why = screen_.WhyUnusable(unit, what); !why.empty()) throw ActionRefused(why);
  return unit;
}

// The wait an action needs: a ScriptFailure naming what was there instead.
void Dispatcher::Need(bool ok, const char* what, Wait wait, const ScriptLine& line) {
  if (!ok)
    throw ScriptFailure(line.number, std::string(what) + " for " + Quote(line.verb),
                        WaitName(wait) + std::string(": ") + screen_.Describe());
}

void Dispatcher::Perform(Wait wait, const ScriptLine& line) {
  const std::string& v = line.verb;
  try {
    if (v == "answer" || v == "input" || v == "cancel" || v == "menu") return PerformAtBox(wait, line);
    Need(wait == Wait::kIdle, "the program waiting in a window", wait, line);
    PerformInWindow(line);
  } catch (const ActionRefused& refused) {
    throw ScriptFailure(line.number, "to " + Quote(v + (line.words.empty() ? "" : " " + line.words[0])),
                        std::string(refused.what()) + "; " + screen_.Describe());
  }
}

// The actions at a box, a dialog or a popup menu.
void Dispatcher::PerformAtBox(Wait wait, const ScriptLine& line) {
  const std::string& v = line.verb;
  bool at_dialog = wait == Wait::kInputBox || wait == Wait::kPasswordDialog;
  if (v == "answer") {
    Need(wait == Wait::kMessageBox, "a message box", wait, line);
    std::optional<platform::BoxAnswer> answer = ButtonNamed(line.words[0]);
    if (!answer) throw ScriptFailure(line.number, "a button name", Quote(line.words[0]));
    std::optional<ShownMessageBox> box = person_.OpenMessageBox();
    if (!box) throw ActionRefused("no message box is open");
    if (std::find(box->buttons.begin(), box->buttons.end(), *answer) == box->buttons.end())
      throw ActionRefused("the box has no such button");
    return person_.AnswerBox(*answer);
  }
  if (v == "input") {
    Need(at_dialog, "an input box or the password dialog", wait, line);
    return person_.AnswerDialog(line.text);
  }
  if (v == "cancel") {
    Need(at_dialog || wait == Wait::kPopupMenu, "an input box, the password dialog or a popup menu", wait, line);
    if (wait == Wait::kPopupMenu) return person_.DismissPopup();
    return person_.AnswerDialog(std::nullopt);
  }
  Need(wait == Wait::kPopupMenu, "a popup menu", wait, line);
  std::optional<std::vector<PopupItem>> items = person_.OpenPopupMenu();
  if (!items) throw ActionRefused("no popup menu is open");
  for (std::size_t i = 0; i < items->size(); ++i) {
    if ((*items)[i].caption != line.text) continue;
    if ((*items)[i].greyed) throw ActionRefused("the menu item is disabled");
    return person_.ChoosePopupItem(i);
  }
  throw ActionRefused("the popup menu has no such item");
}

void Dispatcher::PerformInWindow(const ScriptLine& line) {
  const std::string& v = line.verb;
  if (v == "type") {
    platform::WindowHandle edit = Unit(line, line.words[0], "edit box");
    std::optional<ui::UnitIdentity> identity = screen_.Identify(edit);
    if (!identity || identity->type_code != ui::type_code::kEditBox) throw ActionRefused("not an edit box");
    if (person_.IsReadOnly(edit)) throw ActionRefused("the edit box is read-only");
    return person_.Type(edit, line.text);
  }
  if (v == "spin") {
    platform::WindowHandle edit = Unit(line, line.words[0], "edit box");
    std::optional<ui::UnitIdentity> identity = screen_.Identify(edit);
    if (!identity || identity->type_code != ui::type_code::kEditBox) throw ActionRefused("not an edit box");
    if (line.words[1] != "up" && line.words[1] != "down") throw ScriptFailure(line.number, "up or down", Quote(line.words[1]));
    return person_.PressSpin(edit, line.words[1] == "up");
  }
  if (v == "click") return person_.Click(Unit(line, line.words[0], "unit"));
  if (v == "rclick") return person_.RightClick(Unit(line, line.words[0], "list"));
  if (v == "select" || v == "dclick" || v == "header" || v == "hover" || v == "check" || v == "rename") {
    platform::WindowHandle list = Unit(line, line.words[0], "list");
    std::optional<ui::UnitIdentity> identity = screen_.Identify(list);
    if (!identity || identity->type_code != ui::type_code::kListView) throw ActionRefused("not a list");
    const int number = WholeNumberOf(line, 1);
    if (v == "header") {
      if (number < 0) throw ActionRefused("no column " + std::to_string(number));
      return person_.ClickHeader(list, number);
    }
    const int rows = screen_.ListRows(list);
    const int lowest = v == "select" ? -1 : 0;  // the others need a row
    if (number < lowest || number >= rows) throw ActionRefused("the list has " + std::to_string(rows) + " rows");
    if (v == "hover") return person_.HoverRow(list, number);
    if (v == "check") return person_.ToggleCheck(list, number);
    if (v == "rename") return person_.RenameRow(list, number, line.text);
    return v == "select" ? person_.SelectRow(list, number) : person_.DoubleClickRow(list, number);
  }
  if (v == "drag") {
    const int dx = DistanceOf(line, 1), dy = DistanceOf(line, 2);
    return person_.Drag(Unit(line, line.words[0], "unit"), dx, dy);
  }
  if (v == "close") {
    platform::WindowHandle active = screen_.ActiveFrame();
    if (active == 0) throw ActionRefused("no window is active");
    if (std::string why = screen_.WhyUnusable(active, "window"); !why.empty()) throw ActionRefused(why);
    return person_.Close(active);
  }
  if (v == "key") {
    std::optional<int> key = KeyNamed(line.words[0]);
    if (!key) throw ScriptFailure(line.number, "Tab, Shift+Tab, Enter, Esc, Shift+F10 or Apps", Quote(line.words[0]));
    platform::WindowHandle active = screen_.ActiveFrame();
    if (active == 0) throw ActionRefused("no window is active");
    if (!screen_.Enabled(active)) throw ActionRefused("the active window is disabled");
    return person_.PressKey(*key);
  }
}

}  // namespace scenario
