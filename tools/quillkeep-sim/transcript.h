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

namespace sim_tool {

class Transcript {
 public:
  explicit Transcript(std::FILE* out) : out_(out) {}

  // Writes what changed since the last call, then what the program waits for.
  void AtWait(const platform::sim::Desktop& desktop, platform::sim::WaitKind wait);
  // Writes what changed since the last wait and the exit code.
  void AtExit(const platform::sim::Desktop& desktop, int exit_code);

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
};

// A person that writes the transcript at each wait, then lets another person
// (the scripted user) act.
class TranscribingPerson : public platform::sim::Person {
 public:
  TranscribingPerson(Transcript& transcript, platform::sim::Person& actor) : transcript_(transcript), actor_(actor) {}
  void Act(platform::sim::Desktop& desktop, platform::sim::WaitKind wait) override {
    transcript_.AtWait(desktop, wait);
    actor_.Act(desktop, wait);
  }

 private:
  Transcript& transcript_;
  platform::sim::Person& actor_;
};

}  // namespace sim_tool
