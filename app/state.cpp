#include "app/state.h"

#include "runtime/services.h"

namespace app {

AppState& State() {
  static AppState state;
  return state;
}

void AppState::SetOpenCaption(char* caption) {
  if (open_caption != nullptr) rt::Services().FreeMemory(open_caption);
  open_caption = caption;
}

void ResetState() {
  AppState& state = State();
  if (state.database_path != nullptr) rt::Services().FreeMemory(state.database_path);
  state.SetOpenCaption(nullptr);
  state = AppState{};
}

}  // namespace app
