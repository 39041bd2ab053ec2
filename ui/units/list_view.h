// The list view unit and its commands (library 2).
#pragma once

#include "runtime/value.h"

namespace ui {

// Commands in the command shape; argv[0] is the list view reference
// (payload: window id, unit id).
void GetItemText(rt::Value* result, std::int32_t argc, rt::Value* argv);
void SetItemText(rt::Value* result, std::int32_t argc, rt::Value* argv);
void InsertItem(rt::Value* result, std::int32_t argc, rt::Value* argv);
void DeleteItem(rt::Value* result, std::int32_t argc, rt::Value* argv);
void DeleteAllItems(rt::Value* result, std::int32_t argc, rt::Value* argv);

}  // namespace ui
