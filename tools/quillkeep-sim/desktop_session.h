// How a scenario driver on a real desktop (Win32 or Qt) hands over to the
// program, once its person is made: the desktop is installed with the
// person acting each time a message loop runs dry, then the window runtime
// and the faults the options ask for; the person reads its script's first
// lines, and the program the options name runs until it ends the process
// through the host.
#pragma once

#include <cstdio>

#include "app/program.h"
#include "platform/window_system.h"
#include "tools/quillkeep-sim/arguments.h"
#include "tools/quillkeep-sim/faults.h"
#include "tools/scenario/driver_host.h"
#include "tools/scenario/pieces/pieces_program.h"
#include "tools/scenario/script.h"
#include "ui/runtime_api.h"

namespace sim_tool {

// Returns only when the script's first lines fail: kScriptFailedStatus,
// with the failure on standard error.
template <typename Desktop, typename Person>
int RunOnDesktop(Desktop& desktop, Person& person, const SessionOptions& options) {
  platform::InstallWindowSystem(&desktop);
  desktop.SetIdleHook([](void* context) { static_cast<Person*>(context)->OnIdle(); }, &person);
  ui::InstallWindowRuntime();
  if (options.refuse_password_change) RefusePasswordChanges();
  try {
    person.Start();
  } catch (const scenario::ScriptFailure& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return scenario::kScriptFailedStatus;
  }
  if (options.pieces_program) scenario::RunPiecesProgram();
  app::RunNotebook();
}

}  // namespace sim_tool
