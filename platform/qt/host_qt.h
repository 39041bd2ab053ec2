// The host of the Linux desktop: the boxes and dialogs of dialogs_qt.h,
// the clipboard of clipboard_qt.h, the desktop's browser, the clock, and
// the program folder of platform/posix/program_folder.h.
#pragma once

#include <QIcon>

#include <memory>

#include "platform/host.h"
#include "platform/qt/clipboard_qt.h"

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

  // The picture of the password dialog (the program's key).
  void set_password_icon(const QIcon& icon) { password_icon_ = icon; }
  Clipboard& clipboard() { return *clipboard_; }

 private:
  QIcon password_icon_;
  std::unique_ptr<Clipboard> clipboard_;
};

// The process's Qt host (created on first use; needs the Application).
QtHost& NativeQtHost();

}  // namespace platform::qt
