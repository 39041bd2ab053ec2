// quillkeep-gui-test on Linux: the notebook on the Qt desktop, with the
// scenario scripts played through real Qt widgets and input events.
//
//   quillkeep-gui-test [--transcript] [--refuse-password-change] [--shots DIR] [--timings]
//                      [--program notebook|pieces] --folder DIR SCRIPT
//
// Exit status as quillkeep-sim: the program's own exit code (0, or 255 for
// -1), 3 when the script fails ("line N: expected ..., saw ..." on standard
// error), 2 for a wrong command line or an unreadable script. With --shots,
// the first time each window, the password dialog and the input box shows
// something, its picture is saved as DIR/NAME.png (main-window,
// init-window, record-window, password-dialog, input-box). Without a
// QT_QPA_PLATFORM in the environment the windows are drawn offscreen. With
// --timings, each wait writes how long the program took to reach it
// (bench/gui-list-fill reads these lines).
#include <unistd.h>

#include <QDir>
#include <QLineEdit>
#include <QTableWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/qt/application_qt.h"
#include "platform/qt/host_qt.h"
#include "platform/qt/window_system_qt.h"
#include "platform/system.h"
#include "tools/quillkeep-sim/arguments.h"
#include "tools/quillkeep-sim/desktop_session.h"
#include "tools/quillkeep-sim/timings.h"
#include "tools/quillkeep/qt/gui_test/qt_user.h"
#include "tools/quillkeep/qt/icons.h"
#include "tools/scenario/driver_host.h"
#include "ui/unit_lookup.h"

namespace {

[[noreturn]] void Usage(const std::string& problem) {
  sim_tool::ExitWithUsage("quillkeep-gui-test", "scenario scripts on the Qt desktop",
                          "usage: quillkeep-gui-test [--transcript] [--refuse-password-change] [--shots DIR] [--timings] "
                          "[--program notebook|pieces] --folder DIR SCRIPT\n",
                          problem);
}

// A window is worth a picture once it shows something: its lists have rows
// and, when it has edit boxes, one of them holds text.
bool ShowsContent(QWidget* frame) {
  bool has_edit = false, edit_filled = false, lists_filled = true;
  for (QWidget* child : frame->findChildren<QWidget*>()) {
    if (!child->isVisible()) continue;
    if (auto* list = qobject_cast<QTableWidget*>(child); list != nullptr && list->rowCount() == 0) lists_filled = false;
    if (auto* edit = qobject_cast<QLineEdit*>(child)) {
      has_edit = true;
      if (!edit->text().isEmpty()) edit_filled = true;
    }
  }
  return lists_filled && (!has_edit || edit_filled);
}

// The picture's name for what the person sees now, and the widget to take.
QString ShotName(platform::qt::QtWindowSystem& system, scenario::Wait wait, QWidget* modal, QWidget** widget) {
  if (modal != nullptr) {
    *widget = modal;
    if (wait == scenario::Wait::kPasswordDialog) return QStringLiteral("password-dialog");
    if (wait == scenario::Wait::kInputBox) return QStringLiteral("input-box");
    return QString();
  }
  platform::WindowHandle active = system.GetActive();
  std::optional<ui::UnitIdentity> unit = ui::IdentifyUnit(active);
  *widget = system.WidgetOf(active);
  if (!unit || !unit->is_window || *widget == nullptr || !ShowsContent(*widget)) return QString();
  switch (unit->window) {
    case 0x52010001: return QStringLiteral("main-window");
    case 0x52010007: return QStringLiteral("init-window");
    case 0x5201005D: return QStringLiteral("record-window");
    case 0x52090001: return QStringLiteral("pieces-window");
    default: return QString();
  }
}

int RunSession(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  std::vector<std::string> words = sim_tool::Utf8Arguments(argc, argv);
  sim_tool::SessionOptions options;
  if (std::optional<std::string> problem = sim_tool::ParseSessionOptions(words, {"--shots"}, &options, {"--timings"})) Usage(*problem);
  if (options.folder.empty() || options.script.empty()) Usage("a session needs --folder DIR and a SCRIPT");
  std::string problem;
  std::optional<sim_tool::SessionInputs> inputs = sim_tool::ReadSessionInputs(options, &problem);
  if (!inputs) Usage(problem);
  const std::filesystem::path& folder = inputs->folder;
  // Absolute, because the session runs inside --folder.
  const QString shots = options.values.count("--shots")
                            ? QDir(QString::fromStdString(options.values.at("--shots"))).absolutePath()
                            : QString();

  int qt_argc = 1;
  platform::qt::Application application(qt_argc, argv);
  application.setWindowIcon(quillkeep_qt::NotebookIcon());
  platform::qt::QtWindowSystem& system = platform::qt::NativeWindowSystem();

  std::optional<quillkeep_qt::QtUser> user;
  try {
    user.emplace(system, inputs->script);
  } catch (const scenario::ScriptFailure& failure) {
    std::fprintf(stderr, "%s\n", failure.what());
    return scenario::kScriptFailedStatus;
  }
  user->script().folder = sim_tool::Utf8Of(folder);

  platform::qt::QtHost& native = platform::qt::NativeQtHost();
  native.set_password_icon(quillkeep_qt::PasswordKeyIcon());
  scenario::DriverHost host(
      native, platform::Utf8ToGbk(sim_tool::Utf8Of(folder / "quillkeep")),
      [&user](int code) { user->Finish(code); }, [](int status) { _exit(status); });
  platform::InstallHost(&host);
  quillkeep_qt::QtPerson& person = user->person();
  person.set_clock = [&host](platform::LocalTime t) { host.SetClock(t); };
  person.pass_time = [&host](std::uint32_t seconds) { return host.PassTime(seconds); };
  person.lock_session = [&native] { native.ScreenSaverChanged(true); };
  person.opened_addresses = [&host]() -> const std::vector<std::string>& { return host.addresses(); };
  std::set<QString> shots_taken;
  std::optional<sim_tool::WaitTimings> timings;
  if (options.flags.count("--timings")) {
    timings.emplace(stdout);
    user->after_act = [&timings] { timings->ActionDone(); };
  }
  user->at_wait = [&](scenario::Wait wait, QWidget* modal) {
    if (timings) timings->AtWait(scenario::WaitName(wait));
    if (options.transcript) {
      std::printf("[%s] %s\n", scenario::WaitName(wait), user->script().DescribeScreen().c_str());
      std::fflush(stdout);
    }
    if (shots.isEmpty()) return;
    QWidget* widget = nullptr;
    QString name = ShotName(system, wait, modal, &widget);
    if (name.isEmpty() || !shots_taken.insert(name).second) return;
    QDir().mkpath(shots);
    if (!widget->grab().save(shots + QStringLiteral("/") + name + QStringLiteral(".png")))
      std::fprintf(stderr, "quillkeep-gui-test: could not save the picture %s\n", name.toUtf8().constData());
  };
  if (chdir(folder.c_str()) != 0) Usage("cannot enter the folder " + sim_tool::Utf8Of(folder));

  return sim_tool::RunOnDesktop(system, *user, options);
}

}  // namespace

int main(int argc, char** argv) { return RunSession(argc, argv); }
