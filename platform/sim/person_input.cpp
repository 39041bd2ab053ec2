#include "platform/sim/person_input.h"

#include <algorithm>

#include "platform/sim/desktop.h"

namespace platform::sim {
namespace {

// Cuts a GBK text to at most `limit` bytes without splitting a character.
std::string CutGbk(const std::string& text, std::size_t limit) {
  std::size_t i = 0;
  while (i < text.size()) {
    std::size_t step = static_cast<unsigned char>(text[i]) >= 0x81 && i + 1 < text.size() ? 2 : 1;
    if (i + step > limit) break;
    i += step;
  }
  return text.substr(0, i);
}

std::string ApplyCase(std::string text, int mode) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x81 && i + 1 < text.size()) {
      ++i;  // the trail byte of a double-byte character is not a letter
      continue;
    }
    if (mode == 1 && c >= 'A' && c <= 'Z') text[i] = static_cast<char>(c + 32);
    if (mode == 2 && c >= 'a' && c <= 'z') text[i] = static_cast<char>(c - 32);
  }
  return text;
}

// What an edit box keeps of typed text under its rules.
std::string Typed(std::string text, const EditRules& rules) {
  if (!rules.multi_line) text = text.substr(0, text.find_first_of("\r\n"));
  if (rules.digits_only)
    text.erase(std::remove_if(text.begin(), text.end(), [](char c) { return !(c == '-' || (c >= '0' && c <= '9')); }),
               text.end());
  text = ApplyCase(text, rules.case_mode);
  if (rules.max_bytes > 0) text = CutGbk(text, static_cast<std::size_t>(rules.max_bytes));
  return text;
}

const MenuEntry* FindCommand(const std::vector<MenuEntry>& entries, int command) {
  for (const MenuEntry& entry : entries) {
    if (entry.children.empty() && entry.caption != "-" && entry.command == command) return &entry;
    if (const MenuEntry* inner = FindCommand(entry.children, command)) return inner;
  }
  return nullptr;
}

}  // namespace

void PersonInput::RequireNoDialog() {
  if (desktop_.open_) throw ActionRefused("a dialog is open: " + desktop_.DescribeScreen());
}

void PersonInput::RequireUsable(WindowHandle handle, const char* what) {
  if (desktop_.Find(handle) == nullptr) throw ActionRefused(std::string("no such ") + what);
  if (!desktop_.EffectivelyVisible(handle)) throw ActionRefused(std::string("the ") + what + " is not visible");
  if (!desktop_.EffectivelyEnabled(handle)) throw ActionRefused(std::string("the ") + what + " is disabled");
  RequireNoDialog();
}

void PersonInput::FocusOn(WindowHandle handle) {
  WindowHandle frame = desktop_.tree_.FrameOf(handle);
  if (frame != desktop_.active_) desktop_.Activate(frame);
  desktop_.SetFocus(handle);
}

void PersonInput::Type(WindowHandle edit, const std::string& text) {
  RequireUsable(edit, "edit box");
  const SimWindow* window = desktop_.Find(edit);
  if (window->kind != ControlKind::kEdit) throw ActionRefused("not an edit box");
  if (window->rules.read_only) throw ActionRefused("the edit box is read-only");
  desktop_.ReportInput();
  desktop_.queue_.PostInput([this, edit, text] {
    FocusOn(edit);
    SimWindow* target = desktop_.tree_.Get(edit);
    if (target == nullptr) return;
    target->text = Typed(text, target->rules);
    target->selection_start = static_cast<int>(target->text.size());  // the caret after what was typed
    target->selection_length = 0;
    desktop_.Notify(Notice::kTextChanged, edit);
  });
}

void PersonInput::Click(WindowHandle unit) {
  RequireUsable(unit, "unit");
  desktop_.ReportInput();
  desktop_.queue_.PostInput([this, unit] {
    const SimWindow* window = desktop_.Find(unit);
    if (window == nullptr) return;
    ControlKind kind = window->kind;
    if (kind != ControlKind::kLabel) FocusOn(unit);
    if (desktop_.Find(unit) == nullptr) return;
    if (kind == ControlKind::kButton || kind == ControlKind::kListView) desktop_.Notify(Notice::kClicked, unit);
  });
}

void PersonInput::RightClick(WindowHandle list) {
  RequireUsable(list, "list");
  desktop_.ReportInput();
  desktop_.queue_.PostInput([this, list] {
    FocusOn(list);
    if (desktop_.Find(list) != nullptr) desktop_.Notify(Notice::kRightClicked, list);
  });
}

