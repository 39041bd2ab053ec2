// qkdb's command line: one run of the tool, from its arguments to its exit
// code. main.cpp only gathers the arguments; tests, the fuzz targets and
// the benchmarks call the library directly.
#pragma once

#include <string>
#include <vector>

namespace qkdb {

class Console;

// Runs one command line (the arguments after the program name, UTF-8)
// against the console and returns the exit code: 0 success, 1 failure, 2 a
// usage error. Every database it opened is closed again.
int Run(const std::vector<std::string>& args, Console& console);

}  // namespace qkdb
