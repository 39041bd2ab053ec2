#include "platform/sim/desktop.h"

#include <algorithm>
#include <cstdint>

#include "platform/input_box.h"
#include "platform/system.h"

namespace platform::sim {

Desktop::Desktop() = default;
Desktop::~Desktop() = default;

ListModel* Desktop::List(WindowHandle list) {
  SimWindow* window = tree_.Get(list);
  return window != nullptr && window->kind == ControlKind::kListView ? &window->list : nullptr;
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
  if (const OpenBox* box = open_box()) {
    out += "message box " + quote(box->text) + " captioned " + quote(box->caption);
  } else if (const InputBoxRequest* input = open_input_box()) {
    out += "input box " + quote(input->prompt);
  } else if (const PasswordDialogTexts* password = open_password_dialog()) {
    out += "password dialog" + (password->message.empty() ? std::string() : " " + quote(password->message));
  } else if (const std::vector<MenuEntry>* popup = open_popup()) {
    out += "popup menu";
    for (const MenuEntry& entry : *popup) out += " [" + GbkToUtf8(entry.caption) + "]";
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

bool Desktop::Ask(Notice notice, WindowHandle window, std::intptr_t a, const std::string* text) {
  bool refused = false;
  if (listener_ != nullptr) listener_->OnNotice(Message{notice, window, a, 0, text, &refused});
  return refused;
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

OpenDialog Desktop::RunDialog(OpenDialog dialog) {
  // A step of a test may open another dialog meanwhile: the one it covers
  // comes back when it closes.
  std::optional<OpenDialog> covered = std::move(open_);
  open_ = std::move(dialog);
  struct Close {
    std::optional<OpenDialog>& open;
    std::optional<OpenDialog>& covered;
    ~Close() { open = std::move(covered); }
  } close{open_, covered};
  Wait(open_->kind);
  return std::move(*open_);
}

// ---------------------------------------------------------------- windows

void Desktop::Destroy(WindowHandle handle) {
  if (Find(handle) == nullptr) return;
  // Children before their parents, as the system reports them.
  std::vector<WindowHandle> order = tree_.Subtree(handle);
  tree_.Detach(handle);
  for (WindowHandle h : order) {
    if (focus_ == h) focus_ = 0;
    if (active_ == h) active_ = 0;
    tree_.Erase(h);
    Notify(Notice::kDestroyed, h);
  }
}

void Desktop::SetText(WindowHandle handle, const std::string& text) {
  SimWindow* window = tree_.Get(handle);
  if (window == nullptr) return;
  window->text = text;
  // A new text puts an edit box's caret at its start, as the system's does.
  window->selection_start = window->selection_length = 0;
}

std::string Desktop::GetText(WindowHandle handle) {
  const SimWindow* window = Find(handle);
  return window == nullptr ? std::string() : window->text;
}

void Desktop::SetRect(WindowHandle handle, const Rect& rect) {
  SimWindow* window = tree_.Get(handle);
  if (window == nullptr || window->rect == rect) return;
  bool moved = rect.left != window->rect.left || rect.top != window->rect.top;
  bool resized = rect.width != window->rect.width || rect.height != window->rect.height;
  window->rect = rect;
  if (moved) Notify(Notice::kMoved, handle);
  if (resized) Notify(Notice::kResized, handle);
}

Rect Desktop::GetRect(WindowHandle handle) {
  const SimWindow* window = Find(handle);
  return window == nullptr ? Rect{} : window->rect;
}

void Desktop::Show(WindowHandle handle, bool visible, bool activate) {
  SimWindow* window = tree_.Get(handle);
  if (window == nullptr || window->kind == ControlKind::kHidden) return;
  const bool changed = window->visible != visible;
  const bool frame = window->kind == ControlKind::kFrame;
  window->visible = visible;
  if (changed && frame) Notify(visible ? Notice::kShown : Notice::kHidden, handle);
  window = tree_.Get(handle);  // the listener may have destroyed it
  if (window == nullptr) return;
  if (visible && activate && window->parent == 0) Activate(handle);
  if (!visible && active_ == handle) active_ = 0;
}

void Desktop::SetShowState(WindowHandle handle, ShowState state) {
  if (SimWindow* window = tree_.Get(handle)) window->state = state;
}

ShowState Desktop::GetShowState(WindowHandle handle) {
  const SimWindow* window = Find(handle);
  return window == nullptr ? ShowState::kNormal : window->state;
}

void Desktop::Enable(WindowHandle handle, bool enabled) {
  if (SimWindow* window = tree_.Get(handle)) window->enabled = enabled;
}

bool Desktop::IsEnabled(WindowHandle handle) {
  const SimWindow* window = Find(handle);
  return window != nullptr && window->enabled;
}

WindowHandle Desktop::GetParent(WindowHandle handle) {
  const SimWindow* window = Find(handle);
  return window == nullptr ? 0 : window->parent;
}

WindowHandle Desktop::GetOwner(WindowHandle handle) {
  const SimWindow* window = Find(handle);
  return window == nullptr ? 0 : window->owner;
}

void Desktop::SetFrameStyle(WindowHandle handle, const FrameStyle& style) {
  if (SimWindow* window = tree_.Get(handle)) {
    window->frame = style;
    window->frame.initial_state = window->state;
  }
}

void Desktop::SetTopmost(WindowHandle handle, bool topmost) {
  if (SimWindow* window = tree_.Get(handle)) window->topmost = topmost;
}

bool Desktop::IsTopmost(WindowHandle handle) {
  const SimWindow* window = Find(handle);
  return window != nullptr && window->topmost;
}

void Desktop::SetFocus(WindowHandle handle) {
  if (handle == focus_ || (handle != 0 && Find(handle) == nullptr)) return;
  WindowHandle old = focus_;
  focus_ = handle;
  if (old != 0 && Find(old) != nullptr) Notify(Notice::kLostFocus, old);
  if (handle != 0 && focus_ == handle) Notify(Notice::kGotFocus, handle);
}

void Desktop::Activate(WindowHandle frame) {
  if (frame == active_ || Find(frame) == nullptr) return;
  WindowHandle old = active_;
  active_ = frame;
  if (old != 0 && Find(old) != nullptr) Notify(Notice::kDeactivated, old);
  Notify(Notice::kActivated, frame);
  if (tree_.FrameOf(focus_) != frame && active_ == frame) SetFocus(frame);
}

// ---------------------------------------------------------------- controls

void Desktop::SetEditRules(WindowHandle edit, const EditRules& rules) {
  if (SimWindow* window = tree_.Get(edit)) window->rules = rules;
}

namespace {

// The start of the character a byte offset falls in: a double-byte
// character, or a line break "\r\n", is never split.
int CharacterStart(const std::string& gbk, int offset) {
  int at = 0;
  const int size = static_cast<int>(gbk.size());
  while (at < size) {
    const unsigned char c = static_cast<unsigned char>(gbk[static_cast<std::size_t>(at)]);
    const int width = (c >= 0x81 || (c == '\r' && at + 1 < size && gbk[static_cast<std::size_t>(at) + 1] == '\n')) ? 2 : 1;
    if (at + width > offset) break;
    at += width;
  }
  return std::min(at, size);
}

}  // namespace

void Desktop::SetEditSelection(WindowHandle edit, int start, int length) {
  SimWindow* window = tree_.Get(edit);
  if (window == nullptr || window->kind != ControlKind::kEdit) return;
  const int size = static_cast<int>(window->text.size());
  const int from = CharacterStart(window->text, std::clamp(start, 0, size));
  const int to = CharacterStart(window->text, std::clamp(length, 0, size - from) + from);
  window->selection_start = from;
  window->selection_length = to - from;
}

void Desktop::GetEditSelection(WindowHandle edit, int* start, int* length) {
  const SimWindow* window = Find(edit);
  const bool is_edit = window != nullptr && window->kind == ControlKind::kEdit;
  *start = is_edit ? window->selection_start : 0;
  *length = is_edit ? window->selection_length : 0;
}

void Desktop::SetLook(WindowHandle handle, const ControlLook& look) {
  if (SimWindow* window = tree_.Get(handle)) window->look = look;
}

void Desktop::SetEditSpin(WindowHandle edit, const EditSpin& spin) {
  SimWindow* window = tree_.Get(edit);
  if (window != nullptr && window->kind == ControlKind::kEdit) window->spin = spin;
}

void Desktop::SetDefaultButton(WindowHandle button, bool is_default) {
  if (SimWindow* window = tree_.Get(button)) window->default_button = is_default;
}

void Desktop::ListInsertColumn(WindowHandle list, int index, const std::string& title, int width, int alignment) {
  if (SimWindow* window = tree_.Get(list)) window->list.InsertColumn(index, title, width, alignment);
}

int Desktop::ListInsertRow(WindowHandle list, int position, const std::string& caption) {
  SimWindow* window = tree_.Get(list);
  return window == nullptr ? -1 : window->list.InsertRow(position, caption);
}

bool Desktop::ListDeleteRow(WindowHandle list, int row) {
  SimWindow* window = tree_.Get(list);
  return window != nullptr && window->list.DeleteRow(row);
}

void Desktop::ListDeleteAllRows(WindowHandle list) {
  if (SimWindow* window = tree_.Get(list)) window->list.Clear();
}

int Desktop::ListRowCount(WindowHandle list) {
  const SimWindow* window = Find(list);
  return window == nullptr ? 0 : window->list.RowCount();
}

bool Desktop::ListSetCell(WindowHandle list, int row, int column, const std::string& text) {
  SimWindow* window = tree_.Get(list);
  return window != nullptr && window->list.SetCell(row, column, text);
}

int Desktop::ListGetCell(WindowHandle list, int row, int column, char* buffer, int capacity) {
  if (capacity <= 0) return 0;
  buffer[0] = '\0';
  const SimWindow* window = Find(list);
  const std::string* text = window == nullptr ? nullptr : window->list.Cell(row, column);
  if (text == nullptr) return 0;
  int n = std::min(static_cast<int>(text->size()), capacity - 1);
  std::copy_n(text->data(), n, buffer);
  buffer[n] = '\0';
  return n;
}

void Desktop::ListSetRowState(WindowHandle list, int row, bool selected, bool focused) {
  SimWindow* window = tree_.Get(list);
  if (window != nullptr && window->list.SetRowState(row, selected, focused)) Notify(Notice::kRowFocused, list, row);
}

int Desktop::ListFirstSelected(WindowHandle list) {
  const SimWindow* window = Find(list);
  return window == nullptr ? -1 : window->list.FirstSelected();
}

bool Desktop::ListRowChecked(WindowHandle list, int row) {
  const SimWindow* window = Find(list);
  return window != nullptr && window->look.check_boxes && window->list.Checked(row);
}

// ---------------------------------------------------------------- menus

MenuHandle Desktop::CreateMenuBar(const std::vector<MenuEntry>& entries) {
  MenuHandle handle = tree_.NewHandle();
  menus_[handle] = entries;
  return handle;
}

void Desktop::SetMenuBar(WindowHandle frame, MenuHandle menu) {
  if (SimWindow* window = tree_.Get(frame)) window->menu = menu;
}

int Desktop::TrackPopupMenu(WindowHandle, const std::vector<MenuEntry>& entries, int x, int y) {
  popup_x_ = x;
  popup_y_ = y;
  if (!SomeoneThere()) return 0;  // nobody there: the menu is dismissed
  OpenDialog popup;
  popup.kind = WaitKind::kPopupMenu;
  popup.popup = entries;
  OpenDialog done = RunDialog(std::move(popup));
  if (!done.command) throw NoOneThere("nothing was chosen from the popup menu");
  return *done.command;
}

void Desktop::CursorPosition(int* x, int* y) {
  *x = mouse_x_;
  *y = mouse_y_;
}

void Desktop::ScreenSize(int* width, int* height) {
  *width = kScreenWidth;
  *height = kScreenHeight;
}

// The simulated desktop draws nothing; its fonts follow the description's
// height: a negative height is the characters' own, and a line adds a fifth
// of itself as leading above them; a positive height is the whole line's.
// The default GUI font's characters are 12 pixels high.
int Desktop::FontLineHeight(const std::string& font) {
  constexpr std::size_t kDescriptionSize = 60;
  constexpr std::int64_t kDefaultCharacters = 12, kTallest = 500;
  std::int64_t height = 0;
  if (font.size() >= kDescriptionSize) {
    std::uint32_t word = 0;
    for (int i = 3; i >= 0; --i) word = word << 8 | static_cast<unsigned char>(font[static_cast<std::size_t>(i)]);
    height = static_cast<std::int32_t>(word);
  }
  if (height == 0) height = -kDefaultCharacters;
  const std::int64_t line = height < 0 ? (-height * 5 + 2) / 4 : height;
  return static_cast<int>(std::clamp<std::int64_t>(line, 1, kTallest));
}

// ---------------------------------------------------------------- queue

bool Desktop::TakeMessage(Message* message, bool* quit) {
  MessageQueue::Input input;
  switch (queue_.Take(message, &input)) {
    case MessageQueue::Next::kMessage: return true;
    case MessageQueue::Next::kInput:
      input();
      *message = Message{};
      return true;
    case MessageQueue::Next::kQuit: *quit = true; return false;
    case MessageQueue::Next::kNothing: return false;
  }
  return false;
}

bool Desktop::GetMessage(Message* message, void (*idle)(void*), void* context) {
  for (int attempt = 0;; ++attempt) {
    bool quit = false;
    if (TakeMessage(message, &quit)) return true;
    if (quit) return false;
    if (idle != nullptr) idle(context);
    if (!queue_.empty()) continue;
    if (attempt > 0) throw NoOneThere("the person did nothing while the program waited: " + DescribeScreen());
    Wait(WaitKind::kIdle);
    if (queue_.empty()) throw NoOneThere("the person did nothing while the program waited: " + DescribeScreen());
    attempt = -1;
  }
}

bool Desktop::PeekMessage(Message* message, bool* quit) {
  bool quit_taken = false;
  if (TakeMessage(message, &quit_taken)) return true;
  if (quit_taken && quit != nullptr) *quit = true;
  return false;
}

void Desktop::DispatchMessage(const Message& message) {
  const SimWindow* window = Find(message.window);
  if (window == nullptr) return;  // its window is gone, or it had none
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

// ---------------------------------------------------------------- boxes

BoxAnswer Desktop::ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                                  WindowHandle owner) {
  if (!SomeoneThere()) return SimHost::ShowMessageBox(text, caption, flags, owner);
  OpenDialog box;
  box.kind = WaitKind::kMessageBox;
  box.box = OpenBox{text, caption, flags};
  OpenDialog done = RunDialog(std::move(box));
  if (!done.answer) throw NoOneThere("the message box was not answered");
  return *done.answer;
}

BoxAnswer Desktop::ShowPasswordDialog(const PasswordDialogTexts& texts, Secret* typed) {
  if (!SomeoneThere()) return SimHost::ShowPasswordDialog(texts, typed);
  OpenDialog dialog;
  dialog.kind = WaitKind::kPasswordDialog;
  dialog.password = texts;
  OpenDialog done = RunDialog(std::move(dialog));
  if (!done.typed) throw NoOneThere("the password dialog was not answered");
  if (!*done.typed) return BoxAnswer::kCancel;
  typed->Assign(**done.typed);
  return BoxAnswer::kOk;
}

BoxAnswer Desktop::ShowInputBox(const InputBoxRequest& request, Secret* entered) {
  if (!SomeoneThere()) return SimHost::ShowInputBox(request, entered);
  OpenDialog dialog;
  dialog.kind = WaitKind::kInputBox;
  dialog.input = request;
  OpenDialog done = RunDialog(std::move(dialog));
  if (!done.typed) throw NoOneThere("the input box was not answered");
  if (!*done.typed) return BoxAnswer::kCancel;
  entered->Assign(TypeIntoInputBox(request, **done.typed));
  return BoxAnswer::kOk;
}

// ---------------------------------------------------------------- reports

bool Desktop::Deliver(std::function<void(HostListener&)> report) {
  if (open_) return SimHost::Deliver(std::move(report));
  queue_.PostInput([this, report = std::move(report)] {
    if (HostListener* to = listener()) report(*to);
  });
  return false;
}

// ---------------------------------------------------------------- scope

ScopedDesktop::ScopedDesktop()
    : previous_host_(InstallHost(&desktop_)), previous_system_(InstallWindowSystem(&desktop_)) {}

ScopedDesktop::~ScopedDesktop() {
  InstallWindowSystem(previous_system_);
  InstallHost(previous_host_);
}

}  // namespace platform::sim
