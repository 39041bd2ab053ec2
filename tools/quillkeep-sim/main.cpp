// quillkeep-sim: the notebook on the simulated desktop, driven by a scenario
// script.
//
//   quillkeep-sim [--transcript] --folder DIR SCRIPT
//   quillkeep-sim --write-templates FILE
//
// --refuse-password-change (for the scenario suite) makes the engine refuse
// the session's first change of the access password, as when rewriting the
// file fails.
//
// DIR is the program folder (user.ini and the database live there; it is
// created when missing). The exit status is the program's own exit code
// (0, or 255 for -1), 3 when the script fails ("line N: expected ..., saw
// ..." on standard error) and 2 for a wrong command line or an unreadable
// script.
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <system_error>

#include "app/forms/template_block.h"
#include "app/program.h"
#include "platform/host.h"
#include "platform/sim/desktop.h"
#include "platform/sim/script.h"
#include "platform/system.h"
#include "tools/quillkeep-sim/arguments.h"
#include "tools/quillkeep-sim/faults.h"
#include "tools/quillkeep-sim/transcript.h"
#include "ui/property_text.h"
#include "ui/runtime_api.h"

namespace {

constexpr int kScriptFailed = 3;
constexpr int kUsage = 2;

struct Options {
  std::string folder;  // UTF-8
  std::string script;  // UTF-8
  std::string templates_file;
  bool transcript = false;
  bool refuse_password_change = false;
};

std::filesystem::path PathOf(const std::string& utf8) { return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())); }

std::string Utf8Of(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

[[noreturn]] void Usage(const char* problem) {
  std::fprintf(stderr, "quillkeep-sim: %s\n", problem);
  std::fputs(
      "usage: quillkeep-sim [--transcript] [--refuse-password-change] --folder DIR SCRIPT\n"
      "       quillkeep-sim --write-templates FILE\n",
      stderr);
  std::exit(kUsage);
}

Options ParseOptions(int argc, char** argv) {
  Options options;
  std::vector<std::string> words = sim_tool::Utf8Arguments(argc, argv);
  for (std::size_t i = 0; i < words.size(); ++i) {
    const std::string& word = words[i];
    auto value = [&](const char* name) -> std::string {
      if (i + 1 >= words.size()) Usage((std::string(name) + " needs a value").c_str());
      return words[++i];
    };
    if (word == "--folder") options.folder = value("--folder");
    else if (word == "--write-templates") options.templates_file = value("--write-templates");
    else if (word == "--transcript") options.transcript = true;
    else if (word == "--refuse-password-change") options.refuse_password_change = true;
    else if (word == "--help" || word == "-h") Usage("scripted sessions of the notebook");
    else if (!word.empty() && word[0] == '-') Usage(("unknown option " + word).c_str());
    else if (options.script.empty()) options.script = word;
    else Usage("more than one script");
  }
  if (options.templates_file.empty() && (options.folder.empty() || options.script.empty()))
    Usage("a session needs --folder DIR and a SCRIPT");
  if (options.folder.empty() != options.script.empty()) Usage("a session needs both --folder DIR and a SCRIPT");
  return options;
}

bool WriteTemplates(const std::string& file) {
  std::span<const std::uint8_t> block = app::forms::TemplateBlock();
  std::ofstream out(PathOf(file), std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size()));
  return static_cast<bool>(out.flush());
}

std::optional<std::string> ReadScript(const std::string& file) {
  std::ifstream in(PathOf(file), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream text;
  text << in.rdbuf();
  std::string script = text.str();
  // A byte-order mark, as some Windows editors write, is not part of line 1.
  if (script.rfind("\xEF\xBB\xBF", 0) == 0) script.erase(0, 3);
  return script;
}

// A failed script stops the program wherever it stood; nothing of that
// half-run session is worth releasing, so the process ends at once.
[[noreturn]] void ScriptFailed(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(stderr);
  std::_Exit(kScriptFailed);
}

int RunSession(const Options& options) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(PathOf(options.folder), error);
  if (error) Usage("the folder cannot be resolved");
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder)) Usage("the folder cannot be created");
  std::optional<std::string> script = ReadScript(options.script);
  if (!script) Usage(("cannot read the script " + options.script).c_str());

  std::optional<platform::sim::ScriptedUser> user;
  try {
    user.emplace(*script);
  } catch (const platform::sim::ScriptFailure& failure) {
    ScriptFailed(failure.what());
  }
  user->folder = Utf8Of(folder);
  user->read_property = [](std::uint32_t window, std::uint32_t unit, int index) {
    return ui::PropertyText(window, unit, index);
  };

  platform::sim::ScopedDesktop desktop;
  // The program seems to lie in the folder, so its settings and database do.
  desktop->SetProgramPath(platform::Utf8ToGbk(Utf8Of(folder / "quillkeep.exe")));
  sim_tool::Transcript transcript(stdout);
  sim_tool::TranscribingPerson transcribing(transcript, *user, platform::sim::ParseScript(*script));
  desktop->set_person(options.transcript ? static_cast<platform::sim::Person*>(&transcribing) : &*user);
  ui::InstallWindowRuntime();
  if (options.refuse_password_change) sim_tool::RefusePasswordChanges();

  int exit_code = 0;
  try {
    user->Start(*desktop);
    app::RunNotebook();
  } catch (const platform::ProcessExit& exit) {
    exit_code = exit.code;
  } catch (const platform::sim::ScriptFailure& failure) {
    ScriptFailed(failure.what());
  } catch (const std::exception& unexpected) {
    ScriptFailed(std::string("the session stopped: ") + unexpected.what());
  }
  desktop->set_person(nullptr);
  if (options.transcript) transcript.AtExit(*desktop, exit_code);
  try {
    user->Finish(*desktop, exit_code);
  } catch (const platform::sim::ScriptFailure& failure) {
    ScriptFailed(failure.what());
  }
  return exit_code & 0xFF;
}

}  // namespace

int main(int argc, char** argv) {
  sim_tool::UseUtf8Console();
  Options options = ParseOptions(argc, argv);
  if (!options.templates_file.empty() && !WriteTemplates(options.templates_file)) {
    std::fprintf(stderr, "quillkeep-sim: cannot write %s\n", options.templates_file.c_str());
    return 1;
  }
  if (options.script.empty()) return 0;
  return RunSession(options);
}
