// Raising events: from a unit's notice to the application's handler.
#include "runtime/errors.h"
#include "runtime/state.h"
#include "ui/runtime_api.h"

namespace ui {
namespace {

// The event being handled, for EventArgument/SetEventResult.
EventNotice* g_current_notice = nullptr;

}  // namespace

bool RaiseEvent(EventNotice& notice) {
  if (rt::State().event_block_counter >= 1) return false;
  WindowRegistry& registry = Registry();
  WindowTemplate* tmpl = registry.FindTemplate(notice.window);
  if (tmpl == nullptr) rt::RuntimeError("未找到引发事件的窗口", 0);
  if (tmpl->records.empty()) rt::RuntimeError("未找到引发事件的窗口组件", 0);
  int index = notice.unit == 0 ? 0 : tmpl->IndexOf(notice.unit);
  if (index < 0) rt::RuntimeError("未找到引发事件的窗口组件", 0);
  // More arguments than the notice can carry: refused.
  if (notice.argc < 0 || notice.argc > 5) return false;

  // Follow the handler source links while they name a unit of the same type
  // (bounded, so a cycle in the data cannot hang the program).
  const TemplateRecord* record = &tmpl->records[static_cast<std::size_t>(index)];
  for (std::size_t hops = 0; hops < tmpl->records.size(); ++hops) {
    UnitId source = record->head().handler_source;
    if (source == 0) break;
    const TemplateRecord* next = tmpl->Find(source);
    if (next == nullptr || next->head().type_code != record->head().type_code || next == record) break;
    record = next;
  }
  const UnitTypeInfo* type = FindUnitType(record->head().type_code);
  if (type == nullptr || (type->state & (UnitTypeInfo::kHasWindow | UnitTypeInfo::kMenuType)) == 0)
    rt::RuntimeError("引发事件的窗口组件无效", 0);

  rt::Handler handler = nullptr;
  if (record->is_menu_item) {
    handler = record->menu.handler;
  } else {
    for (const EventBinding& binding : record->unit.events)
      if (binding.event == notice.event) {
        handler = binding.handler;
        break;
      }
  }
  if (handler == nullptr && !record->is_menu_item)
    handler = rt::ExtraEventHandler(notice.window, notice.unit == 0 ? tmpl->records[0].id : notice.unit, notice.event);
  if (handler == nullptr) return false;

  // Handlers nest (modal loops inside handlers): the outer source and
  // notice come back when this one ends, also when it ends by unwinding
  // (the end of the program on the simulated desktop), so nothing is left
  // pointing at this notice.
  struct Restore {
    EventSource source;
    EventNotice* notice;
    ~Restore() {
      Registry().current_event = source;
      g_current_notice = notice;
    }
  } restore{registry.current_event, g_current_notice};
  registry.current_event.window = notice.window;
  registry.current_event.unit = notice.unit == 0 ? tmpl->records[0].id : notice.unit;
  g_current_notice = &notice;
  notice.has_result = 0;
  handler();
  return true;
}

bool RaiseSimple(UnitId window, UnitId unit, std::int32_t event, bool* handled) {
  EventNotice notice;
  notice.window = window;
  notice.unit = unit;
  notice.event = event;
  bool ran = RaiseEvent(notice);
  if (handled != nullptr) *handled = ran;
  return !(ran && notice.has_result == 1 && notice.result == 0);
}

std::int32_t EventArgument(int index) {
  if (g_current_notice == nullptr || index < 0 || index >= g_current_notice->argc) return 0;
  return g_current_notice->args[index];
}

void SetEventResult(std::int32_t value) {
  if (g_current_notice == nullptr) return;
  g_current_notice->has_result = 1;
  g_current_notice->result = value;
}

void BlockEvents() { ++rt::State().event_block_counter; }

void UnblockEvents() {
  auto& counter = rt::State().event_block_counter;
  if (counter > 0) --counter;
}

}  // namespace ui
