// The window system seam: native windows and controls, menus, focus and the
// message queue, as the window runtime needs them. The runtime (ui/) talks
// only to this interface; a desktop implements it on Win32 (CreateWindowEx,
// SendMessage to controls, GetMessage/DispatchMessage loops that may nest,
// TrackPopupMenu) or simulates it (platform/sim).
//
// Notifications from windows to the runtime arrive synchronously through the
// WindowListener while a message is dispatched or while the runtime calls
// into the system (as a window procedure would be called).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/host.h"

namespace platform {

enum class ControlKind {
  kFrame,     // a top-level window of the runtime's window class
  kEdit,      // "EDIT"
  kLabel,     // "_VL_Label"
  kButton,    // "BUTTON"
  kListView,  // "SysListView32"
  kHidden,    // the never-shown owner window ("_VL_HideOwner")
};

struct Rect {
  int left = 0, top = 0, width = 0, height = 0;
  bool operator==(const Rect&) const = default;
};

enum class ShowState { kNormal, kMinimized, kMaximized };

// Frame decoration, decided by the window unit from its properties.
struct FrameStyle {
  bool framed = true;  // false: no frame and no title bar at all
  bool title_bar = true;
  bool system_menu = true;
  bool sizing = false;
  bool tool_window = false;
  bool sunken_client = false;
  bool maximize_box = false;
  bool minimize_box = false;
  bool centered = false;  // place in the middle of the screen, ignoring left/top
  bool topmost = false;
  bool movable = true;
  // A left-button press on the client area, or on a label in it, moves the
  // window as a press on the title bar would.
  bool drag_by_client = false;
  ShowState initial_state = ShowState::kNormal;
  bool operator==(const FrameStyle&) const = default;
};

// What the edit control enforces while a person types.
struct EditRules {
  int max_bytes = 0;      // GBK bytes; 0 = no limit
  int case_mode = 0;      // 0 none, 1 lower, 2 upper
  bool read_only = false;
  bool password = false;  // masked with password_char
  char password_char = '*';
  bool multi_line = false;
  bool digits_only = false;  // numeric input modes pass only "-" and digits
  // False for a box that takes a secret to be typed again exactly (the
  // database password): no input method is attached to it.
  bool input_method = true;
};

// How a control is drawn, for desktops that draw it: font, colours,
// alignment and border, and the styles a system control needs when it is
// created (multi-line edits, the list view's view and styles). A desktop
// without pixels may ignore it.
inline constexpr std::uint32_t kSystemColour = 0xFF000000;  // the system's own colour

// The choices of a control's look, numbered as the unit types store them
// (a stored number outside the list draws as the first choice, or as no
// border).
enum class Border : int { kOwn = -1, kNone = 0, kSunken, kRaised, kShallow, kRaisedAndSunken, kSingleLine };
enum class ScrollBars : int { kNone = 0, kHorizontal, kVertical, kBoth };
enum class ListViewMode : int { kLargeIcons = 0, kSmallIcons, kList, kReport };
enum class ListSort : int { kNone = 0, kAscending, kDescending };

struct ControlLook {
  std::string font;  // the 60-byte font description; empty = the default GUI font
  Border border = Border::kOwn;  // kOwn: the control's own (sunken for edit boxes and lists)
  std::uint32_t text_colour = kSystemColour;      // 0xBBGGRR
  std::uint32_t background = kSystemColour;
  std::uint32_t text_background = kSystemColour;  // list views
  int horizontal_align = 0;  // 0 left, 1 centre, 2 right
  int vertical_align = 1;    // 0 top, 1 centre, 2 bottom (labels, buttons)
  bool word_wrap = false;    // labels
  int text_effect = 0;       // labels: 0 none, 1 engraved, 2 embossed, 3 shadow
  // Edit boxes.
  bool multi_line = false;
  ScrollBars scroll_bars = ScrollBars::kNone;  // multi-line boxes only
  bool hide_selection = true;
  // List views.
  ListViewMode view = ListViewMode::kLargeIcons;
  bool wrap_labels = true;  // icon views: captions wrap onto more lines
  bool hide_header = false, clickable_header = true, full_row_select = false, grid_lines = false,
       header_drag_drop = false, hot_tracking = false, check_boxes = false, label_editing = false, flat_scroll_bars = false,
       single_selection = true, always_show_selection = false;
  ListSort sort = ListSort::kNone;  // by the row captions
};

// An edit box's spin control: up and down arrows attached beside a
// single-line box, each press reported to the box as kSpin (a = +1 up, -1
// down). The control only reports: the box's text is the runtime's to
// change. It goes with the box: moved, shown or hidden, enabled or disabled
// and destroyed along with it.
struct EditSpin {
  bool present = false;
  int low = 0, high = 100;  // low <= high
  bool operator==(const EditSpin&) const = default;
};

struct CreateParams {
  ControlKind kind = ControlKind::kFrame;
  std::string class_name;  // GBK; e.g. "QXWindow"
  std::string text;        // GBK: caption or content
  WindowHandle parent = 0;  // controls: the window that holds them
  WindowHandle owner = 0;   // frames: the owner window, 0 = none
  int control_id = 0;
  Rect rect;  // relative to the parent's client area (screen for frames)
  bool disabled = false;
  bool tab_stop = false;
  FrameStyle frame;  // frames only
  ControlLook look;  // controls; of a frame only its background (the client area's colour)
};

// A menu as the system shows it (menu bar or popup).
struct MenuEntry {
  std::string caption;  // GBK; "-" is a separator
  int command = 0;      // command id sent when chosen (0 for pop-ups)
  bool checked = false;
  bool greyed = false;
  std::vector<MenuEntry> children;  // non-empty: a pop-up holding these
};

using MenuHandle = std::uintptr_t;

enum class Notice {
  kCloseRequest,   // close box, system menu, Alt+F4, posted close
  kCommand,        // a menu command; a = command id
  kClicked,        // a button or list view was left-clicked
  kRightClicked,   // right click in a list view, or its context-menu key (Shift+F10, the menu key)
  kTextChanged,    // an edit control's text changed
  kGotFocus,
  kLostFocus,
  kMoved,
  kResized,
  kActivated,
  kDeactivated,
  kKeyDown,        // a = virtual key, b = modifiers (kCtrl/kShift/kAlt)
  kRowFocused,     // list view: a = row that became the focused row
  kRowActivated,   // list view: a = row (double click or Enter)
  kColumnClicked,  // list view: a = column
  kDestroyed,      // the system window is gone (children before parents)
  kSpin,           // an edit box's spin control was pressed: a = +1 up, -1 down
  kPosted,         // a message the runtime posted to itself; a, b its words
  kHotRow,         // list view with hot tracking: a = row the mouse moved onto
  // List view label editing (both asked while the control waits for the
  // answer; the listener may set *refused): the edit of row a is starting,
  // or it ended with the new caption in *text.
  kLabelEditStarting,
  kLabelEditEnded,
  kCheckToggled,   // list view: the check box of row a was toggled (read its state)
  kShown,          // a frame was shown (by the program, not by being restored)
  kHidden,         // a frame was hidden (likewise)
};

namespace key {
inline constexpr int kTab = 0x09;
inline constexpr int kEnter = 0x0D;
inline constexpr int kEscape = 0x1B;
inline constexpr int kF1 = 0x70;
inline constexpr int kF10 = 0x79;
inline constexpr int kApps = 0x5D;  // the menu key
inline constexpr int kCtrl = 0x2000;
inline constexpr int kShift = 0x4000;
inline constexpr int kAlt = 0x8000;
}  // namespace key

struct Message {
  Notice notice = Notice::kPosted;
  WindowHandle window = 0;
  std::intptr_t a = 0;
  std::intptr_t b = 0;
  // Only for notices the system asks while it waits for the answer (never
  // posted): the text they carry, and where the listener says no.
  const std::string* text = nullptr;
  bool* refused = nullptr;
};

class WindowListener {
 public:
  virtual ~WindowListener() = default;
  virtual void OnNotice(const Message& message) = 0;
};

class WindowSystem {
 public:
  virtual ~WindowSystem() = default;

