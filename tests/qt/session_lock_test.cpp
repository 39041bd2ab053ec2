// The session's lock as the desktops' screen savers announce it, on a
// session bus of the test's own (a private dbus-daemon).
#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QProcess>
#include <QStandardPaths>

#include <vector>

#include "platform/qt/session_lock_qt.h"
#include "tests/qt/qt_test_support.h"

namespace platform::qt {
namespace {

using namespace Qt::StringLiterals;

class PrivateBus {
 public:
  PrivateBus() {
    daemon_.start(u"dbus-daemon"_s, {u"--session"_s, u"--nofork"_s, u"--print-address=1"_s});
    if (!daemon_.waitForStarted(5000) || !daemon_.waitForReadyRead(5000)) return;
    address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
  }
  ~PrivateBus() {
    QDBusConnection::disconnectFromBus(u"qk-watcher"_s);
    QDBusConnection::disconnectFromBus(u"qk-screen-saver"_s);
    daemon_.kill();
    daemon_.waitForFinished(5000);
  }
  bool up() const { return !address_.isEmpty(); }
  QDBusConnection Connect(const QString& name) { return QDBusConnection::connectToBus(address_, name); }

 private:
  QProcess daemon_;
  QString address_;
};

void Announce(QDBusConnection& bus, const QString& path, const QString& interface, bool active) {
  QDBusMessage signal = QDBusMessage::createSignal(path, interface, u"ActiveChanged"_s);
  signal << active;
  ASSERT_TRUE(bus.send(signal));
}

TEST(QtSessionLock, TheScreenSaversSignalsReachTheWatcher) {
  ASSERT_FALSE(QStandardPaths::findExecutable(u"dbus-daemon"_s).isEmpty()) << "scripts/install-deps installs dbus-daemon";
  PrivateBus bus;
  ASSERT_TRUE(bus.up());
  std::vector<bool> seen;
  SessionLockWatcher watcher([&](bool active) { seen.push_back(active); }, bus.Connect(u"qk-watcher"_s));
  ASSERT_TRUE(watcher.watching());
  QDBusConnection saver = bus.Connect(u"qk-screen-saver"_s);
  ASSERT_TRUE(saver.isConnected());

  Announce(saver, u"/org/freedesktop/ScreenSaver"_s, u"org.freedesktop.ScreenSaver"_s, true);
  ASSERT_TRUE(qt_tests::RunUntil([&] { return seen.size() == 1; }));
  EXPECT_TRUE(seen[0]);
  Announce(saver, u"/org/gnome/ScreenSaver"_s, u"org.gnome.ScreenSaver"_s, false);
  ASSERT_TRUE(qt_tests::RunUntil([&] { return seen.size() == 2; }));
  EXPECT_FALSE(seen[1]);
  // Another interface's signal of the same name is not the lock.
  Announce(saver, u"/org/example/Player"_s, u"org.example.Player"_s, true);
  Announce(saver, u"/org/freedesktop/ScreenSaver"_s, u"org.freedesktop.ScreenSaver"_s, false);
  ASSERT_TRUE(qt_tests::RunUntil([&] { return seen.size() >= 3 && !seen.back(); }));
  EXPECT_EQ(seen, (std::vector<bool>{true, false, false}));
}

TEST(QtSessionLock, WithoutABusNothingIsWatched) {
  SessionLockWatcher watcher([](bool) {}, QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"qk-none"_s));
  EXPECT_FALSE(watcher.watching());
  QDBusConnection::disconnectFromBus(u"qk-none"_s);
}

}  // namespace
}  // namespace platform::qt
