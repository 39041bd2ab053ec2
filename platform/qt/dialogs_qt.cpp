#include "platform/qt/dialogs_qt.h"

#include <QApplication>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QStyle>
#include <QVBoxLayout>

#include "platform/qt/edit_qt.h"
#include "platform/qt/text_qt.h"
#include "platform/qt/window_system_qt.h"

namespace platform::qt {
namespace {

using namespace Qt::StringLiterals;

// Runs a dialog's own loop as a foreign loop of the window system.
int RunModal(QDialog& dialog) {
  QtWindowSystem::ForeignLoop loop;
  return dialog.exec();
}

// What a dialog leaves in its field when it goes: blanks of the same
// length, not the typed text (it may be a password).
void Blank(LineEdit* edit) {
  edit->setText(QString(edit->text().size(), u' '));
  edit->clear();
}

QLabel* PlainLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setTextFormat(Qt::PlainText);
  return label;
}

}  // namespace

int DialogUnits(int units) { return (units * 3 + 1) / 2; }

QString AnswerCaption(BoxAnswer answer) {
  switch (answer) {
    case BoxAnswer::kOk: return u"确定"_s;
    case BoxAnswer::kCancel: return u"取消"_s;
    case BoxAnswer::kAbort: return u"中止"_s;
    case BoxAnswer::kRetry: return u"重试"_s;
    case BoxAnswer::kIgnore: return u"忽略"_s;
    case BoxAnswer::kYes: return u"是"_s;
    case BoxAnswer::kNo: return u"否"_s;
  }
  return QString();
}

// ---------------------------------------------------------------- message box

