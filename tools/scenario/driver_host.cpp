#include "tools/scenario/driver_host.h"

#include <cstdio>
#include <cstdlib>

#include "platform/sim/sim_host.h"
#include "platform/system.h"
#include "runtime/state.h"
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
  // A runtime error ends the program with -1, and its report box may never
  // have been seen (under Wine, a fresh prefix still starting its desktop
  // process can make neither the first window nor the box): the driver says
  // it, on standard error and in the transcript.
  if (std::string line = code == -1 ? RuntimeErrorLine() : std::string(); !line.empty()) {
    std::fprintf(stderr, "%s\n", line.c_str());
    std::printf("%s\n", line.c_str());
  }
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

std::uint32_t DriverHost::TickCount() { return native_.TickCount() + skipped_ms_; }

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

std::uint32_t DriverHost::PassTime(std::uint32_t seconds) {
  if (seconds > kLongestWaitSeconds) seconds = kLongestWaitSeconds;
  if (clock_) clock_ = platform::sim::AddSeconds(*clock_, seconds);
  std::uint32_t real = seconds < kRealWaitSeconds ? seconds : kRealWaitSeconds;
  skipped_ms_ += (seconds - real) * 1000u;
  return real * 1000u;
}

std::string RuntimeErrorLine() {
  const std::string& report = rt::State().error_report;
  if (report.empty()) return std::string();
  std::string line = "the program ended with a runtime error: ";
  for (char c : platform::GbkToUtf8(report)) {
    if (c == '\r') continue;
    if (c == '\n') {
      if (line.back() != ' ') line += ' ';
      continue;
    }
    line += c;
  }
  while (line.back() == ' ') line.pop_back();
  return line;
}

}  // namespace scenario
