#include "platform/qt/edit_qt.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QInputMethod>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QTextCursor>
#include <QValidator>

namespace platform::qt {
namespace {

QString ClipboardText(QClipboard::Mode mode) { return QGuiApplication::clipboard()->text(mode); }

// The last guard of a single-line box: whatever way a change takes that the
// handlers below do not know, a text with a character GBK lacks, or longer
// than the limit, is undone by the widget itself.
class GuardValidator final : public QValidator {
 public:
  GuardValidator(const EditBehaviour& edit, QObject* parent) : QValidator(parent), edit_(edit) {}
  State validate(QString& input, int&) const override {
    if (!FitsGbk(input)) return Invalid;
    int max = edit_.rules().max_bytes;
    return max > 0 && GbkLength(input) > max ? Invalid : Acceptable;
  }

 private:
  const EditBehaviour& edit_;
};

constexpr Qt::InputMethodHints kSecretHints =
    Qt::ImhSensitiveData | Qt::ImhNoPredictiveText | Qt::ImhNoAutoUppercase | Qt::ImhPreferLatin;

// Rebuilds an input method's event with its commit string filtered.
void CommitFiltered(QInputMethodEvent* event, const Insertion& in, const std::function<void(QInputMethodEvent*)>& base) {
  QInputMethodEvent filtered(event->preeditString(), event->attributes());
  filtered.setCommitString(in.text, event->replacementStart(), event->replacementLength());
  base(&filtered);
}

}  // namespace

bool TypesText(const QKeyEvent& event) {
  if ((event.modifiers() & (Qt::ControlModifier | Qt::MetaModifier)) != 0) return false;
  const QString text = event.text();
  if (text.isEmpty()) return false;
  for (QChar c : text)
    if (c.unicode() < 0x20 || c.unicode() == 0x7F) return false;
  return true;
}

// ---------------------------------------------------------------- shared

void EditBehaviour::SetRules(const EditBoxRules& rules) {
  rules_ = rules;
  ApplyInputMethod();
}

int EditBehaviour::Room() const {
  if (rules_.max_bytes <= 0) return -1;
  int room = rules_.max_bytes - BytesOutsideSelection();
  return room < 0 ? 0 : room;
}

void EditBehaviour::Refuse() {
  if (on_refused) {
    on_refused();
  } else {
    QApplication::beep();
  }
}

void EditBehaviour::FilterInputMethod(QInputMethodEvent* event, bool read_only,
                                      const std::function<void(QInputMethodEvent*)>& base) {
  if (!rules_.input_method) {
    // An input method that writes anyway is not listened to.
    if (!event->commitString().isEmpty()) Refuse();
    event->accept();
    return;
  }
  if (event->commitString().isEmpty() || read_only) {
    base(event);
    return;
  }
  Insertion in = FilterInsertion(event->commitString(), rules_.insert, Room());
  if (in.refused) Refuse();
  CommitFiltered(event, in, base);
}

void EditBehaviour::FilterTyped(QKeyEvent* event, const std::function<void(QKeyEvent*)>& base,
                                const std::function<void(const QString&)>& insert) {
  Insertion in = FilterInsertion(event->text(), rules_.insert, Room());
  if (in.refused) Refuse();
  event->accept();
  if (in.text.isEmpty()) return;
  if (in.text == event->text()) {
    base(event);
  } else {
    insert(in.text);
  }
}

void EditBehaviour::ApplyInputMethod() {
  QWidget* w = widget();
  bool masked = false;
  bool read_only = false;
  if (auto* line = qobject_cast<QLineEdit*>(w)) {
    masked = line->echoMode() != QLineEdit::Normal;
    read_only = line->isReadOnly();
  } else if (auto* text = qobject_cast<QPlainTextEdit*>(w)) {
    read_only = text->isReadOnly();
  }
  // A masked box has none either (what it shows cannot be checked).
  bool enabled = rules_.input_method && !masked && !read_only;
  w->setAttribute(Qt::WA_InputMethodEnabled, enabled);
  Qt::InputMethodHints hints = enabled ? Qt::ImhNone : kSecretHints;
  if (masked) hints |= Qt::ImhHiddenText;
  w->setInputMethodHints(hints);
  if (w->hasFocus()) QGuiApplication::inputMethod()->update(Qt::ImEnabled | Qt::ImHints);
}

// ---------------------------------------------------------------- single line

LineEdit::LineEdit(QWidget* parent) : QLineEdit(parent) {
  setAcceptDrops(false);
  setValidator(new GuardValidator(*this, this));
}

int LineEdit::BytesOutsideSelection() const {
  const QString all = text();
  if (!hasSelectedText()) return GbkLength(all);
  qsizetype start = selectionStart();
  qsizetype length = selectedText().size();
  return GbkLength(QStringView(all).left(start)) + GbkLength(QStringView(all).mid(start + length));
}

void LineEdit::InsertFiltered(const QString& text) {
  if (isReadOnly()) return;
  Insertion in = FilterInsertion(text, rules_.insert, Room());
  if (in.refused) Refuse();
  if (!in.text.isEmpty()) insert(in.text);
}

void LineEdit::SetEchoPassword(bool masked, QChar mask) {
  setProperty("qk_password_character", QVariant::fromValue(mask));
  setEchoMode(masked ? QLineEdit::Password : QLineEdit::Normal);
  // The mask is a style hint (see application_qt.h); the box reads it again
  // on a style change.
  QEvent changed(QEvent::StyleChange);
  QCoreApplication::sendEvent(this, &changed);
  ApplyInputMethod();
}

void LineEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    InsertFiltered(ClipboardText(QClipboard::Clipboard));
    event->accept();
    return;
  }
  if (isReadOnly() || !TypesText(*event)) {
    QLineEdit::keyPressEvent(event);
    return;
  }
  FilterTyped(event, [this](QKeyEvent* e) { QLineEdit::keyPressEvent(e); }, [this](const QString& t) { insert(t); });
}

