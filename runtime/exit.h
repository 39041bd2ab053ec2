// Ending the program: exit handlers, library release, process end.
#pragma once

#include "runtime/program.h"

namespace rt {

// Appends a handler to the exit list unless it is already there.
void RegisterExitHandler(Handler handler);

// The whole exit sequence, then the process ends with the code.
[[noreturn]] void ExitProgram(int code);

// Steps of the exit sequence that also run when the start routine returns
// normally: windows released, exit handlers, libraries notified, constant
// segment forgotten, the hidden owner window destroyed, OLE uninitialised
// when start-up initialised it. Does not end the process.
void RunExitSteps();

}  // namespace rt
