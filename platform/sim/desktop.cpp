#include "platform/sim/desktop.h"

#include <algorithm>

#include "platform/input_box.h"
#include "platform/system.h"

namespace platform::sim {
namespace {

constexpr std::intptr_t kPersonInput = 0x7E570001;
constexpr int kScreenWidth = 1024, kScreenHeight = 768;

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

const MenuEntry* FindCommand(const std::vector<MenuEntry>& entries, int command) {
  for (const MenuEntry& entry : entries) {
    if (entry.children.empty() && entry.caption != "-" && entry.command == command) return &entry;
    if (const MenuEntry* inner = FindCommand(entry.children, command)) return inner;
  }
  return nullptr;
}

}  // namespace

Desktop::Desktop() = default;
Desktop::~Desktop() = default;

SimWindow* Desktop::Get(WindowHandle handle) {
  auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : &it->second;
}

const SimWindow* Desktop::Find(WindowHandle handle) const {
  auto it = windows_.find(handle);
  return it == windows_.end() ? nullptr : &it->second;
}

SimWindow& Desktop::Require(WindowHandle handle) {
  SimWindow* window = Get(handle);
  if (window == nullptr) throw ActionRefused("no such window");
  return *window;
}

WindowHandle Desktop::FrameOf(WindowHandle handle) const {
  const SimWindow* window = Find(handle);
  while (window != nullptr && window->parent != 0) window = Find(window->parent);
  return window == nullptr ? 0 : window->handle;
}

std::vector<const SimWindow*> Desktop::Frames() const {
  std::vector<const SimWindow*> frames;
  for (WindowHandle handle : top_level_)
    if (const SimWindow* window = Find(handle); window != nullptr && window->kind == ControlKind::kFrame && window->visible)
      frames.push_back(window);
  return frames;
}

bool Desktop::EffectivelyEnabled(WindowHandle handle) const {
  for (const SimWindow* window = Find(handle); window != nullptr; window = Find(window->parent))
    if (!window->enabled) return false;
  return Find(handle) != nullptr;
}

bool Desktop::EffectivelyVisible(WindowHandle handle) const {
  for (const SimWindow* window = Find(handle); window != nullptr; window = Find(window->parent))
    if (!window->visible) return false;
  return Find(handle) != nullptr;
}

const std::vector<MenuEntry>* Desktop::menu_bar(MenuHandle menu) const {
  auto it = menus_.find(menu);
  return it == menus_.end() ? nullptr : &it->second;
}

std::string Desktop::DescribeScreen() const {
  std::string out;
  auto quote = [](const std::string& gbk) {
    std::string quoted(1, '"');
    quoted += GbkToUtf8(gbk);
    quoted += '"';
    return quoted;
  };
  if (open_box_) out += "message box " + quote(open_box_->text) + " captioned " + quote(open_box_->caption);
  else if (open_input_) out += "input box " + quote(open_input_->prompt);
  else if (open_password_) out += "password dialog" + (open_password_->message.empty() ? std::string() : " " + quote(open_password_->message));
  else if (popup_open_) {
    out += "popup menu";
    for (const MenuEntry& entry : popup_) out += " [" + GbkToUtf8(entry.caption) + "]";
  }
  for (const SimWindow* frame : Frames()) {
    if (!out.empty()) out += "; ";
    out += "window " + quote(frame->text) + (frame->handle == active_ ? " (active)" : "") +
           (frame->enabled ? "" : " (disabled)");
  }
  return out.empty() ? "no window" : out;
}

void Desktop::Notify(Notice notice, WindowHandle window, std::intptr_t a, std::intptr_t b) {
  if (listener_ != nullptr) listener_->OnNotice(Message{notice, window, a, b});
}

void Desktop::Wait(WaitKind kind) {
  if (person_ != nullptr) {
    person_->Act(*this, kind);
    return;
  }
  if (!steps_.empty()) {
    std::function<void()> step = std::move(steps_.front());
    steps_.pop_front();
    step();
    return;
  }
  throw NoOneThere("the program waits for a person: " + DescribeScreen());
}

// ---------------------------------------------------------------- windows

WindowHandle Desktop::Create(const CreateParams& params) {
  if (params.parent != 0 && Get(params.parent) == nullptr) return 0;
  SimWindow window;
  window.handle = next_handle_;
  next_handle_ += 4;
  window.kind = params.kind;
  window.class_name = params.class_name;
  window.text = params.text;
  window.parent = params.kind == ControlKind::kFrame || params.kind == ControlKind::kHidden ? 0 : params.parent;
  window.owner = params.owner;
  window.control_id = params.control_id;
  window.rect = params.rect;
  window.enabled = !params.disabled;
  window.tab_stop = params.tab_stop;
  window.frame = params.frame;
  window.state = params.frame.initial_state;
  window.topmost = params.frame.topmost;
  if (params.kind == ControlKind::kFrame && params.frame.centered) {
    window.rect.left = (kScreenWidth - window.rect.width) / 2;
    window.rect.top = (kScreenHeight - window.rect.height) / 2;
  }
  WindowHandle handle = window.handle;
  windows_[handle] = std::move(window);
  if (params.kind == ControlKind::kFrame || params.kind == ControlKind::kHidden)
    top_level_.push_back(handle);
  else
    Get(params.parent)->children.push_back(handle);
  return handle;
}

void Desktop::DetachFromParent(SimWindow& window) {
  std::vector<WindowHandle>& list = window.parent != 0 && Get(window.parent) != nullptr ? Get(window.parent)->children : top_level_;
  list.erase(std::remove(list.begin(), list.end(), window.handle), list.end());
}

void Desktop::Destroy(WindowHandle handle) {
  SimWindow* root = Get(handle);
  if (root == nullptr) return;
  // Children before their parents, as the system reports them.
  std::vector<WindowHandle> order;
  std::function<void(WindowHandle)> collect = [&](WindowHandle h) {
    if (SimWindow* w = Get(h)) {
      for (WindowHandle child : w->children) collect(child);
      order.push_back(h);
    }
  };
  collect(handle);
  DetachFromParent(*root);
  for (WindowHandle h : order) {
    if (focus_ == h) focus_ = 0;
    if (active_ == h) active_ = 0;
    windows_.erase(h);
    Notify(Notice::kDestroyed, h);
  }
}

void Desktop::SetText(WindowHandle handle, const std::string& text) {
  if (SimWindow* window = Get(handle)) window->text = text;
}

std::string Desktop::GetText(WindowHandle handle) {
  SimWindow* window = Get(handle);
  return window == nullptr ? std::string() : window->text;
}

void Desktop::SetRect(WindowHandle handle, const Rect& rect) {
  SimWindow* window = Get(handle);
  if (window == nullptr || window->rect == rect) return;
  bool moved = rect.left != window->rect.left || rect.top != window->rect.top;
  bool resized = rect.width != window->rect.width || rect.height != window->rect.height;
  window->rect = rect;
  if (moved) Notify(Notice::kMoved, handle);
  if (resized) Notify(Notice::kResized, handle);
}

Rect Desktop::GetRect(WindowHandle handle) {
  SimWindow* window = Get(handle);
  return window == nullptr ? Rect{} : window->rect;
}

void Desktop::Show(WindowHandle handle, bool visible, bool activate) {
  SimWindow* window = Get(handle);
  if (window == nullptr || window->kind == ControlKind::kHidden) return;
  window->visible = visible;
  if (visible && activate && window->parent == 0) Activate(handle);
  if (!visible && active_ == handle) active_ = 0;
}

void Desktop::SetShowState(WindowHandle handle, ShowState state) {
  if (SimWindow* window = Get(handle)) window->state = state;
}

ShowState Desktop::GetShowState(WindowHandle handle) {
  SimWindow* window = Get(handle);
  return window == nullptr ? ShowState::kNormal : window->state;
}

bool Desktop::IsVisible(WindowHandle handle) { return EffectivelyVisible(handle); }

void Desktop::Enable(WindowHandle handle, bool enabled) {
  if (SimWindow* window = Get(handle)) window->enabled = enabled;
}

bool Desktop::IsEnabled(WindowHandle handle) {
  SimWindow* window = Get(handle);
  return window != nullptr && window->enabled;
}

void Desktop::SetParent(WindowHandle handle, WindowHandle parent) {
  SimWindow* window = Get(handle);
  if (window == nullptr || Get(parent) == nullptr || window->parent == 0) return;
  DetachFromParent(*window);
  window->parent = parent;
  Get(parent)->children.push_back(handle);
}

WindowHandle Desktop::GetParent(WindowHandle handle) {
  SimWindow* window = Get(handle);
  return window == nullptr ? 0 : window->parent;
}

WindowHandle Desktop::GetOwner(WindowHandle handle) {
  SimWindow* window = Get(handle);
  return window == nullptr ? 0 : window->owner;
}

void Desktop::PlaceAfter(WindowHandle handle, WindowHandle after) {
  SimWindow* window = Get(handle);
  if (window == nullptr || window->parent == 0) return;
  std::vector<WindowHandle>& siblings = Get(window->parent)->children;
  siblings.erase(std::remove(siblings.begin(), siblings.end(), handle), siblings.end());
  auto at = std::find(siblings.begin(), siblings.end(), after);
  siblings.insert(after == 0 || at == siblings.end() ? siblings.begin() : at + 1, handle);
}

void Desktop::SetFrameStyle(WindowHandle handle, const FrameStyle& style) {
  if (SimWindow* window = Get(handle)) {
    window->frame = style;
    window->frame.initial_state = window->state;
  }
}

void Desktop::SetTopmost(WindowHandle handle, bool topmost) {
  if (SimWindow* window = Get(handle)) window->topmost = topmost;
}

bool Desktop::IsTopmost(WindowHandle handle) {
  SimWindow* window = Get(handle);
  return window != nullptr && window->topmost;
}

void Desktop::SetFocus(WindowHandle handle) {
  if (handle == focus_ || (handle != 0 && Get(handle) == nullptr)) return;
  WindowHandle old = focus_;
  focus_ = handle;
  if (old != 0 && Get(old) != nullptr) Notify(Notice::kLostFocus, old);
  if (handle != 0 && focus_ == handle) Notify(Notice::kGotFocus, handle);
}

void Desktop::Activate(WindowHandle frame) {
  if (frame == active_ || Get(frame) == nullptr) return;
  WindowHandle old = active_;
  active_ = frame;
  if (old != 0 && Get(old) != nullptr) Notify(Notice::kDeactivated, old);
  Notify(Notice::kActivated, frame);
  if (FrameOf(focus_) != frame && active_ == frame) SetFocus(frame);
}

// ---------------------------------------------------------------- controls

void Desktop::SetEditRules(WindowHandle edit, const EditRules& rules) {
  if (SimWindow* window = Get(edit)) window->rules = rules;
}

void Desktop::SetDefaultButton(WindowHandle button, bool is_default) {
  if (SimWindow* window = Get(button)) window->default_button = is_default;
}

void Desktop::ListInsertColumn(WindowHandle list, int index, const std::string& title, int width, int alignment) {
  SimWindow* window = Get(list);
  if (window == nullptr) return;
  index = std::clamp(index, 0, static_cast<int>(window->columns.size()));
  window->columns.insert(window->columns.begin() + index, SimWindow::Column{title, width, alignment});
}

int Desktop::ListInsertRow(WindowHandle list, int position, const std::string& caption) {
  SimWindow* window = Get(list);
  if (window == nullptr) return -1;
  position = std::clamp(position, 0, static_cast<int>(window->rows.size()));
  SimWindow::Row row;
  row.cells.push_back(caption);
  window->rows.insert(window->rows.begin() + position, row);
  return position;
}

bool Desktop::ListDeleteRow(WindowHandle list, int row) {
  SimWindow* window = Get(list);
  if (window == nullptr || row < 0 || row >= static_cast<int>(window->rows.size())) return false;
  window->rows.erase(window->rows.begin() + row);
  return true;
}

void Desktop::ListDeleteAllRows(WindowHandle list) {
  if (SimWindow* window = Get(list)) window->rows.clear();
}

int Desktop::ListRowCount(WindowHandle list) {
  SimWindow* window = Get(list);
  return window == nullptr ? 0 : static_cast<int>(window->rows.size());
}

bool Desktop::ListSetCell(WindowHandle list, int row, int column, const std::string& text) {
  SimWindow* window = Get(list);
  if (window == nullptr || row < 0 || row >= static_cast<int>(window->rows.size()) || column < 0) return false;
  // A report list has as many cells as columns; beyond them nothing is kept.
  if (!window->columns.empty() && column >= static_cast<int>(window->columns.size())) return false;
  auto& cells = window->rows[static_cast<std::size_t>(row)].cells;
  if (static_cast<int>(cells.size()) <= column) cells.resize(static_cast<std::size_t>(column) + 1);
  cells[static_cast<std::size_t>(column)] = text;
  return true;
}

int Desktop::ListGetCell(WindowHandle list, int row, int column, char* buffer, int capacity) {
  if (capacity <= 0) return 0;
  buffer[0] = '\0';
  SimWindow* window = Get(list);
  if (window == nullptr || row < 0 || row >= static_cast<int>(window->rows.size()) || column < 0) return 0;
  const auto& cells = window->rows[static_cast<std::size_t>(row)].cells;
  if (column >= static_cast<int>(cells.size())) return 0;
  const std::string& text = cells[static_cast<std::size_t>(column)];
  int n = std::min(static_cast<int>(text.size()), capacity - 1);
  std::copy_n(text.data(), n, buffer);
  buffer[n] = '\0';
  return n;
}

void Desktop::ListSetRowState(WindowHandle list, int row, bool selected, bool focused) {
  SimWindow* window = Get(list);
  if (window == nullptr || row < 0 || row >= static_cast<int>(window->rows.size())) return;
  auto& target = window->rows[static_cast<std::size_t>(row)];
  bool newly_focused = focused && !target.focused;
  if (focused)
    for (auto& other : window->rows) other.focused = false;
  target.selected = selected;
  target.focused = focused;
  if (newly_focused) Notify(Notice::kRowFocused, list, row);
}

int Desktop::ListFirstSelected(WindowHandle list) {
  SimWindow* window = Get(list);
  if (window == nullptr) return -1;
  for (std::size_t i = 0; i < window->rows.size(); ++i)
    if (window->rows[i].selected) return static_cast<int>(i);
  return -1;
}

// ---------------------------------------------------------------- menus

MenuHandle Desktop::CreateMenuBar(const std::vector<MenuEntry>& entries) {
  MenuHandle handle = next_handle_;
  next_handle_ += 4;
  menus_[handle] = entries;
  return handle;
}

void Desktop::SetMenuBar(WindowHandle frame, MenuHandle menu) {
  if (SimWindow* window = Get(frame)) window->menu = menu;
}

void Desktop::DestroyMenu(MenuHandle menu) { menus_.erase(menu); }

int Desktop::TrackPopupMenu(WindowHandle, const std::vector<MenuEntry>& entries, int x, int y) {
  popup_x_ = x;
  popup_y_ = y;
  if (person_ == nullptr && steps_.empty()) return 0;  // nobody there: the menu is dismissed
  popup_ = entries;
  popup_open_ = true;
  popup_answer_.reset();
  try {
    Wait(WaitKind::kPopupMenu);
  } catch (...) {
    popup_open_ = false;
    throw;
  }
  popup_open_ = false;
  if (!popup_answer_) throw NoOneThere("nothing was chosen from the popup menu");
  return *popup_answer_;
}

void Desktop::CursorPosition(int* x, int* y) {
  *x = mouse_x_;
  *y = mouse_y_;
}

void Desktop::ScreenSize(int* width, int* height) {
  *width = kScreenWidth;
  *height = kScreenHeight;
}

// ---------------------------------------------------------------- queue

bool Desktop::GetMessage(Message* message, void (*idle)(void*), void* context) {
  for (int attempt = 0;; ++attempt) {
    if (!queue_.empty()) {
      *message = queue_.front();
      queue_.pop_front();
      return true;
    }
    if (quit_posted_) {
      quit_posted_ = false;
      return false;
    }
    if (idle != nullptr) idle(context);
    if (!queue_.empty() || quit_posted_) continue;
    if (attempt > 0) throw NoOneThere("the person did nothing while the program waited: " + DescribeScreen());
    Wait(WaitKind::kIdle);
    if (queue_.empty() && !quit_posted_)
      throw NoOneThere("the person did nothing while the program waited: " + DescribeScreen());
    attempt = -1;
  }
}

bool Desktop::PeekMessage(Message* message, bool* quit) {
  if (!queue_.empty()) {
    *message = queue_.front();
    queue_.pop_front();
    return true;
  }
  if (quit_posted_) {
    quit_posted_ = false;
    if (quit != nullptr) *quit = true;
  }
  return false;
}

void Desktop::DispatchMessage(const Message& message) {
  if (message.notice == Notice::kPosted && message.a == kPersonInput) {
    auto index = static_cast<std::size_t>(message.b);
    if (index < inputs_.size()) {
      std::function<void()> input = std::move(inputs_[index]);
      input();
    }
    if (queue_.empty()) inputs_.clear();
    return;
  }
  const SimWindow* window = Find(message.window);
  if (window == nullptr) return;  // its window is gone
  // A key the program left to the control: the context-menu keys of a list
  // ask for its popup menu, as the system's default handling turns them
  // into a context-menu request.
  const int key = static_cast<int>(message.a | message.b);
  if (message.notice == Notice::kKeyDown && window->kind == ControlKind::kListView &&
      (key == (key::kF10 | key::kShift) || key == key::kApps)) {
    Notify(Notice::kRightClicked, message.window);
    return;
  }
  Notify(message.notice, message.window, message.a, message.b);
}

void Desktop::PostMessage(const Message& message) { queue_.push_back(message); }

void Desktop::PostQuit(int code) {
  quit_posted_ = true;
  quit_code_ = code;
}

// ---------------------------------------------------------------- a person

void Desktop::RequireUsable(WindowHandle handle, const char* what) {
  const SimWindow* window = Find(handle);
  if (window == nullptr) throw ActionRefused(std::string("no such ") + what);
  if (!EffectivelyVisible(handle)) throw ActionRefused(std::string("the ") + what + " is not visible");
  if (!EffectivelyEnabled(handle)) throw ActionRefused(std::string("the ") + what + " is disabled");
  if (open_box_ || open_input_ || open_password_ || popup_open_)
    throw ActionRefused("a dialog is open: " + DescribeScreen());
}

void Desktop::FocusByPerson(WindowHandle handle) {
  WindowHandle frame = FrameOf(handle);
  if (frame != active_) Activate(frame);
  SetFocus(handle);
}

void Desktop::Type(WindowHandle edit, const std::string& text) {
  RequireUsable(edit, "edit box");
  SimWindow& window = Require(edit);
  if (window.kind != ControlKind::kEdit) throw ActionRefused("not an edit box");
  if (window.rules.read_only) throw ActionRefused("the edit box is read-only");
  inputs_.push_back([this, edit, text] {
    FocusByPerson(edit);
    SimWindow* target = Get(edit);
    if (target == nullptr) return;
    std::string typed = text;
    if (!target->rules.multi_line) typed = typed.substr(0, typed.find_first_of("\r\n"));
    if (target->rules.digits_only)
      typed.erase(std::remove_if(typed.begin(), typed.end(), [](char c) { return !(c == '-' || (c >= '0' && c <= '9')); }),
                  typed.end());
    typed = ApplyCase(typed, target->rules.case_mode);
    if (target->rules.max_bytes > 0) typed = CutGbk(typed, static_cast<std::size_t>(target->rules.max_bytes));
    target->text = typed;
    Notify(Notice::kTextChanged, edit);
  });
  queue_.push_back(Message{Notice::kPosted, edit, kPersonInput, static_cast<std::intptr_t>(inputs_.size() - 1)});
}

void Desktop::Click(WindowHandle unit) {
  RequireUsable(unit, "unit");
  inputs_.push_back([this, unit] {
    const SimWindow* window = Find(unit);
    if (window == nullptr) return;
    ControlKind kind = window->kind;
    if (kind != ControlKind::kLabel) FocusByPerson(unit);
    if (Find(unit) == nullptr) return;
    if (kind == ControlKind::kButton || kind == ControlKind::kListView) Notify(Notice::kClicked, unit);
  });
  queue_.push_back(Message{Notice::kPosted, unit, kPersonInput, static_cast<std::intptr_t>(inputs_.size() - 1)});
}

void Desktop::RightClick(WindowHandle list) {
  RequireUsable(list, "list");
  inputs_.push_back([this, list] {
    FocusByPerson(list);
    if (Find(list) != nullptr) Notify(Notice::kRightClicked, list);
  });
  queue_.push_back(Message{Notice::kPosted, list, kPersonInput, static_cast<std::intptr_t>(inputs_.size() - 1)});
}

void Desktop::SelectRow(WindowHandle list, int row) {
  RequireUsable(list, "list");
  SimWindow& window = Require(list);
  if (window.kind != ControlKind::kListView) throw ActionRefused("not a list");
  if (row < -1 || row >= static_cast<int>(window.rows.size()))
    throw ActionRefused("the list has " + std::to_string(window.rows.size()) + " rows");
  inputs_.push_back([this, list, row] {
    FocusByPerson(list);
    SimWindow* target = Get(list);
    if (target == nullptr || row >= static_cast<int>(target->rows.size())) return;
    for (auto& other : target->rows) other.selected = false;
    if (row >= 0) ListSetRowState(list, row, true, true);
    if (Find(list) != nullptr) Notify(Notice::kClicked, list);
  });
  queue_.push_back(Message{Notice::kPosted, list, kPersonInput, static_cast<std::intptr_t>(inputs_.size() - 1)});
}

void Desktop::PressKey(int key) {
  if (open_box_ || open_input_ || open_password_ || popup_open_)
    throw ActionRefused("a dialog is open: " + DescribeScreen());
  WindowHandle target = focus_ != 0 && Find(focus_) != nullptr ? focus_ : active_;
  if (target == 0) throw ActionRefused("no window is active");
  if (!EffectivelyEnabled(FrameOf(target))) throw ActionRefused("the active window is disabled");
  queue_.push_back(Message{Notice::kKeyDown, target, key & 0x1FFF, key & 0xE000});
}

void Desktop::CloseActive() {
  if (active_ == 0) throw ActionRefused("no window is active");
  RequireUsable(active_, "window");
  queue_.push_back(Message{Notice::kCloseRequest, active_, 0, 0});
}

void Desktop::ChooseMenuCommand(WindowHandle frame, int command) {
  RequireUsable(frame, "window");
  queue_.push_back(Message{Notice::kCommand, frame, command, 0});
}

void Desktop::AnswerBox(BoxAnswer answer) {
  if (!open_box_) throw ActionRefused("no message box is open");
  std::vector<BoxAnswer> buttons = BoxButtons(open_box_->flags);
  if (std::find(buttons.begin(), buttons.end(), answer) == buttons.end()) throw ActionRefused("the box has no such button");
  box_answer_ = answer;
}

void Desktop::AnswerDialog(std::optional<std::string> typed) {
  if (!open_input_ && !open_password_) throw ActionRefused("no input box or password dialog is open");
  dialog_answer_ = std::move(typed);
}

void Desktop::ChoosePopup(int command) {
  if (!popup_open_) throw ActionRefused("no popup menu is open");
  const MenuEntry* entry = FindCommand(popup_, command);
  if (entry == nullptr) throw ActionRefused("the popup menu has no such item");
  if (entry->greyed) throw ActionRefused("the menu item is disabled");
  popup_answer_ = entry->command;
}

void Desktop::DismissPopup() {
  if (!popup_open_) throw ActionRefused("no popup menu is open");
  popup_answer_ = 0;
}

// ---------------------------------------------------------------- boxes

BoxAnswer Desktop::ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                                  WindowHandle owner) {
  if (person_ == nullptr && steps_.empty()) return SimHost::ShowMessageBox(text, caption, flags, owner);
  open_box_ = OpenBox{text, caption, flags};
  box_answer_.reset();
  try {
    Wait(WaitKind::kMessageBox);
  } catch (...) {
    open_box_.reset();
    throw;
  }
  open_box_.reset();
  if (!box_answer_) throw NoOneThere("the message box was not answered");
  return *box_answer_;
}

