// The scripted user: reads a scenario script and acts as the person in front
// of the simulated desktop. Lines are taken only when the program waits for
// the person; at each wait the checks up to the next action are evaluated
// against the screen, then that action is done.
//
// Script lines (UTF-8; '#' starts a comment line; TEXT is the rest of the
// line with the escapes \r \n \t \s (space) and \\; UNIT is a unit name,
// looked up in the active window first, or a hexadecimal id as 0x16010005):
//   actions:  type UNIT TEXT | click UNIT | key Tab|Shift+Tab|Enter|Esc |
//             close | select UNIT ROW | rclick UNIT | menu CAPTION |
//             answer OK|Cancel|Yes|No|Abort|Retry|Ignore | input TEXT | cancel
//   setup:    clock YYYY-MM-DD HH:MM:SS | wait SECONDS (the clock moves on;
//             what falls due meanwhile, as clearing the clipboard, happens)
//   checks:   expect box TEXT | expect box-caption TEXT | expect prompt TEXT |
//             expect password-prompt | expect password-retry N |
//             expect window CAPTION | expect prop UNIT INDEX VALUE |
//             expect rows UNIT N | expect cell UNIT ROW COL TEXT |
//             expect clipboard TEXT (no TEXT: empty) | expect browser ADDRESS |
//             expect file NAME | expect no-file NAME | expect exit CODE
// `type` replaces the edit box's content as a person who selects all and
// types would, through the box's own rules.
#pragma once

#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/sim/desktop.h"

namespace platform::sim {

// "line N: expected ..., saw ..." (UTF-8).
struct ScriptFailure : std::runtime_error {
  ScriptFailure(int line, const std::string& expected, const std::string& saw)
      : std::runtime_error("line " + std::to_string(line) + ": expected " + expected + ", saw " + saw), line(line) {}
  int line;
};

struct ScriptLine {
  int number = 0;
  std::string verb;                // first word
  std::vector<std::string> words;  // the words after the verb (UTF-8, unescaped only for TEXT)
  std::string text;                // TEXT argument, unescaped (UTF-8)
};

class ScriptedUser : public Person {
 public:
  // Parses the script; a malformed line is a ScriptFailure naming it.
  explicit ScriptedUser(const std::string& script_utf8);

  // Reads property INDEX of a unit as the text a check compares with
  // (UTF-8); nullopt when the unit cannot be read now.
  std::function<std::optional<std::string>(std::uint32_t window, std::uint32_t unit, int index)> read_property;
  // The program folder, for `expect file` (UTF-8).
  std::string folder = ".";

  // Applies the clock lines at the top of the script before the program starts.
  void Start(Desktop& desktop);
  void Act(Desktop& desktop, WaitKind wait) override;
  // The program ended with this code: the remaining lines may only be the
  // checks that need no screen.
  void Finish(Desktop& desktop, int exit_code);

  bool finished() const { return position_ >= lines_.size(); }

 private:
  // A check, or a clock or wait line.
  void Check(Desktop& desktop, const ScriptLine& line, std::optional<int> exit_code);
  void Perform(Desktop& desktop, WaitKind wait, const ScriptLine& line);
  WindowHandle Unit(Desktop& desktop, const ScriptLine& line, const std::string& name);

  std::vector<ScriptLine> lines_;
  std::size_t position_ = 0;
  int last_line_ = 0;
};

// The lines of a script, comments and blank lines left out; a malformed line
// is a ScriptFailure naming it. *last_line gets the number of the last line.
std::vector<ScriptLine> ParseScript(const std::string& script_utf8, int* last_line = nullptr);

// Text with the script's escapes resolved.
std::string Unescape(const std::string& text);

}  // namespace platform::sim