  virtual void SetListener(WindowListener* listener) = 0;

  // Windows. Create returns 0 on failure; Destroy takes the children along
  // and reports kDestroyed for each.
  virtual WindowHandle Create(const CreateParams& params) = 0;
  virtual void Destroy(WindowHandle window) = 0;
  virtual bool IsWindow(WindowHandle window) = 0;
  virtual void SetText(WindowHandle window, const std::string& text) = 0;  // no kTextChanged
  virtual std::string GetText(WindowHandle window) = 0;
  virtual void SetRect(WindowHandle window, const Rect& rect) = 0;
  virtual Rect GetRect(WindowHandle window) = 0;  // parent-relative; screen for frames
  virtual void Show(WindowHandle window, bool visible, bool activate) = 0;
  virtual void SetShowState(WindowHandle window, ShowState state) = 0;
  virtual ShowState GetShowState(WindowHandle window) = 0;
  virtual bool IsVisible(WindowHandle window) = 0;
  virtual void Enable(WindowHandle window, bool enabled) = 0;
  virtual bool IsEnabled(WindowHandle window) = 0;
  virtual void SetParent(WindowHandle window, WindowHandle parent) = 0;
  virtual WindowHandle GetParent(WindowHandle window) = 0;
  virtual WindowHandle GetOwner(WindowHandle window) = 0;
  // Places the window right after `after` among its siblings (0 = first).
  virtual void PlaceAfter(WindowHandle window, WindowHandle after) = 0;
  virtual void SetFrameStyle(WindowHandle frame, const FrameStyle& style) = 0;
  virtual void SetTopmost(WindowHandle frame, bool topmost) = 0;
  virtual bool IsTopmost(WindowHandle frame) = 0;

