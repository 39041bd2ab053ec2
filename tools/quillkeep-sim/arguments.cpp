#include "tools/quillkeep-sim/arguments.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>


#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace sim_tool {

#ifdef _WIN32
std::vector<std::string> Utf8Arguments(int, char**) {
  std::vector<std::string> words;
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) return words;
  for (int i = 1; i < count; ++i) {
    int bytes = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
    std::string word(bytes > 0 ? static_cast<std::size_t>(bytes) : 1, '\0');
    if (bytes > 0) WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, word.data(), bytes, nullptr, nullptr);
    word.resize(word.size() - 1);  // the terminator
    words.push_back(std::move(word));
  }
  LocalFree(wide);
  return words;
}

void UseUtf8Console() { SetConsoleOutputCP(CP_UTF8); }
#else
std::vector<std::string> Utf8Arguments(int argc, char** argv) { return std::vector<std::string>(argv + 1, argv + argc); }

void UseUtf8Console() {}
#endif

void ExitWithUsage(const char* tool, const char* purpose, const char* usage, const std::string& problem) {
  std::fprintf(stderr, "%s: %s\n", tool, problem == "--help" ? purpose : problem.c_str());
  std::fputs(usage, stderr);
  std::exit(kUsageStatus);
}

std::optional<std::string> ParseSessionOptions(const std::vector<std::string>& words,
                                               const std::vector<std::string>& value_options, SessionOptions* options,
                                               const std::vector<std::string>& flag_options) {
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    const bool takes_value =
        word == "--folder" || std::find(value_options.begin(), value_options.end(), word) != value_options.end();
    if (takes_value) {
      if (i + 1 >= words.size()) return word + " needs a value";
      (word == "--folder" ? options->folder : options->values[word]) = words[++i];
    } else if (word == "--program") {
      if (i + 1 >= words.size()) return word + " needs a value";
      const std::string& name = words[++i];
      if (name != "notebook" && name != "pieces") return "no program named " + name + " (notebook or pieces)";
      options->pieces_program = name == "pieces";
    } else if (std::find(flag_options.begin(), flag_options.end(), word) != flag_options.end()) {
      options->flags.insert(word);
    } else if (word == "--transcript") {
      options->transcript = true;
    } else if (word == "--refuse-password-change") {
      options->refuse_password_change = true;
    } else if (word == "--help" || word == "-h") {
      return std::string("--help");
    } else if (!word.empty() && word[0] == '-') {
      return "unknown option " + word;
    } else if (options->script.empty()) {
      options->script = word;
    } else {
      return std::string("more than one script");
    }
  }
  return std::nullopt;
}

std::filesystem::path PathOf(const std::string& utf8) { return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8Of(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

namespace {

std::optional<std::string> ReadScript(const std::string& utf8_path) {
  std::ifstream in(PathOf(utf8_path), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  if (in.bad()) return std::nullopt;
  std::string script = text.str();
  if (script.rfind("\xEF\xBB\xBF", 0) == 0) script.erase(0, 3);
  return script;
}

std::optional<std::filesystem::path> PrepareFolder(const std::string& utf8_path) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(PathOf(utf8_path), error);
  if (error) return std::nullopt;
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder, error)) return std::nullopt;
  return folder;
}

}  // namespace

std::optional<SessionInputs> ReadSessionInputs(const SessionOptions& options, std::string* problem) {
  SessionInputs inputs;
  std::optional<std::filesystem::path> folder = PrepareFolder(options.folder);
  if (!folder) {
    *problem = "the folder cannot be resolved or created: " + options.folder;
    return std::nullopt;
  }
  inputs.folder = std::move(*folder);
  std::optional<std::string> script = ReadScript(options.script);
  if (!script) {
    *problem = "cannot read the script " + options.script;
    return std::nullopt;
  }
  inputs.script = std::move(*script);
  return inputs;
}

}  // namespace sim_tool
