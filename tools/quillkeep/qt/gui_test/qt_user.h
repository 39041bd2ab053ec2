// The driver that plays a scenario script on the Qt desktop: it gives the
// dispatcher its turn whenever the program waits — when one of the
// runtime's message loops runs dry (the window system's idle hook), and
// when a message box, a dialog or a popup menu has shown and runs its own
// loop — with the Qt person (qt_person.h) acting.
#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>
#include <string>

#include "platform/qt/window_system_qt.h"
#include "tools/quillkeep/qt/gui_test/qt_person.h"
#include "tools/scenario/dispatcher.h"

namespace quillkeep_qt {

class QtUser final : public QObject {
 public:
  // Parses the script (ScriptFailure on a malformed line).
  QtUser(platform::qt::QtWindowSystem& system, const std::string& script_utf8);
  ~QtUser() override;

  QtPerson& person() { return person_; }
  scenario::Dispatcher& script() { return dispatcher_; }
  // Called at each wait before the person acts, with the box, dialog or
  // popup menu showing (null at an idle wait): a transcript, a screenshot.
  std::function<void(scenario::Wait, QWidget* modal)> at_wait;
  // Called when the person has acted at a wait.
  std::function<void()> after_act;

  // Applies the clock lines at the top and starts watching for boxes.
  void Start();
  // The program's message loop ran dry.
  void OnIdle();
  // The program ended: the remaining lines may only be off-screen checks.
  void Finish(int exit_code);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Acts if the program waits for the person now.
  void Poke();
  void PokeIn(int milliseconds);
  void Act(scenario::Wait wait, QWidget* modal);

  platform::qt::QtWindowSystem& system_;
  QtPerson person_;
  scenario::Dispatcher dispatcher_;
  bool acting_ = false;
  bool finished_ = false;
  QPointer<QWidget> last_modal_;  // the box or dialog already acted on
};

}  // namespace quillkeep_qt
