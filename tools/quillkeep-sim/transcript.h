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
#include "platform/sim/script.h"

namespace sim_tool {

class Transcript {
 public:
  explicit Transcript(std::FILE* out) : out_(out) {}

  // Writes what changed since the last call, then what the program waits for.
  void AtWait(const platform::sim::Desktop& desktop, platform::sim::WaitKind wait);
  // Writes what changed since the last wait and the exit code.
  void AtExit(const platform::sim::Desktop& desktop, int exit_code);
  // Writes the person's action.
  void Action(const platform::sim::ScriptLine& line);

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

// A person that writes the transcript at each wait, lets the scripted user
// act, and writes the action it took (the user takes exactly one action line
// per wait, so the lines of the same script say which).
class TranscribingPerson : public platform::sim::Person {
 public:
  TranscribingPerson(Transcript& transcript, platform::sim::Person& actor, std::vector<platform::sim::ScriptLine> lines)
      : transcript_(transcript), actor_(actor), lines_(std::move(lines)) {}
  void Act(platform::sim::Desktop& desktop, platform::sim::WaitKind wait) override;

 private:
  Transcript& transcript_;
  platform::sim::Person& actor_;
  std::vector<platform::sim::ScriptLine> lines_;
  std::size_t next_ = 0;
};

}  // namespace sim_tool
