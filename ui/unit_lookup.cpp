#include "ui/unit_lookup.h"

#include <algorithm>

#include "ui/registry.h"

namespace ui {
namespace {

// The loaded windows with a frame: the active one first, then the others
// by the handles of their frames.
std::vector<WindowObject*> SearchOrder() {
  std::vector<WindowObject*> windows;
  for (auto& [id, window] : Registry().loaded)
    if (window->handle() != 0) windows.push_back(window.get());
  std::sort(windows.begin(), windows.end(),
            [](const WindowObject* a, const WindowObject* b) { return a->handle() < b->handle(); });
  platform::WindowSystem* system = platform::CurrentWindowSystem();
  platform::WindowHandle active = system != nullptr ? system->GetActive() : 0;
  std::stable_partition(windows.begin(), windows.end(),
                        [active](const WindowObject* window) { return active != 0 && window->handle() == active; });
  return windows;
}

}  // namespace

std::optional<UnitIdentity> IdentifyUnit(platform::WindowHandle handle) {
  WindowRegistry& registry = Registry();
  auto it = registry.by_handle.find(handle);
  if (handle == 0 || it == registry.by_handle.end()) return std::nullopt;
  const Unit& unit = *it->second;
  const WindowObject* window = registry.FindLoaded(unit.window_id());
  if (window == nullptr) return std::nullopt;
  UnitIdentity identity;
  identity.window = unit.window_id();
  identity.unit = unit.unit_id();
  identity.is_window = &unit == window->window_unit;
  if (const TemplateRecord* record = window->tmpl->Find(unit.unit_id()); record != nullptr && !record->is_menu_item) {
    identity.type_code = record->unit.type_code;
    if (!identity.is_window) identity.name = record->unit.name;
  }
  return identity;
}

platform::WindowHandle FindUnitWindow(const std::string& name) {
  if (name.empty()) return 0;
  for (const WindowObject* window : SearchOrder()) {
    const std::vector<TemplateRecord>& records = window->tmpl->records;
    for (std::size_t i = 1; i < records.size(); ++i) {
      if (records[i].is_menu_item || records[i].unit.name != name) continue;
      const Unit* unit = window->FindUnit(records[i].id);
      if (unit != nullptr && unit->handle() != 0) return unit->handle();
    }
  }
  return 0;
}

platform::WindowHandle FindUnitWindowById(UnitId id) {
  if (id == 0) return 0;
  for (const WindowObject* window : SearchOrder()) {
    const Unit* unit = window->FindUnit(id);
    if (unit != nullptr && unit->handle() != 0) return unit->handle();
  }
  return 0;
}

std::vector<platform::WindowHandle> LoadedFrames() {
  std::vector<platform::WindowHandle> frames;
  for (auto& [id, window] : Registry().loaded)
    if (window->handle() != 0) frames.push_back(window->handle());
  std::sort(frames.begin(), frames.end());
  return frames;
}

}  // namespace ui
