// The seam between the runtime and the desktop it runs on. Everything a
// person can see or that the tests must observe goes through a Host: the
// native host (Windows or POSIX) calls the operating system; the simulated
// desktop records what was shown and answers from a scripted user.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/input_box.h"
#include "platform/secret.h"

namespace platform {

// Message-box flags and results, with the Windows values.
namespace mb {
inline constexpr std::uint32_t kOk = 0x0;
inline constexpr std::uint32_t kOkCancel = 0x1;
inline constexpr std::uint32_t kAbortRetryIgnore = 0x2;
inline constexpr std::uint32_t kYesNoCancel = 0x3;
inline constexpr std::uint32_t kYesNo = 0x4;
inline constexpr std::uint32_t kRetryCancel = 0x5;
inline constexpr std::uint32_t kIconStop = 0x10;
inline constexpr std::uint32_t kIconQuestion = 0x20;
inline constexpr std::uint32_t kIconExclamation = 0x30;
inline constexpr std::uint32_t kIconInformation = 0x40;
inline constexpr std::uint32_t kSystemModal = 0x1000;
inline constexpr std::uint32_t kTaskModal = 0x2000;
}  // namespace mb

enum class BoxAnswer : int { kOk = 1, kCancel = 2, kAbort = 3, kRetry = 4, kIgnore = 5, kYes = 6, kNo = 7 };
// The buttons a message box with these flags shows, left to right (the
// same on every desktop that draws its own boxes).
std::vector<BoxAnswer> MessageBoxButtons(std::uint32_t flags);

// A native window handle as the desktop knows it; 0 = none.
using WindowHandle = std::uintptr_t;

// What the database password dialog shows (texts GBK). The caller supplies
// the texts; the host lays them out, masks the typed characters and returns
// what was typed.
struct PasswordDialogTexts {
  std::string caption;  // the window caption
  std::string prompt;   // the line beside the edit box
  std::string message;  // the line below it; empty when there is nothing to say
  std::string ok;       // the two buttons
  std::string cancel;
};

// A local date and time, to the second.
struct LocalTime {
  int year = 2000;
  int month = 1;
  int day = 1;
  int hour = 0;
  int minute = 0;
  int second = 0;
};

// What a desktop tells the program besides its windows' messages: the
// notebook locks itself when its person is away. Every call comes on the
// thread that runs the windows, while it waits for messages (in the
// message loops of boxes, dialogs and popup menus too).
class HostListener {
 public:
  virtual ~HostListener() = default;
  // The person pressed a key or a mouse button, turned the wheel or moved
  // the mouse in one of the program's windows, boxes or dialogs.
  virtual void OnInput() = 0;
  // The desktop session locked (the screen locker came on).
  virtual void OnSessionLocked() = 0;
  // A beat of the clock, every `tick_ms` given to SetListener.
  virtual void OnTick() = 0;
};

class Host {
 public:
  virtual ~Host() = default;

  // Reports input, session locks and (when tick_ms is not 0) clock beats
  // to `listener` from now on; null stops the reports. A desktop that
  // cannot see one of them leaves it out.
  virtual void SetListener(HostListener* listener, std::uint32_t tick_ms) {
    (void)listener;
    (void)tick_ms;
  }

  // Shows a modal message box; texts are GBK. Returns the button chosen.
  virtual BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                                   std::uint32_t flags, WindowHandle owner) = 0;

  // Ends the process with the code. A simulated desktop may instead unwind to
  // its runner (by throwing ProcessExit), so tests can watch an exit happen.
  [[noreturn]] virtual void EndProcess(int code) = 0;

  // Milliseconds for timeouts and delays; simulated desktops may move it on.
  virtual std::uint32_t TickCount() = 0;

  // Runs the database password dialog modally. kOk with the typed text in
  // *typed, or kCancel (typed untouched). A host without the dialog cancels.
  virtual BoxAnswer ShowPasswordDialog(const PasswordDialogTexts& texts, Secret* typed) {
    (void)texts;
    (void)typed;
    return BoxAnswer::kCancel;
  }

  // Runs the input box modally: kOk with the field's text (GBK) in *entered,
  // or kCancel (entered untouched). A host without the dialog cancels.
  virtual BoxAnswer ShowInputBox(const InputBoxRequest& request, Secret* entered) {
    (void)request;
    (void)entered;
    return BoxAnswer::kCancel;
  }

  // Puts a plain text (GBK) on the clipboard; false when that fails or the
  // desktop has no clipboard.
  virtual bool SetClipboardText(const std::string& text) {
    (void)text;
    return false;
  }

  // Empties the clipboard if it still holds exactly what SetClipboardText
  // put there last (nothing else has been copied since); true when it did.
  virtual bool ClearClipboardIfOurs() { return false; }

  // Calls ClearClipboardIfOurs once `seconds` from now, from the thread
  // that runs the windows while it waits for messages; replaces a clearing
  // scheduled before. 0 cancels it. A host without a clock does nothing.
  virtual void ScheduleClipboardClear(std::uint32_t seconds) { (void)seconds; }

  // Hands a web address (GBK, already checked to be http, https or ftp) to
  // the default browser; false when nothing could be started.
  virtual bool OpenWebAddress(const std::string& address) {
    (void)address;
    return false;
  }

  // Initialises OLE for the calling thread, as the runtime does once at
  // start (the shell's "open" action wants COM there); true when it did, and
  // UninitialiseOle is then owed at exit. A host without OLE does nothing.
  virtual bool InitialiseOle() { return false; }
  virtual void UninitialiseOle() {}

  // The local date and time; by default the C library's local time.
  virtual LocalTime LocalNow();

  // Full path of the running program (GBK); its folder is the program
  // folder. By default the executable's own path; a simulated desktop may
  // place the program in another folder.
  virtual std::string ProgramPath();
};

// Thrown by simulated hosts from EndProcess; caught by their runner.
struct ProcessExit {
  int code;
};

// The host in force. Starts as the native host of the platform.
Host& CurrentHost();
// Installs another host (null restores the native one). Returns the previous.
Host* InstallHost(Host* host);

// The native host of this platform.
Host& NativeHost();

// Ends the process through the current host; never returns.
[[noreturn]] void EndProcess(int code);

}  // namespace platform
