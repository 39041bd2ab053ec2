#include "ui/commands.h"

#include "runtime/helpers.h"
#include "runtime/services.h"
#include "ui/internal.h"
#include "ui/menu.h"
#include "ui/runtime_api.h"

namespace ui {
namespace {

bool Present(std::int32_t argc, rt::Value* argv, int index) { return index < argc && !argv[index].omitted(); }

std::int32_t IntArgument(rt::Value& value) {
  return static_cast<std::int32_t>(rt::Request(2001, reinterpret_cast<std::intptr_t>(&value), 0));
}

}  // namespace

void LoadWindowCommand(rt::Value* result, std::int32_t argc, rt::Value* argv) {
  *result = rt::Value::Bool(false);
  if (argc < 1) return;
  WindowObject* owner = nullptr;
  if (Present(argc, argv, 1)) {
    owner = Registry().FindLoaded(argv[1].lo);
    if (owner == nullptr) return;  // an owner that is not loaded: nothing is loaded
  }
  bool modal = Present(argc, argv, 2) && rt::EvaluateCondition(argv[2]);
  LoadWindowRequest load{argv[0].lo, owner, modal ? 1 : 0};
  *result = rt::Value::Bool(WindowRequest(request::kLoadWindow, reinterpret_cast<std::intptr_t>(&load), 0) == 0);
}

void DestroyUnitCommand(rt::Value*, std::int32_t argc, rt::Value* argv) {
  if (argc < 1) return;
  bool immediately = Present(argc, argv, 1) && rt::EvaluateCondition(argv[1]);
  UnitId unit = argv[0].type == rt::type::kWindow ? 0 : argv[0].hi;
  DestroyUnit(argv[0].lo, unit, immediately);
}

void PopupMenuCommand(rt::Value*, std::int32_t argc, rt::Value* argv) {
  if (argc < 2) return;
  UnitId window_id = argv[0].lo;
  WindowRequest(request::kFindUnitStrict, static_cast<std::intptr_t>(window_id), 0);
  WindowObject* window = Registry().FindLoaded(window_id);
  if (window == nullptr || argv[1].lo != window_id) return;  // a menu of another window
  int item = window->tmpl->IndexOf(argv[1].hi);
  std::vector<platform::MenuEntry> entries = BuildPopup(*window->tmpl, item);
  if (entries.empty()) return;
  platform::WindowSystem& system = System();
  int x = 0, y = 0;
  system.CursorPosition(&x, &y);
  x += 3;
  y += 3;
  if (Present(argc, argv, 2)) x = IntArgument(argv[2]);
  if (Present(argc, argv, 3)) y = IntArgument(argv[3]);
  int command = system.TrackPopupMenu(window->handle(), entries, x, y);
  if (command != 0 && Registry().FindLoaded(window_id) == window) SelectMenuCommand(*window, command);
}

}  // namespace ui
