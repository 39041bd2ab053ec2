// quillkeep-sim: the notebook on the simulated desktop, driven by a scenario
// script.
//
//   quillkeep-sim [--transcript] [--program notebook|pieces] --folder DIR SCRIPT
//   quillkeep-sim --write-templates FILE
//
// --program pieces runs the pieces program (tools/scenario/pieces) instead
// of the notebook. --refuse-password-change (for the scenario suite) makes the engine refuse
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
#include <string>

#include "app/forms/template_block.h"
#include "app/program.h"
#include "tools/scenario/pieces/pieces_program.h"
#include "platform/host.h"
#include "platform/sim/desktop.h"
#include "platform/system.h"
#include "tools/quillkeep-sim/arguments.h"
#include "tools/quillkeep-sim/faults.h"
#include "tools/quillkeep-sim/transcript.h"
#include "tools/scenario/driver_host.h"
#include "tools/scenario/sim_person.h"
#include "ui/runtime_api.h"

namespace {

using sim_tool::PathOf;
using sim_tool::Utf8Of;

[[noreturn]] void Usage(const std::string& problem) {
  sim_tool::ExitWithUsage(
      "quillkeep-sim", "scripted sessions of the notebook",
      "usage: quillkeep-sim [--transcript] [--refuse-password-change] [--program notebook|pieces] --folder DIR SCRIPT\n"
      "       quillkeep-sim --write-templates FILE\n",
      problem);
}

sim_tool::SessionOptions ParseOptions(int argc, char** argv) {
  sim_tool::SessionOptions options;
  if (std::optional<std::string> problem =
          sim_tool::ParseSessionOptions(sim_tool::Utf8Arguments(argc, argv), {"--write-templates"}, &options))
    Usage(*problem);
  if (!options.values.count("--write-templates") && (options.folder.empty() || options.script.empty()))
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

// A failed script stops the program wherever it stood; nothing of that
// half-run session is worth releasing, so the process ends at once.
[[noreturn]] void ScriptFailed(const std::string& message) {
  std::fflush(stdout);
  std::fprintf(stderr, "%s\n", message.c_str());
  std::fflush(stderr);
  std::_Exit(scenario::kScriptFailedStatus);
}

int RunSession(const sim_tool::SessionOptions& options) {
  std::string problem;
  std::optional<sim_tool::SessionInputs> inputs = sim_tool::ReadSessionInputs(options, &problem);
  if (!inputs) Usage(problem);
  const std::filesystem::path& folder = inputs->folder;
  const std::string& script = inputs->script;

  std::optional<scenario::SimScriptedUser> user;
  try {
    user.emplace(script);
  } catch (const scenario::ScriptFailure& failure) {
    ScriptFailed(failure.what());
  }
  user->script().folder = Utf8Of(folder);

  platform::sim::ScopedDesktop desktop;
  // The program seems to lie in the folder, so its settings and database do.
  desktop->SetProgramPath(platform::Utf8ToGbk(Utf8Of(folder / "quillkeep.exe")));
  sim_tool::Transcript transcript(stdout);
  if (options.transcript) {
    user->at_wait = [&](platform::sim::WaitKind wait) { transcript.AtWait(*desktop, wait); };
    user->after_action = [&](const scenario::ScriptLine& line, const std::vector<std::string>& refused) {
      transcript.Action(line, refused);
    };
  }
  desktop->set_person(&*user);
  ui::InstallWindowRuntime();
  if (options.refuse_password_change) sim_tool::RefusePasswordChanges();

  int exit_code = 0;
  try {
    user->Start(*desktop);
    if (options.pieces_program) scenario::RunPiecesProgram();
    app::RunNotebook();
  } catch (const platform::ProcessExit& exit) {
    exit_code = exit.code;
  } catch (const scenario::ScriptFailure& failure) {
    ScriptFailed(failure.what());
  } catch (const std::exception& unexpected) {
    ScriptFailed(std::string("the session stopped: ") + unexpected.what());
  }
  desktop->set_person(nullptr);
  const std::string runtime_error = exit_code == -1 ? scenario::RuntimeErrorLine() : std::string();
  if (!runtime_error.empty()) std::fprintf(stderr, "quillkeep-sim: %s\n", runtime_error.c_str());
  if (options.transcript) transcript.AtExit(*desktop, exit_code, runtime_error);
  try {
    user->Finish(*desktop, exit_code);
  } catch (const scenario::ScriptFailure& failure) {
    ScriptFailed(failure.what());
  }
  return exit_code & 0xFF;
}

}  // namespace

int main(int argc, char** argv) {
  sim_tool::UseUtf8Console();
  sim_tool::SessionOptions options = ParseOptions(argc, argv);
  auto templates = options.values.find("--write-templates");
  if (templates != options.values.end() && !WriteTemplates(templates->second)) {
    std::fprintf(stderr, "quillkeep-sim: cannot write %s\n", templates->second.c_str());
    return 1;
  }
  if (options.script.empty()) return 0;
  return RunSession(options);
}
