#include "platform/qt/widgets_qt.h"

#include <QCloseEvent>
#include <QContextMenuEvent>
#include <QHideEvent>
#include <QShowEvent>
#include <QWindow>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <algorithm>
#include <utility>

#include "platform/qt/text_qt.h"
#include "platform/qt/window_system_qt.h"

namespace platform::qt {

QColor ColourOf(std::uint32_t colour) {
  return QColor(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 8) & 0xFF),
                static_cast<int>((colour >> 16) & 0xFF));
}

// ---------------------------------------------------------------- frame

FrameWidget::FrameWidget(QtWindowSystem& system) : QWidget(nullptr, Qt::Window), system_(system) {}

void FrameWidget::closeEvent(QCloseEvent* event) {
  // The close box only asks: the program decides, and destroys the window
  // itself when it agrees.
  event->ignore();
  system_.Notify(Notice::kCloseRequest, this);
}

// Only what the program shows or hides: the system's own (minimising,
// restoring) arrives as spontaneous events.
void FrameWidget::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (!event->spontaneous()) system_.Notify(Notice::kShown, this);
}

void FrameWidget::hideEvent(QHideEvent* event) {
  QWidget::hideEvent(event);
  if (!event->spontaneous()) system_.Notify(Notice::kHidden, this);
}

void FrameWidget::moveEvent(QMoveEvent* event) {
  QWidget::moveEvent(event);
  if (isVisible()) system_.Notify(Notice::kMoved, this);
}

void FrameWidget::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (isVisible()) system_.Notify(Notice::kResized, this);
}

// ---------------------------------------------------------------- client area

void ClientWidget::SetBackground(std::uint32_t colour) {
  background_ = colour;
  update();
}

// A label with the system's background paints nothing under its text, so
// this colour shows around it too.
void ClientWidget::paintEvent(QPaintEvent* event) {
  if (background_ == kSystemColour) return;
  QPainter painter(this);
  painter.fillRect(event->rect(), ColourOf(background_));
}

// ---------------------------------------------------------------- spin control

SpinWidget::SpinWidget(QtWindowSystem& system, QWidget* box)
    : QWidget(box->parentWidget()), system_(system), box_(box) {
  setFocusPolicy(Qt::NoFocus);
}

void SpinWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const int half = height() / 2;
  const QRect arrows[] = {QRect(0, 0, width(), half), QRect(0, half, width(), height() - half)};
  for (int i = 0; i < 2; ++i) {
    QStyleOptionButton button;
    button.initFrom(this);
    button.rect = arrows[i];
    button.state |= (pressed_ == (i == 0 ? 1 : -1)) ? QStyle::State_Sunken : QStyle::State_Raised;
    style()->drawPrimitive(QStyle::PE_PanelButtonBevel, &button, &painter, this);
    QStyleOption arrow;
    arrow.initFrom(this);
    arrow.rect = arrows[i].adjusted(3, 2, -3, -2);
    style()->drawPrimitive(i == 0 ? QStyle::PE_IndicatorArrowUp : QStyle::PE_IndicatorArrowDown, &arrow, &painter, this);
  }
}

void SpinWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !box_) return QWidget::mousePressEvent(event);
  pressed_ = event->position().y() < height() / 2.0 ? 1 : -1;
  update();
  const int step = pressed_;
  QPointer<QWidget> box = box_;
  box->setFocus(Qt::MouseFocusReason);
  if (box) system_.Notify(Notice::kSpin, box.data(), step);
}

void SpinWidget::mouseReleaseEvent(QMouseEvent* event) {
  pressed_ = 0;
  update();
  QWidget::mouseReleaseEvent(event);
}

// ---------------------------------------------------------------- frame dragging

void FrameWidget::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !system_.DragsByClientArea(this)) return QWidget::mousePressEvent(event);
  event->accept();
  // Without a window manager (or on the offscreen platform) the system
  // cannot move it: the frame follows the mouse itself.
  if (QWindow* window = windowHandle(); window != nullptr && window->startSystemMove()) return;
  dragging_ = true;
  drag_from_ = event->globalPosition().toPoint();
  frame_from_ = pos();
}

void FrameWidget::mouseMoveEvent(QMouseEvent* event) {
  if (!dragging_) return QWidget::mouseMoveEvent(event);
  event->accept();
  move(frame_from_ + (event->globalPosition().toPoint() - drag_from_));
}

void FrameWidget::mouseReleaseEvent(QMouseEvent* event) {
  if (!dragging_ || event->button() != Qt::LeftButton) return QWidget::mouseReleaseEvent(event);
  event->accept();
  dragging_ = false;
}

// ---------------------------------------------------------------- label

LabelWidget::LabelWidget(QWidget* parent) : QWidget(parent) {}

void LabelWidget::SetText(const QString& text) {
  text_ = text;
  update();
}

