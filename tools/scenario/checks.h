// The `expect` lines of a script, judged against what a screen shows.
#pragma once

#include <optional>
#include <string>

#include "tools/scenario/screen.h"
#include "tools/scenario/script.h"

namespace scenario {

// Judges an `expect` line; throws ScriptFailure when it does not hold.
// `exit_code` is the program's once it ended; `folder` (UTF-8) is where
// `expect file` looks.
void CheckExpectation(const ScriptLine& line, std::optional<int> exit_code, const std::string& folder, Screen& screen);

}  // namespace scenario