void PersonInput::SelectRow(WindowHandle list, int row) {
  RequireUsable(list, "list");
  const ListModel* model = desktop_.List(list);
  if (model == nullptr) throw ActionRefused("not a list");
  if (row < -1 || row >= model->RowCount()) throw ActionRefused("the list has " + std::to_string(model->RowCount()) + " rows");
  desktop_.ReportInput();
  desktop_.queue_.PostInput([this, list, row] {
    FocusOn(list);
    ListModel* target = desktop_.List(list);
    if (target == nullptr || row >= target->RowCount()) return;
    target->ClearSelection();
    if (row >= 0) desktop_.ListSetRowState(list, row, true, true);
    if (desktop_.Find(list) != nullptr) desktop_.Notify(Notice::kClicked, list);
  });
}

void PersonInput::DoubleClickRow(WindowHandle list, int row) {
  const ListModel* model = desktop_.List(list);
  if (model == nullptr) throw ActionRefused("not a list");
  if (row < 0 || row >= model->RowCount()) throw ActionRefused("the list has " + std::to_string(model->RowCount()) + " rows");
  SelectRow(list, row);
  desktop_.queue_.PostInput([this, list, row] {
    const ListModel* target = desktop_.List(list);
    if (target != nullptr && row < target->RowCount()) desktop_.Notify(Notice::kRowActivated, list, row);
  });
}

void PersonInput::ClickHeader(WindowHandle list, int column) {
  RequireUsable(list, "list");
  const SimWindow* window = desktop_.Find(list);
  const ListModel* model = desktop_.List(list);
  if (model == nullptr) throw ActionRefused("not a list");
  if (window->look.view != ListViewMode::kReport || window->look.hide_header) throw ActionRefused("the list shows no column titles");
  if (column >= static_cast<int>(model->columns().size()))
    throw ActionRefused("the list has " + std::to_string(model->columns().size()) + " columns");
  desktop_.queue_.PostInput([this, list, column] {
    FocusOn(list);
    const SimWindow* target = desktop_.Find(list);
    if (target != nullptr && target->look.clickable_header) desktop_.Notify(Notice::kColumnClicked, list, column);
  });
}

namespace {

// A row of a list a person can act on, or why not.
void RequireRow(const ListModel* model, int row) {
  if (model == nullptr) throw ActionRefused("not a list");
  if (row < 0 || row >= model->RowCount()) throw ActionRefused("the list has " + std::to_string(model->RowCount()) + " rows");
}

}  // namespace

void PersonInput::HoverRow(WindowHandle list, int row) {
  RequireUsable(list, "list");
  RequireRow(desktop_.List(list), row);
  desktop_.ReportInput();
  desktop_.queue_.PostInput([this, list, row] {
    SimWindow* target = desktop_.tree_.Get(list);
    if (target == nullptr || row >= target->list.RowCount() || target->hot_row == row) return;
    target->hot_row = row;
    if (target->look.hot_tracking) desktop_.Notify(Notice::kHotRow, list, row);
  });
}

void PersonInput::ToggleCheck(WindowHandle list, int row) {
  RequireUsable(list, "list");
  RequireRow(desktop_.List(list), row);
  if (!desktop_.Find(list)->look.check_boxes) throw ActionRefused("the list has no check boxes");
  desktop_.ReportInput();
  desktop_.queue_.PostInput([this, list, row] {
    FocusOn(list);
    ListModel* target = desktop_.List(list);
    if (target == nullptr || !target->Toggle(row)) return;
    // As the system's control does, the toggle is reported by a message
    // the list posts to itself.
    desktop_.queue_.Post(Message{Notice::kCheckToggled, list, row, 0});
  });
}

void PersonInput::RenameRow(WindowHandle list, int row, const std::string& text) {
  RequireRow(desktop_.List(list), row);
  if (!desktop_.Find(list)->look.label_editing) throw ActionRefused("the list's captions cannot be edited");
  SelectRow(list, row);
  desktop_.queue_.PostInput([this, list, row, text] {
    const ListModel* target = desktop_.List(list);
    if (target == nullptr || row >= target->RowCount()) return;
    if (desktop_.Ask(Notice::kLabelEditStarting, list, row)) return;
    if (desktop_.List(list) == nullptr || row >= desktop_.List(list)->RowCount()) return;
    if (desktop_.Ask(Notice::kLabelEditEnded, list, row, &text)) return;
    if (ListModel* still = desktop_.List(list)) still->SetCell(row, 0, text);
  });
}

void PersonInput::PressSpin(WindowHandle edit, bool up) {
  RequireUsable(edit, "edit box");
  const SimWindow* window = desktop_.Find(edit);
  if (window->kind != ControlKind::kEdit) throw ActionRefused("not an edit box");
  if (!window->spin.present) throw ActionRefused("the edit box has no spin control");
  desktop_.ReportInput();
  desktop_.queue_.PostInput([this, edit, up] {
    // A click activates the window; the spin control itself takes no focus.
    const WindowHandle frame = desktop_.tree_.FrameOf(edit);
    if (frame != 0 && frame != desktop_.active_) desktop_.Activate(frame);
    const SimWindow* target = desktop_.Find(edit);
    if (target != nullptr && target->spin.present) desktop_.Notify(Notice::kSpin, edit, up ? 1 : -1);
  });
}

