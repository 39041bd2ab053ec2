// The checks of a scenario script, judged the same way on the simulated
// desktop and on the real windows: each desktop says what its screen shows
// through CheckedScreen, and CheckExpectation compares that with the line.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/host.h"
#include "platform/sim/script.h"

namespace platform::sim {

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
LocalTime ClockOf(const ScriptLine& line);
std::uint32_t SecondsOf(const ScriptLine& line);
// The whole number in word `index` of the line; a ScriptFailure otherwise.
int WholeNumberOf(const ScriptLine& line, std::size_t index);

// Whether a unit name is a hexadecimal id ("0x16010005"); *id gets it, or
// 0 (which no unit has) when the digits are not a 32-bit number.
bool IsUnitIdName(const std::string& name, std::uint32_t* id);

// What the checks read off a screen. Texts are UTF-8; nothing means the
// thing asked about is not showing.
class CheckedScreen {
 public:
  using UnitRef = std::uintptr_t;

  virtual ~CheckedScreen() = default;
  // One line describing the screen, for the "saw" of a failure.
  virtual std::string Describe() = 0;
  virtual std::optional<std::string> MessageBoxText() = 0;
  virtual std::optional<std::string> MessageBoxCaption() = 0;
  virtual std::optional<std::string> InputBoxPrompt() = 0;
  virtual std::optional<std::string> PasswordDialogMessage() = 0;
  virtual std::optional<std::string> ActiveWindowCaption() = 0;
  virtual std::optional<std::string> ClipboardText() = 0;
  virtual std::optional<std::string> LastOpenedAddress() = 0;
  // A unit by name (the active window's first) or hexadecimal id "0x...".
  virtual std::optional<UnitRef> FindUnit(const std::string& name) = 0;
  virtual std::optional<std::string> UnitProperty(UnitRef unit, int index) = 0;
  virtual int ListRows(UnitRef unit) = 0;
  virtual std::string ListCell(UnitRef unit, int row, int column) = 0;  // "" outside the list
};

// Judges an `expect` line; throws ScriptFailure when it does not hold.
// `exit_code` is the program's once it ended; `folder` (UTF-8) is where
// `expect file` looks.
void CheckExpectation(const ScriptLine& line, std::optional<int> exit_code, const std::string& folder,
                      CheckedScreen& screen);

}  // namespace platform::sim
