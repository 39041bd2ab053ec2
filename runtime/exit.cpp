#include "runtime/exit.h"

#include <algorithm>

#include "platform/host.h"
#include "platform/system.h"
#include "runtime/memory.h"
#include "runtime/state.h"

namespace rt {

RuntimeState& State() {
  static RuntimeState state;
  return state;
}

void RegisterExitHandler(Handler handler) {
  if (handler == nullptr) return;
  auto& handlers = State().exit_handlers;
  if (std::find(handlers.begin(), handlers.end(), handler) == handlers.end()) handlers.push_back(handler);
}

void RunExitSteps() {
  RuntimeState& state = State();
  if (state.windows.release_windows != nullptr) state.windows.release_windows();
  // Handlers may register or exit again; take the list first so each runs once.
  std::vector<Handler> handlers;
  handlers.swap(state.exit_handlers);
  for (Handler handler : handlers) handler();
  for (const LibraryDescriptor* library : state.libraries)
    if (library != nullptr && library->notify != nullptr) library->notify(6, 0, 0);
  state.libraries.clear();
  SetConstantSegment(nullptr, 0);
  if (state.windows.destroy_owner_window != nullptr) state.windows.destroy_owner_window();
  if (state.ole_initialised) {
    state.ole_initialised = false;
    platform::CurrentHost().UninitialiseOle();
  }
}

void ExitProgram(int code) {
  RuntimeState& state = State();
  ++state.event_block_counter;
  if (state.ui_thread != 0 && platform::CurrentThreadId() != state.ui_thread) {
    if (state.windows.forward_exit != nullptr) state.windows.forward_exit(code);
    if (!state.exit_in_progress) platform::EndProcess(code);
    // An exit is already under way on the interface thread; this thread
    // waits for the process to end there.
    for (;;) platform::SleepMilliseconds(1000);
  }
  if (state.exit_in_progress) {
    // An exit handler asked to exit again: the sequence is already running.
    platform::EndProcess(code);
  }
  state.exit_in_progress = true;
  if (state.windows.forget_idle_callbacks != nullptr) state.windows.forget_idle_callbacks();
  RunExitSteps();
  platform::EndProcess(code);
}

}  // namespace rt
