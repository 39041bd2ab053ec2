#include "tools/quillkeep/qt/gui_test/qt_person.h"

#include <QAbstractScrollArea>
#include <QApplication>
#include <QClipboard>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QMouseEvent>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTableWidget>
#include <QTest>
#include <QTimer>

#include "platform/qt/dialogs_qt.h"
#include "platform/qt/edit_qt.h"
#include "platform/qt/widgets_qt.h"
#include "platform/system.h"

namespace quillkeep_qt {
namespace {

using platform::qt::InputBoxDialog;
using platform::qt::MessageBoxDialog;
using platform::qt::PasswordDialog;
using scenario::Wait;

// A `wait` ends a little after its seconds: a timer of the program's that
// falls due at the same moment has then surely fired.
constexpr int kWaitSlackMs = 100;

std::int64_t Now() {
  static QElapsedTimer clock = [] {
    QElapsedTimer started;
    started.start();
    return started;
  }();
  return clock.elapsed();
}

std::string Utf8(const QString& text) { return text.toUtf8().toStdString(); }

// Where a widget takes mouse input: a scroll area's viewport, else itself.
QWidget* MouseTarget(QWidget* widget) {
  if (auto* area = qobject_cast<QAbstractScrollArea*>(widget)) return area->viewport();
  return widget;
}

// The key a keyboard sends with a character.
Qt::Key KeyOf(QChar c) {
  char16_t u = c.toUpper().unicode();
  if ((u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9') || u == u' ') return static_cast<Qt::Key>(u);
  return Qt::Key_unknown;
}

// Types into a widget as a keyboard does: each character a key press with
// its text (a character beyond the BMP one press), a line break ("\r\n" or
// a lone "\r" or "\n") one Enter. A single-line box takes the text up to
// the first line break, as on every desktop.
void TypeKeys(QWidget* widget, const QString& text) {
  for (qsizetype i = 0; i < text.size(); ++i) {
    QChar c = text[i];
    if (c == u'\r' || c == u'\n') {
      if (qobject_cast<QLineEdit*>(widget) != nullptr) return;
      if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') ++i;
      QTest::keyClick(widget, Qt::Key_Return);
      continue;
    }
    qsizetype width = c.isHighSurrogate() && i + 1 < text.size() ? 2 : 1;
    QTest::sendKeyEvent(QTest::Click, widget, KeyOf(c), text.mid(i, width), Qt::NoModifier);
    i += width - 1;
  }
}

// Clicks into an edit box, selects all and types over it.
void TypeOver(QWidget* edit, const QString& text) {
  QTest::mouseClick(MouseTarget(edit), Qt::LeftButton, {}, MouseTarget(edit)->rect().center());
  if (auto* line = qobject_cast<QLineEdit*>(edit)) line->selectAll();
  if (auto* multi = qobject_cast<QPlainTextEdit*>(edit)) multi->selectAll();
  if (text.isEmpty()) {
    QTest::keyClick(edit, Qt::Key_Backspace);
    return;
  }
  TypeKeys(edit, text);
}

// Below the last row of a list: a click there picks no row.
QPoint BelowTheRows(QTableWidget* list) {
  QRect area = list->viewport()->rect();
  return QPoint(area.width() / 2, area.bottom() - 4);
}

// On a row of a list; below the rows when it has no such row.
QPoint OnRow(QTableWidget* list, int row) {
  if (row < 0 || row >= list->rowCount()) return BelowTheRows(list);
  QModelIndex index = list->model()->index(row, 0);
  list->scrollTo(index);
  QRect cell = list->visualRect(index);
  return QPoint(cell.left() + 8, cell.center().y());
}

// A point of a frame's client area that no unit covers, near its top left.
std::optional<QPoint> UncoveredPoint(QWidget* client) {
  constexpr int kStep = 4;
  for (int y = 2; y < client->height(); y += kStep)
    for (int x = 2; x < client->width(); x += kStep)
      if (client->childAt(x, y) == nullptr) return QPoint(x, y);
  return std::nullopt;
}

// The items a person can choose, depth first: a submenu's own items stand
// where it does.
void CollectItems(const QMenu* menu, std::vector<QAction*>* items) {
  for (QAction* action : menu->actions()) {
    if (action->isSeparator()) continue;
    if (action->menu() != nullptr) {
      CollectItems(action->menu(), items);
    } else {
      items->push_back(action);
    }
  }
}

}  // namespace

void QtPerson::Later(std::function<void()> act) {
  ++pending_;
  QTimer::singleShot(0, QCoreApplication::instance(), [this, act = std::move(act)] {
    --pending_;  // before acting: the input may open a box whose loop needs the person
    act();
  });
}

std::optional<OpenModal> FindOpenModal() {
  if (auto* popup = qobject_cast<QMenu*>(QApplication::activePopupWidget())) return OpenModal{Wait::kPopupMenu, popup};
  QWidget* modal = QApplication::activeModalWidget();
  if (dynamic_cast<MessageBoxDialog*>(modal) != nullptr) return OpenModal{Wait::kMessageBox, modal};
  if (dynamic_cast<InputBoxDialog*>(modal) != nullptr) return OpenModal{Wait::kInputBox, modal};
  if (dynamic_cast<PasswordDialog*>(modal) != nullptr) return OpenModal{Wait::kPasswordDialog, modal};
  return std::nullopt;
}

template <typename Dialog>
Dialog* QtPerson::Showing(Wait kind) const {
  std::optional<OpenModal> modal = FindOpenModal();
  return modal && modal->kind == kind ? dynamic_cast<Dialog*>(modal->widget.data()) : nullptr;
}

QWidget* QtPerson::Widget(platform::WindowHandle handle) {
  QWidget* widget = system_.WidgetOf(handle);
  if (widget == nullptr) throw scenario::ActionRefused("the window is gone");
  return widget;
}

int QtPerson::WaitLeft() {
  if (!waiting_until_) return 0;
  std::int64_t left = *waiting_until_ - Now();
  if (left > 0) return static_cast<int>(left);
  waiting_until_.reset();
  return 0;
}

// ---------------------------------------------------------------- what is seen

std::optional<scenario::ShownMessageBox> QtPerson::OpenMessageBox() {
  auto* box = Showing<MessageBoxDialog>(Wait::kMessageBox);
  if (box == nullptr) return std::nullopt;
  return scenario::ShownMessageBox{Utf8(box->text()), Utf8(box->windowTitle()), box->answers()};
}

std::optional<std::string> QtPerson::InputBoxPrompt() {
  auto* input = Showing<InputBoxDialog>(Wait::kInputBox);
  return input != nullptr ? std::optional<std::string>(Utf8(input->prompt())) : std::nullopt;
}

std::optional<std::string> QtPerson::PasswordDialogMessage() {
  auto* dialog = Showing<PasswordDialog>(Wait::kPasswordDialog);
  return dialog != nullptr ? std::optional<std::string>(Utf8(dialog->message())) : std::nullopt;
}

std::optional<std::vector<scenario::PopupItem>> QtPerson::OpenPopupMenu() {
  auto* menu = Showing<QMenu>(Wait::kPopupMenu);
  if (menu == nullptr) return std::nullopt;
  std::vector<QAction*> actions;
  CollectItems(menu, &actions);
  std::vector<scenario::PopupItem> items;
  for (QAction* action : actions) {
    QString caption = action->text();
    items.push_back(scenario::PopupItem{Utf8(caption.left(caption.indexOf(u'\t'))), !action->isEnabled()});
  }
  return items;
}

std::optional<std::string> QtPerson::ClipboardText() {
  const QMimeData* data = QGuiApplication::clipboard()->mimeData(QClipboard::Clipboard);
  if (data == nullptr || !data->hasText()) return std::nullopt;
  return Utf8(data->text());
}

std::optional<std::string> QtPerson::LastOpenedAddress() {
  if (!opened_addresses || opened_addresses().empty()) return std::nullopt;
  return platform::GbkToUtf8(opened_addresses().back());
}

bool QtPerson::IsReadOnly(platform::WindowHandle edit) {
  QWidget* widget = system_.WidgetOf(edit);
  if (auto* line = qobject_cast<QLineEdit*>(widget)) return line->isReadOnly();
  if (auto* multi = qobject_cast<QPlainTextEdit*>(widget)) return multi->isReadOnly();
  return false;
}

// The point is read off a picture of the whole client area of the unit's
// window, so a unit that paints nothing there shows what lies under it.
std::optional<std::uint32_t> QtPerson::ColourAt(platform::WindowHandle unit, int x, int y) {
  QWidget* area = system_.ClientWidgetOf(unit);
  if (area == nullptr || x < 0 || y < 0 || x >= area->width() || y >= area->height()) return std::nullopt;
  QWidget* window_area = system_.ClientWidgetOf(system_.HandleOf(area->window()));
  if (window_area == nullptr || (area != window_area && !window_area->isAncestorOf(area))) return std::nullopt;
  const QPoint at = area->mapTo(window_area, QPoint(x, y));
  const QImage picture = window_area->grab(QRect(at, QSize(1, 1))).toImage();
  if (picture.isNull()) return std::nullopt;
  return static_cast<std::uint32_t>(picture.pixel(0, 0)) & 0xFFFFFF;
}

std::uint32_t QtPerson::FaceColour() {
  return static_cast<std::uint32_t>(QApplication::palette().color(QPalette::Window).rgb()) & 0xFFFFFF;
}

// ---------------------------------------------------------------- what is done

void QtPerson::Type(platform::WindowHandle edit, const std::string& text) {
  QPointer<QWidget> widget = Widget(edit);
  QString typed = QString::fromUtf8(text);
  Later([widget, typed] {
    if (widget) TypeOver(widget, typed);
  });
}

void QtPerson::Click(platform::WindowHandle unit) {
  QPointer<QWidget> widget = Widget(unit);
  Later([widget] {
    if (!widget) return;
    if (auto* list = qobject_cast<QTableWidget*>(widget)) {
      QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, BelowTheRows(list));
    } else {
      QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
    }
  });
}

void QtPerson::RightClick(platform::WindowHandle handle) {
  // On the selected row, so the click keeps the selection as it is; else
  // on the empty part of the list.
  auto* list = qobject_cast<QTableWidget*>(Widget(handle));
  if (list == nullptr) throw scenario::ActionRefused("not a list");
  int row = system_.ListFirstSelected(handle);
  QPointer<QTableWidget> target = list;
  Later([target, row] {
    if (target) QTest::mouseClick(target->viewport(), Qt::RightButton, {}, OnRow(target, row));
  });
}

void QtPerson::SelectRow(platform::WindowHandle handle, int row) {
  auto* list = qobject_cast<QTableWidget*>(Widget(handle));
  if (list == nullptr) throw scenario::ActionRefused("not a list");
  QPointer<QTableWidget> target = list;
  Later([target, row] {
    if (target) QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, OnRow(target, row));
  });
}

void QtPerson::DoubleClickRow(platform::WindowHandle handle, int row) {
  auto* list = qobject_cast<QTableWidget*>(Widget(handle));
  if (list == nullptr) throw scenario::ActionRefused("not a list");
  QPointer<QTableWidget> target = list;
  Later([target, row] {
    if (!target) return;
    target->scrollToItem(target->item(row, 0));
    QTest::mouseDClick(target->viewport(), Qt::LeftButton, {}, OnRow(target, row));
  });
}

void QtPerson::ClickHeader(platform::WindowHandle handle, int column) {
  auto* list = qobject_cast<QTableWidget*>(Widget(handle));
  if (list == nullptr) throw scenario::ActionRefused("not a list");
  QHeaderView* header = list->horizontalHeader();
  if (header->isHidden()) throw scenario::ActionRefused("the list shows no column titles");
  if (column >= header->count()) throw scenario::ActionRefused("the list has " + std::to_string(header->count()) + " columns");
  QPointer<QHeaderView> target = header;
  Later([target, column] {
    if (!target) return;
    const QPoint at(target->sectionViewportPosition(column) + target->sectionSize(column) / 2, target->height() / 2);
    QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, at);
  });
}

