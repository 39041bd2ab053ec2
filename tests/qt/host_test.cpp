// The Qt host's clipboard and browser: copies carry the hint that keeps
// them out of clipboard managers' history, are cleared only while they are
// still there, and only web addresses reach the desktop's opener.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/qt/clipboard_qt.h"
#include "platform/qt/host_qt.h"
#include "tests/qt/qt_test_support.h"

namespace platform::qt {
namespace {

using namespace Qt::StringLiterals;
using qt_tests::Gbk;

QString ClipboardText() { return QGuiApplication::clipboard()->text(QClipboard::Clipboard); }

TEST(QtClipboard, ACopyIsMarkedSecretAndClearedOnlyWhileItIsStillThere) {
  QtHost host;
  ASSERT_TRUE(host.SetClipboardText(Gbk(u"密码三")));
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  ASSERT_NE(data, nullptr);
  EXPECT_EQ(data->text(), u"密码三"_s);
  EXPECT_EQ(data->data(QString::fromLatin1(kPasswordManagerHint)), QByteArrayLiteral("secret"));
  EXPECT_TRUE(host.ClearClipboardIfOurs());
  EXPECT_TRUE(ClipboardText().isEmpty());
  EXPECT_FALSE(host.ClearClipboardIfOurs()) << "nothing of ours is left";

  // The person copies something else meanwhile: it stays.
  ASSERT_TRUE(host.SetClipboardText("pw"));
  QGuiApplication::clipboard()->setText(u"from another program"_s);
  EXPECT_FALSE(host.ClearClipboardIfOurs());
  EXPECT_EQ(ClipboardText(), u"from another program"_s);
}

TEST(QtClipboard, TheClearingFallsDueOnceAndALaterOneReplacesIt) {
  QtHost host;
  ASSERT_TRUE(host.SetClipboardText("first"));
  host.ScheduleClipboardClear(1);
  host.ScheduleClipboardClear(0);  // cancelled
  EXPECT_FALSE(host.clipboard().clear_pending());
  host.ScheduleClipboardClear(1);
  EXPECT_TRUE(host.clipboard().clear_pending());
  EXPECT_TRUE(qt_tests::RunUntil([] { return ClipboardText().isEmpty(); }));
  EXPECT_FALSE(host.clipboard().clear_pending());

  // A clearing that falls due after another copy by someone else leaves it.
  ASSERT_TRUE(host.SetClipboardText("second"));
  host.ScheduleClipboardClear(1);
  QGuiApplication::clipboard()->setText(u"kept"_s);
  EXPECT_TRUE(qt_tests::RunUntil([&] { return !host.clipboard().clear_pending(); }));
  EXPECT_EQ(ClipboardText(), u"kept"_s);
}

TEST(QtHostBrowser, OnlyWebAddressesReachTheDesktopsOpener) {
  QtHost host;
  for (const char* address : {"file:///etc/passwd", "javascript:alert(1)", "mailto:someone@example.com", "", "::"})
    EXPECT_FALSE(host.OpenWebAddress(address)) << address;
}

}  // namespace
}  // namespace platform::qt
