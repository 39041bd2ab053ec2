// The widgets of the Qt desktop that Qt has no ready match for: the frame
// of a window (its close box only asks the program) and its client area
// (painted in the window's background colour), the label (painted as
// the runtime's label class paints: "&" as it is, the text effects), and
// the list view in report mode (grid lines, a row selected whole, the
// clicks and the keyboard's context-menu request reported as the runtime
// expects). Edit boxes are in edit_qt.h.
#pragma once

#include <QPointer>
#include <QTableWidget>
#include <QWidget>

#include <cstdint>

#include "platform/window_system.h"

namespace platform::qt {

class QtWindowSystem;

class FrameWidget final : public QWidget {
 public:
  explicit FrameWidget(QtWindowSystem& system);

 protected:
  void closeEvent(QCloseEvent* event) override;
  void moveEvent(QMoveEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // A left-button press that reaches the frame (its client area, or a unit
  // that lets the press through: a label) moves the window when it drags
  // by its client area: through the window system, or else by hand, the
  // window following the mouse until the button is let go.
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QtWindowSystem& system_;
  bool dragging_ = false;
  QPoint drag_from_;  // the mouse at the press (global pixels)
  QPoint frame_from_; // the frame's position then
};

// A frame's client area: it holds the controls below the menu bar and
// paints the window's background colour where they leave it free.
class ClientWidget final : public QWidget {
 public:
  explicit ClientWidget(QWidget* frame) : QWidget(frame) {}
  // 0xBBGGRR; kSystemColour leaves the desktop's own window face.
  void SetBackground(std::uint32_t colour);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  std::uint32_t background_ = kSystemColour;
};

// An edit box's spin control: an up and a down arrow beside the box. A
// press on the upper or lower half gives the box the focus, as the system's
// up-down control does, and reports kSpin (+1 or -1) for the box; the box's
// text is left to the program. It takes no focus itself.
class SpinWidget final : public QWidget {
 public:
  SpinWidget(QtWindowSystem& system, QWidget* box);
  QWidget* box() const { return box_.data(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  QtWindowSystem& system_;
  QPointer<QWidget> box_;
  int pressed_ = 0;  // +1 or -1 while an arrow is held down, for drawing it sunken
};

class LabelWidget final : public QWidget {
 public:
  explicit LabelWidget(QWidget* parent);
  void SetText(const QString& text);
  const QString& text() const { return text_; }
  void SetLook(const ControlLook& look);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  QString text_;
  ControlLook look_;
};

class ListWidget final : public QTableWidget {
 public:
  ListWidget(QtWindowSystem& system, QWidget* parent, const ControlLook& look);
  // Applies the colours, border, column header and caption wrapping of a look.
  void SetLook(const ControlLook& look);
  // Where the keyboard's context menu opens: below the selected row's left
  // end, or the list's top left corner without one (global pixels).
  QPoint KeyboardMenuPoint() const;
  int FirstSelectedRow() const;
  bool check_boxes() const { return check_boxes_; }
  // Where the row's check box is drawn (viewport pixels); empty without one.
  QRect CheckBoxRect(int row) const;

 protected:
  // Starting a caption edit asks the program first, and always edits the
  // row's caption (its first column), whichever cell was clicked.
  bool edit(const QModelIndex& index, EditTrigger trigger, QEvent* event) override;
  // The edited caption is the program's to accept or reject.
  void commitData(QWidget* editor) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  void KeyboardContextMenu();

  QtWindowSystem& system_;
  Qt::MouseButtons pressed_;  // buttons pressed in the list and not yet released
  bool hot_tracking_, label_editing_, check_boxes_;  // fixed when the list is made
  int hot_row_ = -1;      // the row last reported under the mouse
  int editing_row_ = -1;  // the row whose caption is being edited
};

// 0xBBGGRR as the templates store colours.
QColor ColourOf(std::uint32_t colour);

}  // namespace platform::qt
