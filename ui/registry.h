// The window registry: the templates read at start-up, the windows built
// from them while loaded, and the window runtime's own state.
//
// Who owns what: the registry owns the templates (`templates`) and every
// loaded window (`loaded`); a window owns its units (`units`). The raw
// pointers borrow from those owners: WindowObject::tmpl points into
// `templates`; window_unit and the values of `by_handle` point into a
// window's `units`. A destroyed unit or window leaves `units`, `by_handle`
// and `loaded` first and is then buried (loader.cpp), freed only when no
// handler on the stack can still reach it. A pointer the Find functions
// return names a live window only until the next event is raised: a handler
// may destroy it, so callers look it up again (StillLoaded) afterwards.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <utility>
#include <vector>

#include "platform/window_system.h"
#include "ui/template.h"
#include "ui/unit.h"

namespace ui {

// One loaded window.
struct WindowObject {
  WindowTemplate* tmpl = nullptr;
  UnitId window_id = 0;
  UnitId own_unit_id = 0;
  std::vector<TemplateRecord> saved_records;  // the table as it was at load
  platform::MenuHandle menu_bar = 0;
  std::vector<std::pair<int, int>> accelerators;  // key code -> command id
  // Live units by id; the window's own unit is among them.
  std::map<UnitId, std::unique_ptr<Unit>> units;
  Unit* window_unit = nullptr;
  platform::WindowHandle owner = 0;
  bool just_loaded = false;
  bool modal = false;
  bool forced_close = false;
  bool destroying = false;
  bool activated_once = false;
  std::vector<std::pair<platform::WindowHandle, bool>> disabled_for_modal;

  platform::WindowHandle handle() const { return window_unit != nullptr ? window_unit->handle() : 0; }
  Unit* FindUnit(UnitId unit) const;  // 0 or the own unit id: the window unit
};

struct IdleCallback {
  UnitId window = 0;
  void (*callback)(void* context) = nullptr;
  void* context = nullptr;
};

struct EventSource {
  UnitId window = 0;
  UnitId unit = 0;
};

class WindowRegistry {
 public:
  TemplateBlock templates;
  std::map<UnitId, std::unique_ptr<WindowObject>> loaded;
  UnitId modal_window = 0;
  EventSource current_event;
  std::vector<IdleCallback> idle_callbacks;
  platform::WindowHandle hidden_owner = 0;
  // Every live unit by its system window, for routing notices.
  std::map<platform::WindowHandle, Unit*> by_handle;

  WindowTemplate* FindTemplate(UnitId window);
  WindowObject* FindLoaded(UnitId window);
  WindowObject* WindowOfHandle(platform::WindowHandle frame);
  // The loaded window whose frame holds this system window (itself or a control).
  WindowObject* WindowContaining(platform::WindowHandle window);
};

WindowRegistry& Registry();
platform::WindowSystem& System();  // the installed window system; fatal when none
bool HasWindowSystem();

// Empties the registry: destroys every window without raising events and
// forgets the templates.
void ResetRegistry();

}  // namespace ui
