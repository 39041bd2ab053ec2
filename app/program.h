// The notebook as a program for the runtime: its header (handler table,
// template block) and its start routine.
#pragma once

#include "runtime/program.h"

namespace app {

const rt::ProgramHeader& ProgramHeader();

// Runs the notebook: start-up, main window, message loop; never returns.
[[noreturn]] void RunNotebook();

}  // namespace app
