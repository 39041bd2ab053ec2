// The host a scenario driver runs the notebook on, over the desktop's own
// host: the real boxes, dialogs and clipboard; a clock the script sets,
// standing still but for the script's waits, so the times the program
// stamps are the ones the script expects; a tick count that a long wait
// moves on at once, so the lock when away falls due after minutes of the
// script's time in seconds of real time; web addresses noted instead of
// handed to a browser; the program folder the script names; and the end of
// the program handed to the driver, which judges the script's last lines.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace scenario {

// The exit status of a driver whose script failed.
inline constexpr int kScriptFailedStatus = 3;

// Why the program ended with -1, as one UTF-8 line for standard error and
// the transcript: the runtime error report it showed (or could not show);
// empty when it reported none.
std::string RuntimeErrorLine();

class DriverHost final : public platform::Host {
 public:
  // `finish` gets the program's exit code and judges the script's last
  // lines; `exit` ends the process at once with the program's exit status,
  // or kScriptFailedStatus when a line failed (its message on standard
  // error).
  DriverHost(platform::Host& native, std::string program_path_gbk, std::function<void(int)> finish,
             void (*exit)(int status));

  platform::BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                                     platform::WindowHandle owner) override;
  [[noreturn]] void EndProcess(int code) override;
  std::uint32_t TickCount() override;
  platform::BoxAnswer ShowPasswordDialog(const platform::PasswordDialogTexts& texts, platform::Secret* typed) override;
  platform::BoxAnswer ShowInputBox(const platform::InputBoxRequest& request, platform::Secret* entered) override;
  bool SetClipboardText(const std::string& text) override;
  bool ClearClipboardIfOurs() override;
  void ScheduleClipboardClear(std::uint32_t seconds) override;
  bool OpenWebAddress(const std::string& address) override;
  platform::LocalTime LocalNow() override;
  std::string ProgramPath() override { return program_path_; }
  void SetListener(platform::HostListener* listener, std::uint32_t tick_ms) override {
    native_.SetListener(listener, tick_ms);
  }

  void SetClock(const platform::LocalTime& now) { clock_ = now; }
  // The person waits `seconds` of the script's time: a clock the script
  // set and the tick count move on by as much, but the real clock runs
  // only the first kRealWaitSeconds of it (the rest the tick count skips
  // at once). Returns the milliseconds the program must now run on the
  // real clock, with its message loop going, for the wait to be over.
  // Timers of the desktop itself (the clipboard's clearing) see only those.
  std::uint32_t PassTime(std::uint32_t seconds);
  static constexpr std::uint32_t kRealWaitSeconds = 3;
  static constexpr std::uint32_t kLongestWaitSeconds = 7 * 24 * 3600;
  const std::vector<std::string>& addresses() const { return addresses_; }  // GBK

 private:
  platform::Host& native_;
  std::string program_path_;  // GBK
  std::function<void(int)> finish_;
  void (*exit_)(int);
  std::optional<platform::LocalTime> clock_;
  std::uint32_t skipped_ms_ = 0;  // added to the native tick count
  std::vector<std::string> addresses_;
};

}  // namespace scenario
