// What a person sees during a scripted session, written as it happens: at
// every wait (and once more when the program has ended) the screen is
// compared with the last one and each difference becomes a line — windows
// opened and closed, caption changes, the open box or dialog or popup menu,
// list contents after a change, clipboard text and addresses handed to the
// browser. Texts are written in UTF-8.
#pragma once

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/desktop.h"
#include "tools/scenario/script.h"

namespace sim_tool {

class Transcript {
 public:
  explicit Transcript(std::FILE* out) : out_(out) {}

  // Writes what changed since the last call, then what the program waits for.
  void AtWait(const platform::sim::Desktop& desktop, platform::sim::WaitKind wait);
  // Writes what changed since the last wait, why the program ended when a
  // runtime error ended it, and the exit code.
  void AtExit(const platform::sim::Desktop& desktop, int exit_code, const std::string& runtime_error = {});
  // Writes the person's action, and the characters a box refused in it.
  void Action(const scenario::ScriptLine& line, const std::vector<std::string>& refused);

 private:
  using Rows = std::vector<std::vector<std::string>>;  // cells, GBK

  void WriteChanges(const platform::sim::Desktop& desktop);
  void WriteList(const std::string& name, const Rows& rows);
  void Line(const std::string& utf8);

  std::FILE* out_;
  std::map<platform::WindowHandle, std::string> frames_;  // visible frames and their captions (GBK)
  std::map<platform::WindowHandle, Rows> lists_;
  std::optional<std::string> clipboard_;
  std::size_t addresses_seen_ = 0;
  std::string waiting_in_;  // the active window at the last idle wait (UTF-8)
};

}  // namespace sim_tool
