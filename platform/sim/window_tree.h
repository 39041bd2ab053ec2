// The windows of the simulated desktop: each window's state as the system
// keeps it, who holds whom, and the stacking order among siblings.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/list_model.h"
#include "platform/window_system.h"

namespace platform::sim {

// The simulated screen, in pixels.
inline constexpr int kScreenWidth = 1024, kScreenHeight = 768;

// The colours the simulated desktop draws faces with where the program
// gives none (0xBBGGRR): windows, buttons and read-only boxes; edit boxes
// and lists.
inline constexpr std::uint32_t kFaceColour = 0xF0F0F0, kBoxColour = 0xFFFFFF;

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
  ControlLook look;  // controls; frames: the background only
  int selection_start = 0, selection_length = 0;  // edits: GBK bytes
  EditSpin spin;  // edits: the spin control beside the box, which goes with it
  bool default_button = false;
  ListModel list;  // list views
  int hot_row = -1;  // list views with hot tracking: the row under the mouse
};

class WindowTree {
 public:
  // A handle for a new window or menu (one count for both, as a real
  // desktop's handles are one kind).
  std::uintptr_t NewHandle();

  // Adds a window made from `params`; 0 when its parent is not there.
  // Frames and the hidden owner are top-level; a frame that asks to be
  // centred is placed in the middle of the screen.
  WindowHandle Add(const CreateParams& params);
  // The window and everything inside it, children before their parents.
  std::vector<WindowHandle> Subtree(WindowHandle handle) const;
  // Takes a window out of its parent's children (or the top-level list).
  void Detach(WindowHandle handle);
  // Forgets one window (Detach it, or its parent, first).
  void Erase(WindowHandle handle) { windows_.erase(handle); }

  SimWindow* Get(WindowHandle handle);
  const SimWindow* Find(WindowHandle handle) const;
  // The top-level window holding this one (itself when top-level); 0 when gone.
  WindowHandle FrameOf(WindowHandle handle) const;
  // Visible top-level frames, in creation order.
  std::vector<const SimWindow*> Frames() const;
  // It and every window holding it are enabled, or visible.
  bool EffectivelyEnabled(WindowHandle handle) const;
  bool EffectivelyVisible(WindowHandle handle) const;
  // The colour shown at (x, y) of the window's client area (0xBBGGRR): the
  // face of the visible control on top there, else the window's background.
  // A label whose background is the system's shows the window it sits on.
  // Nothing outside the window.
  std::optional<std::uint32_t> ColourAt(WindowHandle handle, int x, int y) const;

  // Moves a control into another window; nothing for a top-level window or
  // a parent that is not there.
  void Reparent(WindowHandle handle, WindowHandle parent);
  // Places a control right after `after` among its siblings (0: first).
  void PlaceAfter(WindowHandle handle, WindowHandle after);

 private:
  std::map<WindowHandle, SimWindow> windows_;
  std::vector<WindowHandle> top_level_;  // creation order
  std::uintptr_t next_handle_ = 0x1000;
};

}  // namespace platform::sim
