// What the two scenario drivers (quillkeep-sim on the simulated desktop,
// quillkeep-gui-test on the real windows) share: the command line as UTF-8
// words, the options both take, the script file and the program folder.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace sim_tool {

std::vector<std::string> Utf8Arguments(int argc, char** argv);

// The exit status of a driver whose command line is wrong.
inline constexpr int kUsageStatus = 2;

// Ends the driver with kUsageStatus after writing "TOOL: PROBLEM" (what the
// tool is for, `purpose`, when the problem is "--help") and the `usage`
// lines to standard error.
[[noreturn]] void ExitWithUsage(const char* tool, const char* purpose, const char* usage, const std::string& problem);

// Makes a Windows console show the UTF-8 the tool writes; nothing elsewhere.
void UseUtf8Console();

struct SessionOptions {
  std::string folder;  // UTF-8
  std::string script;  // UTF-8
  bool transcript = false;
  bool refuse_password_change = false;
  // --program pieces: the pieces program (tools/scenario/pieces) runs
  // instead of the notebook (--program notebook, the default).
  bool pieces_program = false;
  // The tool's own options that take a value (those named to the parser).
  std::map<std::string, std::string> values;
  // The tool's own options without a value that were given.
  std::set<std::string> flags;
};

// Reads --folder DIR, --transcript, --refuse-password-change, --program NAME, one SCRIPT,
// the options in `value_options`, each with the word after it as its
// value, and those in `flag_options`. Returns what is wrong with the words ("--help" for a request for
// help), or nothing; whether a session has both folder and script is for
// the caller to judge.
std::optional<std::string> ParseSessionOptions(const std::vector<std::string>& words,
                                               const std::vector<std::string>& value_options, SessionOptions* options,
                                               const std::vector<std::string>& flag_options = {});

std::filesystem::path PathOf(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

// What a session starts from: the program folder (absolute, created when
// missing) and the script's text (without a leading byte-order mark, as
// some Windows editors write). Nothing, with the problem in *problem, when
// the folder cannot be made or the script cannot be read.
struct SessionInputs {
  std::filesystem::path folder;
  std::string script;
};
std::optional<SessionInputs> ReadSessionInputs(const SessionOptions& options, std::string* problem);

}  // namespace sim_tool
