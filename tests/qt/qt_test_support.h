// Helpers of the Qt desktop's tests: GBK texts written as UTF-16 literals
// (these units compile with Qt, whose headers need the UTF-8 execution
// character set), a listener that records notices, and a person's input
// sent to widgets as real key and input-method events.
#pragma once

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QInputMethodEvent>
#include <QString>
#include <QTest>

#include <functional>
#include <string>
#include <vector>

#include "platform/qt/text_qt.h"
#include "platform/window_system.h"

namespace qt_tests {

inline std::string Gbk(const char16_t* text) { return platform::qt::ToGbk(QString::fromUtf16(text)); }

struct Recorder : platform::WindowListener {
  std::vector<platform::Message> seen;
  std::function<void(const platform::Message&)> also;
  void OnNotice(const platform::Message& message) override {
    seen.push_back(message);
    if (also) also(message);
  }
  int Count(platform::Notice notice, platform::WindowHandle window = 0) const {
    int n = 0;
    for (const platform::Message& m : seen)
      if (m.notice == notice && (window == 0 || m.window == window)) ++n;
    return n;
  }
};

// Types each character as a key press with its text (a character beyond
// the BMP as one press, as a keyboard sends it).
inline void TypeText(QWidget* widget, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    qsizetype width = text[i].isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, text.mid(i, width), Qt::NoModifier);
    i += width - 1;
  }
}

inline void Commit(QWidget* widget, const QString& text) {
  QInputMethodEvent event;
  event.setCommitString(text);
  QCoreApplication::sendEvent(widget, &event);
}

// Processes events until the condition holds or two seconds pass.
inline bool RunUntil(const std::function<bool()>& done) {
  QElapsedTimer timer;
  timer.start();
  while (!done()) {
    if (timer.elapsed() > 2000) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
  return true;
}

}  // namespace qt_tests
