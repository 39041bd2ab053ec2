// Where the notebook keeps user.ini and user.vdb on Linux, in this order:
//  1. the executable's folder when user.ini is already there (a portable
//     copy, as on Windows);
//  2. $QUILLKEEP_HOME;
//  3. ~/Quillkeep when it already holds a notebook (where earlier versions,
//     run through Wine, kept it: nobody finds an empty notebook after the
//     switch);
//  4. $XDG_DATA_HOME/quillkeep, or ~/.local/share/quillkeep without it.
// Folders 2 and 4 are made when missing, readable by their owner only.
// Paths are the file system's bytes (UTF-8 on these systems).
#pragma once

#include <functional>
#include <string>

namespace platform {

// `environment` looks a variable up (nothing: unset or empty).
using EnvironmentLookup = std::function<std::string(const char* name)>;

std::string ChooseProgramFolder(const std::string& executable_path, const EnvironmentLookup& environment);

// The same with the process's environment.
std::string LinuxProgramFolder(const std::string& executable_path);

}  // namespace platform
