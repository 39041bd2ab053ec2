// Edit boxes on Qt widgets, enforcing the box's rules on every way text
// gets in: typing, pasting (keys, context menu, middle button), and text an
// input method commits. A character GBK lacks is never inserted, the byte
// limit counts GBK bytes and never cuts a character in two, and a refusal
// gives the person a sign (a beep). Boxes that take a secret to be typed
// again exactly get no input method at all.
#pragma once

#include <QLineEdit>
#include <QPlainTextEdit>

#include <functional>

#include "platform/qt/text_qt.h"

namespace platform::qt {

struct EditBoxRules {
  int max_bytes = 0;  // GBK bytes; 0 = no limit
  InsertRules insert;
  bool input_method = true;
};

// What both kinds of box share: the rules and the sign of a refusal.
class EditBehaviour {
 public:
  virtual ~EditBehaviour() = default;
  void SetRules(const EditBoxRules& rules);
  const EditBoxRules& rules() const { return rules_; }
  // Called whenever something typed, pasted or committed was left out
  // (default: a beep).
  std::function<void()> on_refused;

 protected:
  virtual QWidget* widget() = 0;
  virtual int BytesOutsideSelection() const = 0;
  // GBK bytes still free when the selection is replaced; -1: no limit.
  int Room() const;
  void Refuse();
  // Turns the input method on or off for the widget, as the rules say.
  void ApplyInputMethod();
  // An input method's event: refused whole while the rules keep input
  // methods out, else its commit string filtered as typing is (a read-only
  // box leaves it to `base`, the widget's own handling).
  void FilterInputMethod(QInputMethodEvent* event, bool read_only,
                         const std::function<void(QInputMethodEvent*)>& base);
  // A key that types text (TypesText), filtered as a paste is: the key's
  // own handling (`base`) inserts the text when it is kept as typed,
  // `insert` when it changed (letter case); a refusal gives the sign.
  void FilterTyped(QKeyEvent* event, const std::function<void(QKeyEvent*)>& base,
                   const std::function<void(const QString&)>& insert);

  EditBoxRules rules_;
};

class LineEdit final : public QLineEdit, public EditBehaviour {
 public:
  explicit LineEdit(QWidget* parent = nullptr);
  // Inserts text as a paste would: filtered, cut to the room left.
  void InsertFiltered(const QString& text);
  void SetEchoPassword(bool masked, QChar mask);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  // Keeps the selection when the focus leaves, as the system's edit box does
  // (the program reads and replaces it from its other units' handlers).
  void focusOutEvent(QFocusEvent* event) override;
  QWidget* widget() override { return this; }
  int BytesOutsideSelection() const override;
};

class TextEdit final : public QPlainTextEdit, public EditBehaviour {
 public:
  explicit TextEdit(QWidget* parent = nullptr);
  void InsertFiltered(const QString& text);
  // The text with line breaks as "\r\n", as the system reads it.
  QString Text() const;
  void SetText(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void inputMethodEvent(QInputMethodEvent* event) override;
  QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
  void insertFromMimeData(const QMimeData* source) override;
  QWidget* widget() override { return this; }
  int BytesOutsideSelection() const override;
};

// Whether a key event carries text to insert (not a control character).
bool TypesText(const QKeyEvent& event);

}  // namespace platform::qt
