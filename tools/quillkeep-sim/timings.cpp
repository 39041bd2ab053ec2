#include "tools/quillkeep-sim/timings.h"

#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <time.h>
#endif

#include "db/commands.h"
#include "runtime/helpers.h"
#include "runtime/services.h"

namespace sim_tool {
namespace {

namespace cmd = db::commands;

rt::Value Call(rt::Command command, std::vector<rt::Value> args = {}) {
  return rt::CallCommand(command, static_cast<std::int32_t>(args.size()), args.empty() ? nullptr : args.data());
}

}  // namespace

#ifdef _WIN32
double MonotonicMilliseconds() {
  LARGE_INTEGER now, frequency;
  ::QueryPerformanceCounter(&now);
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

long long WallClockMilliseconds() {
  FILETIME now;
  ::GetSystemTimePreciseAsFileTime(&now);
  ULARGE_INTEGER ticks;  // 100 ns since 1601-01-01
  ticks.LowPart = now.dwLowDateTime;
  ticks.HighPart = now.dwHighDateTime;
  return static_cast<long long>(ticks.QuadPart / 10000) - 11644473600000LL;
}
#else
double MonotonicMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_MONOTONIC, &now);
  return static_cast<double>(now.tv_sec) * 1000.0 + static_cast<double>(now.tv_nsec) / 1e6;
}

long long WallClockMilliseconds() {
  timespec now{};
  clock_gettime(CLOCK_REALTIME, &now);
  return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}
#endif

WaitTimings::WaitTimings(std::FILE* out) : out_(out), last_action_(MonotonicMilliseconds()) {}

void WaitTimings::ActionDone() { last_action_ = MonotonicMilliseconds(); }

double EngineListLoadMilliseconds() {
  const char* const shown[] = {"webname", "weburl", "username", "password", "remarks", "time"};
  double start = MonotonicMilliseconds();
  std::int32_t count = Call(cmd::GetRecordCount).as_int();
  if (count <= 0) return -1;
  Call(cmd::GoFirstRecord);
  for (std::int32_t r = 0; r < count; ++r) {
    for (const char* field : shown) {
      rt::Value value = Call(cmd::ReadField, {rt::Value::Text(field)});
      rt::FreeValue(value);
    }
    Call(cmd::SkipRecords, {rt::Value::Int(1)});
  }
  return MonotonicMilliseconds() - start;
}

void WaitTimings::AtWait(const char* wait_name) {
  double since = MonotonicMilliseconds() - last_action_;
  if (first_) {
    first_ = false;
    long long now_ms = WallClockMilliseconds();
    std::fprintf(out_, "timing: first wait [%s] %.1f ms after main, wall clock %lld ms\n", wait_name, since, now_ms);
  } else {
    std::fprintf(out_, "timing: wait [%s] %.1f ms after the last action\n", wait_name, since);
  }
  double engine = EngineListLoadMilliseconds();
  if (engine >= 0) std::fprintf(out_, "timing: engine list load %.1f ms\n", engine);
  std::fflush(out_);
}

}  // namespace sim_tool
