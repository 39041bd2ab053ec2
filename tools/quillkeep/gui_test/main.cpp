// quillkeep-gui-test: the notebook on the real Win32 window system, with
// the scripted user of quillkeep-sim acting through real window messages.
//
//   quillkeep-gui-test [--transcript] [--refuse-password-change] [--shots DIR] [--timings]
//                      [--program notebook|pieces] --folder DIR SCRIPT
//
// Exit status as quillkeep-sim: the program's own exit code (0, or 255 for
// -1), 3 when the script fails ("line N: expected ..., saw ..." on standard
// error), 2 for a wrong command line or an unreadable script. With --shots,
// the first time each window, the password dialog and the input box is
// seen, the driver asks for a screenshot (see scripts/screenshots). With
// --timings, each wait writes how long the program took to reach it
// (bench/gui-list-fill reads these lines).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/host.h"
#include "platform/system.h"
#include "platform/win32/window_system_win32.h"
#include "tools/quillkeep-sim/arguments.h"
#include "tools/quillkeep-sim/desktop_session.h"
#include "tools/quillkeep-sim/timings.h"
#include "tools/quillkeep/gui_test/gui_user.h"
#include "tools/quillkeep/gui_test/screen.h"
#include "tools/scenario/driver_host.h"
#include "ui/unit_lookup.h"

