// Keyboard handling of the active window, before normal dispatch: the
// accelerators of its menu, Tab and Shift+Tab, Enter and default buttons,
// Esc and F1.
#include "ui/internal.h"
#include "ui/runtime_api.h"
#include "ui/units/window_unit.h"
#include "ui/unit_numbers.h"

namespace ui {
namespace {

// Units that can take the focus by Tab, in table order.
std::vector<Unit*> TabOrder(WindowObject& window) {
  platform::WindowSystem& system = System();
  std::vector<Unit*> order;
  for (std::size_t i = 1; i < window.tmpl->records.size(); ++i) {
    const TemplateRecord& record = window.tmpl->records[i];
    if (record.is_menu_item || (record.unit.flags & UnitRecord::kTabStop) == 0) continue;
    Unit* unit = window.FindUnit(record.id);
    if (unit == nullptr || unit->handle() == 0) continue;
    if (!system.IsVisible(unit->handle()) || !system.IsEnabled(unit->handle())) continue;
    order.push_back(unit);
  }
  return order;
}

bool MoveFocus(WindowObject& window, Unit* focused, bool backwards) {
  std::vector<Unit*> order = TabOrder(window);
  if (order.empty()) return false;
  std::size_t at = order.size();
  for (std::size_t i = 0; i < order.size(); ++i)
    if (order[i] == focused) at = i;
  std::size_t next;
  if (at == order.size())
    next = backwards ? order.size() - 1 : 0;
  else
    next = backwards ? (at + order.size() - 1) % order.size() : (at + 1) % order.size();
  System().SetFocus(order[next]->handle());
  return true;
}

bool ClickIfDefault(WindowObject& window, Unit* unit) {
  platform::WindowSystem& system = System();
  if (unit == nullptr || !unit->IsDefaultButton() || !system.IsEnabled(unit->handle())) return false;
  RaiseSimple(window.window_id, unit->unit_id(), event::button::kClicked);
  return true;
}

}  // namespace

bool HandleKeyboard(const platform::Message& message) {
  if (message.notice != platform::Notice::kKeyDown) return false;
  WindowRegistry& registry = Registry();
  WindowObject* window = registry.WindowContaining(message.window);
  if (window == nullptr || window->destroying) return false;
  auto* frame = dynamic_cast<WindowUnit*>(window->window_unit);
  if (frame == nullptr) return false;
  platform::WindowSystem& system = System();
  int key = static_cast<int>(message.a) | static_cast<int>(message.b);
  auto focused_it = registry.by_handle.find(system.GetFocus());
  Unit* focused = focused_it != registry.by_handle.end() && focused_it->second->window_id() == window->window_id
                      ? focused_it->second
                      : nullptr;

  for (auto [accelerator, command] : window->accelerators)
    if (accelerator == key) {
      SelectMenuCommand(*window, command);
      return true;
    }
  switch (key) {
    case platform::key::kTab:
      return MoveFocus(*window, focused, false);
    case platform::key::kTab | platform::key::kShift:
      return MoveFocus(*window, focused, true);
    case platform::key::kEnter: {
      if (ClickIfDefault(*window, focused)) return true;
      if (frame->enter_moves_focus()) return MoveFocus(*window, focused, false);
      for (std::size_t i = 1; i < window->tmpl->records.size(); ++i) {
        if (window->tmpl->records[i].is_menu_item) continue;
        Unit* unit = window->FindUnit(window->tmpl->records[i].id);
        if (unit != nullptr && unit->IsDefaultButton() && system.IsEnabled(unit->handle()))
          return ClickIfDefault(*window, unit);
      }
      return false;
    }
    case platform::key::kEscape:
      if (!frame->esc_closes()) return false;
      CloseWindow(*window);
      return true;
    case platform::key::kF1:
      // Help files are not shipped with this program; the key is used up
      // so the control does not see it either.
      return frame->f1_help();
    default:
      return false;
  }
}

}  // namespace ui