void LabelWidget::SetLook(const ControlLook& look) {
  look_ = look;
  update();
}

void LabelWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QRect area = rect();
  if (look_.background != kSystemColour) painter.fillRect(area, ColourOf(look_.background));
  int flags = look_.horizontal_align == 1 ? Qt::AlignHCenter : look_.horizontal_align == 2 ? Qt::AlignRight : Qt::AlignLeft;
  if (look_.word_wrap) {
    flags |= Qt::TextWordWrap | Qt::AlignTop;
  } else {
    flags |= Qt::TextSingleLine |
             (look_.vertical_align == 0 ? Qt::AlignTop : look_.vertical_align == 2 ? Qt::AlignBottom : Qt::AlignVCenter);
  }
  // No mnemonic flag: "&" is shown as it is.
  QColor colour = look_.text_colour == kSystemColour ? palette().color(QPalette::WindowText) : ColourOf(look_.text_colour);
  auto draw = [&](const QColor& c, int dx, int dy) {
    painter.setPen(c);
    painter.drawText(area.translated(dx, dy), flags, text_);
  };
  switch (look_.text_effect) {
    case 1: draw(Qt::white, 1, 1); draw(colour, 0, 0); break;  // engraved
    case 2: draw(Qt::white, 0, 0); draw(colour, 1, 1); break;  // embossed
    case 3: draw(Qt::black, 2, 2); draw(colour, 0, 0); break;  // shadow
    default: draw(colour, 0, 0); break;
  }
}

// ---------------------------------------------------------------- list view

ListWidget::ListWidget(QtWindowSystem& system, QWidget* parent, const ControlLook& look)
    : QTableWidget(parent),
      system_(system),
      hot_tracking_(look.hot_tracking),
      label_editing_(look.label_editing),
      check_boxes_(look.check_boxes) {
  verticalHeader()->hide();
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(look.single_selection ? QAbstractItemView::SingleSelection : QAbstractItemView::ExtendedSelection);
  // A caption is edited by a click on the selected row (after the double
  // click time, as on the system's list) or by F2.
  setEditTriggers(label_editing_ ? QAbstractItemView::SelectedClicked | QAbstractItemView::EditKeyPressed
                                 : QAbstractItemView::NoEditTriggers);
  setTabKeyNavigation(false);  // Tab belongs to the window's tab order
  setTextElideMode(Qt::ElideRight);
  setCornerButtonEnabled(false);
  setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
  setFocusPolicy(Qt::StrongFocus);
  setShowGrid(look.grid_lines);
  QHeaderView* header = horizontalHeader();
  header->setHighlightSections(false);
  header->setSectionsClickable(look.clickable_header);
  header->setSectionsMovable(look.header_drag_drop);
  header->setStretchLastSection(false);
  header->setMinimumSectionSize(0);
  if (look.view != ListViewMode::kReport) {
    // Only the report view has columns; the others show the rows' captions.
    setColumnCount(1);
    header->setStretchLastSection(true);
  }
  connect(header, &QHeaderView::sectionClicked, this, [this](int column) {
    if (horizontalHeader()->sectionsClickable()) system_.Notify(Notice::kColumnClicked, this, column);
  });
  if (hot_tracking_) viewport()->setMouseTracking(true);
  connect(this, &QAbstractItemView::entered, this, [this](const QModelIndex& index) {
    if (!hot_tracking_ || index.row() == hot_row_) return;
    hot_row_ = index.row();
    system_.Notify(Notice::kHotRow, this, hot_row_);
  });
  connect(this, &QAbstractItemView::viewportEntered, this, [this] { hot_row_ = -1; });
  // A toggled check box is reported by a posted notice whose handler reads
  // the new state.
  connect(model(), &QAbstractItemModel::dataChanged, this,
          [this](const QModelIndex& first, const QModelIndex& last, const QList<int>& roles) {
            if (!check_boxes_ || !roles.contains(Qt::CheckStateRole)) return;
            for (int row = first.row(); row <= last.row(); ++row)
              if (first.column() == 0) system_.Post(Notice::kCheckToggled, this, row);
          });
  connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current, const QModelIndex& previous) {
            if (current.isValid() && (!previous.isValid() || previous.row() != current.row()))
              system_.Notify(Notice::kRowFocused, this, current.row());
          });
  SetLook(look);
}

