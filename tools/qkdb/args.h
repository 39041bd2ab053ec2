// qkdb's command line: the command, its operands and the options, which
// may stand anywhere before "--". Each option says which commands take it,
// so a misplaced one is a usage error instead of being ignored.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "tools/qkdb/secrets.h"

namespace qkdb {

struct Invocation {
  bool help = false;                    // --help, -h or the command "help"
  std::string command;                  // "dump", "add", ...
  std::vector<std::string> operands;    // in order, UTF-8
  SecretSource secrets = SecretSource::kPrompt;
  std::vector<std::string> indexes;     // --index names, UTF-8, in order
  std::map<std::string, std::string> values;  // options with a value ("--page-size" -> "1024")
  std::set<std::string> flags;                // options without one ("--force")

  bool has(const char* flag) const { return flags.count(flag) != 0; }
  // The option's value, or `fallback` when it was not given.
  std::string value(const char* option, const std::string& fallback = std::string()) const {
    auto it = values.find(option);
    return it == values.end() ? fallback : it->second;
  }
};

// Reads the arguments (UTF-8, without the program name). False with a
// complaint for a usage error.
bool ParseCommandLine(const std::vector<std::string>& args, Invocation* out, std::string* problem);

}  // namespace qkdb
