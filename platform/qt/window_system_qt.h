// The window system on Qt 6 widgets: frames are top-level widgets whose
// size is the template's outer size less a fixed frame and title bar (so
// every control lies where the template puts it, whatever the window
// manager draws around it), and edit boxes, labels, buttons and list views
// are widgets placed at the template's pixels. Qt scales those logical
// pixels by the screen's device pixel ratio. Texts are GBK at the seam and
// UTF-16 inside Qt.
//
// The seam's message loop runs on Qt's event loop. GetMessage processes Qt
// events, waiting without spinning while there are none; widgets report
// what happens to them synchronously, as a window procedure would, and a
// loop returns after each report so the runtime can look again (a modal
// loop ends as soon as its window is gone). Keys for the program's widgets
// are held back and handed to the runtime first (Tab, Enter, Esc, the
// accelerators), then delivered to the widget if the runtime leaves them.
// Messages the runtime posts travel as Qt events, so a dialog's or a popup
// menu's own loop delivers them too.
#pragma once

#include <QPointer>
#include <QPoint>
#include <QWidget>

#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_system.h"

class QKeyEvent;

namespace platform::qt {

class Application;

// The non-client area the seam's frame sizes include: a fixed frame, and a
// title bar (a small one for tool windows), as the templates were drawn.
struct NonClient {
  int left = 0, top = 0, right = 0, bottom = 0;
};
NonClient FrameDecorations(const FrameStyle& style);

class QtWindowSystem final : public WindowSystem {
 public:
  // Needs a platform::qt::Application.
  QtWindowSystem();
  ~QtWindowSystem() override;
  QtWindowSystem(const QtWindowSystem&) = delete;
  QtWindowSystem& operator=(const QtWindowSystem&) = delete;

  void SetListener(WindowListener* listener) override { listener_ = listener; }
  WindowHandle Create(const CreateParams& params) override;
  void Destroy(WindowHandle window) override;
  bool IsWindow(WindowHandle window) override;
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
  WindowHandle GetFocus() override;
  void Activate(WindowHandle frame) override;
  WindowHandle GetActive() override;
  void SetEditRules(WindowHandle edit, const EditRules& rules) override;
  void SetEditSelection(WindowHandle edit, int start, int length) override;
  void GetEditSelection(WindowHandle edit, int* start, int* length) override;
  void SetDefaultButton(WindowHandle button, bool is_default) override;
  void SetEditSpin(WindowHandle edit, const EditSpin& spin) override;
  void SetLook(WindowHandle window, const ControlLook& look) override;
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
  void DestroyMenu(MenuHandle menu) override;
  int TrackPopupMenu(WindowHandle owner, const std::vector<MenuEntry>& entries, int x, int y) override;
  void CursorPosition(int* x, int* y) override;
  void ScreenSize(int* width, int* height) override;
  int FontLineHeight(const std::string& font) override;
  int EdgeHeight() override { return 2; }
  bool GetMessage(Message* message, void (*idle)(void* context), void* context) override;
  bool PeekMessage(Message* message, bool* quit) override;
  void DispatchMessage(const Message& message) override;
  void PostMessage(const Message& message) override;
  void PostQuit(int code) override;

  // ---- For drivers, tests and the widgets of this desktop.
  static QtWindowSystem* Instance();
  // The widget behind a handle (a frame's top-level widget); null when none.
  QWidget* WidgetOf(WindowHandle window) const;
  // The widget a window's client area is: a frame's below its menu bar, a
  // control's own; null when none.
  QWidget* ClientWidgetOf(WindowHandle window);
  // The handle of the nearest of this system's widgets at or above `object`.
  WindowHandle HandleOf(const QObject* object) const;
  std::optional<ControlKind> KindOf(WindowHandle window) const;
  // A frame's client area, which holds its units; null for anything else.
  QWidget* ClientAreaOf(WindowHandle frame) const;
  // Whether a left-button press on the frame's client area or its labels
  // moves it (FrameStyle::drag_by_client).
  bool DragsByClientArea(const QWidget* frame) const;
  // Called each time a message loop has run dry, after the runtime's own
  // idle work and before waiting (a test driver acts as the person here).
  void SetIdleHook(void (*hook)(void* context), void* context) {
    idle_hook_ = hook;
    idle_context_ = context;
  }
  // True while one of the runtime's message loops waits for input, with no
  // message or quit queued, and no dialog or menu of the desktop's runs its
  // own loop inside it.
  bool WaitingInMessageLoop() const;
  // Makes a waiting message loop run its idle work again.
  void Wake();
  // How many times an edit box refused what was typed, pasted or committed.
  int refusals() const { return refusals_; }

