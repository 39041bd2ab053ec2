#include "platform/qt/host_qt.h"

#include <unistd.h>

#include <QDesktopServices>
#include <QUrl>

#include <cstdio>

#include "platform/posix/program_folder.h"
#include "platform/qt/dialogs_qt.h"
#include "platform/qt/text_qt.h"
#include "platform/qt/window_system_qt.h"
#include "platform/system.h"

namespace platform::qt {
namespace {

using namespace Qt::StringLiterals;

// The widget a box belongs to: its owner when that is one of the program's
// windows, else the program's active window, so the box stays above it.
QWidget* OwnerWidget(WindowHandle owner) {
  QtWindowSystem* system = QtWindowSystem::Instance();
  if (system == nullptr) return nullptr;
  WindowHandle frame = system->KindOf(owner) == ControlKind::kFrame ? owner : system->GetActive();
  QWidget* widget = system->WidgetOf(frame);
  return widget != nullptr && widget->isVisible() ? widget : nullptr;
}

// A box closing leaves the activation where it was before, so typing and
// Esc go on in the window the person left.
class KeepActiveWindow {
 public:
  KeepActiveWindow() {
    if (QtWindowSystem* system = QtWindowSystem::Instance()) before_ = system->GetActive();
  }
  ~KeepActiveWindow() {
    QtWindowSystem* system = QtWindowSystem::Instance();
    if (system == nullptr || before_ == 0) return;
    if (system->IsWindow(before_) && system->IsVisible(before_) && system->IsEnabled(before_)) system->Activate(before_);
  }
  KeepActiveWindow(const KeepActiveWindow&) = delete;
  KeepActiveWindow& operator=(const KeepActiveWindow&) = delete;

 private:
  WindowHandle before_ = 0;
};

}  // namespace

QtHost::QtHost() : clipboard_(std::make_unique<Clipboard>()) {}
QtHost::~QtHost() = default;

QtHost& NativeQtHost() {
  static QtHost host;
  return host;
}

BoxAnswer QtHost::ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                                 WindowHandle owner) {
  KeepActiveWindow keep;
  MessageBoxDialog box(FromGbk(text), FromGbk(caption), flags, OwnerWidget(owner));
  return box.Run();
}

void QtHost::EndProcess(int code) {
  // Straight out, as the system's own exit does: the windows and the
  // application go with the process, from wherever the program ends.
  std::fflush(nullptr);
  _exit(code & 0xFF);
}

std::uint32_t QtHost::TickCount() { return MonotonicTickCount(); }

BoxAnswer QtHost::ShowPasswordDialog(const PasswordDialogTexts& texts, Secret* typed) {
  KeepActiveWindow keep;
  PasswordDialog dialog(texts, password_icon_, OwnerWidget(0));
  return dialog.Run(typed);
}

BoxAnswer QtHost::ShowInputBox(const InputBoxRequest& request, Secret* entered) {
  KeepActiveWindow keep;
  InputBoxDialog dialog(request, OwnerWidget(request.owner));
  return dialog.Run(entered);
}

bool QtHost::SetClipboardText(const std::string& text) {
  QString shown = FromGbk(text);
  bool placed = clipboard_->Put(shown);
  shown.fill(u'\0');
  return placed;
}

bool QtHost::ClearClipboardIfOurs() { return clipboard_->ClearIfOurs(); }

void QtHost::ScheduleClipboardClear(std::uint32_t seconds) { clipboard_->ScheduleClear(seconds); }

bool QtHost::OpenWebAddress(const std::string& address) {
  // The address has passed the runtime's filter already; a second look
  // keeps anything but a web address away from the desktop's opener.
  QUrl url(FromGbk(address), QUrl::TolerantMode);
  if (!url.isValid()) return false;
  QString scheme = url.scheme().toLower();
  if (scheme != u"http"_s && scheme != u"https"_s && scheme != u"ftp"_s) return false;
  return QDesktopServices::openUrl(url);
}

void QtHost::SetListener(HostListener* listener, std::uint32_t tick_ms) {
  if (!reports_) {
    if (listener == nullptr) return;
    reports_ = std::make_unique<ListenerReports>();
  }
  reports_->Start(listener, tick_ms);
}

std::string QtHost::ProgramPath() {
  std::string executable = GbkToUtf8(ExecutablePath());
  return Utf8ToGbk(LinuxProgramFolder(executable) + "/quillkeep");
}

}  // namespace platform::qt
