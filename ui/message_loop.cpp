// The message loop, modal loops, idle callbacks and the routing of notices
// from the window system to the units.
#include "runtime/state.h"
#include "ui/internal.h"
#include "ui/menu.h"
#include "ui/runtime_api.h"
#include "ui/unit_numbers.h"

namespace ui {
namespace {

class Router : public platform::WindowListener {
 public:
  void OnNotice(const platform::Message& message) override {
    WindowRegistry& registry = Registry();
    auto it = registry.by_handle.find(message.window);
    if (message.notice == platform::Notice::kDestroyed) {
      // The unit's system window is gone: its object no longer reaches it.
      if (it != registry.by_handle.end()) {
        if (it->second->handle() == message.window) it->second->set_handle(0);
        registry.by_handle.erase(it);
      }
      return;
    }
    if (it == registry.by_handle.end()) return;
    ++BusyDepth();
    it->second->OnNotice(message);
    --BusyDepth();
  }
};

void RunIdleCallbacks(void*) {
  WindowRegistry& registry = Registry();
  std::vector<IdleCallback> callbacks;
  for (const IdleCallback& callback : registry.idle_callbacks)
    if (registry.FindLoaded(callback.window) != nullptr) callbacks.push_back(callback);
  registry.idle_callbacks = callbacks;
  for (const IdleCallback& callback : callbacks) callback.callback(callback.context);
}

// Pumps until `done` says so; returns false when the quit message came.
template <typename Done>
bool Pump(Done done) {
  platform::WindowSystem& system = System();
  platform::Message message;
  while (!done()) {
    if (BusyDepth() == 0) EmptyGraveyards();
    if (!system.GetMessage(&message, RunIdleCallbacks, nullptr)) return false;
    if (HandleKeyboard(message)) continue;
    ++BusyDepth();
    system.DispatchMessage(message);
    --BusyDepth();
  }
  return true;
}

}  // namespace

platform::WindowListener& NoticeRouter() {
  static Router router;
  return router;
}

void RunMessageLoop() {
  rt::State().message_loop_entered = true;
  if (Registry().loaded.empty() || !HasWindowSystem()) return;
  Pump([] { return false; });
  EmptyGraveyards();
}

void RunModalLoop(UnitId window) {
  WindowRegistry& registry = Registry();
  UnitId previous = registry.modal_window;
  registry.modal_window = window;
  bool quit = !Pump([&] { return registry.modal_window != window || registry.FindLoaded(window) == nullptr; });
  registry.modal_window = previous;
  // The quit message belongs to the outermost loop: leave it for that one.
  if (quit) System().PostQuit(0);
}

void ProcessPendingMessages() {
  if (!HasWindowSystem()) return;
  platform::WindowSystem& system = System();
  platform::Message message;
  bool quit = false;
  while (system.PeekMessage(&message, &quit)) {
    if (HandleKeyboard(message)) continue;
    ++BusyDepth();
    system.DispatchMessage(message);
    --BusyDepth();
  }
  if (quit) system.PostQuit(0);
}

void RegisterIdleCallback(UnitId window, void (*callback)(void*), void* context) {
  if (callback != nullptr) Registry().idle_callbacks.push_back(IdleCallback{window, callback, context});
}

void SelectMenuCommand(WindowObject& window, int command) {
  if (command < kFirstMenuCommand || command >= kLastMenuCommand) return;
  int first = 0, count = 0;
  window.tmpl->MenuPart(&first, &count);
  int index = command - kFirstMenuCommand;
  if (index >= count) return;
  RaiseSimple(window.window_id, window.tmpl->records[static_cast<std::size_t>(first + index)].id, event::menu::kSelected);
}

}  // namespace ui
