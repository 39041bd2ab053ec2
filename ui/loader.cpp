// Loading, showing, closing and destroying windows.
#include <algorithm>
#include <set>

#include "runtime/errors.h"
#include "runtime/state.h"
#include "ui/internal.h"
#include "ui/menu.h"
#include "ui/runtime_api.h"
#include "ui/units/window_unit.h"
#include "ui/unit_numbers.h"

namespace ui {
namespace {

// Destroyed windows and units are kept until no notice is being dispatched
// and no load is running, so code still on the stack never touches freed
// objects (a handler may destroy the window whose button it serves).
std::vector<std::unique_ptr<WindowObject>>& WindowGraveyard() {
  static std::vector<std::unique_ptr<WindowObject>> graveyard;
  return graveyard;
}
std::vector<std::unique_ptr<Unit>>& UnitGraveyard() {
  static std::vector<std::unique_ptr<Unit>> graveyard;
  return graveyard;
}

bool StillLoaded(UnitId id, const WindowObject* window) { return Registry().FindLoaded(id) == window; }

void Forget(WindowObject& window) {
  WindowRegistry& registry = Registry();
  for (auto it = registry.by_handle.begin(); it != registry.by_handle.end();) {
    if (it->second->window_id() == window.window_id)
      it = registry.by_handle.erase(it);
    else
      ++it;
  }
}

// Units on container pages other than the first stay hidden.
std::set<UnitId> KeptHidden(const WindowTemplate& tmpl) {
  std::set<UnitId> hidden;
  for (const TemplateRecord& record : tmpl.records) {
    if (record.is_menu_item) continue;
    bool later_page = false;
    for (UnitId child : record.unit.children) {
      if (child == 0) {
        later_page = true;
        continue;
      }
      if (later_page) hidden.insert(child);
    }
  }
  return hidden;
}

}  // namespace

int& BusyDepth() {
  static int depth = 0;
  return depth;
}

void BuryWindow(std::unique_ptr<WindowObject> window) { WindowGraveyard().push_back(std::move(window)); }
void BuryUnit(std::unique_ptr<Unit> unit) { UnitGraveyard().push_back(std::move(unit)); }
void EmptyGraveyards() {
  WindowGraveyard().clear();
  UnitGraveyard().clear();
}

bool IsKeptHidden(const WindowObject& window, UnitId unit) { return KeptHidden(*window.tmpl).count(unit) != 0; }

namespace {

// Holds the events back while a window is being built: its units report
// what happens to them, but no handler may run on a half-made window.
class EventsBlocked {
 public:
  EventsBlocked() { BlockEvents(); }
  ~EventsBlocked() { UnblockEvents(); }
  EventsBlocked(const EventsBlocked&) = delete;
  EventsBlocked& operator=(const EventsBlocked&) = delete;
};

// A window that is loaded already comes forward instead (restored when
// minimised); true when it did. One that is being closed goes first.
bool BringForward(WindowObject& existing) {
  platform::WindowSystem& system = System();
  if (!existing.destroying && !existing.forced_close) {
    if (system.GetShowState(existing.handle()) == platform::ShowState::kMinimized)
      system.SetShowState(existing.handle(), platform::ShowState::kNormal);
    else
      system.Activate(existing.handle());
    return true;
  }
  DestroyWindow(existing);
  return false;
}

// A load that failed: everything made so far goes, and the template's
// table is as it was.
void AbandonLoad(WindowObject& window) {
  platform::WindowSystem& system = System();
  WindowRegistry& registry = Registry();
  UnitId id = window.window_id;
  if (window.handle() != 0 && system.IsWindow(window.handle())) system.Destroy(window.handle());
  if (window.menu_bar != 0) system.DestroyMenu(window.menu_bar);
  Forget(window);
  window.tmpl->records = window.saved_records;
  std::unique_ptr<WindowObject> dead = std::move(registry.loaded[id]);
  registry.loaded.erase(id);
  BuryWindow(std::move(dead));
}

// The window's own unit: its frame, owned by `owner_handle` (a modal
// window without one by the hidden owner).
bool CreateFrame(WindowObject& window, platform::WindowHandle owner_handle, bool modal) {
  const TemplateRecord& record = window.tmpl->records[0];
  const UnitRecord& own = record.unit;
  const UnitTypeInfo* type = FindUnitType(own.type_code);
  if (type == nullptr || type->create == nullptr || own.type_code != type_code::kWindow) return false;
  CreateContext context;
  context.property_data = &own.property_data;
  context.disabled = (own.flags & UnitRecord::kDisabled) != 0;
  context.parent = owner_handle;
  context.owner_is_hidden_owner = modal;
  context.menu = window.menu_bar;
  context.rect = {own.left, own.top, own.width, own.height};
  context.window_id = window.window_id;
  context.unit_id = record.id;
  std::unique_ptr<Unit> unit = type->create(*type, context);
  if (unit == nullptr) return false;
  window.window_unit = unit.get();
  Registry().by_handle[unit->handle()] = unit.get();
  window.units[record.id] = std::move(unit);
  return true;
}

// The other units, last record first, hidden; control ids 100, 110, ...
bool CreateControls(WindowObject& window) {
  const std::vector<TemplateRecord>& records = window.tmpl->records;
  int control_id = 100;
  for (std::size_t i = records.size(); i-- > 1;) {
    const TemplateRecord& record = records[i];
    if (record.is_menu_item) continue;
    const UnitTypeInfo* type = FindUnitType(record.unit.type_code);
    if (type == nullptr || type->create == nullptr) return false;
    CreateContext context;
    context.property_data = &record.unit.property_data;
    context.disabled = (record.unit.flags & UnitRecord::kDisabled) != 0;
    context.tab_stop = (record.unit.flags & UnitRecord::kTabStop) != 0;
    context.parent = window.handle();
    context.control_id = control_id;
    context.rect = {record.unit.left, record.unit.top, record.unit.width, record.unit.height};
    context.window_id = window.window_id;
    context.unit_id = record.id;
    control_id += 10;
    std::unique_ptr<Unit> unit = type->create(*type, context);
    if (unit == nullptr) return false;
    Registry().by_handle[unit->handle()] = unit.get();
    window.units[record.id] = std::move(unit);
  }
  return true;
}

// Units into their containers, then into the stacking order of the table.
void ArrangeUnits(WindowObject& window) {
  platform::WindowSystem& system = System();
  const std::vector<TemplateRecord>& records = window.tmpl->records;
  for (const TemplateRecord& record : records) {
    if (record.is_menu_item || record.unit.container == 0) continue;
    Unit* unit = window.FindUnit(record.id);
    Unit* container = window.FindUnit(record.unit.container);
    if (unit != nullptr && container != nullptr && unit != window.window_unit)
      system.SetParent(unit->handle(), container->handle());
  }
  platform::WindowHandle previous = 0;
  for (std::size_t i = 1; i < records.size(); ++i) {
    if (records[i].is_menu_item) continue;
    Unit* unit = window.FindUnit(records[i].id);
    if (unit == nullptr) continue;
    system.PlaceAfter(unit->handle(), previous);
    previous = unit->handle();
  }
}

// Loading complete, last unit to first, then the window; then the units
// the table shows (those on later container pages stay hidden).
void CompleteUnits(WindowObject& window) {
  platform::WindowSystem& system = System();
  const std::vector<TemplateRecord>& records = window.tmpl->records;
  for (std::size_t i = records.size(); i-- > 1;)
    if (Unit* unit = records[i].is_menu_item ? nullptr : window.FindUnit(records[i].id)) unit->LoadComplete();
  window.window_unit->LoadComplete();
  std::set<UnitId> hidden = KeptHidden(*window.tmpl);
  for (std::size_t i = 1; i < records.size(); ++i) {
    const TemplateRecord& record = records[i];
    if (record.is_menu_item) continue;
    Unit* unit = window.FindUnit(record.id);
    if (unit == nullptr) continue;
    bool visible = (record.unit.flags & UnitRecord::kVisible) != 0 && hidden.count(record.id) == 0;
    system.Show(unit->handle(), visible, false);
  }
}

// Registers the window object and builds its menu bar, frame and units,
// with the events held back; null (and nothing left behind) when a part
// cannot be made.
WindowObject* BuildWindow(UnitId id, WindowTemplate& tmpl, platform::WindowHandle owner_handle, bool modal) {
  WindowRegistry& registry = Registry();
  EventsBlocked blocked;
  auto object = std::make_unique<WindowObject>();
  WindowObject* window = object.get();
  window->tmpl = &tmpl;
  window->window_id = id;
  window->own_unit_id = tmpl.records[0].id;
  window->saved_records = tmpl.records;
  window->owner = owner_handle;
  registry.loaded[id] = std::move(object);

  BuiltMenu menu = BuildMenuBar(tmpl);
  if (!menu.entries.empty()) window->menu_bar = System().CreateMenuBar(menu.entries);
  window->accelerators = menu.accelerators;

  if (!CreateFrame(*window, owner_handle, modal) || !CreateControls(*window)) {
    AbandonLoad(*window);
    return nullptr;
  }
  ArrangeUnits(*window);
  CompleteUnits(*window);
  ProcessPendingMessages();
  return window;
}

// Created, Moved, Resized: each only while the window still exists. False
// when a handler closed it.
bool RaiseLoadEvents(UnitId id, WindowObject* window) {
  RaiseSimple(id, 0, event::window::kCreated);
  if (StillLoaded(id, window) && !window->destroying) RaiseSimple(id, 0, event::window::kMoved);
  if (StillLoaded(id, window) && !window->destroying) RaiseSimple(id, 0, event::window::kResized);
  return StillLoaded(id, window) && !window->destroying;
}

// A modal window disables the other top-level windows (remembering how
// they were) until it goes.
void DisableOthersForModal(WindowObject& window) {
  platform::WindowSystem& system = System();
  window.modal = true;
  for (auto& [other_id, other] : Registry().loaded) {
    if (other.get() == &window) continue;
    platform::WindowHandle h = other->handle();
    if (h == 0 || system.GetOwner(h) != 0 || system.GetParent(h) != 0) continue;
    window.disabled_for_modal.emplace_back(h, system.IsEnabled(h));
    system.Enable(h, false);
  }
}

// Shows the frame when the table says so and gives the initial focus;
// true when the window is to be shown.
bool ShowLoaded(UnitId id, WindowObject* window) {
  platform::WindowSystem& system = System();
  const std::vector<TemplateRecord>& records = window->tmpl->records;
  window->just_loaded = true;
  bool visible = (records[0].unit.flags & UnitRecord::kVisible) != 0;
  platform::WindowHandle focus_before = system.GetFocus();
  if (visible) system.Show(window->handle(), true, true);
  // Initial focus: every unit from the last to the first may take it, so
  // the first willing unit in table order ends up with it.
  for (std::size_t i = records.size(); i-- > 1;) {
    if (!StillLoaded(id, window)) break;
    if (records[i].is_menu_item) continue;
    if (Unit* unit = window->FindUnit(records[i].id)) unit->TakeInitialFocus();
  }
  if (!visible && StillLoaded(id, window) && system.GetFocus() != focus_before && focus_before != 0 &&
      system.IsWindow(focus_before))
    system.SetFocus(focus_before);  // a hidden window does not keep the focus
  return visible;
}

}  // namespace

bool LoadWindow(UnitId id, WindowObject* owner, bool modal) {
  WindowRegistry& registry = Registry();
  WindowTemplate* tmpl = registry.FindTemplate(id);
  if (tmpl == nullptr || tmpl->records.empty() || tmpl->records[0].is_menu_item || !HasWindowSystem()) return false;
  if (WindowObject* existing = registry.FindLoaded(id); existing != nullptr && BringForward(*existing)) return true;
  platform::WindowHandle owner_handle = 0;
  if (owner != nullptr && !modal) {
    if (!System().IsWindow(owner->handle())) return false;
    owner_handle = owner->handle();
  }

  WindowObject* window = nullptr;
  bool visible = false;
  {
    BusyScope busy;
    ProcessPendingMessages();
    window = BuildWindow(id, *tmpl, owner_handle, modal);
    if (window == nullptr) return false;
    if (!RaiseLoadEvents(id, window)) return true;
    if (modal) DisableOthersForModal(*window);
    visible = ShowLoaded(id, window);
  }
  if (visible && StillLoaded(id, window)) {
    window->just_loaded = true;
    ShowWindow(*window);
  }
  return true;
}

void ShowWindow(WindowObject& window) {
  platform::WindowSystem& system = System();
  if (!window.just_loaded) {
    system.Show(window.handle(), true, true);
    return;
  }
  window.just_loaded = false;
  if (window.modal && window.owner != 0 && system.IsTopmost(window.owner)) system.SetTopmost(window.handle(), true);
  system.Show(window.handle(), true, true);
  system.Activate(window.handle());
  if (window.modal) RunModalLoop(window.window_id);
}

bool LoadStartWindow(UnitId id) {
  if (Registry().FindTemplate(id) == nullptr) return false;
  if (!LoadWindow(id, nullptr, false)) return false;
  WindowObject* window = Registry().FindLoaded(id);
  if (window != nullptr && window->just_loaded &&
      (window->tmpl->records[0].unit.flags & UnitRecord::kVisible) != 0)
    ShowWindow(*window);
  return true;
}

void CloseWindow(WindowObject& window) {
  UnitId id = window.window_id;
  if (window.destroying) return;
  if (!window.forced_close) {
    if (!RaiseSimple(id, 0, event::window::kCloseRequested) || !StillLoaded(id, &window) || window.destroying) return;
    if (!RaiseSimple(id, 0, event::window::kCloseQuery) || !StillLoaded(id, &window) || window.destroying) return;
  }
  DestroyWindow(window);
}

namespace {

void ReenableForModal(WindowObject& window) {
  if (!window.modal) return;
  platform::WindowSystem& system = System();
  for (auto& [handle, enabled] : window.disabled_for_modal)
    if (system.IsWindow(handle)) system.Enable(handle, enabled);
  window.disabled_for_modal.clear();
  window.modal = false;
}

}  // namespace

void DestroyWindow(WindowObject& window) {
  if (window.destroying) return;
  WindowRegistry& registry = Registry();
  UnitId id = window.window_id;
  window.destroying = true;
  ++BusyDepth();
  RaiseSimple(id, 0, event::window::kDestroying);
  platform::WindowSystem& system = System();
  ReenableForModal(window);
  if (window.menu_bar != 0) {
    if (system.IsWindow(window.handle())) system.SetMenuBar(window.handle(), 0);
    system.DestroyMenu(window.menu_bar);
    window.menu_bar = 0;
  }
  platform::WindowHandle frame = window.handle();
  bool had_focus_or_active = frame != 0 && system.GetActive() == frame;
  if (frame != 0 && system.IsWindow(frame)) system.Destroy(frame);
  Forget(window);
  window.accelerators.clear();
  // Request 2000 for the window: the stored table back, its modal loop ended.
  window.tmpl->records = window.saved_records;
  if (registry.modal_window == id) registry.modal_window = 0;
  auto it = registry.loaded.find(id);
  if (it != registry.loaded.end() && it->second.get() == &window) {
    std::unique_ptr<WindowObject> dead = std::move(it->second);
    registry.loaded.erase(it);
    BuryWindow(std::move(dead));
  }
  // Activation moves to another loaded window, as the system would do.
  if (had_focus_or_active) {
    for (auto& [other_id, other] : registry.loaded)
      if (other->handle() != 0 && system.IsVisible(other->handle()) && system.IsEnabled(other->handle())) {
        system.Activate(other->handle());
        break;
      }
  }
  --BusyDepth();
  if (registry.loaded.empty() && rt::State().message_loop_entered) system.PostQuit(0);
}

void DestroyUnit(UnitId window_id, UnitId unit_id, bool immediately) {
  WindowRegistry& registry = Registry();
  WindowObject* window = registry.FindLoaded(window_id);
  if (window == nullptr || window->destroying) return;
  platform::WindowSystem& system = System();
  if (unit_id == 0 || unit_id == window->own_unit_id) {
    window->forced_close = true;
    if (immediately && system.IsWindow(window->handle())) {
      DestroyWindow(*window);
    } else {
      system.PostMessage(platform::Message{platform::Notice::kCloseRequest, window->handle(), 0, 0});
    }
    return;
  }
  auto it = window->units.find(unit_id);
  if (it == window->units.end()) return;
  std::unique_ptr<Unit> unit = std::move(it->second);
  window->units.erase(it);
  registry.by_handle.erase(unit->handle());
  if (system.IsWindow(unit->handle())) system.Destroy(unit->handle());
  BuryUnit(std::move(unit));
  int index = window->tmpl->IndexOf(unit_id);
  if (index < 0) return;
  UnitId container = window->tmpl->records[static_cast<std::size_t>(index)].unit.container;
  window->tmpl->records.erase(window->tmpl->records.begin() + index);
  if (container != 0)
    if (TemplateRecord* holder = window->tmpl->Find(container); holder != nullptr && !holder->is_menu_item) {
      auto& children = holder->unit.children;
      children.erase(std::remove(children.begin(), children.end(), unit_id), children.end());
    }
}

}  // namespace ui