MessageBoxDialog::MessageBoxDialog(const QString& text, const QString& caption, std::uint32_t flags, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(caption);
  setWindowModality(Qt::ApplicationModal);
  answers_ = MessageBoxButtons(flags);
  for (BoxAnswer answer : answers_) {
    if (answer == BoxAnswer::kCancel) escape_ = answer;
  }
  if (answers_.size() == 1) escape_ = answers_[0];

  auto* outer = new QVBoxLayout(this);
  outer->setSizeConstraint(QLayout::SetFixedSize);
  outer->setContentsMargins(DialogUnits(10), DialogUnits(10), DialogUnits(10), DialogUnits(7));
  outer->setSpacing(DialogUnits(10));
  auto* top = new QHBoxLayout;
  top->setSpacing(DialogUnits(8));
  icon_ = flags & 0xF0;
  QStyle::StandardPixmap pixmap = QStyle::SP_CustomBase;
  switch (icon_) {
    case mb::kIconStop: pixmap = QStyle::SP_MessageBoxCritical; break;
    case mb::kIconQuestion: pixmap = QStyle::SP_MessageBoxQuestion; break;
    case mb::kIconExclamation: pixmap = QStyle::SP_MessageBoxWarning; break;
    case mb::kIconInformation: pixmap = QStyle::SP_MessageBoxInformation; break;
    default: icon_ = 0; break;
  }
  if (icon_ != 0) {
    auto* icon = new QLabel(this);
    icon->setObjectName(u"qk_icon"_s);
    icon->setPixmap(style()->standardIcon(pixmap, nullptr, this).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    top->addWidget(icon);
  }
  text_ = PlainLabel(text, this);
  text_->setObjectName(u"qk_message_text"_s);
  text_->setMaximumWidth(DialogUnits(400));
  text_->setWordWrap(text.size() > 60);
  top->addWidget(text_, 1);
  outer->addLayout(top);

  auto* row = new QHBoxLayout;
  row->setSpacing(DialogUnits(4));
  row->addStretch(1);
  unsigned default_index = (flags >> 8) & 0xF;
  if (default_index >= answers_.size()) default_index = 0;
  for (std::size_t i = 0; i < answers_.size(); ++i) {
    auto* button = new QPushButton(AnswerCaption(answers_[i]), this);
    button->setMinimumSize(DialogUnits(50), DialogUnits(14));
    BoxAnswer answer = answers_[i];
    connect(button, &QPushButton::clicked, this, [this, answer] { done(static_cast<int>(answer)); });
    button->setDefault(i == default_index);
    button->setAutoDefault(true);
    row->addWidget(button);
    buttons_.push_back(button);
  }
  row->addStretch(1);
  outer->addLayout(row);
  if (!buttons_.empty()) buttons_[default_index]->setFocus();
}

QPushButton* MessageBoxDialog::ButtonFor(BoxAnswer answer) const {
  for (std::size_t i = 0; i < answers_.size(); ++i)
    if (answers_[i] == answer) return buttons_[i];
  return nullptr;
}

BoxAnswer MessageBoxDialog::Run() {
  int result = RunModal(*this);
  for (BoxAnswer answer : answers_)
    if (result == static_cast<int>(answer)) return answer;
  return escape_.value_or(BoxAnswer::kCancel);
}

void MessageBoxDialog::reject() {
  // Esc and the close box: only where the box has a way out.
  if (escape_) done(static_cast<int>(*escape_));
}

void MessageBoxDialog::keyPressEvent(QKeyEvent* event) {
  // The initials of the buttons choose them, as the system's boxes let
  // them (Y, N, A, R, I), without showing them in the captions.
  static const std::pair<int, BoxAnswer> kInitials[] = {{Qt::Key_Y, BoxAnswer::kYes},
                                                        {Qt::Key_N, BoxAnswer::kNo},
                                                        {Qt::Key_A, BoxAnswer::kAbort},
                                                        {Qt::Key_R, BoxAnswer::kRetry},
                                                        {Qt::Key_I, BoxAnswer::kIgnore}};
  if ((event->modifiers() & ~(Qt::AltModifier | Qt::KeypadModifier)) == 0) {
    for (auto [key, answer] : kInitials)
      if (event->key() == key && ButtonFor(answer) != nullptr) {
        done(static_cast<int>(answer));
        return;
      }
  }
  QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------- input box

InputBoxDialog::InputBoxDialog(const InputBoxRequest& request, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(FromGbk(request.caption));
  setWindowModality(Qt::ApplicationModal);
  // The Windows layouts, in dialog units: with a prompt 252 x 92 (a sunken
  // frame around the prompt, the field below, the buttons under it),
  // without one 214 x 56.
  const bool with_prompt = request.with_prompt();
  setFixedSize(DialogUnits(with_prompt ? 252 : 214), DialogUnits(with_prompt ? 92 : 56));
  auto place = [](QWidget* w, int x, int y, int cx, int cy) {
    w->setGeometry(DialogUnits(x), DialogUnits(y), DialogUnits(cx), DialogUnits(cy));
  };
  edit_ = new LineEdit(this);
  ok_ = new QPushButton(u"确认输入(&O)"_s, this);
  cancel_ = new QPushButton(u"取消(&C)"_s, this);
  if (with_prompt) {
    auto* frame = new QFrame(this);
    frame->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    place(frame, 7, 7, 238, 40);
    prompt_ = PlainLabel(FromGbk(request.prompt), this);
    prompt_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    prompt_->setWordWrap(true);
    place(prompt_, 12, 11, 228, 32);
    place(edit_, 7, 53, 238, 14);
    place(ok_, 61, 72, 60, 14);
    place(cancel_, 131, 72, 60, 14);
  } else {
    place(edit_, 7, 10, 200, 14);
    place(ok_, 42, 34, 60, 14);
    place(cancel_, 112, 34, 60, 14);
  }
  EditBoxRules rules;
  const int mode = request.mode;
  rules.insert.accepts = [mode](char32_t c) { return InputBoxAccepts(mode, c); };
  rules.input_method = request.input_method;
  edit_->SetEchoPassword(request.masked(), QChar(u'*'));
  edit_->SetRules(rules);
  edit_->setText(FromGbk(request.initial));
  edit_->selectAll();
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  edit_->setFocus();
}

QString InputBoxDialog::prompt() const { return prompt_ != nullptr ? prompt_->text() : QString(); }

namespace {

// The edit's text as a secret: the GBK copy made on the way is wiped.
void TakeText(const QString& text, Secret* out) {
  std::string gbk = ToGbk(text);
  out->Assign(gbk);
  WipeString(&gbk);
}

}  // namespace

BoxAnswer InputBoxDialog::Run(Secret* entered) {
  bool ok = RunModal(*this) == QDialog::Accepted;
  if (ok) TakeText(edit_->text(), entered);
  Blank(edit_);
  return ok ? BoxAnswer::kOk : BoxAnswer::kCancel;
}

// ---------------------------------------------------------------- password dialog

PasswordDialog::PasswordDialog(const PasswordDialogTexts& texts, const QIcon& icon, QWidget* owner)
    : QDialog(owner, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint) {
  setWindowTitle(FromGbk(texts.caption));
  setWindowModality(Qt::ApplicationModal);
  setFixedSize(DialogUnits(222), DialogUnits(80));
  auto place = [](QWidget* w, int x, int y, int cx, int cy) {
    w->setGeometry(DialogUnits(x), DialogUnits(y), DialogUnits(cx), DialogUnits(cy));
  };
  QLabel* prompt = PlainLabel(FromGbk(texts.prompt), this);
  place(prompt, 7, 13, 94, 12);
  auto* picture = new QLabel(this);
  picture->setObjectName(u"qk_icon"_s);
  QIcon shown = icon.isNull() ? style()->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this) : icon;
  picture->setPixmap(shown.pixmap(DialogUnits(20), DialogUnits(20)));
  place(picture, 191, 8, 20, 20);
  message_ = PlainLabel(FromGbk(texts.message), this);
  message_->setObjectName(u"qk_password_message"_s);
  place(message_, 7, 34, 208, 12);
  edit_ = new LineEdit(this);
  place(edit_, 107, 13, 78, 12);
  ok_ = new QPushButton(FromGbk(texts.ok), this);
  cancel_ = new QPushButton(FromGbk(texts.cancel), this);
  place(ok_, 104, 56, 50, 17);
  place(cancel_, 165, 56, 50, 17);
  // Masked, and no input method: what it shows cannot be checked, and the
  // password must be typed again exactly at every start.
  EditBoxRules rules;
  rules.input_method = false;
  edit_->SetEchoPassword(true, QChar(u'*'));
  edit_->SetRules(rules);
  ok_->setDefault(true);
  connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
  edit_->setFocus();
}

BoxAnswer PasswordDialog::Run(Secret* typed) {
  bool ok = RunModal(*this) == QDialog::Accepted;
  if (ok) TakeText(edit_->text(), typed);
  Blank(edit_);
  return ok ? BoxAnswer::kOk : BoxAnswer::kCancel;
}

}  // namespace platform::qt
