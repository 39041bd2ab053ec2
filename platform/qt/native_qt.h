// What the Qt window system keeps for each window it made (shared by its
// source files only).
#pragma once

#include <QMenuBar>
#include <QPointer>
#include <QWidget>

#include <vector>

#include "platform/qt/window_system_qt.h"

namespace platform::qt {

struct QtWindowSystem::Native {
  WindowHandle handle = 0;
  ControlKind kind = ControlKind::kFrame;
  QPointer<QWidget> widget;  // a frame's top-level widget, or the control
  WindowHandle parent = 0;   // controls: the window holding them
  WindowHandle owner = 0;    // frames: the owner, 0 = none
  // Frames.
  QPointer<QWidget> client;  // holds the controls, below the menu bar
  QPointer<QMenuBar> menu_bar;
  MenuHandle menu = 0;
  FrameStyle frame;
  Rect outer;  // position and outer size as the seam gives them
  bool shown_once = false;
  ShowState pending_state = ShowState::kNormal;
  // Controls (of a frame's look, only the background is kept).
  EditRules rules;
  ControlLook look;
  std::vector<int> column_alignment;  // list views, by column
  QPointer<QWidget> spin;  // edit boxes: the spin control beside the box, which goes with it
};

}  // namespace platform::qt