void ListWidget::SetLook(const ControlLook& look) {
  QPalette colours = palette();
  if (look.text_colour != kSystemColour) colours.setColor(QPalette::Text, ColourOf(look.text_colour));
  std::uint32_t back = look.background != kSystemColour ? look.background : look.text_background;
  if (back != kSystemColour) colours.setColor(QPalette::Base, ColourOf(back));
  if (!look.always_show_selection) {
    // Without the focus the selection is not shown.
    colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Base));
    colours.setColor(QPalette::Inactive, QPalette::HighlightedText, colours.color(QPalette::Active, QPalette::Text));
  }
  setPalette(colours);
  setFrameShape(look.border == Border::kNone ? QFrame::NoFrame : QFrame::StyledPanel);
  // Only the report view has column titles; only the icon views wrap captions.
  horizontalHeader()->setVisible(look.view == ListViewMode::kReport && !look.hide_header);
  const bool icons = look.view == ListViewMode::kLargeIcons || look.view == ListViewMode::kSmallIcons;
  setWordWrap(icons && look.wrap_labels);
  // Rows as high as the font needs, as the system list view makes them.
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
}

int ListWidget::FirstSelectedRow() const {
  int first = -1;
  for (const QModelIndex& index : selectionModel()->selectedRows())
    if (first < 0 || index.row() < first) first = index.row();
  return first;
}

QPoint ListWidget::KeyboardMenuPoint() const {
  int row = FirstSelectedRow();
  if (row >= 0) {
    QRect cell = visualRect(model()->index(row, 0));
    return viewport()->mapToGlobal(QPoint(cell.left(), cell.bottom() + 1));
  }
  return mapToGlobal(contentsRect().topLeft());
}

QRect ListWidget::CheckBoxRect(int row) const {
  const QTableWidgetItem* cell = item(row, 0);
  if (!check_boxes_ || cell == nullptr) return {};
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  option.rect = visualRect(model()->index(row, 0));
  option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
  option.checkState = cell->checkState();
  option.text = cell->text();
  return style()->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this);
}

bool ListWidget::edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) {
  // A click waiting for the double-click time comes back later with every
  // trigger; only F2 and that one start the edit here.
  const bool starts = label_editing_ && index.isValid() && state() != EditingState &&
                      (trigger == EditKeyPressed || trigger == AllEditTriggers);
  if (!starts) return QTableWidget::edit(index, trigger, event);
  if (event != nullptr && QTableWidget::edit(index, NoEditTriggers, event)) return true;  // a check box took it
  const int row = index.row();
  if (system_.Ask(Notice::kLabelEditStarting, this, row)) return false;
  if (row >= rowCount()) return false;  // the handler took the row away
  editing_row_ = row;
  return QTableWidget::edit(model()->index(row, 0), AllEditTriggers, nullptr);
}

void ListWidget::commitData(QWidget* editor) {
  auto* line = qobject_cast<QLineEdit*>(editor);
  if (line == nullptr || editing_row_ < 0) return QTableWidget::commitData(editor);
  const int row = std::exchange(editing_row_, -1);
  const std::string text = ToGbk(line->text());
  if (system_.Ask(Notice::kLabelEditEnded, this, row, &text)) return;  // rejected: the caption stays
  QTableWidget::commitData(editor);
}

void ListWidget::mousePressEvent(QMouseEvent* event) {
  pressed_ |= event->button();
  QTableWidget::mousePressEvent(event);
}

void ListWidget::mouseReleaseEvent(QMouseEvent* event) {
  QTableWidget::mouseReleaseEvent(event);
  Qt::MouseButton button = event->button();
  // A release after a double click belongs to no click of its own.
  if (!(pressed_ & button)) return;
  pressed_ &= ~Qt::MouseButtons(button);
  if (button == Qt::LeftButton) system_.Notify(Notice::kClicked, this);
  if (button == Qt::RightButton) system_.NotifyAt(Notice::kRightClicked, this, event->globalPosition().toPoint());
}

void ListWidget::mouseDoubleClickEvent(QMouseEvent* event) {
  QTableWidget::mouseDoubleClickEvent(event);
  if (event->button() != Qt::LeftButton) return;
  QModelIndex index = indexAt(event->position().toPoint());
  if (index.isValid()) system_.Notify(Notice::kRowActivated, this, index.row());
}

void ListWidget::keyPressEvent(QKeyEvent* event) {
  bool shift_f10 = event->key() == Qt::Key_F10 && (event->modifiers() & Qt::ShiftModifier) != 0;
  if (event->key() == Qt::Key_Menu || shift_f10) {
    KeyboardContextMenu();
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    int row = currentRow();
    if (row >= 0) system_.Notify(Notice::kRowActivated, this, row);
    event->accept();
    return;
  }
  QTableWidget::keyPressEvent(event);
}

void ListWidget::contextMenuEvent(QContextMenuEvent* event) {
  // A right click was reported when the button came up; the keyboard's
  // request is reported here when the system turned the key into one.
  if (event->reason() == QContextMenuEvent::Keyboard) KeyboardContextMenu();
  event->accept();
}

void ListWidget::KeyboardContextMenu() { system_.NotifyAt(Notice::kRightClicked, this, KeyboardMenuPoint()); }

}  // namespace platform::qt
