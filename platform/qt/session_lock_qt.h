// When the desktop session locks: the screen saver's ActiveChanged signal
// on the session bus, in the freedesktop.org interface and in those of
// GNOME, MATE and Cinnamon. Where there is no session bus (a headless run)
// nothing is watched and nothing is ever reported.
#pragma once

#include <QDBusConnection>
#include <QObject>

#include <functional>

namespace platform::qt {

class SessionLockWatcher final : public QObject {
  Q_OBJECT

 public:
  // `on_change` gets true when the screen saver (and with it the lock)
  // comes on, false when it goes.
  explicit SessionLockWatcher(std::function<void(bool active)> on_change,
                              QDBusConnection bus = QDBusConnection::sessionBus());

  // Whether at least one of the interfaces is being watched.
  bool watching() const { return watching_; }

 private Q_SLOTS:
  void OnActiveChanged(bool active);

 private:
  std::function<void(bool)> on_change_;
  bool watching_ = false;
};

}  // namespace platform::qt
