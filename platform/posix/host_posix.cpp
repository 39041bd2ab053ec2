#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "platform/host.h"
#include "platform/system.h"

namespace platform {
namespace {

// Without a window system the POSIX host writes message boxes to standard
// error (in UTF-8) and answers them with their first button.
class PosixHost final : public Host {
 public:
  BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption,
                           std::uint32_t flags, WindowHandle) override {
    std::string shown = "[" + GbkToUtf8(caption) + "] " + GbkToUtf8(text) + "\n";
    std::fwrite(shown.data(), 1, shown.size(), stderr);
    std::fflush(stderr);
    switch (flags & 0xF) {
      case mb::kAbortRetryIgnore: return BoxAnswer::kAbort;
      case mb::kYesNoCancel:
      case mb::kYesNo: return BoxAnswer::kYes;
      case mb::kRetryCancel: return BoxAnswer::kRetry;
      default: return BoxAnswer::kOk;
    }
  }

  [[noreturn]] void EndProcess(int code) override {
    std::fflush(nullptr);
    _exit(code & 0xFF);
  }

  std::uint32_t TickCount() override { return MonotonicTickCount(); }

  // Starts xdg-open on the address without a shell and without waiting for
  // the browser: the child forks the opener and leaves at once, so no
  // zombie stays behind.
  bool OpenWebAddress(const std::string& address) override {
    std::string utf8 = GbkToUtf8(address);
    pid_t child = fork();
    if (child < 0) return false;
    if (child == 0) {
      if (fork() == 0) {
        setsid();
        char program[] = "xdg-open";
        char* argv[] = {program, utf8.data(), nullptr};
        execvp(program, argv);
      }
      _exit(0);
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    return true;
  }

  LocalTime LocalNow() override {
    time_t now = time(nullptr);
    struct tm local {};
    LocalTime t;
    if (localtime_r(&now, &local) == nullptr) return t;
    t.year = local.tm_year + 1900;
    t.month = local.tm_mon + 1;
    t.day = local.tm_mday;
    t.hour = local.tm_hour;
    t.minute = local.tm_min;
    t.second = local.tm_sec > 59 ? 59 : local.tm_sec;
    return t;
  }
};

}  // namespace

Host& NativeHost() {
  static PosixHost host;
  return host;
}

}  // namespace platform
