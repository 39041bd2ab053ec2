#include "app/state.h"

#include "runtime/services.h"

namespace app {

AppState& State() {
  static AppState state;
  return state;
}

void ResetState() {
  AppState& state = State();
  if (state.database_path != nullptr) rt::Services().FreeMemory(state.database_path);
  state = AppState{};
}

}  // namespace app
