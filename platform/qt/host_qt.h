// The host of the Linux desktop: the boxes and dialogs of dialogs_qt.h,
// the clipboard of clipboard_qt.h, the desktop's browser, the clock, and
// the program folder of platform/posix/program_folder.h.
#pragma once

#include <QIcon>

#include <memory>

#include "platform/host.h"
#include "platform/qt/clipboard_qt.h"
#include "platform/qt/listener_qt.h"

namespace platform::qt {

class QtHost final : public Host {
 public:
  QtHost();
  ~QtHost() override;

  BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                           WindowHandle owner) override;
  [[noreturn]] void EndProcess(int code) override;
  std::uint32_t TickCount() override;
  BoxAnswer ShowPasswordDialog(const PasswordDialogTexts& texts, Secret* typed) override;
  BoxAnswer ShowInputBox(const InputBoxRequest& request, Secret* entered) override;
  bool SetClipboardText(const std::string& text) override;
  bool ClearClipboardIfOurs() override;
  void ScheduleClipboardClear(std::uint32_t seconds) override;
  bool OpenWebAddress(const std::string& address) override;
  std::string ProgramPath() override;
  void SetListener(HostListener* listener, std::uint32_t tick_ms) override;

  // The picture of the password dialog (the program's key).
  void set_password_icon(const QIcon& icon) { password_icon_ = icon; }
  Clipboard& clipboard() { return *clipboard_; }
  // The screen saver came on (the session locked) or went off, as its
  // signal says; the scenario driver plays a lock through here, since
  // announcing one on the person's session bus would reach every program.
  void ScreenSaverChanged(bool active) {
    if (reports_) reports_->ScreenSaverChanged(active);
  }

 private:
  QIcon password_icon_;
  std::unique_ptr<Clipboard> clipboard_;
  std::unique_ptr<ListenerReports> reports_;  // made with the first listener
};

// The process's Qt host (created on first use; needs the Application).
QtHost& NativeQtHost();

}  // namespace platform::qt