void QtPerson::HoverRow(platform::WindowHandle handle, int row) {
  auto* list = qobject_cast<QTableWidget*>(Widget(handle));
  if (list == nullptr) throw scenario::ActionRefused("not a list");
  QPointer<QTableWidget> target = list;
  Later([target, row] {
    if (!target) return;
    QWidget* viewport = target->viewport();
    const QPoint at = OnRow(target, row);
    QMouseEvent move(QEvent::MouseMove, at, viewport->mapToGlobal(at), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
  });
}

void QtPerson::ToggleCheck(platform::WindowHandle handle, int row) {
  auto* list = dynamic_cast<platform::qt::ListWidget*>(Widget(handle));
  if (list == nullptr) throw scenario::ActionRefused("not a list");
  if (!list->check_boxes()) throw scenario::ActionRefused("the list has no check boxes");
  QPointer<platform::qt::ListWidget> target = list;
  Later([target, row] {
    if (!target) return;
    target->scrollToItem(target->item(row, 0));
    QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, target->CheckBoxRect(row).center());
  });
}

void QtPerson::PressSpin(platform::WindowHandle handle, bool up) {
  QWidget* box = Widget(handle);
  platform::qt::SpinWidget* spin = nullptr;
  if (box != nullptr && box->parentWidget() != nullptr)
    for (QWidget* child : box->parentWidget()->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
      if (auto* beside = dynamic_cast<platform::qt::SpinWidget*>(child); beside != nullptr && beside->box() == box &&
                                                                         !beside->isHidden())
        spin = beside;
  if (spin == nullptr) throw scenario::ActionRefused("the edit box has no spin control");
  if (!spin->isEnabled()) throw scenario::ActionRefused("the spin control is disabled");
  QPointer<platform::qt::SpinWidget> target = spin;
  Later([target, up] {
    if (!target) return;
    const QPoint at(target->width() / 2, up ? target->height() / 4 : target->height() * 3 / 4);
    QTest::mouseClick(target, Qt::LeftButton, {}, at);
  });
}

void QtPerson::RenameRow(platform::WindowHandle handle, int row, const std::string& text) {
  auto* list = qobject_cast<QTableWidget*>(Widget(handle));
  if (list == nullptr) throw scenario::ActionRefused("not a list");
  if (list->editTriggers() == QAbstractItemView::NoEditTriggers)
    throw scenario::ActionRefused("the list's captions cannot be edited");
  QPointer<QTableWidget> target = list;
  const QString typed = QString::fromUtf8(text);
  Later([this, target, row, typed] {
    if (!target) return;
    // A click on the caption (clear of a check box) selects the row; F2
    // starts the edit.
    target->scrollToItem(target->item(row, 0));
    if (target->currentRow() != row || !target->selectionModel()->isRowSelected(row))
      QTest::mouseClick(target->viewport(), Qt::LeftButton, {}, target->visualRect(target->model()->index(row, 0)).center());
    QTest::keyClick(target, Qt::Key_F2);
    // Once the key is taken, an editor is open in the list unless the
    // program said no.
    Later([target, typed] {
      if (!target) return;
      QLineEdit* editor = nullptr;
      for (QLineEdit* open : target->viewport()->findChildren<QLineEdit*>())
        if (open->isVisible()) editor = open;
      if (editor == nullptr) return;
      editor->selectAll();
      TypeKeys(editor, typed);
      QTest::keyClick(editor, Qt::Key_Return);
    });
  });
}

void QtPerson::Drag(platform::WindowHandle handle, int dx, int dy) {
  // A frame is pressed on its client area where no unit is, a unit at its centre.
  QWidget* target = Widget(handle);
  QPoint at = target->rect().center();
  if (QWidget* client = system_.ClientAreaOf(handle)) {
    std::optional<QPoint> bare = UncoveredPoint(client);
    if (!bare) throw scenario::ActionRefused("no part of the window's client area is uncovered");
    target = client;
    at = *bare;
  } else if (auto* area = qobject_cast<QAbstractScrollArea*>(target)) {
    target = area->viewport();
    at = target->rect().center();
  }
  QPointer<QWidget> pressed = target;
  Later([pressed, at, dx, dy] {
    if (!pressed) return;
    // Where the mouse goes is fixed at the press: the window may move under it.
    const QPoint from = pressed->mapToGlobal(at), by(dx, dy);
    QMouseEvent press(QEvent::MouseButtonPress, at, from, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pressed, &press);
    if (!pressed) return;
    QMouseEvent move(QEvent::MouseMove, at + by, from + by, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(pressed, &move);
    if (!pressed) return;
    QMouseEvent release(QEvent::MouseButtonRelease, at + by, from + by, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pressed, &release);
  });
}

void QtPerson::PressKey(int key) {
  platform::WindowHandle focus = system_.GetFocus();
  if (focus == 0) focus = system_.GetActive();
  QPointer<QWidget> target = Widget(focus);
  Qt::KeyboardModifiers modifiers;
  if ((key & platform::key::kShift) != 0) modifiers |= Qt::ShiftModifier;
  if ((key & platform::key::kCtrl) != 0) modifiers |= Qt::ControlModifier;
  if ((key & platform::key::kAlt) != 0) modifiers |= Qt::AltModifier;
  int code = key & 0x1FFF;
  Qt::Key pressed = Qt::Key_unknown;
  switch (code) {
    case platform::key::kTab: pressed = (modifiers & Qt::ShiftModifier) ? Qt::Key_Backtab : Qt::Key_Tab; break;
    case platform::key::kEnter: pressed = Qt::Key_Return; break;
    case platform::key::kEscape: pressed = Qt::Key_Escape; break;
    case platform::key::kApps: pressed = Qt::Key_Menu; break;
    default:
      if (code >= platform::key::kF1 && code < platform::key::kF1 + 12) pressed = static_cast<Qt::Key>(Qt::Key_F1 + (code - platform::key::kF1));
      break;
  }
  if (pressed == Qt::Key_unknown) throw scenario::ActionRefused("no such key on this desktop");
  Later([target, pressed, modifiers] {
    if (target) QTest::keyClick(target, pressed, modifiers);
  });
}

void QtPerson::Close(platform::WindowHandle frame) {
  QPointer<QWidget> widget = Widget(frame);
  Later([widget] {
    if (widget) widget->close();  // the close box
  });
}

void QtPerson::AnswerBox(platform::BoxAnswer answer) {
  auto* box = Showing<MessageBoxDialog>(Wait::kMessageBox);
  if (box == nullptr) throw scenario::ActionRefused("no message box is open");
  QPointer<QPushButton> button = box->ButtonFor(answer);
  if (!button) throw scenario::ActionRefused("the box has no such button");
  Later([button] {
    if (button) QTest::mouseClick(button, Qt::LeftButton);
  });
}

void QtPerson::AnswerDialog(const std::optional<std::string>& typed) {
  QPointer<QWidget> edit;
  QPointer<QPushButton> ok, cancel;
  if (auto* input = Showing<InputBoxDialog>(Wait::kInputBox)) {
    edit = input->edit();
    ok = input->ok();
    cancel = input->cancel();
  } else if (auto* dialog = Showing<PasswordDialog>(Wait::kPasswordDialog)) {
    edit = dialog->edit();
    ok = dialog->ok();
    cancel = dialog->cancel();
  } else {
    throw scenario::ActionRefused("no input box or password dialog is open");
  }
  std::optional<QString> text = typed ? std::optional<QString>(QString::fromUtf8(*typed)) : std::nullopt;
  Later([edit, ok, cancel, text] {
    if (text && edit) TypeOver(edit, *text);
    QPushButton* button = text ? ok.data() : cancel.data();
    if (button != nullptr) QTest::mouseClick(button, Qt::LeftButton);
  });
}

void QtPerson::ChoosePopupItem(std::size_t index) {
  auto* menu = Showing<QMenu>(Wait::kPopupMenu);
  if (menu == nullptr) throw scenario::ActionRefused("no popup menu is open");
  std::vector<QAction*> items;
  CollectItems(menu, &items);
  if (index >= items.size()) throw scenario::ActionRefused("the popup menu has no such item");
  QPointer<QMenu> shown = menu;
  QPointer<QAction> item = items[index];
  Later([shown, item] {
    if (shown && item) QTest::mouseClick(shown, Qt::LeftButton, {}, shown->actionGeometry(item).center());
  });
}

void QtPerson::DismissPopup() {
  QPointer<QMenu> menu = Showing<QMenu>(Wait::kPopupMenu);
  if (!menu) throw scenario::ActionRefused("no popup menu is open");
  Later([menu] {
    if (menu) QTest::keyClick(menu, Qt::Key_Escape);
  });
}

void QtPerson::SetClock(const platform::LocalTime& now) {
  if (set_clock) set_clock(now);
}

bool QtPerson::PassTime(std::uint32_t seconds) {
  std::int64_t real = pass_time ? pass_time(seconds) : static_cast<std::int64_t>(seconds) * 1000;
  waiting_until_ = Now() + real + kWaitSlackMs;
  return false;
}

bool QtPerson::LockSession() {
  // The screen saver's signal reaches the program from its event loop, as
  // it would from the session bus, once the dispatcher has returned.
  if (lock_session) Later(lock_session);
  waiting_until_ = Now() + kWaitSlackMs;
  return false;
}

}  // namespace quillkeep_qt
