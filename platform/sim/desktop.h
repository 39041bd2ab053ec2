// The simulated desktop: a window system (the window tree, list views, menus,
// focus and activation, the message queue) and, through SimHost, boxes,
// dialogs, clipboard, browser and clock. Whenever the program waits for a
// person (an idle message loop, an open box or dialog, an open popup menu)
// the desktop asks its Person to act; what that person does goes through
// input().
#pragma once

#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sim/message_queue.h"
#include "platform/sim/person_input.h"
#include "platform/sim/sim_host.h"
#include "platform/sim/window_tree.h"
#include "platform/window_system.h"

namespace platform::sim {

// What the program is waiting for.
enum class WaitKind { kIdle, kMessageBox, kInputBox, kPasswordDialog, kPopupMenu };

struct OpenBox {
  std::string text, caption;  // GBK
  std::uint32_t flags = 0;
};

// The box, dialog or popup menu that is open, and what the person answered.
struct OpenDialog {
  WaitKind kind = WaitKind::kMessageBox;
  OpenBox box;                    // a message box
  InputBoxRequest input;          // an input box
  PasswordDialogTexts password;   // the password dialog
  std::vector<MenuEntry> popup;   // a popup menu
  std::optional<BoxAnswer> answer;                  // the button of a message box
  std::optional<std::optional<std::string>> typed;  // a dialog's text (GBK); nothing: cancelled
  std::optional<int> command;                       // a popup menu's choice; 0: dismissed
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
  const SimWindow* Find(WindowHandle handle) const { return tree_.Find(handle); }
  // Visible top-level windows of the program, in creation order.
  std::vector<const SimWindow*> Frames() const { return tree_.Frames(); }
  WindowHandle active() const { return active_; }
  WindowHandle focus() const { return focus_; }
  bool EffectivelyEnabled(WindowHandle handle) const { return tree_.EffectivelyEnabled(handle); }
  bool EffectivelyVisible(WindowHandle handle) const { return tree_.EffectivelyVisible(handle); }
  // What the screen shows at a point of the window's client area (0xBBGGRR).
  std::optional<std::uint32_t> ColourAt(WindowHandle handle, int x, int y) const { return tree_.ColourAt(handle, x, y); }
  // The open box, dialog or popup menu of that kind; null when none is.
  const OpenBox* open_box() const { return Open(WaitKind::kMessageBox) ? &open_->box : nullptr; }
  const InputBoxRequest* open_input_box() const { return Open(WaitKind::kInputBox) ? &open_->input : nullptr; }
  const PasswordDialogTexts* open_password_dialog() const {
    return Open(WaitKind::kPasswordDialog) ? &open_->password : nullptr;
  }
  const std::vector<MenuEntry>* open_popup() const { return Open(WaitKind::kPopupMenu) ? &open_->popup : nullptr; }
  const std::vector<MenuEntry>* menu_bar(MenuHandle menu) const;
  // A one-line description of the screen, for failure messages (UTF-8).
  std::string DescribeScreen() const;

  // ---- what a person does (at a wait) ----
  PersonInput& input() { return input_; }

  // ---- Host ----
  BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                           WindowHandle owner) override;
  BoxAnswer ShowPasswordDialog(const PasswordDialogTexts& texts, Secret* typed) override;
  BoxAnswer ShowInputBox(const InputBoxRequest& request, Secret* entered) override;

