// The command line as UTF-8 words, on every platform (Windows hands the
// program its words in UTF-16 there).
#pragma once

#include <string>
#include <vector>

namespace sim_tool {

std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes a Windows console show the UTF-8 the tool writes; nothing elsewhere.
void UseUtf8Console();

}  // namespace sim_tool