  // A widget reports a notice; ignored when it is no longer this system's.
  void Notify(Notice notice, const QWidget* widget, std::intptr_t a = 0, std::intptr_t b = 0);
  // As Notify, with the popup position a handler asks for meanwhile (the
  // point of a right click, or the selected row for the keyboard).
  void NotifyAt(Notice notice, const QWidget* widget, QPoint global);
  // Tells the listener of something it may say no to; true when it did.
  bool Ask(Notice notice, const QWidget* widget, std::intptr_t a, const std::string* text = nullptr);
  // Posts a notice of the widget's to the message queue.
  void Post(Notice notice, const QWidget* widget, std::intptr_t a = 0);
  void Refused();
  // A dialog, message box or menu of this desktop runs its own event loop
  // while one of these lives: messages posted meanwhile are delivered by
  // that loop, and keys reach its widgets directly.
  class ForeignLoop {
   public:
    ForeignLoop();
    ~ForeignLoop();
    ForeignLoop(const ForeignLoop&) = delete;
    ForeignLoop& operator=(const ForeignLoop&) = delete;
  };

 private:
  struct Native;
  struct Waiting {
    int depth = 0;           // depth_ when the loop started
    bool pumping = false;    // inside Qt's event processing for this loop
    bool delivered = false;  // a notice was delivered meanwhile
    bool peek = false;       // PeekMessage: taking what is there, not waiting for input
  };
  struct Ready {
    Message message;
    std::unique_ptr<QKeyEvent> key;  // the held-back key of a kKeyDown
    QPointer<QObject> receiver;
  };
  class EventTap;
  class Postbox;

  Native* Get(WindowHandle window);
  const Native* Find(WindowHandle window) const;
  WindowHandle Add(Native native);
  QWidget* CreateFrame(const CreateParams& params, Native& native);
  QWidget* CreateControl(const CreateParams& params, Native& native, QWidget* parent);
  QWidget* ClientOf(Native& native);
  void LayOutFrame(Native& native);
  void ApplyFrameFlags(Native& native);
  void ApplyLook(Native& native);
  void KeepAboveOwner(Native& native);
  void DestroyTree(WindowHandle window);
  // An edit box's spin control: placed beside the box; let go.
  static void PlaceSpin(Native& edit);
  void DropSpin(Native& edit);
  void EmptyGraveyard();
  void Pump(bool wait);
  bool TakeReady(Message* message);
  bool InOwnWait() const;
  bool HoldKey(QObject* receiver, QKeyEvent* event);
  void Deliver(const Message& message);
  void Redeliver(Ready& key);

  static QtWindowSystem* instance_;

  WindowListener* listener_ = nullptr;
  void (*idle_hook_)(void*) = nullptr;
  void* idle_context_ = nullptr;
  std::map<WindowHandle, std::unique_ptr<Native>> windows_;
  std::map<const QObject*, WindowHandle> by_widget_;
  std::map<MenuHandle, std::vector<MenuEntry>> menus_;
  WindowHandle next_handle_ = 1;
  MenuHandle next_menu_ = 1;
  WindowHandle active_ = 0;
  std::vector<QPointer<QWidget>> graveyard_;
  std::unique_ptr<EventTap> tap_;
  std::unique_ptr<Postbox> postbox_;
  std::vector<Waiting> waits_;
  int depth_ = 0;  // notices being delivered plus foreign loops running
  std::deque<Ready> ready_;
  Ready last_key_;  // the key of the last kKeyDown handed out
  std::map<std::intptr_t, Message> posted_;
  std::intptr_t next_serial_ = 1;
  int suppress_text_change_ = 0;
  int redelivering_ = 0;
  bool quit_pending_ = false;
  std::optional<QPoint> context_point_;
  int refusals_ = 0;
};

// The process's Qt window system (created on first use; needs the Application).
QtWindowSystem& NativeWindowSystem();

}  // namespace platform::qt
