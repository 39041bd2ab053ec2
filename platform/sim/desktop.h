// The simulated desktop: windows and controls with geometry, texts,
// visibility, enabled state, focus and stacking; a message queue; menus and
// popup menus; and, through SimHost, boxes, dialogs, clipboard, browser and
// clock. Whenever the program waits for a person (an idle message loop, an
// open box or dialog, an open popup menu) the desktop asks its Person to act.
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sim/sim_host.h"
#include "platform/window_system.h"

namespace platform::sim {

struct SimWindow {
  WindowHandle handle = 0;
  ControlKind kind = ControlKind::kFrame;
  std::string class_name;
  std::string text;  // GBK
  WindowHandle parent = 0;
  WindowHandle owner = 0;
  int control_id = 0;
  Rect rect;
  bool visible = false;
  bool enabled = true;
  bool tab_stop = false;
  FrameStyle frame;
  ShowState state = ShowState::kNormal;
  bool topmost = false;
  std::vector<WindowHandle> children;  // stacking order, first on top of the list
  MenuHandle menu = 0;
  EditRules rules;
  bool default_button = false;
  struct Column {
    std::string title;
    int width = 0;
    int alignment = 0;
  };
  std::vector<Column> columns;
  struct Row {
    std::vector<std::string> cells;
    bool selected = false;
    bool focused = false;
  };
  std::vector<Row> rows;
};

// What the program is waiting for.
enum class WaitKind { kIdle, kMessageBox, kInputBox, kPasswordDialog, kPopupMenu };

struct OpenBox {
  std::string text, caption;  // GBK
  std::uint32_t flags = 0;
};

// A person's action could not be done (a disabled button, no such row, a
// box that has no such button): the driver reports it as a failure.
struct ActionRefused : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Nobody answered a wait: no person attached, or it gave up.
struct NoOneThere : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class Desktop;

class Person {
 public:
  virtual ~Person() = default;
  // Called at every wait; must act (post input, answer the box, choose or
  // dismiss the menu) or throw.
  virtual void Act(Desktop& desktop, WaitKind wait) = 0;
};

class Desktop : public SimHost, public WindowSystem {
 public:
  Desktop();
  ~Desktop() override;

  void set_person(Person* person) { person_ = person; }
  // Steps for tests without a script: each is run at one wait, in order.
  void Then(std::function<void()> step) { steps_.push_back(std::move(step)); }

  // ---- what a person sees ----
  const SimWindow* Find(WindowHandle handle) const;
  // Visible top-level windows of the program, in creation order.
  std::vector<const SimWindow*> Frames() const;
  WindowHandle active() const { return active_; }
  WindowHandle focus() const { return focus_; }
  bool EffectivelyEnabled(WindowHandle handle) const;  // it and its frame
  bool EffectivelyVisible(WindowHandle handle) const;
  const std::optional<OpenBox>& open_box() const { return open_box_; }
  const std::optional<InputBoxRequest>& open_input_box() const { return open_input_; }
  const std::optional<PasswordDialogTexts>& open_password_dialog() const { return open_password_; }
  const std::vector<MenuEntry>* open_popup() const { return popup_open_ ? &popup_ : nullptr; }
  const std::vector<MenuEntry>* menu_bar(MenuHandle menu) const;
  // A one-line description of the screen, for failure messages (UTF-8).
  std::string DescribeScreen() const;

  // ---- what a person does (at a wait) ----
  void Type(WindowHandle edit, const std::string& text_gbk);  // replaces the content
  void Click(WindowHandle unit);
  void RightClick(WindowHandle list);
  void SelectRow(WindowHandle list, int row);  // -1 clears the selection
  void PressKey(int key_with_modifiers);
  void CloseActive();
  void ChooseMenuCommand(WindowHandle frame, int command);
  void AnswerBox(BoxAnswer answer);
  void AnswerDialog(std::optional<std::string> typed_gbk);  // input box or password dialog
  void ChoosePopup(int command);  // the command of one of the menu's items
  void DismissPopup();

  // ---- Host ----
  BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                           WindowHandle owner) override;
  BoxAnswer ShowPasswordDialog(const PasswordDialogTexts& texts, std::string* typed) override;
  BoxAnswer ShowInputBox(const InputBoxRequest& request, std::string* entered) override;

