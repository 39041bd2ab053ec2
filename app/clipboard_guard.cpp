#include "app/clipboard_guard.h"

#include "app/ini_values.h"
#include "app/state.h"
#include "platform/host.h"

namespace app {

std::int32_t ParseClipboardSeconds(const char* text) {
  return ParseWholeNumber(text, 24 * 3600, kDefaultClipboardSeconds);
}

void ClipboardHoldsSecret() {
  AppState& state = State();
  if (state.clipboard_seconds <= 0) return;
  state.clipboard_secret_pending = true;
  platform::CurrentHost().ScheduleClipboardClear(static_cast<std::uint32_t>(state.clipboard_seconds));
}

void ClipboardHoldsPlainText() {
  AppState& state = State();
  if (!state.clipboard_secret_pending) return;
  state.clipboard_secret_pending = false;
  platform::CurrentHost().ScheduleClipboardClear(0);
}

void ClearNotebookClipboard() {
  State().clipboard_secret_pending = false;
  platform::CurrentHost().ScheduleClipboardClear(0);
  platform::CurrentHost().ClearClipboardIfOurs();
}

void ClearSecretAtExit() {
  if (State().clipboard_secret_pending) ClearNotebookClipboard();
}

}  // namespace app
