// The command line as UTF-8 words, on every platform (Windows hands the
// program its words in UTF-16 there).
#pragma once

#include <string>
#include <vector>

namespace sim_tool {

std::vector<std::string> Utf8Arguments(int argc, char** argv);

}  // namespace sim_tool