void LineEdit::inputMethodEvent(QInputMethodEvent* event) {
  FilterInputMethod(event, isReadOnly(), [this](QInputMethodEvent* e) { QLineEdit::inputMethodEvent(e); });
}

QVariant LineEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImEnabled && !rules_.input_method) return false;
  return QLineEdit::inputMethodQuery(query);
}

void LineEdit::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = createStandardContextMenu();
  if (QAction* paste = menu->findChild<QAction*>(QStringLiteral("edit-paste"))) {
    disconnect(paste, &QAction::triggered, nullptr, nullptr);
    connect(paste, &QAction::triggered, this, [this] { InsertFiltered(ClipboardText(QClipboard::Clipboard)); });
  }
  menu->exec(event->globalPos());
  delete menu;
}

void LineEdit::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::MiddleButton && QGuiApplication::clipboard()->supportsSelection()) {
    InsertFiltered(ClipboardText(QClipboard::Selection));
    event->accept();
    return;
  }
  QLineEdit::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------- multi-line

void LineEdit::focusOutEvent(QFocusEvent* event) {
  const bool selected = hasSelectedText();
  const int start = selectionStart(), length = selectionLength();
  const int caret = cursorPosition();
  QLineEdit::focusOutEvent(event);
  if (selected && !hasSelectedText()) {
    setSelection(start, length);
    if (caret == start) setSelection(start + length, -length);  // the caret stays where it was
  }
}

TextEdit::TextEdit(QWidget* parent) : QPlainTextEdit(parent) {
  rules_.insert.multi_line = true;
  setAcceptDrops(false);
}

QString TextEdit::Text() const {
  QString text = toPlainText();
  text.replace(u'\n', QStringLiteral("\r\n"));
  return text;
}

void TextEdit::SetText(const QString& text) {
  QString plain = text;
  plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  plain.replace(u'\r', u'\n');
  setPlainText(plain);
}

int TextEdit::BytesOutsideSelection() const {
  const QString all = toPlainText();
  QTextCursor cursor = textCursor();
  if (!cursor.hasSelection()) return GbkLength(all);
  int start = cursor.selectionStart();
  int end = cursor.selectionEnd();
  return GbkLength(QStringView(all).left(start)) + GbkLength(QStringView(all).mid(end));
}

void TextEdit::InsertFiltered(const QString& text) {
  if (isReadOnly()) return;
  Insertion in = FilterInsertion(text, rules_.insert, Room());
  if (in.refused) Refuse();
  if (!in.text.isEmpty()) insertPlainText(in.text);
}

void TextEdit::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Paste)) {
    InsertFiltered(ClipboardText(QClipboard::Clipboard));
    event->accept();
    return;
  }
  if (isReadOnly()) {
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    InsertFiltered(QStringLiteral("\n"));  // one line break, whatever the modifiers
    event->accept();
    return;
  }
  if (!TypesText(*event)) {
    QPlainTextEdit::keyPressEvent(event);
    return;
  }
  FilterTyped(event, [this](QKeyEvent* e) { QPlainTextEdit::keyPressEvent(e); },
              [this](const QString& t) { insertPlainText(t); });
}

void TextEdit::inputMethodEvent(QInputMethodEvent* event) {
  FilterInputMethod(event, isReadOnly(), [this](QInputMethodEvent* e) { QPlainTextEdit::inputMethodEvent(e); });
}

QVariant TextEdit::inputMethodQuery(Qt::InputMethodQuery query) const {
  if (query == Qt::ImEnabled && !rules_.input_method) return false;
  return QPlainTextEdit::inputMethodQuery(query);
}

void TextEdit::insertFromMimeData(const QMimeData* source) {
  if (source != nullptr && source->hasText()) InsertFiltered(source->text());
}

}  // namespace platform::qt
