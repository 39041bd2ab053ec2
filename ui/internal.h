// Pieces shared between the window runtime's own files.
#pragma once

#include <memory>

#include "ui/registry.h"

namespace ui {

// Depth of notice dispatch and loads; destroyed objects are freed at 0.
int& BusyDepth();
// Counts a dispatch or a load as running for as long as it lives (also
// when a handler's exception unwinds through it).
class BusyScope {
 public:
  BusyScope() { ++BusyDepth(); }
  ~BusyScope() { --BusyDepth(); }
  BusyScope(const BusyScope&) = delete;
  BusyScope& operator=(const BusyScope&) = delete;
};
void BuryWindow(std::unique_ptr<WindowObject> window);
void BuryUnit(std::unique_ptr<Unit> unit);
void EmptyGraveyards();
bool IsKeptHidden(const WindowObject& window, UnitId unit);

// Keyboard handling of the active window; true when the key was used.
bool HandleKeyboard(const platform::Message& message);
// A menu command of a window (menu bar, accelerator or popup).
void SelectMenuCommand(WindowObject& window, int command);

// Routes notices from the window system to the units.
platform::WindowListener& NoticeRouter();

}  // namespace ui