  // ---- WindowSystem ----
  void SetListener(WindowListener* listener) override { listener_ = listener; }
  WindowHandle Create(const CreateParams& params) override;
  void Destroy(WindowHandle window) override;
  bool IsWindow(WindowHandle window) override { return Find(window) != nullptr; }
  void SetText(WindowHandle window, const std::string& text) override;
  std::string GetText(WindowHandle window) override;
  void SetRect(WindowHandle window, const Rect& rect) override;
  Rect GetRect(WindowHandle window) override;
  void Show(WindowHandle window, bool visible, bool activate) override;
  void SetShowState(WindowHandle window, ShowState state) override;
  ShowState GetShowState(WindowHandle window) override;
  bool IsVisible(WindowHandle window) override;
  void Enable(WindowHandle window, bool enabled) override;
  bool IsEnabled(WindowHandle window) override;
  void SetParent(WindowHandle window, WindowHandle parent) override;
  WindowHandle GetParent(WindowHandle window) override;
  WindowHandle GetOwner(WindowHandle window) override;
  void PlaceAfter(WindowHandle window, WindowHandle after) override;
  void SetFrameStyle(WindowHandle frame, const FrameStyle& style) override;
  void SetTopmost(WindowHandle frame, bool topmost) override;
  bool IsTopmost(WindowHandle frame) override;
  void SetFocus(WindowHandle window) override;
  WindowHandle GetFocus() override { return focus_; }
  void Activate(WindowHandle frame) override;
  WindowHandle GetActive() override { return active_; }
  void SetEditRules(WindowHandle edit, const EditRules& rules) override;
  void SetDefaultButton(WindowHandle button, bool is_default) override;
  void ListInsertColumn(WindowHandle list, int index, const std::string& title, int width, int alignment) override;
  int ListInsertRow(WindowHandle list, int position, const std::string& caption) override;
  bool ListDeleteRow(WindowHandle list, int row) override;
  void ListDeleteAllRows(WindowHandle list) override;
  int ListRowCount(WindowHandle list) override;
  bool ListSetCell(WindowHandle list, int row, int column, const std::string& text) override;
  int ListGetCell(WindowHandle list, int row, int column, char* buffer, int capacity) override;
  void ListSetRowState(WindowHandle list, int row, bool selected, bool focused) override;
  int ListFirstSelected(WindowHandle list) override;
  MenuHandle CreateMenuBar(const std::vector<MenuEntry>& entries) override;
  void SetMenuBar(WindowHandle frame, MenuHandle menu) override;
  void DestroyMenu(MenuHandle menu) override;
  int TrackPopupMenu(WindowHandle owner, const std::vector<MenuEntry>& entries, int x, int y) override;
  void CursorPosition(int* x, int* y) override;
  void ScreenSize(int* width, int* height) override;
  bool GetMessage(Message* message, void (*idle)(void*), void* context) override;
  bool PeekMessage(Message* message, bool* quit) override;
  void DispatchMessage(const Message& message) override;
  void PostMessage(const Message& message) override;
  void PostQuit(int code) override;

  // Where the mouse is (screen coordinates), for popup menus.
  void MoveMouse(int x, int y) {
    mouse_x_ = x;
    mouse_y_ = y;
  }
  int last_popup_x() const { return popup_x_; }
  int last_popup_y() const { return popup_y_; }
  int quit_code() const { return quit_code_; }

 private:
  SimWindow* Get(WindowHandle handle);
  SimWindow& Require(WindowHandle handle);  // a person's target: must exist
  WindowHandle FrameOf(WindowHandle handle) const;
  void Notify(Notice notice, WindowHandle window, std::intptr_t a = 0, std::intptr_t b = 0);
  void Wait(WaitKind kind);
  void RequireUsable(WindowHandle handle, const char* what);
  void FocusByPerson(WindowHandle handle);
  void DetachFromParent(SimWindow& window);

  std::map<WindowHandle, SimWindow> windows_;
  std::vector<WindowHandle> top_level_;  // creation order
  std::map<MenuHandle, std::vector<MenuEntry>> menus_;
  std::uintptr_t next_handle_ = 0x1000;
  WindowHandle focus_ = 0, active_ = 0;
  WindowListener* listener_ = nullptr;
  std::deque<Message> queue_;
  bool quit_posted_ = false;
  int quit_code_ = 0;
  Person* person_ = nullptr;
  std::deque<std::function<void()>> steps_;
  std::optional<OpenBox> open_box_;
  std::optional<BoxAnswer> box_answer_;
  std::optional<InputBoxRequest> open_input_;
  std::optional<PasswordDialogTexts> open_password_;
  std::optional<std::optional<std::string>> dialog_answer_;
  std::vector<MenuEntry> popup_;
  bool popup_open_ = false;
  std::optional<int> popup_answer_;
  int mouse_x_ = 400, mouse_y_ = 300;
  int popup_x_ = 0, popup_y_ = 0;
  // Person input waiting in the queue: index into this list.
  std::vector<std::function<void()>> inputs_;
};

// Installs a Desktop as both the host and the window system for the
// lifetime of this object.
class ScopedDesktop {
 public:
  ScopedDesktop();
  ~ScopedDesktop();
  ScopedDesktop(const ScopedDesktop&) = delete;
  ScopedDesktop& operator=(const ScopedDesktop&) = delete;
  Desktop& operator*() { return desktop_; }
  Desktop* operator->() { return &desktop_; }

 private:
  Desktop desktop_;
  Host* previous_host_;
  WindowSystem* previous_system_;
};

}  // namespace platform::sim
