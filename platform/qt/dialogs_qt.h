// The boxes and dialogs of the Qt desktop: the message box (the flags'
// buttons in the order and with the Chinese captions the program's users
// know, the icon, and the answer codes), the input box and the database
// password dialog, laid out as the dialog templates of the Windows build
// lay them out (dialog units of a 9-point face, 1.5 pixels each). Each
// runs its own event loop; drivers read and press them through the public
// parts below.
#pragma once

#include <QDialog>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/host.h"
#include "platform/input_box.h"

namespace platform::qt {

class LineEdit;

// The caption of an answer's button ("确定", "取消", "是", ...).
QString AnswerCaption(BoxAnswer answer);

class MessageBoxDialog final : public QDialog {
 public:
  MessageBoxDialog(const QString& text, const QString& caption, std::uint32_t flags, QWidget* owner);
  // Runs the box; the answer of the button pressed (Esc and the close box:
  // Cancel where there is one, OK when it is the only button; a box
  // without either cannot be closed that way).
  BoxAnswer Run();

  QString text() const { return text_->text(); }
  const std::vector<BoxAnswer>& answers() const { return answers_; }
  QPushButton* ButtonFor(BoxAnswer answer) const;
  // The icon shown: 0 none, else the flags' icon bits (0x10, 0x20, 0x30, 0x40).
  std::uint32_t icon() const { return icon_; }

 protected:
  void reject() override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QLabel* text_ = nullptr;
  std::vector<BoxAnswer> answers_;
  std::vector<QPushButton*> buttons_;
  std::optional<BoxAnswer> escape_;
  std::uint32_t icon_ = 0;
};

class InputBoxDialog final : public QDialog {
 public:
  InputBoxDialog(const InputBoxRequest& request, QWidget* owner);
  // kOk with the field's text (GBK) in *entered, or kCancel.
  BoxAnswer Run(Secret* entered);

  QString prompt() const;
  LineEdit* edit() const { return edit_; }
  QPushButton* ok() const { return ok_; }
  QPushButton* cancel() const { return cancel_; }

 private:
  QLabel* prompt_ = nullptr;
  LineEdit* edit_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

class PasswordDialog final : public QDialog {
 public:
  PasswordDialog(const PasswordDialogTexts& texts, const QIcon& icon, QWidget* owner);
  // kOk with the typed text (GBK) in *typed, or kCancel.
  BoxAnswer Run(Secret* typed);

  QString message() const { return message_->text(); }
  LineEdit* edit() const { return edit_; }
  QPushButton* ok() const { return ok_; }
  QPushButton* cancel() const { return cancel_; }

 private:
  QLabel* message_ = nullptr;
  LineEdit* edit_ = nullptr;
  QPushButton* ok_ = nullptr;
  QPushButton* cancel_ = nullptr;
};

// Dialog units of the Windows dialogs in pixels.
int DialogUnits(int units);

}  // namespace platform::qt
