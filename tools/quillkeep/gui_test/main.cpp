// quillkeep-gui-test: the notebook on the real Win32 window system, with
// the scripted user of quillkeep-sim acting through real window messages.
//
//   quillkeep-gui-test [--transcript] [--refuse-password-change] [--shots DIR]
//                      --folder DIR SCRIPT
//
// Exit status as quillkeep-sim: the program's own exit code (0, or 255 for
// -1), 3 when the script fails ("line N: expected ..., saw ..." on standard
// error), 2 for a wrong command line or an unreadable script. With --shots,
// the first time each window, the password dialog and the input box is
// seen, the driver asks for a screenshot (see scripts/screenshots).
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "app/program.h"
#include "platform/host.h"
#include "platform/system.h"
#include "platform/win32/window_system_win32.h"
#include "tools/quillkeep-sim/arguments.h"
#include "tools/quillkeep-sim/faults.h"
#include "tools/quillkeep/gui_test/gui_user.h"
#include "tools/quillkeep/gui_test/screen.h"
#include "ui/property_text.h"
#include "ui/runtime_api.h"

namespace {

constexpr int kScriptFailed = 3;
constexpr int kUsage = 2;

struct Options {
  std::string folder, script, shots;  // UTF-8
  bool transcript = false;
  bool refuse_password_change = false;
};

std::filesystem::path PathOf(const std::string& utf8) { return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())); }
std::string Utf8Of(const std::filesystem::path& path) {
  std::u8string text = path.u8string();
  return std::string(text.begin(), text.end());
}

[[noreturn]] void Usage(const char* problem) {
  std::fprintf(stderr, "quillkeep-gui-test: %s\nusage: quillkeep-gui-test [--transcript] [--refuse-password-change] [--shots DIR] --folder DIR SCRIPT\n",
               problem);
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
    else if (word == "--shots") options.shots = value("--shots");
    else if (word == "--transcript") options.transcript = true;
    else if (word == "--refuse-password-change") options.refuse_password_change = true;
    else if (!word.empty() && word[0] == '-') Usage(("unknown option " + word).c_str());
    else if (options.script.empty()) options.script = word;
    else Usage("more than one script");
  }
  if (options.folder.empty() || options.script.empty()) Usage("a session needs --folder DIR and a SCRIPT");
  return options;
}

// The real boxes and dialogs of the native host; a clock the script sets;
// web addresses noted instead of handed to a browser; the program folder
// the script names; and the end of the program reported to the driver.
class GuiTestHost final : public platform::Host {
 public:
  GuiTestHost(platform::Host& native, std::string program_path, gui_test::GuiUser& user)
      : native_(native), program_path_(std::move(program_path)), user_(user) {}

  platform::BoxAnswer ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags,
                                     platform::WindowHandle owner) override {
    return native_.ShowMessageBox(text, caption, flags, owner);
  }
  [[noreturn]] void EndProcess(int code) override {
    int status = code & 0xFF;
    try {
      user_.Finish(code);
    } catch (const platform::sim::ScriptFailure& failure) {
      std::fprintf(stderr, "%s\n", failure.what());
      status = kScriptFailed;
    }
    std::fflush(stdout);
    std::fflush(stderr);
    ::ExitProcess(static_cast<UINT>(status));
  }
  std::uint32_t TickCount() override { return ::GetTickCount(); }
  platform::BoxAnswer ShowPasswordDialog(const platform::PasswordDialogTexts& texts, std::string* typed) override {
    return native_.ShowPasswordDialog(texts, typed);
  }
  platform::BoxAnswer ShowInputBox(const platform::InputBoxRequest& request, std::string* entered) override {
    return native_.ShowInputBox(request, entered);
  }
  bool SetClipboardText(const std::string& text) override { return native_.SetClipboardText(text); }
  bool ClearClipboardIfOurs() override { return native_.ClearClipboardIfOurs(); }
  void ScheduleClipboardClear(std::uint32_t seconds) override { native_.ScheduleClipboardClear(seconds); }
  bool OpenWebAddress(const std::string& address) override {
    addresses_.push_back(address);
    return true;
  }
  platform::LocalTime LocalNow() override { return clock_ ? *clock_ : native_.LocalNow(); }
  std::string ProgramPath() override { return program_path_; }

  void SetClock(const platform::LocalTime& now) { clock_ = now; }
  const std::vector<std::string>& addresses() const { return addresses_; }

 private:
  platform::Host& native_;
  std::string program_path_;  // GBK
  gui_test::GuiUser& user_;
  std::optional<platform::LocalTime> clock_;
  std::vector<std::string> addresses_;
};

