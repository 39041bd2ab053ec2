#include "tools/qkdb/args.h"

#include <cstring>

namespace qkdb {
namespace {

struct OptionRule {
  const char* name;
  bool takes_value;
  // The commands that take it, separated by blanks; null for every command.
  const char* commands;
};

// Every command; an option given with one it does not go with is refused.
constexpr const char* kCommands = "info dump check create add set delete purge passwd mkindex index-check import export";

const OptionRule kOptions[] = {
    {"--password-stdin", false, nullptr},
    {"--key-stdin", false, nullptr},
    {"--index", true, "info dump check add set delete purge"},
    {"--force", false, "create mkindex export"},
    {"--truncate", false, "add set"},
    {"--page-size", true, "mkindex"},
    {"--collation", true, "mkindex"},
    {"--text-flags", true, "mkindex"},
    {"--format", true, "import export"},
    {"--encoding", true, "import export"},
    {"-o", true, "export"},
    {"--dry-run", false, "import"},
    {"--skip-invalid", false, "import"},
    {"--cut-remarks", false, "import"},
};

const OptionRule* FindOption(const std::string& arg) {
  for (const OptionRule& option : kOptions)
    if (arg == option.name) return &option;
  return nullptr;
}

bool Lists(const char* commands, const std::string& command) {
  if (commands == nullptr) return true;
  const std::size_t n = command.size();
  for (const char* p = commands; *p != '\0';) {
    const char* end = std::strchr(p, ' ');
    const std::size_t len = end == nullptr ? std::strlen(p) : static_cast<std::size_t>(end - p);
    if (len == n && command.compare(0, n, p, len) == 0) return true;
    p += len + (end == nullptr ? 0 : 1);
  }
  return false;
}

// "--x" is an option; of the one-dash words only the short options are
// (-h, -o), so values such as "-5" and "-infinity" stay values.
bool LooksLikeOption(const std::string& arg) {
  if (arg.size() >= 2 && arg[0] == '-' && arg[1] == '-') return true;
  return arg == "-h" || FindOption(arg) != nullptr;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, Invocation* out, std::string* problem) {
  *out = Invocation{};
  std::vector<const OptionRule*> given;
  bool key = false, password = false, options_ended = false;
  std::vector<std::string> words;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options_ended || !LooksLikeOption(arg)) {
      words.push_back(arg);
      continue;
    }
    if (arg == "--") {
      options_ended = true;
      continue;
    }
    if (arg == "--help" || arg == "-h") {
      out->help = true;
      continue;
    }
    const OptionRule* option = FindOption(arg);
    if (option == nullptr) {
      *problem = "unknown option " + arg + " (a value that starts with - goes after --)";
      return false;
    }
    given.push_back(option);
    if (!option->takes_value) {
      key = key || arg == "--key-stdin";
      password = password || arg == "--password-stdin";
      out->flags.insert(arg);
      continue;
    }
    if (i + 1 >= args.size()) {
      *problem = arg + " needs a value";
      return false;
    }
    const std::string& value = args[++i];
    if (arg == "--index") {
      out->indexes.push_back(value);
    } else if (!out->values.emplace(arg, value).second) {
      *problem = arg + " is given twice";
      return false;
    }
  }
  if (key && password) {
    *problem = "give --key-stdin or --password-stdin, not both";
    return false;
  }
  out->secrets = key ? SecretSource::kKeyStdin : password ? SecretSource::kPasswordStdin : SecretSource::kPrompt;
  if (!words.empty() && words[0] == "help") out->help = true;
  if (out->help) return true;
  if (words.empty()) {
    *problem = "no command given";
    return false;
  }
  out->command = words[0];
  out->operands.assign(words.begin() + 1, words.end());
  for (const OptionRule* option : given) {
    if (Lists(kCommands, out->command) && !Lists(option->commands, out->command)) {
      *problem = std::string(option->name) + " does not go with " + out->command;
      return false;
    }
  }
  return true;
}

}  // namespace qkdb
