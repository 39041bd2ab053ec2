// Plays a scenario script (script.h) through a desktop's Person. Lines are
// taken only when the program waits for the person: at each wait the checks
// up to the next action are judged against the screen, then that action is
// done. After the program ended, the remaining lines may only be checks
// that need no screen.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "tools/scenario/person.h"
#include "tools/scenario/screen.h"
#include "tools/scenario/script.h"

namespace scenario {

class Dispatcher {
 public:
  // Parses the script; a malformed line is a ScriptFailure naming it.
  Dispatcher(Person& person, const std::string& script_utf8);

  // The program folder (UTF-8), where `expect file` looks.
  std::string folder = ".";

  // Applies the clock lines at the top of the script, before the program starts.
  void Start();
  // The program waits for the person: judges the checks up to the next
  // action and does it. Returns that action's line; nothing when a `wait`
  // line stopped the script while the time passes (Person::PassTime), in
  // which case the next call goes on after it. A line that fails throws
  // ScriptFailure.
  const ScriptLine* Act(Wait wait);
  // The program ended with this code: judges the remaining lines.
  void Finish(int exit_code);

  bool finished() const { return position_ >= lines_.size(); }
  // The screen as failures describe it (UTF-8).
  std::string DescribeScreen() { return screen_.Describe(); }

 private:
  void Check(const ScriptLine& line, std::optional<int> exit_code);
  void Perform(Wait wait, const ScriptLine& line);
  void Need(bool ok, const char* what, Wait wait, const ScriptLine& line);
  void PerformAtBox(Wait wait, const ScriptLine& line);
  void PerformInWindow(const ScriptLine& line);
  platform::WindowHandle Unit(const ScriptLine& line, const std::string& name, const char* what);

  Person& person_;
  Screen screen_;
  std::vector<ScriptLine> lines_;
  std::size_t position_ = 0;
  int last_line_ = 0;
};

}  // namespace scenario
