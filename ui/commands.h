// The core-library commands whose work the window runtime does.
#pragma once

#include "runtime/value.h"

namespace ui {

// LoadWindow(window, [owner window], [modal]) -> Bool
void LoadWindowCommand(rt::Value* result, std::int32_t argc, rt::Value* argv);
// DestroyUnit(target, [immediately])
void DestroyUnitCommand(rt::Value* result, std::int32_t argc, rt::Value* argv);
// PopupMenu(window, menu item, [x], [y])
void PopupMenuCommand(rt::Value* result, std::int32_t argc, rt::Value* argv);

}  // namespace ui
