#include "platform/host.h"

#include <cstdlib>
#include <ctime>

#include "platform/system.h"

namespace platform {
namespace {
Host* g_installed = nullptr;
}

Host& CurrentHost() { return g_installed != nullptr ? *g_installed : NativeHost(); }

Host* InstallHost(Host* host) {
  Host* previous = g_installed;
  g_installed = host;
  return previous;
}

LocalTime Host::LocalNow() {
  std::time_t now = std::time(nullptr);
  const std::tm* local = std::localtime(&now);  // the user-interface thread only
  LocalTime t;
  if (local == nullptr) return t;
  t.year = local->tm_year + 1900;
  t.month = local->tm_mon + 1;
  t.day = local->tm_mday;
  t.hour = local->tm_hour;
  t.minute = local->tm_min;
  t.second = local->tm_sec > 59 ? 59 : local->tm_sec;  // a leap second stays in its minute
  return t;
}

std::string Host::ProgramPath() { return ExecutablePath(); }

std::vector<BoxAnswer> MessageBoxButtons(std::uint32_t flags) {
  switch (flags & 0xF) {
    case mb::kOkCancel: return {BoxAnswer::kOk, BoxAnswer::kCancel};
    case mb::kAbortRetryIgnore: return {BoxAnswer::kAbort, BoxAnswer::kRetry, BoxAnswer::kIgnore};
    case mb::kYesNoCancel: return {BoxAnswer::kYes, BoxAnswer::kNo, BoxAnswer::kCancel};
    case mb::kYesNo: return {BoxAnswer::kYes, BoxAnswer::kNo};
    case mb::kRetryCancel: return {BoxAnswer::kRetry, BoxAnswer::kCancel};
    default: return {BoxAnswer::kOk};
  }
}

void EndProcess(int code) {
  CurrentHost().EndProcess(code);
  std::abort();  // a host that returns from EndProcess is broken
}

}  // namespace platform
