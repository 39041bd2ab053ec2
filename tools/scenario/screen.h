// What the dispatcher reads off a desktop: the person's own reads of boxes,
// dialogs, popup menus and clipboard, and the program's windows and units
// through the window-system seam and the window runtime. Only looks.
#pragma once

#include <optional>
#include <string>

#include "platform/window_system.h"
#include "tools/scenario/person.h"
#include "ui/unit_lookup.h"

namespace scenario {

class Screen {
 public:
  explicit Screen(Person& person) : person_(person) {}

  Person& person() { return person_; }

  // One line describing the screen, for the "saw" of a failure (UTF-8):
  // the open box, dialog or popup menu, then the program's visible windows.
  std::string Describe();

  // The program's active frame; 0 when the active window is none of its own.
  platform::WindowHandle ActiveFrame();
  std::optional<std::string> ActiveWindowCaption();  // UTF-8

  // A unit by name (UTF-8; the active window's first) or by hexadecimal id
  // "0x16010005"; 0 when none.
  platform::WindowHandle FindUnit(const std::string& name);
  std::optional<ui::UnitIdentity> Identify(platform::WindowHandle unit);
  // Property `index` of a unit as the text checks compare with (UTF-8).
  std::optional<std::string> UnitProperty(platform::WindowHandle unit, int index);
  int ListRows(platform::WindowHandle list);
  std::string ListCell(platform::WindowHandle list, int row, int column);  // UTF-8; "" outside the list

  // Whether the window and every window holding it are enabled.
  bool Enabled(platform::WindowHandle window);
  // Why a person cannot use the window now ("no such edit box", "the edit
  // box is not visible", "the edit box is disabled"); "" when they can.
  std::string WhyUnusable(platform::WindowHandle window, const std::string& what);

 private:
  Person& person_;
};

}  // namespace scenario
