#include "platform/qt/clipboard_qt.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

namespace platform::qt {

Clipboard::Clipboard() {
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, [this] { ClearIfOurs(); });
  if (QClipboard* clipboard = QGuiApplication::clipboard()) {
    // Anything placed by someone else since makes the clipboard no longer ours.
    connect(clipboard, &QClipboard::dataChanged, this, [this] {
      if (!placing_) Forget();
    });
  }
}

Clipboard::~Clipboard() { Forget(); }

void Clipboard::Forget() {
  placed_.fill(u'\0');
  placed_.clear();
  ours_ = false;
}

bool Clipboard::Put(const QString& text) {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (clipboard == nullptr) return false;
  auto* data = new QMimeData;
  data->setText(text);
  data->setData(QString::fromLatin1(kPasswordManagerHint), QByteArrayLiteral("secret"));
  placing_ = true;
  clipboard->setMimeData(data, QClipboard::Clipboard);  // the clipboard owns it now
  placing_ = false;
  Forget();
  if (clipboard->text(QClipboard::Clipboard) != text) return false;
  placed_ = text;
  ours_ = true;
  return true;
}

bool Clipboard::ClearIfOurs() {
  QClipboard* clipboard = QGuiApplication::clipboard();
  if (!ours_ || clipboard == nullptr) return false;
  // Another program's copy of the very same text is left alone too, where
  // the system tells; where it does not, the text decides.
  if (clipboard->text(QClipboard::Clipboard) != placed_) {
    Forget();
    return false;
  }
  placing_ = true;
  clipboard->clear(QClipboard::Clipboard);
  placing_ = false;
  Forget();
  return true;
}

void Clipboard::ScheduleClear(std::uint32_t seconds) {
  timer_.stop();
  if (seconds == 0) return;
  constexpr std::uint32_t kLongest = 24 * 3600;
  timer_.start(static_cast<int>((seconds < kLongest ? seconds : kLongest) * 1000u));
}

}  // namespace platform::qt
