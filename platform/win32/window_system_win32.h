// The window system on real Win32 windows and controls. Frames are windows
// of the runtime's class ("QXWindow" or the class a window names), the
// hidden owner is "_VL_HideOwner", labels are "_VL_Label" windows painted
// here, and edits, buttons and list views are the system's controls.
// Geometry is scaled between the template's pixels and the dots per inch of
// the monitor each frame is on (moved to another, a frame lays its units out
// again from their own geometry, fonts with them); texts are GBK at the seam
// and UTF-16 at every Win32 call.
#pragma once

#include <windows.h>

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/secret.h"
#include "platform/window_system.h"

namespace platform::win32 {

// Private window messages.
inline constexpr UINT kPostedNotice = WM_APP + 0x51;  // wParam: serial of a posted seam message
inline constexpr UINT kResumeRedraw = WM_APP + 0x52;  // to a list view: rows added, draw it again

class Win32WindowSystem final : public WindowSystem {
 public:
  Win32WindowSystem();
  ~Win32WindowSystem() override;
  Win32WindowSystem(const Win32WindowSystem&) = delete;
  Win32WindowSystem& operator=(const Win32WindowSystem&) = delete;

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
  int EdgeHeight() override;
  bool GetMessage(Message* message, void (*idle)(void* context), void* context) override;
  bool PeekMessage(Message* message, bool* quit) override;
  void DispatchMessage(const Message& message) override;
  void PostMessage(const Message& message) override;
  void PostQuit(int code) override;

  // What this system knows of one of its windows; null for windows it did
  // not create (dialogs, message boxes, the controls' own children).
  struct Native {
    ControlKind kind = ControlKind::kFrame;
    FrameStyle frame;
    bool shown_once = false;
    ShowState pending_state = ShowState::kNormal;
    HWND saved_focus = nullptr;  // frames: the control that had the focus at deactivation
    int dpi = 96;                // the frame's monitor's, when it was last laid out
    Rect layout;                 // controls: where the runtime put it, in the template's pixels
    EditRules rules;
    ControlLook look;  // frames: the background only
    HFONT font = nullptr;  // owned; null = the default GUI font
    HBRUSH background = nullptr;  // owned; edit and frame backgrounds
    bool default_button = false;
    bool redraw_held = false;  // list views: rows are going in; drawn again once the queue is read
    int list_columns = 0;      // list views: the columns added
    int hot_row = -1;          // list views with hot tracking: the row last reported under the mouse
    HWND spin = nullptr;       // edits: the up-down control beside the box (a sibling it goes with)
  };
  const Native* Find(HWND window) const;
  // The colour of the window a control sits on where nothing covers it: its
  // background colour, else the system's dialog face.
  COLORREF FaceBehind(HWND control) const;

  // Window procedures and the notification fan-in; public for the
  // callbacks in the control files.
  LRESULT FrameProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT ControlProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Notify(Notice notice, HWND window, std::intptr_t a = 0, std::intptr_t b = 0);
  // Tells the listener of something it may say no to; true when it did.
  bool Ask(Notice notice, HWND window, std::intptr_t a, const std::string* text = nullptr);
  // A left-button press at `where` (client pixels of `window`, a frame or a
  // label in one): when that frame drags by its client area, the press is
  // taken as one on its title bar, and the system moves the frame with the
  // mouse until the button is let go. True when it did.
  bool DragByClientArea(HWND window, LPARAM where);
  // A window of ours is gone: free what it held and report it.
  void Forget(HWND window);
  // A posted seam message reached a window procedure (a foreign modal loop
  // dispatched it): deliver it now.
  void DeliverPosted(std::intptr_t serial);
  static Win32WindowSystem* Instance();

  // Called each time the queue has run dry, after the runtime's own idle
  // work and before waiting (a test driver acts as the person here).
  void SetIdleHook(void (*hook)(void* context), void* context) {
    idle_hook_ = hook;
    idle_context_ = context;
  }

