#include "platform/qt/listener_qt.h"

#include <QCoreApplication>
#include <QEvent>
#include <QMouseEvent>

namespace platform::qt {

ListenerReports::ListenerReports() {
  connect(&beat_, &QTimer::timeout, this, [this] {
    if (listener_ != nullptr) listener_->OnTick();
  });
}

ListenerReports::~ListenerReports() { Start(nullptr, 0); }

void ListenerReports::Start(HostListener* listener, std::uint32_t tick_ms) {
  QCoreApplication* application = QCoreApplication::instance();
  if (listener_ == nullptr && listener != nullptr && application != nullptr) application->installEventFilter(this);
  if (listener_ != nullptr && listener == nullptr && application != nullptr) application->removeEventFilter(this);
  listener_ = listener;
  beat_.stop();
  if (listener == nullptr) {
    session_.reset();
    return;
  }
  if (tick_ms != 0) beat_.start(static_cast<int>(tick_ms));
  if (!session_) session_ = std::make_unique<SessionLockWatcher>([this](bool active) { ScreenSaverChanged(active); });
}

void ListenerReports::ScreenSaverChanged(bool active) {
  // Only its coming on counts: going off unlocks nothing, the password does.
  if (active && listener_ != nullptr) listener_->OnSessionLocked();
}

bool ListenerReports::eventFilter(QObject* watched, QEvent* event) {
  if (listener_ == nullptr) return QObject::eventFilter(watched, event);
  switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
    case QEvent::TouchBegin:
      listener_->OnInput();
      break;
    case QEvent::MouseMove: {
      // A move the window system makes up (a window appearing under a
      // still pointer) is no sign of a person.
      QPoint at = static_cast<QMouseEvent*>(event)->globalPosition().toPoint();
      if (at != pointer_) listener_->OnInput();
      pointer_ = at;
      break;
    }
    default:
      break;
  }
  return QObject::eventFilter(watched, event);
}

}  // namespace platform::qt
