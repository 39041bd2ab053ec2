#include "platform/qt/session_lock_qt.h"

#include <QString>

namespace platform::qt {
namespace {

struct ScreenSaver {
  const char16_t* path;
  const char16_t* interface;
};

// The desktops' screen savers that say when they come on (and lock).
constexpr ScreenSaver kScreenSavers[] = {
    {u"/org/freedesktop/ScreenSaver", u"org.freedesktop.ScreenSaver"},
    {u"/org/gnome/ScreenSaver", u"org.gnome.ScreenSaver"},
    {u"/org/mate/ScreenSaver", u"org.mate.ScreenSaver"},
    {u"/org/cinnamon/ScreenSaver", u"org.cinnamon.ScreenSaver"},
};

}  // namespace

SessionLockWatcher::SessionLockWatcher(std::function<void(bool)> on_change, QDBusConnection bus)
    : on_change_(std::move(on_change)) {
  if (!bus.isConnected()) return;
  for (const ScreenSaver& saver : kScreenSavers) {
    // Any sender: the service name differs between versions of a desktop.
    if (bus.connect(QString(), QString::fromUtf16(saver.path), QString::fromUtf16(saver.interface),
                    QStringLiteral("ActiveChanged"), this, SLOT(OnActiveChanged(bool))))
      watching_ = true;
  }
}

void SessionLockWatcher::OnActiveChanged(bool active) {
  if (on_change_) on_change_(active);
}

}  // namespace platform::qt
