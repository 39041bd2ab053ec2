// qkdb's command line: one run of the tool, from its arguments to its exit
// code. main.cpp only gathers the arguments; tests and the fuzz targets
// call the library directly.
#pragma once

#include <string>
#include <vector>

namespace qkdb {

// Runs one command line (the arguments after the program name, UTF-8) and
// returns the exit code: 0 success, 1 failure, 2 a usage error.
int Run(std::vector<std::string> args);

}  // namespace qkdb