namespace {

bool Inside(const Rect& r, int x, int y) { return x >= r.left && y >= r.top && x < r.left + r.width && y < r.top + r.height; }

// Whether some point of the frame's client area shows no visible unit.
bool HasUncoveredPoint(const WindowTree& tree, const SimWindow& frame) {
  constexpr int kStep = 4;
  for (int y = 0; y < frame.rect.height; y += kStep)
    for (int x = 0; x < frame.rect.width; x += kStep) {
      bool covered = false;
      for (WindowHandle child : frame.children) {
        const SimWindow* unit = tree.Find(child);
        if (unit != nullptr && unit->visible && Inside(unit->rect, x, y)) covered = true;
      }
      if (!covered) return true;
    }
  return false;
}

}  // namespace

void PersonInput::Drag(WindowHandle unit, int dx, int dy) {
  RequireUsable(unit, "unit");
  const SimWindow* window = desktop_.Find(unit);
  if (window->kind == ControlKind::kFrame && !HasUncoveredPoint(desktop_.tree_, *window))
    throw ActionRefused("no part of the window's client area is uncovered");
  desktop_.ReportInput();
  desktop_.queue_.PostInput([this, unit, dx, dy] {
    const SimWindow* target = desktop_.Find(unit);
    if (target == nullptr) return;
    const ControlKind kind = target->kind;
    const WindowHandle frame = desktop_.tree_.FrameOf(unit);
    if (kind == ControlKind::kFrame || kind == ControlKind::kLabel) {
      if (frame != desktop_.active_) desktop_.Activate(frame);
      const SimWindow* moving = desktop_.Find(frame);
      if (moving == nullptr || !moving->frame.drag_by_client) return;
      Rect to = moving->rect;
      to.left += dx;
      to.top += dy;
      desktop_.SetRect(frame, to);
      return;
    }
    // Pressed at its centre, released dx, dy away from there.
    const Rect at = target->rect;
    FocusOn(unit);
    const bool released_on_it = Inside(Rect{0, 0, at.width, at.height}, at.width / 2 + dx, at.height / 2 + dy);
    if (kind == ControlKind::kButton && released_on_it && desktop_.Find(unit) != nullptr)
      desktop_.Notify(Notice::kClicked, unit);
  });
}

void PersonInput::PressKey(int key) {
  RequireNoDialog();
  WindowHandle target = desktop_.focus_ != 0 && desktop_.Find(desktop_.focus_) != nullptr ? desktop_.focus_ : desktop_.active_;
  if (target == 0) throw ActionRefused("no window is active");
  if (!desktop_.EffectivelyEnabled(desktop_.tree_.FrameOf(target))) throw ActionRefused("the active window is disabled");
  desktop_.ReportInput();
  desktop_.queue_.Post(Message{Notice::kKeyDown, target, key & 0x1FFF, key & 0xE000});
}

void PersonInput::CloseActive() {
  if (desktop_.active_ == 0) throw ActionRefused("no window is active");
  RequireUsable(desktop_.active_, "window");
  desktop_.ReportInput();
  desktop_.queue_.Post(Message{Notice::kCloseRequest, desktop_.active_, 0, 0});
}

void PersonInput::ChooseMenuCommand(WindowHandle frame, int command) {
  RequireUsable(frame, "window");
  desktop_.ReportInput();
  desktop_.queue_.Post(Message{Notice::kCommand, frame, command, 0});
}

void PersonInput::AnswerBox(BoxAnswer answer) {
  if (!desktop_.Open(WaitKind::kMessageBox)) throw ActionRefused("no message box is open");
  std::vector<BoxAnswer> buttons = MessageBoxButtons(desktop_.open_->box.flags);
  if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end()) throw ActionRefused("the box has no such button");
  desktop_.ReportInput();
  desktop_.open_->answer = answer;
}

void PersonInput::AnswerDialog(std::optional<std::string> typed) {
  if (!desktop_.Open(WaitKind::kInputBox) && !desktop_.Open(WaitKind::kPasswordDialog))
    throw ActionRefused("no input box or password dialog is open");
  desktop_.ReportInput();
  desktop_.open_->typed = std::move(typed);
}

void PersonInput::ChoosePopup(int command) {
  if (!desktop_.Open(WaitKind::kPopupMenu)) throw ActionRefused("no popup menu is open");
  const MenuEntry* entry = FindCommand(desktop_.open_->popup, command);
  if (entry == nullptr) throw ActionRefused("the popup menu has no such item");
  if (entry->greyed) throw ActionRefused("the menu item is disabled");
  desktop_.ReportInput();
  desktop_.open_->command = entry->command;
}

void PersonInput::DismissPopup() {
  if (!desktop_.Open(WaitKind::kPopupMenu)) throw ActionRefused("no popup menu is open");
  desktop_.ReportInput();
  desktop_.open_->command = 0;
}

}  // namespace platform::sim
