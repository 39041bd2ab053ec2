// What the Linux desktop reports to the host's listener (platform/host.h):
// a person's input anywhere in the application (an event filter on it sees
// every window, box, dialog and menu), the beats of a timer of the event
// loop, which runs in every nested loop too, and the session lock as the
// screen savers announce it on the session bus (session_lock_qt.h).
#pragma once

#include <QObject>
#include <QPoint>
#include <QTimer>

#include <cstdint>
#include <memory>

#include "platform/host.h"
#include "platform/qt/session_lock_qt.h"

namespace platform::qt {

class ListenerReports final : public QObject {
 public:
  ListenerReports();
  ~ListenerReports() override;

  // Reports to `listener` from now on (null stops them); beats every
  // tick_ms (0: none).
  void Start(HostListener* listener, std::uint32_t tick_ms);

  // Where the screen saver's signal ends: active means the session locked.
  // A scenario driver plays a lock here, never on the person's real bus.
  void ScreenSaverChanged(bool active);

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  HostListener* listener_ = nullptr;
  QTimer beat_;
  std::unique_ptr<SessionLockWatcher> session_;  // while there is a listener
  QPoint pointer_{-1, -1};  // where the last mouse move was, screen coordinates
};

}  // namespace platform::qt
