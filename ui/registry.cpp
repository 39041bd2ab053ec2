#include "ui/registry.h"

#include "runtime/errors.h"
#include "ui/internal.h"

namespace ui {

Unit* WindowObject::FindUnit(UnitId unit) const {
  if (unit == 0 || unit == own_unit_id) return window_unit;
  auto it = units.find(unit);
  return it == units.end() ? nullptr : it->second.get();
}

WindowTemplate* WindowRegistry::FindTemplate(UnitId window) {
  for (WindowTemplate& t : templates.windows)
    if (t.id == window) return &t;
  return nullptr;
}

WindowObject* WindowRegistry::FindLoaded(UnitId window) {
  auto it = loaded.find(window);
  return it == loaded.end() ? nullptr : it->second.get();
}

WindowObject* WindowRegistry::WindowOfHandle(platform::WindowHandle frame) {
  if (frame == 0) return nullptr;
  for (auto& [id, window] : loaded)
    if (window->handle() == frame) return window.get();
  return nullptr;
}

WindowObject* WindowRegistry::WindowContaining(platform::WindowHandle handle) {
  auto it = by_handle.find(handle);
  if (it == by_handle.end()) return nullptr;
  return FindLoaded(it->second->window_id());
}

WindowRegistry& Registry() {
  static WindowRegistry registry;
  return registry;
}

bool HasWindowSystem() { return platform::CurrentWindowSystem() != nullptr; }

platform::WindowSystem& System() {
  platform::WindowSystem* system = platform::CurrentWindowSystem();
  if (system == nullptr) rt::RuntimeError("指定窗口或窗口组件不存在或尚未载入", 0);
  return *system;
}

void ResetRegistry() {
  WindowRegistry& registry = Registry();
  platform::WindowSystem* system = platform::CurrentWindowSystem();
  for (auto& [id, window] : registry.loaded) {
    if (system != nullptr) {
      if (window->handle() != 0 && system->IsWindow(window->handle())) system->Destroy(window->handle());
      if (window->menu_bar != 0) system->DestroyMenu(window->menu_bar);
    }
  }
  registry.loaded.clear();
  registry.by_handle.clear();
  if (system != nullptr && registry.hidden_owner != 0 && system->IsWindow(registry.hidden_owner))
    system->Destroy(registry.hidden_owner);
  registry.hidden_owner = 0;
  registry.templates = TemplateBlock{};
  registry.modal_window = 0;
  registry.current_event = EventSource{};
  registry.idle_callbacks.clear();
  // Nothing of ours runs any more (an exit, or a run that was abandoned by
  // unwinding): objects kept for frames on the stack can go.
  BusyDepth() = 0;
  EmptyGraveyards();
}

}  // namespace ui