 private:
  Native* Get(HWND window);
  HWND CreateFrame(const CreateParams& params);
  HWND CreateHiddenOwner(const CreateParams& params);
  HWND CreateControl(const CreateParams& params);
  void ApplyFrameStyle(HWND frame, const FrameStyle& style, bool keep_rect);
  void ApplyLook(HWND window, Native& native);
  void SetFrameBackground(HWND frame, Native& native, std::uint32_t colour);
  // The control's font from its look at its dots per inch.
  void ApplyFont(HWND window, Native& native, BOOL redraw);
  // WM_DPICHANGED: the frame takes the suggested rectangle, and its
  // controls their geometry, fonts and column widths at the new DPI.
  void ChangeDpi(HWND frame, Native& native, int dpi, const RECT& suggested);
  void RelayControl(HWND control, Native& native, int dpi);
  // The dots per inch the window's frame is laid out at.
  int FrameDpi(HWND window) const;
  bool ControlColours(HWND control, HDC dc, LRESULT* brush);
  // WM_COMMAND and WM_NOTIFY of a child control, whoever its parent is.
  bool ChildNotification(UINT message, WPARAM wparam, LPARAM lparam, LRESULT* result);
  void TrackHotRow(HWND list, Native& native, LPARAM where);
  // Edit boxes' spin controls: placed beside the box's layout at its DPI;
  // destroyed; a press (UDN_DELTAPOS) reported to the box.
  void PlaceSpin(const Native& edit);
  void DropSpin(Native& edit);
  bool SpinNotification(const NMHDR& header, LPARAM lparam, LRESULT* result);
  // Edit controls: what typing, pasting and input methods may put in,
  // under the rules (nullopt: not such a message); the part of a text the
  // box takes in place of its selection.
  std::optional<LRESULT> FilterEditInput(HWND edit, const Native& native, UINT message, WPARAM wparam, LPARAM lparam);
  static std::wstring AdmitIntoEdit(HWND edit, const EditRules& rules, std::wstring text);
  bool WrapNative(const MSG& msg, Message* message);
  // The list's context-menu key: its right-click notice, with the position
  // of the selected row standing in for the cursor's meanwhile.
  void KeyboardContextMenu(HWND list);
  // A list view filled row by row would repaint and reset its scroll bars
  // for every row: drawing stops at the first change and starts again when
  // the loop next reads the queue (a message posted to the list), whichever
  // loop that is.
  void HoldListRedraw(HWND list, Native& native);
  void ResumeListRedraw(HWND list, Native& native);

  // The cells of a report list view kept here rather than in the control:
  // its rows hold callback texts, which it asks for (LVN_GETDISPINFO) when
  // it draws a row or is read, so a row costs one message to add and none
  // per cell. Each row's item data points at its cells. Lists that sort
  // themselves keep their texts in the control, which compares them. The
  // cells may hold passwords: they are wiped when replaced or let go.
  using RowCells = std::vector<WideSecret>;
  struct KeptCells {
    std::vector<std::unique_ptr<RowCells>> rows;  // in no order: found by the item data
    int last_row = -1;                            // the row last added, while no row has gone
    RowCells* last_cells = nullptr;
  };
  RowCells* KeptRow(HWND list, KeptCells& kept, int row);
  // LVN_GETDISPINFOW (lparam: its NMLVDISPINFOW): the asked cell's text.
  void GiveKeptText(HWND list, LPARAM dispinfo);
  void ForgetKeptRow(KeptCells& kept, RowCells* cells);

  WindowListener* listener_ = nullptr;
  void (*idle_hook_)(void*) = nullptr;
  void* idle_context_ = nullptr;
  std::map<HWND, Native> windows_;
  std::map<HWND, KeptCells> kept_cells_;  // report list views whose cells are kept here
  std::map<HWND, HWND> spin_boxes_;       // spin control -> the edit box it belongs to
  int suppress_text_change_ = 0;
  std::map<std::intptr_t, Message> posted_;  // serial -> posted seam message
  std::map<std::intptr_t, MSG> fetched_;     // serial -> native message handed out, not yet dispatched
  std::intptr_t next_serial_ = 1;
  MSG last_key_{};  // the native key message behind the last kKeyDown handed out
  bool quit_seen_ = false;
  POINT context_point_{};  // screen pixels
  bool context_point_set_ = false;
  int quit_code_ = 0;
};

// The process's Win32 window system (created on first use; common controls
// initialised).
Win32WindowSystem& NativeWindowSystem();

// The list view styles a look sets at any time: no label wrap (icon views)
// and no column header (report view).
DWORD ListLookStyle(const ControlLook& look);

}  // namespace platform::win32
