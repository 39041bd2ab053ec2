#include "app/clipboard_guard.h"

#include "app/state.h"
#include "platform/host.h"

namespace app {

std::int32_t ParseClipboardSeconds(const char* text) {
  constexpr std::int32_t kLongest = 24 * 3600;
  if (text == nullptr || *text == '\0') return kDefaultClipboardSeconds;
  std::int32_t seconds = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return kDefaultClipboardSeconds;
    seconds = seconds * 10 + (*p - '0');
    if (seconds > kLongest) return kDefaultClipboardSeconds;
  }
  return seconds;
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

void ClearSecretAtExit() {
  AppState& state = State();
  if (!state.clipboard_secret_pending) return;
  state.clipboard_secret_pending = false;
  platform::CurrentHost().ScheduleClipboardClear(0);
  platform::CurrentHost().ClearClipboardIfOurs();
}

}  // namespace app
