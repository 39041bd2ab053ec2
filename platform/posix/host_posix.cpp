#include <unistd.h>

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
};

}  // namespace

Host& NativeHost() {
  static PosixHost host;
  return host;
}

}  // namespace platform
