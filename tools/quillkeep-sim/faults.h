// Faults a scenario can ask for, to reach the notebook's paths for failures
// that a single person at one desktop cannot cause.
#pragma once

namespace sim_tool {

// The next change of the access password fails as when rewriting the file
// fails: the engine reports it and leaves the file as it was. Later changes
// go through.
void RefusePasswordChanges();

}  // namespace sim_tool