  // ---- WindowSystem ----
  void SetListener(WindowListener* listener) override { listener_ = listener; }
  WindowHandle Create(const CreateParams& params) override { return tree_.Add(params); }
  void Destroy(WindowHandle window) override;
  bool IsWindow(WindowHandle window) override { return Find(window) != nullptr; }
  void SetText(WindowHandle window, const std::string& text) override;
  std::string GetText(WindowHandle window) override;
  void SetRect(WindowHandle window, const Rect& rect) override;
  Rect GetRect(WindowHandle window) override;
  void Show(WindowHandle window, bool visible, bool activate) override;
  void SetShowState(WindowHandle window, ShowState state) override;
  ShowState GetShowState(WindowHandle window) override;
  bool IsVisible(WindowHandle window) override { return EffectivelyVisible(window); }
  void Enable(WindowHandle window, bool enabled) override;
  bool IsEnabled(WindowHandle window) override;
  void SetParent(WindowHandle window, WindowHandle parent) override { tree_.Reparent(window, parent); }
  WindowHandle GetParent(WindowHandle window) override;
  WindowHandle GetOwner(WindowHandle window) override;
  void PlaceAfter(WindowHandle window, WindowHandle after) override { tree_.PlaceAfter(window, after); }
  void SetFrameStyle(WindowHandle frame, const FrameStyle& style) override;
  void SetTopmost(WindowHandle frame, bool topmost) override;
  bool IsTopmost(WindowHandle frame) override;
  void SetFocus(WindowHandle window) override;
  WindowHandle GetFocus() override { return focus_; }
  void Activate(WindowHandle frame) override;
  WindowHandle GetActive() override { return active_; }
  void SetEditRules(WindowHandle edit, const EditRules& rules) override;
  void SetDefaultButton(WindowHandle button, bool is_default) override;
  void SetEditSpin(WindowHandle edit, const EditSpin& spin) override;
  void SetLook(WindowHandle window, const ControlLook& look) override;
  void SetEditSelection(WindowHandle edit, int start, int length) override;
  void GetEditSelection(WindowHandle edit, int* start, int* length) override;
  void ListInsertColumn(WindowHandle list, int index, const std::string& title, int width, int alignment) override;
  int ListInsertRow(WindowHandle list, int position, const std::string& caption) override;
  bool ListDeleteRow(WindowHandle list, int row) override;
  void ListDeleteAllRows(WindowHandle list) override;
  int ListRowCount(WindowHandle list) override;
  bool ListSetCell(WindowHandle list, int row, int column, const std::string& text) override;
  int ListGetCell(WindowHandle list, int row, int column, char* buffer, int capacity) override;
  void ListSetRowState(WindowHandle list, int row, bool selected, bool focused) override;
  int ListFirstSelected(WindowHandle list) override;
  bool ListRowChecked(WindowHandle list, int row) override;
  MenuHandle CreateMenuBar(const std::vector<MenuEntry>& entries) override;
  void SetMenuBar(WindowHandle frame, MenuHandle menu) override;
  void DestroyMenu(MenuHandle menu) override { menus_.erase(menu); }
  int TrackPopupMenu(WindowHandle owner, const std::vector<MenuEntry>& entries, int x, int y) override;
  void CursorPosition(int* x, int* y) override;
  void ScreenSize(int* width, int* height) override;
  int FontLineHeight(const std::string& font) override;
  int EdgeHeight() override { return 2; }
  bool GetMessage(Message* message, void (*idle)(void*), void* context) override;
  bool PeekMessage(Message* message, bool* quit) override;
  void DispatchMessage(const Message& message) override;
  void PostMessage(const Message& message) override { queue_.Post(message); }
  void PostQuit(int code) override { queue_.PostQuit(code); }

  // Where the mouse is (screen coordinates), for popup menus.
  void MoveMouse(int x, int y) {
    mouse_x_ = x;
    mouse_y_ = y;
  }
  int last_popup_x() const { return popup_x_; }
  int last_popup_y() const { return popup_y_; }
  int quit_code() const { return queue_.quit_code(); }

 protected:
  // While a box, dialog or popup menu is open the program is inside it
  // and hears the report at once; otherwise the report waits in the queue
  // until the program takes it, as a timer or a system notice would.
  bool Deliver(std::function<void(HostListener&)> report) override;

 private:
  friend class PersonInput;  // the person's input reaches into the controls as the system's own does

  bool Open(WaitKind kind) const { return open_ && open_->kind == kind; }
  bool SomeoneThere() const { return person_ != nullptr || !steps_.empty(); }
  // The list view behind a handle; null for any other window.
  ListModel* List(WindowHandle list);
  void Notify(Notice notice, WindowHandle window, std::intptr_t a = 0, std::intptr_t b = 0);
  // Tells the listener of something it may say no to; true when it did.
  bool Ask(Notice notice, WindowHandle window, std::intptr_t a, const std::string* text = nullptr);
  // Asks the person (or the next step) to act; NoOneThere when nobody is there.
  void Wait(WaitKind kind);
  // Opens the dialog, lets the person act, and closes it again (also when
  // the person's turn throws); the dialog as the person left it.
  OpenDialog RunDialog(OpenDialog dialog);
  // Takes the next message; a person's input met on the way is delivered
  // and gives an empty message (to no window), so the program's loop looks
  // at its own state as after any message.
  bool TakeMessage(Message* message, bool* quit);

  WindowTree tree_;
  MessageQueue queue_;
  PersonInput input_{*this};
  std::map<MenuHandle, std::vector<MenuEntry>> menus_;
  WindowHandle focus_ = 0, active_ = 0;
  WindowListener* listener_ = nullptr;
  Person* person_ = nullptr;
  std::deque<std::function<void()>> steps_;
  std::optional<OpenDialog> open_;
  int mouse_x_ = 400, mouse_y_ = 300;
  int popup_x_ = 0, popup_y_ = 0;
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
