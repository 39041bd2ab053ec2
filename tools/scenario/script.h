// The scenario language: scripts that act as the person in front of the
// notebook and check what that person sees. One reading for every desktop;
// dispatcher.h says how a script is played.
//
// Script lines (UTF-8; '#' starts a comment line; TEXT is the rest of the
// line with the escapes \r \n \t \s (space) and \\; UNIT is a unit name,
// looked up in the active window first, or a hexadecimal id as 0x16010005):
//   actions:  type UNIT TEXT | click UNIT | key Tab|Shift+Tab|Enter|Esc|Shift+F10|Apps |
//             close | select UNIT ROW | dclick UNIT ROW | header UNIT COLUMN |
//             hover UNIT ROW | check UNIT ROW | rename UNIT ROW TEXT |
//             spin UNIT up|down |
//             rclick UNIT | drag UNIT DX DY | menu CAPTION |
//             answer OK|Cancel|Yes|No|Abort|Retry|Ignore | input TEXT | cancel
//   setup:    clock YYYY-MM-DD HH:MM:SS | wait SECONDS (the clock moves on;
//             what falls due meanwhile, as clearing the clipboard or the
//             lock when away, happens) | lock-session (the desktop session
//             locks, as when the person locks the screen)
//   checks:   expect box TEXT | expect box-caption TEXT | expect prompt TEXT |
//             expect password-prompt | expect password-retry N |
//             expect window CAPTION | expect prop UNIT INDEX VALUE |
//             expect rows UNIT N | expect cell UNIT ROW COL TEXT |
//             expect least-height UNIT |
//             expect pixel UNIT X Y RRGGBB|system |
//             expect clipboard TEXT (no TEXT: empty) | expect browser ADDRESS |
//             expect file NAME | expect no-file NAME | expect exit CODE
// `type` replaces the edit box's content as a person who selects all and
// types would, through the box's own rules: a line break (\r\n, or a lone
// \n or \r) is one Enter, and a character that code page 936 lacks is
// refused, as the desktop refuses it (`input` likewise). `key Apps` is the
// menu key. `dclick` double-clicks a row of a list; `header` clicks the
// title of a column of a list in report view; `hover` moves the mouse onto
// a row; `check` clicks a row's check box; `rename` edits a row's caption:
// when the program lets the edit start, TEXT is typed and Enter confirms it.
// `expect least-height` holds when a single-line edit box is exactly as tall
// as a line of its font and two edges, as the desktop measures them.
// `expect pixel` reads the colour a person sees at X, Y of the unit's (or
// window's) client area, in the template's pixels: RRGGBB in hexadecimal, or
// `system` for the desktop's own window face colour; a point outside the
// client area fails.
// `spin` presses the upper (up) or lower (down) half of an edit box's spin
// control, and is refused when the box has none.
// `drag` presses the left button on a unit (on a window, named by its unit
// id, on a part of its client area no unit covers), moves the mouse DX, DY
// pixels (-10000 to 10000) and lets go there.
#pragma once

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/host.h"

namespace scenario {

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

// The lines of a script, comments and blank lines left out; a malformed line
// is a ScriptFailure naming it. *last_line gets the number of the last line.
std::vector<ScriptLine> ParseScript(const std::string& script_utf8, int* last_line = nullptr);

// Text with the script's escapes resolved.
std::string Unescape(const std::string& text);

std::string Quote(const std::string& utf8);

// A person's action (type, click, ...); every other line is a check or
// a setting of the clock.
bool IsAction(const ScriptLine& line);
// Lines that need no screen, so they can still be judged after the
// program ended: clock, wait, and the exit, file, clipboard and browser
// checks.
bool NeedsNoScreen(const ScriptLine& line);

// The time of a `clock` line and the seconds of a `wait` line; a
// ScriptFailure when the words are not one.
platform::LocalTime ClockOf(const ScriptLine& line);
std::uint32_t SecondsOf(const ScriptLine& line);
// The whole number in word `index` of the line; a ScriptFailure otherwise.
int WholeNumberOf(const ScriptLine& line, std::size_t index);

// The pixels of a mouse movement in word `index` of the line, from
// -kLongestDistance to kLongestDistance; a ScriptFailure otherwise.
inline constexpr int kLongestDistance = 10000;
int DistanceOf(const ScriptLine& line, std::size_t index);

// Whether a unit name is a hexadecimal id ("0x16010005"); *id gets it, or
// 0 (which no unit has) when the digits are not a 32-bit number.
bool IsUnitIdName(const std::string& name, std::uint32_t* id);

// The buttons of `answer` and the keys of `key`, by the names scripts use;
// nothing for another name.
std::optional<platform::BoxAnswer> ButtonNamed(const std::string& name);
const char* ButtonName(platform::BoxAnswer answer);
std::optional<int> KeyNamed(const std::string& name);  // platform::key codes with modifiers

// A text as a person types it into a box that keeps GBK: the characters
// code page 936 holds, in GBK, and those it lacks (UTF-8, in order), which
// the box refuses. Line breaks come as one "\r\n" each (one Enter).
struct TypedText {
  std::string gbk;
  std::vector<std::string> refused;
};
TypedText TypeableText(const std::string& utf8);
// "😀 U+1F600, 가 U+AC00" for the refused characters (UTF-8).
std::string DescribeRefused(const std::vector<std::string>& refused);

}  // namespace scenario