BoxAnswer Desktop::ShowPasswordDialog(const PasswordDialogTexts& texts, std::string* typed) {
  if (person_ == nullptr && steps_.empty()) return SimHost::ShowPasswordDialog(texts, typed);
  open_password_ = texts;
  dialog_answer_.reset();
  try {
    Wait(WaitKind::kPasswordDialog);
  } catch (...) {
    open_password_.reset();
    throw;
  }
  open_password_.reset();
  if (!dialog_answer_) throw NoOneThere("the password dialog was not answered");
  if (!*dialog_answer_) return BoxAnswer::kCancel;
  *typed = **dialog_answer_;
  return BoxAnswer::kOk;
}

BoxAnswer Desktop::ShowInputBox(const InputBoxRequest& request, std::string* entered) {
  if (person_ == nullptr && steps_.empty()) return SimHost::ShowInputBox(request, entered);
  open_input_ = request;
  dialog_answer_.reset();
  try {
    Wait(WaitKind::kInputBox);
  } catch (...) {
    open_input_.reset();
    throw;
  }
  open_input_.reset();
  if (!dialog_answer_) throw NoOneThere("the input box was not answered");
  if (!*dialog_answer_) return BoxAnswer::kCancel;
  *entered = TypeIntoInputBox(request, **dialog_answer_);
  return BoxAnswer::kOk;
}

// ---------------------------------------------------------------- scope

ScopedDesktop::ScopedDesktop()
    : previous_host_(InstallHost(&desktop_)), previous_system_(InstallWindowSystem(&desktop_)) {}

ScopedDesktop::~ScopedDesktop() {
  InstallWindowSystem(previous_system_);
  InstallHost(previous_host_);
}

}  // namespace platform::sim
