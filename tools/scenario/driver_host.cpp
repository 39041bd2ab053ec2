#include "tools/scenario/driver_host.h"

#include <cstdio>
#include <cstdlib>

#include "platform/sim/sim_host.h"
#include "tools/scenario/script.h"

namespace scenario {

DriverHost::DriverHost(platform::Host& native, std::string program_path, std::function<void(int)> finish,
                       void (*exit)(int))
    : native_(native), program_path_(std::move(program_path)), finish_(std::move(finish)), exit_(exit) {}

platform::BoxAnswer DriverHost::ShowMessageBox(const std::string& text, const std::string& caption,
                                               std::uint32_t flags, platform::WindowHandle owner) {
  return native_.ShowMessageBox(text, caption, flags, owner);
}

void DriverHost::EndProcess(int code) {
  int status = code & 0xFF;
  try {
    finish_(code);
  } catch (const ScriptFailure& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    status = kScriptFailedStatus;
  }
  std::fflush(nullptr);
  exit_(status);
  std::abort();  // an exit function that returns is broken
}

std::uint32_t DriverHost::TickCount() { return native_.TickCount(); }

platform::BoxAnswer DriverHost::ShowPasswordDialog(const platform::PasswordDialogTexts& texts, platform::Secret* typed) {
  return native_.ShowPasswordDialog(texts, typed);
}

platform::BoxAnswer DriverHost::ShowInputBox(const platform::InputBoxRequest& request, platform::Secret* entered) {
  return native_.ShowInputBox(request, entered);
}

bool DriverHost::SetClipboardText(const std::string& text) { return native_.SetClipboardText(text); }
bool DriverHost::ClearClipboardIfOurs() { return native_.ClearClipboardIfOurs(); }
void DriverHost::ScheduleClipboardClear(std::uint32_t seconds) { native_.ScheduleClipboardClear(seconds); }

bool DriverHost::OpenWebAddress(const std::string& address) {
  addresses_.push_back(address);
  return true;
}

platform::LocalTime DriverHost::LocalNow() { return clock_ ? *clock_ : native_.LocalNow(); }

void DriverHost::AdvanceClock(std::uint32_t seconds) {
  if (clock_) clock_ = platform::sim::AddSeconds(*clock_, seconds);
}

}  // namespace scenario
