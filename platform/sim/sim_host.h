// A host for tests and the simulated desktop: message boxes are recorded and
// answered from a queue of scripted answers, and ending the process unwinds
// to the caller (ProcessExit) instead of killing the test process.
#pragma once

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"

namespace platform::sim {

struct ShownBox {
  std::string text;     // GBK
  std::string caption;  // GBK
  std::uint32_t flags = 0;
  WindowHandle owner = 0;
};

// `t` moved on by `seconds` on the calendar (days, months and years roll
// over as they should).
LocalTime AddSeconds(const LocalTime& t, std::uint32_t seconds);

class SimHost : public Host {
 public:
  BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                           WindowHandle owner) override;
  [[noreturn]] void EndProcess(int code) override;
  std::uint32_t TickCount() override;
  BoxAnswer ShowPasswordDialog(const PasswordDialogTexts& texts, Secret* typed) override;
  BoxAnswer ShowInputBox(const InputBoxRequest& request, Secret* entered) override;
  bool SetClipboardText(const std::string& text) override;
  bool OpenWebAddress(const std::string& address) override;
  bool ClearClipboardIfOurs() override;
  void ScheduleClipboardClear(std::uint32_t seconds) override;
  void SetListener(HostListener* listener, std::uint32_t tick_ms) override {
    listener_ = listener;
    ticks_wanted_ = tick_ms != 0;
  }
  bool InitialiseOle() override {
    ++ole_depth_;
    return true;
  }
  void UninitialiseOle() override { --ole_depth_; }
  // Initialisations of OLE not yet undone.
  int ole_depth() const { return ole_depth_; }
  LocalTime LocalNow() override { return clock_; }
  std::string ProgramPath() override { return program_path_.empty() ? Host::ProgramPath() : program_path_; }

  // Answers for the next message boxes, in order; when none is queued the
  // first button of the box is chosen.
  void QueueAnswer(BoxAnswer answer) { answers_.push_back(answer); }
  const std::vector<ShownBox>& boxes() const { return boxes_; }
  void ClearBoxes() { boxes_.clear(); }

  // Answers for the next password dialogs, in order: a text is typed and
  // confirmed, nullopt cancels. With none queued the dialog is cancelled.
  void QueuePassword(std::optional<std::string> typed) { passwords_.push_back(std::move(typed)); }
  const std::vector<PasswordDialogTexts>& password_dialogs() const { return password_dialogs_; }

  // Answers for the next input boxes, in order: the keys are typed into the
  // field (through the mode's filter, "\b" erasing) and OK is pressed;
  // nullopt presses Cancel. With none queued the box is cancelled.
  void QueueInputBox(std::optional<std::string> keys) { input_answers_.push_back(std::move(keys)); }
  const std::vector<InputBoxRequest>& input_boxes() const { return input_boxes_; }

  // The clipboard's plain text (nullopt while nothing was put there); a
  // clipboard made unavailable refuses every text.
  const std::optional<std::string>& clipboard() const { return clipboard_; }
  void SetClipboardAvailable(bool available) { clipboard_available_ = available; }
  // Another program copies a text: the clipboard is no longer ours to clear.
  void CopyFromOtherProgram(const std::string& text) {
    clipboard_ = text;
    clipboard_ours_ = false;
  }
  // Seconds until the scheduled clipboard clearing; nullopt when none is.
  std::optional<std::uint32_t> clipboard_clear_due_in() const {
    if (!clear_due_) return std::nullopt;
    return *clear_due_ > ticks_ ? (*clear_due_ - ticks_ + 999) / 1000 : 0;
  }

  // The person waits: the clock and the ticks move on by `seconds`, a
  // clipboard clearing that falls due meanwhile happens, and the listener
  // (when it wants beats) gets one beat at the end. True when that is all
  // done; false when the beat waits in the program's queue (Deliver).
  bool WaitSeconds(std::uint32_t seconds);
  // The person locks the desktop session; true or false as for WaitSeconds.
  bool LockSession();
  // The person pressed a key or a button, or answered a box: the listener
  // hears of it.
  void ReportInput() {
    if (listener_ != nullptr) listener_->OnInput();
  }

  // Every address handed to the browser, in order.
  const std::vector<std::string>& opened_addresses() const { return opened_addresses_; }

  // The local date and time Now reads; it stays put until set again.
  void SetClock(const LocalTime& now) { clock_ = now; }

  // Where the program seems to lie (GBK path of its executable); empty for
  // the real executable's path.
  void SetProgramPath(const std::string& path) { program_path_ = path; }

  // Simulated milliseconds; every read moves the clock on by one so waits end.
  void AdvanceTicks(std::uint32_t ms) { ticks_ += ms; }

 protected:
  // Hands a report to the listener. Here at once (true); a desktop with a
  // message queue may instead queue it for the program to take (false).
  virtual bool Deliver(std::function<void(HostListener&)> report) {
    report(*listener_);
    return true;
  }
  HostListener* listener() const { return listener_; }

 private:
  HostListener* listener_ = nullptr;
  bool ticks_wanted_ = false;
  std::deque<BoxAnswer> answers_;
  std::vector<ShownBox> boxes_;
  std::deque<std::optional<std::string>> passwords_;
  std::vector<PasswordDialogTexts> password_dialogs_;
  std::uint32_t ticks_ = 1000;
  std::deque<std::optional<std::string>> input_answers_;
  std::vector<InputBoxRequest> input_boxes_;
  std::optional<std::string> clipboard_;
  bool clipboard_available_ = true;
  bool clipboard_ours_ = false;              // the clipboard holds what SetClipboardText put there
  std::optional<std::uint32_t> clear_due_;  // tick count of the scheduled clearing
  std::vector<std::string> opened_addresses_;
  int ole_depth_ = 0;
  LocalTime clock_{2024, 1, 1, 12, 0, 0};
  std::string program_path_;
};

// Installs a SimHost for the lifetime of this object.
class ScopedSimHost {
 public:
  ScopedSimHost() : previous_(InstallHost(&host_)) {}
  ~ScopedSimHost() { InstallHost(previous_); }
  ScopedSimHost(const ScopedSimHost&) = delete;
  ScopedSimHost& operator=(const ScopedSimHost&) = delete;
  SimHost& operator*() { return host_; }
  SimHost* operator->() { return &host_; }

 private:
  SimHost host_;
  Host* previous_;
};

}  // namespace platform::sim