  // Focus and activation.
  virtual void SetFocus(WindowHandle window) = 0;
  virtual WindowHandle GetFocus() = 0;
  virtual void Activate(WindowHandle frame) = 0;
  virtual WindowHandle GetActive() = 0;

  // Controls.
  virtual void SetEditRules(WindowHandle edit, const EditRules& rules) = 0;
  virtual void SetDefaultButton(WindowHandle button, bool is_default) = 0;
  // Gives the edit box a spin control, changes its range, or takes it away.
  virtual void SetEditSpin(WindowHandle edit, const EditSpin& spin) = 0;
  // An edit box's selection as GBK byte offsets into its text, a line break
  // counting the two bytes "\r\n" it is read back as. Set clamps the start
  // into the text and the length to what follows, both onto the start of a
  // character, and scrolls the selection into view.
  virtual void SetEditSelection(WindowHandle edit, int start, int length) = 0;
  virtual void GetEditSelection(WindowHandle edit, int* start, int* length) = 0;
  // Changes how a control is drawn (its font, colours, alignment, border,
  // and a list's label wrapping and column header). Styles that only take
  // effect at creation are left as they were. A frame takes the background
  // only: its client area shows that colour where no control covers it,
  // repainted at once (kSystemColour: the desktop's own window face).
  virtual void SetLook(WindowHandle window, const ControlLook& look) {
    (void)window;
    (void)look;
  }
  virtual void ListInsertColumn(WindowHandle list, int index, const std::string& title, int width,
                                int alignment) = 0;
  virtual int ListInsertRow(WindowHandle list, int position, const std::string& caption) = 0;  // -1 fails
  virtual bool ListDeleteRow(WindowHandle list, int row) = 0;
  virtual void ListDeleteAllRows(WindowHandle list) = 0;
  virtual int ListRowCount(WindowHandle list) = 0;
  virtual bool ListSetCell(WindowHandle list, int row, int column, const std::string& text) = 0;
  // Copies at most capacity - 1 bytes and a terminator into buffer, as the
  // native control does; returns the bytes copied. Rows or cells that do not
  // exist give an empty text.
  virtual int ListGetCell(WindowHandle list, int row, int column, char* buffer, int capacity) = 0;
  // Row state: selected and focused.
  virtual void ListSetRowState(WindowHandle list, int row, bool selected, bool focused) = 0;
  virtual int ListFirstSelected(WindowHandle list) = 0;  // -1 when none
  // Whether the row's check box is ticked (false without check boxes).
  virtual bool ListRowChecked(WindowHandle list, int row) = 0;

  // Menus.
  virtual MenuHandle CreateMenuBar(const std::vector<MenuEntry>& entries) = 0;
  virtual void SetMenuBar(WindowHandle frame, MenuHandle menu) = 0;  // 0 removes
  virtual void DestroyMenu(MenuHandle menu) = 0;
  // Shows a popup menu owned by the frame at screen coordinates, tracking
  // the right button; returns the chosen command id, 0 when dismissed.
  virtual int TrackPopupMenu(WindowHandle owner, const std::vector<MenuEntry>& entries, int x, int y) = 0;

  // Where a popup menu opens: the mouse cursor, or the selected row of a
  // list whose context-menu key is being reported.
  virtual void CursorPosition(int* x, int* y) = 0;
  virtual void ScreenSize(int* width, int* height) = 0;

  // Text metrics in the units' pixels: the height of a line of text in a
  // font (the 60-byte description; empty: the default GUI font), and the
  // height of the system's thin edge. A single-line edit box is at least a
  // line and two edges tall.
  virtual int FontLineHeight(const std::string& font) = 0;
  virtual int EdgeHeight() = 0;

  // The message queue. GetMessage waits for a message and returns false for
  // the quit message; while nothing is queued it calls `idle` once before
  // waiting (a simulated desktop lets its scripted user act here).
  // PeekMessage takes a queued message without waiting.
  virtual bool GetMessage(Message* message, void (*idle)(void* context), void* context) = 0;
  virtual bool PeekMessage(Message* message, bool* quit) = 0;
  virtual void DispatchMessage(const Message& message) = 0;
  virtual void PostMessage(const Message& message) = 0;
  virtual void PostQuit(int code) = 0;
};

// The window system in force; null when the platform has none installed.
WindowSystem* CurrentWindowSystem();
// Installs another window system (null for none). Returns the previous one.
WindowSystem* InstallWindowSystem(WindowSystem* system);

}  // namespace platform
