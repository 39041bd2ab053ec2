// Finding the units of the loaded windows the way a person names them: by a
// unit's name in its window's table, or by its id. Drivers that act as a
// person (the scenario drivers, tests) turn a name into the system window
// to act on through here; the window system itself knows nothing of units.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/window_system.h"
#include "ui/template.h"

namespace ui {

struct UnitIdentity {
  UnitId window = 0;  // the loaded window the unit belongs to
  UnitId unit = 0;
  std::uint32_t type_code = 0;
  bool is_window = false;  // the window's own unit (its frame)
  std::string name;        // GBK; empty for the window's own unit
};

// The unit whose system window this is; nothing for windows that are no
// unit's (the hidden owner, system dialogs, windows of other programs).
std::optional<UnitIdentity> IdentifyUnit(platform::WindowHandle window);

// The system window of a unit by name (GBK; a window's own unit has none)
// or by id (a window's own unit too). The active window is searched first,
// then the other loaded windows in the order of their frames' handles (on
// the simulated desktop, the order they were made). 0 when none matches.
platform::WindowHandle FindUnitWindow(const std::string& name);
platform::WindowHandle FindUnitWindowById(UnitId unit);

// The frames of the loaded windows, in the order of their handles.
std::vector<platform::WindowHandle> LoadedFrames();

}  // namespace ui
