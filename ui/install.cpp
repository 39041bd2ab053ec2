// Wiring the window runtime into the runtime core: template loading at
// start-up, the property and loop services, the request function's window
// part, and the release at exit.
#include "runtime/errors.h"
#include "runtime/services.h"
#include "runtime/state.h"
#include "ui/internal.h"
#include "ui/runtime_api.h"
#include "ui/template_reader.h"

namespace ui {
namespace {

constexpr std::intptr_t kForwardedExit = 0x83E7;

Unit* FindLiveUnit(UnitId window_id, UnitId unit_id) {
  WindowObject* window = Registry().FindLoaded(window_id);
  if (window == nullptr || window->destroying) return nullptr;
  Unit* unit = window->FindUnit(unit_id);
  if (unit == nullptr || unit->handle() == 0 || !HasWindowSystem() || !System().IsWindow(unit->handle())) return nullptr;
  return unit;
}

void UnitWindowGone(UnitId window_id, UnitId unit_id) {
  WindowObject* window = Registry().FindLoaded(window_id);
  if (window == nullptr) return;
  Unit* unit = window->FindUnit(unit_id);
  if (unit != nullptr) {
    Registry().by_handle.erase(unit->handle());
    unit->set_handle(0);
  }
  if (unit_id == 0 || unit_id == window->own_unit_id) {
    window->tmpl->records = window->saved_records;
    if (Registry().modal_window == window_id) Registry().modal_window = 0;
  }
}

void CreateOwnerWindow() {
  if (!HasWindowSystem()) return;
  WindowRegistry& registry = Registry();
  if (registry.hidden_owner != 0) return;
  platform::WindowSystem& system = System();
  system.SetListener(&NoticeRouter());
  platform::CreateParams params;
  params.kind = platform::ControlKind::kHidden;
  params.class_name = "_VL_HideOwner";
  params.frame.tool_window = true;
  registry.hidden_owner = system.Create(params);
}

void DestroyOwnerWindow() {
  WindowRegistry& registry = Registry();
  if (registry.hidden_owner != 0 && HasWindowSystem() && System().IsWindow(registry.hidden_owner))
    System().Destroy(registry.hidden_owner);
  registry.hidden_owner = 0;
}

void ForwardExit(int code) {
  WindowRegistry& registry = Registry();
  if (registry.hidden_owner != 0 && HasWindowSystem())
    System().PostMessage(platform::Message{platform::Notice::kPosted, registry.hidden_owner, kForwardedExit, code});
}

std::uintptr_t WindowHandleOf(std::uint32_t window, std::uint32_t unit) {
  Unit* found = FindLiveUnit(window, unit);
  return found == nullptr ? 0 : found->handle();
}

void ForgetIdleCallbacks() { Registry().idle_callbacks.clear(); }

void ReleaseWindows() {
  ResetRegistry();
  EmptyGraveyards();
}

}  // namespace

bool LoadTemplates(const void* data, std::uint32_t length, const rt::Handler* code_base, std::uint32_t count) {
  std::optional<TemplateBlock> block = ReadTemplateBlock(data, length, CodeBase{code_base, count});
  if (!block) return false;
  Registry().templates = std::move(*block);
  return true;
}

std::intptr_t WindowRequest(std::int32_t code, std::intptr_t a, std::intptr_t b) {
  auto window_id = static_cast<UnitId>(a);
  auto unit_id = static_cast<UnitId>(b);
  switch (code) {
    case request::kRegistry: return reinterpret_cast<std::intptr_t>(&Registry());
    case request::kUnitType: return reinterpret_cast<std::intptr_t>(FindUnitType(static_cast<std::uint32_t>(a)));
    case request::kUnitWindowGone: UnitWindowGone(window_id, unit_id); return 0;
    case request::kLoadWindow: {
      auto* load = reinterpret_cast<LoadWindowRequest*>(a);
      if (load == nullptr) return -1;
      return LoadWindow(load->window, load->owner, load->modal != 0) ? 0 : -1;
    }
    case request::kFindUnit: return reinterpret_cast<std::intptr_t>(FindLiveUnit(window_id, unit_id));
    case request::kFindUnitStrict: {
      Unit* unit = FindLiveUnit(window_id, unit_id);
      if (unit == nullptr) rt::RuntimeError("指定窗口或窗口组件不存在或尚未载入", 0);
      return reinterpret_cast<std::intptr_t>(unit);
    }
    case request::kRaiseEvent: {
      auto* notice = reinterpret_cast<EventNotice*>(a);
      return notice != nullptr && RaiseEvent(*notice) ? 1 : 0;
    }
    case request::kBlockEvents:
      ProcessPendingMessages();
      BlockEvents();
      return 0;
    case request::kUnblockEvents:
      ProcessPendingMessages();
      UnblockEvents();
      return 0;
    case request::kCurrentEventSource: {
      auto* words = reinterpret_cast<std::uint32_t*>(a);
      const EventSource& source = Registry().current_event;
      if (words == nullptr || source.window == 0) return 0;
      words[0] = source.window;
      words[1] = source.unit;
      return 1;
    }
    case request::kProcessMessages: ProcessPendingMessages(); return 0;
    case request::kRaiseTypedEvent: return 0;  // no unit of this program raises the typed form
    case request::kSystemHandle: {
      Unit* unit = FindLiveUnit(window_id, unit_id);
      return unit == nullptr ? 0 : static_cast<std::intptr_t>(unit->handle());
    }
    default: return 0;
  }
}

void InstallWindowRuntime() {
  rt::WindowHooks& hooks = rt::State().windows;
  hooks.load_templates = LoadTemplates;
  hooks.release_windows = ReleaseWindows;
  hooks.create_owner_window = CreateOwnerWindow;
  hooks.destroy_owner_window = DestroyOwnerWindow;
  hooks.forward_exit = ForwardExit;
  hooks.forget_idle_callbacks = ForgetIdleCallbacks;
  hooks.window_request = WindowRequest;
  hooks.window_handle = WindowHandleOf;
  rt::WindowServices services{};
  services.read_property = ReadProperty;
  services.write_property = WriteProperty;
  services.run_message_loop = RunMessageLoop;
  services.load_start_window = LoadStartWindow;
  rt::InstallWindowServices(services);
  if (HasWindowSystem()) System().SetListener(&NoticeRouter());
}

}  // namespace ui
