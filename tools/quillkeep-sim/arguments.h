// What the two scenario drivers (quillkeep-sim on the simulated desktop,
// quillkeep-gui-test on the real windows) share: the command line as UTF-8
// words, the options both take, the script file and the program folder.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace sim_tool {

std::vector<std::string> Utf8Arguments(int argc, char** argv);

// Makes a Windows console show the UTF-8 the tool writes; nothing elsewhere.
void UseUtf8Console();

struct SessionOptions {
  std::string folder;  // UTF-8
  std::string script;  // UTF-8
  bool transcript = false;
  bool refuse_password_change = false;
  // The tool's own options that take a value (those named to the parser).
  std::map<std::string, std::string> values;
};

// Reads --folder DIR, --transcript, --refuse-password-change, one SCRIPT,
// and the options in `value_options`, each with the word after it as its
// value. Returns what is wrong with the words ("--help" for a request for
// help), or nothing; whether a session has both folder and script is for
// the caller to judge.
std::optional<std::string> ParseSessionOptions(const std::vector<std::string>& words,
                                               const std::vector<std::string>& value_options, SessionOptions* options);

std::filesystem::path PathOf(const std::string& utf8);
std::string Utf8Of(const std::filesystem::path& path);

// The script's text without a leading byte-order mark (some Windows
// editors write one); nothing when the file cannot be read.
std::optional<std::string> ReadScript(const std::string& utf8_path);

// The program folder as an absolute path, created when missing; nothing
// when it cannot be resolved or made.
std::optional<std::filesystem::path> PrepareFolder(const std::string& utf8_path);

}  // namespace sim_tool
