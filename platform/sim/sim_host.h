// A host for tests and the simulated desktop: message boxes are recorded and
// answered from a queue of scripted answers, and ending the process unwinds
// to the caller (ProcessExit) instead of killing the test process.
#pragma once

#include <deque>
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

class SimHost : public Host {
 public:
  BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                           WindowHandle owner) override;
  [[noreturn]] void EndProcess(int code) override;
  std::uint32_t TickCount() override;
  BoxAnswer ShowPasswordDialog(const PasswordDialogTexts& texts, std::string* typed) override;

  // Answers for the next message boxes, in order; when none is queued the
  // first button of the box is chosen.
  void QueueAnswer(BoxAnswer answer) { answers_.push_back(answer); }
  const std::vector<ShownBox>& boxes() const { return boxes_; }
  void ClearBoxes() { boxes_.clear(); }

  // Answers for the next password dialogs, in order: a text is typed and
  // confirmed, nullopt cancels. With none queued the dialog is cancelled.
  void QueuePassword(std::optional<std::string> typed) { passwords_.push_back(std::move(typed)); }
  const std::vector<PasswordDialogTexts>& password_dialogs() const { return password_dialogs_; }

  // Simulated milliseconds; every read moves the clock on by one so waits end.
  void AdvanceTicks(std::uint32_t ms) { ticks_ += ms; }

 private:
  std::deque<BoxAnswer> answers_;
  std::vector<ShownBox> boxes_;
  std::deque<std::optional<std::string>> passwords_;
  std::vector<PasswordDialogTexts> password_dialogs_;
  std::uint32_t ticks_ = 1000;
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
