#include "tools/quillkeep/qt/gui_test/qt_user.h"

#include <QApplication>
#include <QEvent>
#include <QMenu>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "platform/qt/dialogs_qt.h"

namespace quillkeep_qt {

QtUser::QtUser(platform::qt::QtWindowSystem& system, const std::string& script)
    : system_(system), person_(system), dispatcher_(person_, script) {}

QtUser::~QtUser() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
}

void QtUser::Start() {
  dispatcher_.Start();
  QCoreApplication::instance()->installEventFilter(this);
}

bool QtUser::eventFilter(QObject* watched, QEvent* event) {
  // A box, dialog or popup menu has shown; its loop runs once this returns.
  if (event->type() == QEvent::Show &&
      (dynamic_cast<platform::qt::MessageBoxDialog*>(watched) != nullptr ||
       dynamic_cast<platform::qt::InputBoxDialog*>(watched) != nullptr ||
       dynamic_cast<platform::qt::PasswordDialog*>(watched) != nullptr || qobject_cast<QMenu*>(watched) != nullptr))
    PokeIn(0);
  return false;
}

void QtUser::OnIdle() {
  if (acting_ || finished_ || person_.ActionPending()) return;
  if (int left = person_.WaitLeft()) {
    PokeIn(left);  // the loop runs on meanwhile
    return;
  }
  Act(scenario::Wait::kIdle, nullptr);
}

void QtUser::PokeIn(int milliseconds) { QTimer::singleShot(milliseconds, this, [this] { Poke(); }); }

void QtUser::Poke() {
  if (acting_ || finished_ || person_.ActionPending()) return;
  if (int left = person_.WaitLeft()) {
    PokeIn(left);
    return;
  }
  if (std::optional<OpenModal> modal = FindOpenModal()) {
    if (modal->widget != last_modal_) Act(modal->kind, modal->widget);
    return;
  }
  if (system_.WaitingInMessageLoop()) Act(scenario::Wait::kIdle, nullptr);
}

void QtUser::Act(scenario::Wait wait, QWidget* modal) {
  acting_ = true;
  try {
    person_.AtWait(modal != nullptr ? std::optional<OpenModal>(OpenModal{wait, modal}) : std::nullopt);
    if (at_wait) at_wait(wait, modal);
    const scenario::ScriptLine* line = dispatcher_.Act(wait);
    if (line == nullptr) {
      PokeIn(person_.WaitLeft());  // a `wait`: the program runs on the real clock meanwhile
    } else if (modal != nullptr) {
      last_modal_ = modal;
    }
    if (after_act) after_act();
  } catch (const scenario::ScriptFailure& failure) {
    // Failures cannot travel through the event loops: they end the run here.
    std::fprintf(stderr, "%s\n", failure.what());
    std::fflush(nullptr);
    std::_Exit(3);
  }
  acting_ = false;
}

void QtUser::Finish(int exit_code) {
  finished_ = true;
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
  dispatcher_.Finish(exit_code);
}

}  // namespace quillkeep_qt