// Asks the screenshot script for a picture of `window` and waits (up to ten
// seconds) until it is taken: NAME.request holds the window's screen
// rectangle; the script removes it when NAME.png is written.
void RequestShot(const std::string& folder, const std::string& name, HWND window) {
  for (HWND frame : gui_test::VisibleFrames()) ::UpdateWindow(frame);
  ::UpdateWindow(window);
  ::GdiFlush();
  ::Sleep(300);  // let the X server show what was drawn
  RECT r{};
  ::GetWindowRect(window, &r);
  std::filesystem::path request = PathOf(folder) / (name + ".request");
  {
    std::ofstream out(request);
    out << (r.right - r.left) << "x" << (r.bottom - r.top) << "+" << r.left << "+" << r.top << "\n";
  }
  for (int i = 0; i < 200 && std::filesystem::exists(request); ++i) ::Sleep(50);
  std::error_code ignored;
  std::filesystem::remove(request, ignored);
}

// A window is worth a picture once it shows something: its lists have rows
// and, when it has edit boxes, one of them holds text.
bool ShowsContent(HWND frame) {
  bool has_edit = false, edit_filled = false, lists_filled = true;
  for (HWND child = ::GetWindow(frame, GW_CHILD); child != nullptr; child = ::GetWindow(child, GW_HWNDNEXT)) {
    if (!::IsWindowVisible(child)) continue;
    if (gui_test::IsOurs(child, static_cast<int>(platform::ControlKind::kListView)) &&
        ::SendMessageW(child, LVM_GETITEMCOUNT, 0, 0) == 0)
      lists_filled = false;
    if (gui_test::IsOurs(child, static_cast<int>(platform::ControlKind::kEdit))) {
      has_edit = true;
      if (::GetWindowTextLengthW(child) > 0) edit_filled = true;
    }
  }
  return lists_filled && (!has_edit || edit_filled);
}

std::string ShotName(gui_test::Wait wait, HWND* window) {
  if (std::optional<gui_test::OpenModal> modal = gui_test::FindOpenModal()) {
    *window = modal->window;
    if (modal->kind == gui_test::Wait::kPasswordDialog) return "password-dialog";
    if (modal->kind == gui_test::Wait::kInputBox) return "input-box";
    return {};
  }
  if (wait != gui_test::Wait::kIdle) return {};
  *window = ::GetActiveWindow();
  if (*window == nullptr || !gui_test::IsOurs(*window) || !ShowsContent(*window)) return {};
  std::uint32_t window_id = 0, unit_id = 0;
  gui_test::UnitIds(*window, &window_id, &unit_id);
  switch (window_id) {
    case 0x52010001: return "main-window";
    case 0x52010007: return "init-window";
    case 0x5201005D: return "record-window";
    default: return {};
  }
}

int RunSession(const Options& options) {
  std::error_code error;
  std::filesystem::path folder = std::filesystem::absolute(PathOf(options.folder), error);
  if (error) Usage("the folder cannot be resolved");
  std::filesystem::create_directories(folder, error);
  if (!std::filesystem::is_directory(folder)) Usage("the folder cannot be created");
  std::ifstream in(PathOf(options.script), std::ios::binary);
  if (!in) Usage(("cannot read the script " + options.script).c_str());
  std::ostringstream script;
  script << in.rdbuf();

  std::optional<gui_test::GuiUser> user;
  try {
    user.emplace(script.str());
  } catch (const platform::sim::ScriptFailure& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return kScriptFailed;
  }
  user->folder = Utf8Of(folder);
  user->read_property = [](std::uint32_t window, std::uint32_t unit, int index) { return ui::PropertyText(window, unit, index); };

  GuiTestHost host(platform::NativeHost(), platform::Utf8ToGbk(Utf8Of(folder / "quillkeep.exe")), *user);
  platform::InstallHost(&host);
  user->set_clock = [&host](platform::LocalTime t) { host.SetClock(t); };
  user->opened_addresses = [&host]() -> const std::vector<std::string>& { return host.addresses(); };
  std::set<std::string> shots_taken;
  user->at_wait = [&](gui_test::Wait wait) {
    if (options.transcript) std::printf("[%s] %s\n", gui_test::WaitName(wait), gui_test::DescribeScreen().c_str());
    if (options.shots.empty()) return;
    HWND window = nullptr;
    std::string name = ShotName(wait, &window);
    if (!name.empty() && shots_taken.insert(name).second) RequestShot(options.shots, name, window);
  };
  ::SetCurrentDirectoryW(folder.wstring().c_str());

  platform::win32::Win32WindowSystem& system = platform::win32::NativeWindowSystem();
  platform::InstallWindowSystem(&system);
  system.SetIdleHook([](void* context) { static_cast<gui_test::GuiUser*>(context)->OnIdle(); }, &*user);
  ui::InstallWindowRuntime();
  if (options.refuse_password_change) sim_tool::RefusePasswordChanges();
  try {
    user->Start();
  } catch (const platform::sim::ScriptFailure& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return kScriptFailed;
  }
  app::RunNotebook();  // ends through the host's EndProcess
}

}  // namespace

int main(int argc, char** argv) { return RunSession(ParseOptions(argc, argv)); }
