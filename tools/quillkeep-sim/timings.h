// Figures for the GUI benchmark (the drivers' --timings): how long the
// program took from the person's last action to the next wait, and what the
// engine alone takes to read the same list, in the same process.
#pragma once

#include <cstdio>

namespace sim_tool {

class WaitTimings {
 public:
  explicit WaitTimings(std::FILE* out);
  // The person has finished acting; the program runs on.
  void ActionDone();
  // Writes one line for a wait: the milliseconds since the last action (or
  // since start-up, at the first wait, with the wall-clock time so a caller
  // can add the time before main), and the engine's list load when a
  // notebook with records is open.
  void AtWait(const char* wait_name);

 private:
  std::FILE* out_;
  double last_action_;  // MonotonicMilliseconds()
  bool first_ = true;
};

// A steady clock with sub-millisecond steps, and the wall clock, in
// milliseconds. (Not <chrono>: it cannot be compiled for the GBK
// character set these units use.)
double MonotonicMilliseconds();
long long WallClockMilliseconds();

// Reads every record of the open database as the list loader does (the six
// fields shown, then the next record), without any window. Milliseconds;
// negative when no database is open or it holds no record.
double EngineListLoadMilliseconds();

}  // namespace sim_tool
