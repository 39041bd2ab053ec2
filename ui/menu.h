// Menus built from a window's menu item records: the menu bar with its
// accelerators, popup menus, and the selection of a menu command.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/window_system.h"
#include "ui/template.h"

namespace ui {

inline constexpr int kFirstMenuCommand = 20000;
inline constexpr int kLastMenuCommand = 57600;  // exclusive

// Display name and accelerator key (virtual key plus modifier bits) of a
// shortcut code; false for 0 and unknown codes.
bool ShortcutOf(std::uint32_t code, std::string* name, int* key);

struct BuiltMenu {
  std::vector<platform::MenuEntry> entries;
  std::vector<std::pair<int, int>> accelerators;  // key -> command id
};

// The menu bar of a window template (its first run of menu items).
BuiltMenu BuildMenuBar(const WindowTemplate& tmpl);
// The popup of the sub-items of record `item`; empty when it has none.
std::vector<platform::MenuEntry> BuildPopup(const WindowTemplate& tmpl, int item);

}  // namespace ui