namespace {

using sim_tool::PathOf;
using sim_tool::Utf8Of;

[[noreturn]] void Usage(const std::string& problem) {
  sim_tool::ExitWithUsage("quillkeep-gui-test", "scenario scripts on the real windows",
                          "usage: quillkeep-gui-test [--transcript] [--refuse-password-change] [--shots DIR] [--timings] "
                          "[--program notebook|pieces] --folder DIR SCRIPT\n",
                          problem);
}

sim_tool::SessionOptions ParseOptions(int argc, char** argv) {
  sim_tool::SessionOptions options;
  if (std::optional<std::string> problem =
          sim_tool::ParseSessionOptions(sim_tool::Utf8Arguments(argc, argv), {"--shots"}, &options, {"--timings"}))
    Usage(*problem);
  if (options.folder.empty() || options.script.empty()) Usage("a session needs --folder DIR and a SCRIPT");
  return options;
}

// Waits `ms` milliseconds without taking messages from the queue. Unlike
// Sleep, a thread waiting this way lets Wine copy what its windows drew to
// the X server, so a picture taken meanwhile shows the whole window.
void WaitShowing(DWORD ms) {
  const DWORD start = ::GetTickCount();
  for (DWORD passed = 0; passed < ms; passed = ::GetTickCount() - start) {
    if (::MsgWaitForMultipleObjects(0, nullptr, FALSE, ms - passed, QS_ALLINPUT) == WAIT_OBJECT_0)
      ::Sleep(1);  // input arrived; it stays queued for the loop
  }
}

// Asks the screenshot script for a picture of `window` and waits (up to ten
// seconds) until it is taken: NAME.request holds the window's screen
// rectangle; the script removes it when NAME.png is written.
void RequestShot(const std::string& folder, const std::string& name, HWND window) {
  // Every window painted now, children too: UpdateWindow paints only the
  // window itself, so a dialog's buttons could still be missing from the
  // picture.
  constexpr UINT kPaintAll = RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW;
  for (platform::WindowHandle frame : ui::LoadedFrames())
    if (::IsWindowVisible(reinterpret_cast<HWND>(frame)))
      ::RedrawWindow(reinterpret_cast<HWND>(frame), nullptr, nullptr, kPaintAll);
  ::RedrawWindow(window, nullptr, nullptr, kPaintAll);
  ::GdiFlush();
  WaitShowing(300);  // let the X server show what was drawn
  RECT r{};
  ::GetWindowRect(window, &r);
  std::filesystem::path request = PathOf(folder) / (name + ".request");
  {
    std::ofstream out(request);
    out << (r.right - r.left) << "x" << (r.bottom - r.top) << "+" << r.left << "+" << r.top << "\n";
  }
  for (int i = 0; i < 200 && std::filesystem::exists(request); ++i) WaitShowing(50);
  std::error_code ignored;
  std::filesystem::remove(request, ignored);
}

// A window is worth a picture once it shows something: its lists have rows
// and, when it has edit boxes, one of them holds text.
bool ShowsContent(HWND frame) {
  bool has_edit = false, edit_filled = false, lists_filled = true;
  for (HWND child = ::GetWindow(frame, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!::IsWindowVisible(child)) continue;
    if (gui_test::IsOurs(child, platform::ControlKind::kListView) &&
        ::SendMessageW(child, LVM_GETITEMCOUNT, 0, 0) == 0)
      lists_filled = false;
    if (gui_test::IsOurs(child, platform::ControlKind::kEdit)) {
      has_edit = true;
      if (::GetWindowTextLengthW(child) > 0) edit_filled = true;
    }
  }
  return lists_filled && (!has_edit || edit_filled);
}

std::string ShotName(scenario::Wait wait, HWND* window) {
  if (std::optional<gui_test::OpenModal> modal = gui_test::FindOpenModal()) {
    *window = modal->window;
    if (modal->kind == scenario::Wait::kPasswordDialog) return "password-dialog";
    if (modal->kind == scenario::Wait::kInputBox) return "input-box";
    return {};
  }
  if (wait != scenario::Wait::kIdle) return {};
  *window = ::GetActiveWindow();
  std::optional<ui::UnitIdentity> unit = ui::IdentifyUnit(reinterpret_cast<platform::WindowHandle>(*window));
  if (!unit || !unit->is_window || !ShowsContent(*window)) return {};
  switch (unit->window) {
    case 0x52010001: return "main-window";
    case 0x52010007: return "init-window";
    case 0x5201005D: return "record-window";
    case 0x52090001: return "pieces-window";
    default: return {};
  }
}

int RunSession(const sim_tool::SessionOptions& options) {
  std::string problem;
  std::optional<sim_tool::SessionInputs> inputs = sim_tool::ReadSessionInputs(options, &problem);
  if (!inputs) Usage(problem);
  const std::filesystem::path& folder = inputs->folder;
  const std::string& script = inputs->script;
  const std::string shots = options.values.count("--shots") ? options.values.at("--shots") : std::string();

  std::optional<gui_test::GuiUser> user;
  try {
    user.emplace(script);
  } catch (const scenario::ScriptFailure& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return scenario::kScriptFailedStatus;
  }
  user->script().folder = Utf8Of(folder);

  scenario::DriverHost host(
      platform::NativeHost(), platform::Utf8ToGbk(Utf8Of(folder / "quillkeep.exe")),
      [&user](int code) { user->Finish(code); }, [](int status) { ::ExitProcess(static_cast<UINT>(status)); });
  platform::InstallHost(&host);
  gui_test::GuiPerson& person = user->person();
  person.set_clock = [&host](platform::LocalTime t) { host.SetClock(t); };
  person.pass_time = [&host](std::uint32_t seconds) { return host.PassTime(seconds); };
  person.opened_addresses = [&host]() -> const std::vector<std::string>& { return host.addresses(); };
  std::set<std::string> shots_taken;
  std::optional<sim_tool::WaitTimings> timings;
  if (options.flags.count("--timings")) {
    timings.emplace(stdout);
    user->after_act = [&timings] { timings->ActionDone(); };
  }
  user->at_wait = [&](scenario::Wait wait) {
    if (timings) timings->AtWait(scenario::WaitName(wait));
    if (options.transcript) std::printf("[%s] %s\n", scenario::WaitName(wait), user->script().DescribeScreen().c_str());
    if (shots.empty()) return;
    HWND window = nullptr;
    std::string name = ShotName(wait, &window);
    if (!name.empty() && shots_taken.insert(name).second) RequestShot(shots, name, window);
  };
  ::SetCurrentDirectoryW(folder.wstring().c_str());

  platform::win32::Win32WindowSystem& system = platform::win32::NativeWindowSystem();
  return sim_tool::RunOnDesktop(system, *user, options);
}

}  // namespace

int main(int argc, char** argv) { return RunSession(ParseOptions(argc, argv)); }
