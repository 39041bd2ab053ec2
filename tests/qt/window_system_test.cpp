// The Qt window system on real widgets, offscreen: geometry, edit rules
// against typing, pasting and input methods, list views, notices, and the
// message queue.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QInputMethodQueryEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QTimer>

#include <cstdint>
#include <cstring>
#include <memory>

#include "platform/qt/window_system_qt.h"
#include "tests/qt/qt_test_support.h"

namespace platform::qt {
namespace {

using namespace Qt::StringLiterals;
using qt_tests::Gbk;
using qt_tests::Recorder;
using qt_tests::TypeText;

MenuEntry Item(const std::string& caption, int command, bool greyed = false) {
  MenuEntry entry;
  entry.caption = caption;
  entry.command = command;
  entry.greyed = greyed;
  return entry;
}

class QtWindowSystemTest : public ::testing::Test {
 protected:
  void SetUp() override {
    system_ = std::make_unique<QtWindowSystem>();
    system_->SetListener(&recorder_);
    CreateParams params;
    params.kind = ControlKind::kFrame;
    params.class_name = "QXWindow";
    params.text = Gbk(u"测试窗口");
    params.rect = Rect{10, 20, 400, 300};
    frame_ = system_->Create(params);
    ASSERT_NE(frame_, 0u);
    system_->Show(frame_, true, true);
  }
  void TearDown() override {
    system_->SetListener(nullptr);
    system_.reset();
  }

  WindowHandle Control(ControlKind kind, const std::string& text, ControlLook look = {}, Rect rect = {8, 8, 200, 24}) {
    CreateParams params;
    params.kind = kind;
    params.text = text;
    params.parent = frame_;
    params.rect = rect;
    params.look = look;
    WindowHandle made = system_->Create(params);
    system_->Show(made, true, false);
    return made;
  }
  WindowHandle Edit(int max_bytes, const std::string& text = "", bool multi_line = false) {
    ControlLook look;
    look.multi_line = multi_line;
    look.scroll_bars = multi_line ? ScrollBars::kVertical : ScrollBars::kNone;
    WindowHandle edit = Control(ControlKind::kEdit, text, look, Rect{8, 8, 200, multi_line ? 60 : 24});
    EditRules rules;
    rules.max_bytes = max_bytes;
    rules.multi_line = multi_line;
    system_->SetEditRules(edit, rules);
    return edit;
  }
  QWidget* Widget(WindowHandle handle) { return system_->WidgetOf(handle); }

  std::unique_ptr<QtWindowSystem> system_;
  Recorder recorder_;
  WindowHandle frame_ = 0;
};

TEST_F(QtWindowSystemTest, FrameKeepsItsOuterGeometryAroundAFixedClientArea) {
  EXPECT_EQ(system_->GetText(frame_), Gbk(u"测试窗口"));
  EXPECT_EQ(Widget(frame_)->windowTitle(), u"测试窗口"_s);
  Rect outer = system_->GetRect(frame_);
  EXPECT_EQ(outer.width, 400);
  EXPECT_EQ(outer.height, 300);
  // The client area is what the templates' windows had inside their frame.
  NonClient around = FrameDecorations(FrameStyle{});
  EXPECT_EQ(Widget(frame_)->size(), QSize(400 - around.left - around.right, 300 - around.top - around.bottom));
  system_->SetRect(frame_, Rect{30, 40, 320, 200});
  EXPECT_EQ(system_->GetRect(frame_).width, 320);
  EXPECT_EQ(system_->GetRect(frame_).height, 200);

  FrameStyle tool;
  tool.tool_window = true;
  system_->SetFrameStyle(frame_, tool);
  EXPECT_EQ(system_->GetRect(frame_).height, 200) << "a frame change keeps the outer size";
  EXPECT_GT(Widget(frame_)->height(), 200 - around.top - around.bottom) << "a tool window's title bar is smaller";
  EXPECT_TRUE(Widget(frame_)->windowFlags().testFlag(Qt::Tool));
}

// The line height the runtime sizes edit boxes by is that of the font the
// box really shows, the default one or one of its own.
TEST_F(QtWindowSystemTest, LineHeightIsThatOfTheFontTheBoxShows) {
  std::string big(60, '\0');
  const std::int32_t height = -32, weight = 400;
  std::memcpy(&big[0], &height, 4);
  std::memcpy(&big[16], &weight, 4);
  big.replace(28, 4, Gbk(u"宋体"));
  for (const std::string& font : {std::string(), big}) {
    ControlLook look;
    look.font = font;
    QWidget* edit = Widget(Control(ControlKind::kEdit, "", look));
    ASSERT_NE(edit, nullptr);
    EXPECT_EQ(system_->FontLineHeight(font), edit->fontMetrics().height()) << font.size();
  }
  EXPECT_GE(system_->FontLineHeight(big), 32);
}

TEST_F(QtWindowSystemTest, TypingStopsAtTheByteLimitWithoutHalfCharacters) {
  WindowHandle edit = Edit(512, std::string(511, 'a'));
  auto* line = static_cast<QLineEdit*>(Widget(edit));
  line->end(false);
  TypeText(line, u"中"_s);  // two bytes, one left
  EXPECT_EQ(system_->GetText(edit), std::string(511, 'a'));
  EXPECT_EQ(system_->refusals(), 1);
  TypeText(line, u"b"_s);
  EXPECT_EQ(system_->GetText(edit).size(), 512u);
  // With the last two letters selected, the character replaces them.
  line->setSelection(510, 2);
  TypeText(line, u"中"_s);
  EXPECT_EQ(system_->GetText(edit), std::string(510, 'a') + "\xD6\xD0");
  EXPECT_EQ(system_->refusals(), 1);
  EXPECT_GE(recorder_.Count(Notice::kTextChanged, edit), 2);
}

TEST_F(QtWindowSystemTest, PasteIsCutByTheSameRulesAndKeepsWhatGbkHas) {
  WindowHandle edit = Edit(5);
  auto* line = static_cast<QLineEdit*>(Widget(edit));
  QGuiApplication::clipboard()->setText(u"站😀点한abc\r\nnext"_s);
  QTest::keyClick(line, Qt::Key_V, Qt::ControlModifier);
  // 站点 (4 bytes) and "a"; the emoji and the Korean syllable are left out,
  // and the text ends at the limit (and would at the line break).
  EXPECT_EQ(line->text(), u"站点a"_s);
  EXPECT_EQ(system_->refusals(), 1);

  WindowHandle wide = Edit(0);
  auto* unlimited = static_cast<QLineEdit*>(Widget(wide));
  QTest::keyClick(unlimited, Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ(unlimited->text(), u"站点abc"_s) << "one line of the paste";
}

TEST_F(QtWindowSystemTest, CharactersGbkLacksAreRefusedWhenTypedOrCommitted) {
  WindowHandle edit = Edit(512);
  QWidget* line = Widget(edit);
  TypeText(line, u"站😀点한"_s);
  EXPECT_EQ(system_->GetText(edit), Gbk(u"站点"));
  EXPECT_EQ(system_->refusals(), 2);
  qt_tests::Commit(line, u"中😀文"_s);
  EXPECT_EQ(system_->GetText(edit), Gbk(u"站点中文"));
  EXPECT_EQ(system_->refusals(), 3);
  // An input method's commit is cut by the limit as a paste is.
  WindowHandle small = Edit(3);
  qt_tests::Commit(Widget(small), u"中文"_s);
  EXPECT_EQ(system_->GetText(small), Gbk(u"中"));
}

TEST_F(QtWindowSystemTest, MultiLineBoxCountsALineBreakAsTwoBytesAndScrolls) {
  WindowHandle edit = Edit(512, std::string(510, 'a'), true);
  auto* text = static_cast<QPlainTextEdit*>(Widget(edit));
  text->moveCursor(QTextCursor::End);
  QTest::keyClick(text, Qt::Key_Return);
  EXPECT_EQ(system_->GetText(edit), std::string(510, 'a') + "\r\n");
  QTest::keyClick(text, Qt::Key_Return);
  EXPECT_EQ(system_->GetText(edit).size(), 512u) << "no room for another break";
  EXPECT_EQ(system_->refusals(), 1);
  system_->SetText(edit, "one\r\ntwo");
  EXPECT_EQ(text->toPlainText(), u"one\ntwo"_s);
  EXPECT_EQ(system_->GetText(edit), "one\r\ntwo");
  EXPECT_EQ(text->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_EQ(text->lineWrapMode(), QPlainTextEdit::WidgetWidth);
}

// Selections are GBK byte offsets that never split a character or a line
// break, and a box keeps its selection when the focus leaves it.
TEST_F(QtWindowSystemTest, SelectionCountsGbkBytesAndKeepsCharactersWhole) {
  int start = -1, length = -1;
  WindowHandle multi = Edit(0, Gbk(u"甲乙\r\nab"), true);
  system_->SetEditSelection(multi, 3, 100);  // inside 乙, then past the end
  system_->GetEditSelection(multi, &start, &length);
  EXPECT_EQ(start, 2);
  EXPECT_EQ(length, 6);
  system_->SetEditSelection(multi, 5, 1);  // inside the line break
  system_->GetEditSelection(multi, &start, &length);
  EXPECT_EQ(start, 4);
  EXPECT_EQ(length, 0);
  system_->SetEditSelection(multi, 6, 2);
  EXPECT_EQ(static_cast<QPlainTextEdit*>(Widget(multi))->textCursor().selectedText(), u"ab"_s);

  WindowHandle line = Edit(0, Gbk(u"甲乙abc"));
  system_->SetFocus(line);
  system_->SetEditSelection(line, 1, 3);  // from 甲's start, up to 乙's second byte
  system_->GetEditSelection(line, &start, &length);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(length, 2);
  system_->SetFocus(multi);
  system_->GetEditSelection(line, &start, &length);
  EXPECT_EQ(start, 0);
  EXPECT_EQ(length, 2) << "the selection outlives the focus";
  system_->SetText(line, "xyz");
  system_->GetEditSelection(line, &start, &length);
  EXPECT_EQ(start, 0) << "a new text puts the caret at its start";
  EXPECT_EQ(length, 0);
}

TEST_F(QtWindowSystemTest, PasswordCharacterReadOnlyAndDigits) {
  WindowHandle edit = Edit(0, "secret");
  EditRules rules;
  rules.password = true;
  rules.password_char = '*';
  system_->SetEditRules(edit, rules);
  auto* line = static_cast<QLineEdit*>(Widget(edit));
  EXPECT_EQ(line->displayText(), u"******"_s);
  EXPECT_EQ(system_->GetText(edit), "secret");
  rules.password_char = '#';
  system_->SetEditRules(edit, rules);
  EXPECT_EQ(line->displayText(), u"######"_s);

  EditRules read_only;
  read_only.read_only = true;
  system_->SetEditRules(edit, read_only);
  TypeText(line, u"x"_s);
  EXPECT_EQ(system_->GetText(edit), "secret");

  EditRules digits;
  digits.digits_only = true;
  digits.case_mode = 2;
  system_->SetEditRules(edit, digits);
  line->clear();
  TypeText(line, u"-1a2"_s);
  EXPECT_EQ(line->text(), u"-12"_s);
}

// Whether an input method would be offered the widget as the focus object.
bool InputMethodOn(QWidget* widget) {
  QInputMethodQueryEvent query(Qt::ImEnabled);
  QCoreApplication::sendEvent(widget, &query);
  return query.value(Qt::ImEnabled).toBool();
}

TEST_F(QtWindowSystemTest, ABoxForASecretHasNoInputMethod) {
  WindowHandle edit = Edit(0);
  QWidget* line = Widget(edit);
  ASSERT_TRUE(InputMethodOn(line)) << "an ordinary box takes an input method";
  EditRules rules;
  rules.input_method = false;
  system_->SetEditRules(edit, rules);
  EXPECT_FALSE(line->testAttribute(Qt::WA_InputMethodEnabled));
  EXPECT_FALSE(InputMethodOn(line));
  EXPECT_TRUE(line->inputMethodHints().testFlag(Qt::ImhSensitiveData));
  // An input method that writes anyway is not listened to.
  qt_tests::Commit(line, u"abc。123！"_s);
  EXPECT_EQ(system_->GetText(edit), "");
  TypeText(line, u"abc"_s);  // the keyboard itself still types
  EXPECT_EQ(system_->GetText(edit), "abc");
  rules.input_method = true;
  system_->SetEditRules(edit, rules);
  EXPECT_TRUE(InputMethodOn(line));

  WindowHandle remarks = Edit(0, "", true);
  system_->SetEditRules(remarks, rules);
  EXPECT_TRUE(InputMethodOn(Widget(remarks)));
  rules.input_method = false;
  rules.multi_line = true;
  system_->SetEditRules(remarks, rules);
  EXPECT_FALSE(InputMethodOn(Widget(remarks)));
}

TEST_F(QtWindowSystemTest, LabelsShowAmpersandsAndButtonsReportClicks) {
  WindowHandle label = Control(ControlKind::kLabel, "A&B");
  EXPECT_EQ(system_->GetText(label), "A&B");
  EXPECT_FALSE(Widget(label)->grab().isNull());
  WindowHandle button = Control(ControlKind::kButton, Gbk(u"确定"), {}, Rect{8, 40, 80, 24});
  QTest::mouseClick(Widget(button), Qt::LeftButton);
  EXPECT_EQ(recorder_.Count(Notice::kClicked, button), 1);
  system_->SetDefaultButton(button, true);
  EXPECT_TRUE(static_cast<QPushButton*>(Widget(button))->isDefault());
  // A disabled window takes no clicks, as a window disabled for a modal one.
  system_->Enable(frame_, false);
  EXPECT_FALSE(system_->IsEnabled(frame_));
  EXPECT_TRUE(system_->IsEnabled(button)) << "its own state, not its parent's";
  QTest::mouseClick(Widget(button), Qt::LeftButton);
  EXPECT_EQ(recorder_.Count(Notice::kClicked, button), 1);
  system_->Enable(frame_, true);
  QTest::mouseClick(Widget(button), Qt::LeftButton);
  EXPECT_EQ(recorder_.Count(Notice::kClicked, button), 2);
}

// Offscreen the platform cannot move a window itself: a frame that drags by
// its client area follows the mouse from a left-button press there or on a
// label, through every move until the release.
TEST_F(QtWindowSystemTest, AFrameThatDragsByItsClientAreaFollowsTheMouse) {
  FrameStyle dragging;
  dragging.drag_by_client = true;
  system_->SetFrameStyle(frame_, dragging);
  WindowHandle label = Control(ControlKind::kLabel, "A");
  WindowHandle button = Control(ControlKind::kButton, "B", {}, Rect{8, 40, 80, 24});
  QWidget* frame = Widget(frame_);
  auto drag = [&](QWidget* pressed, QPoint at, Qt::MouseButton held, std::initializer_list<QPoint> path) {
    const QPoint from = pressed->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, from, held, held, Qt::NoModifier);
    QApplication::sendEvent(pressed, &press);
    QPoint by;
    for (QPoint step : path) {
      by = step;
      QMouseEvent move(QEvent::MouseMove, at + by, from + by, Qt::NoButton, held, Qt::NoModifier);
      QApplication::sendEvent(pressed, &move);
    }
    QMouseEvent release(QEvent::MouseButtonRelease, at + by, from + by, held, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(pressed, &release);
    QCoreApplication::processEvents();
    return frame->pos();
  };
  const QPoint origin = frame->pos();
  QWidget* on_label = Widget(label);
  EXPECT_EQ(drag(on_label, on_label->rect().center(), Qt::LeftButton, {{5, 0}, {12, 7}}), origin + QPoint(12, 7));
  QWidget* client = system_->ClientAreaOf(frame_);
  ASSERT_NE(client, nullptr);
  ASSERT_EQ(client->childAt(300, 150), nullptr);
  EXPECT_EQ(drag(client, {300, 150}, Qt::LeftButton, {{-4, -6}}), origin + QPoint(8, 1));
  EXPECT_GE(recorder_.Count(Notice::kMoved, frame_), 2);

  const QPoint moved = frame->pos();
  EXPECT_EQ(drag(on_label, {4, 4}, Qt::RightButton, {{30, 30}}), moved) << "only the left button drags";
  QWidget* on_button = Widget(button);
  EXPECT_EQ(drag(on_button, on_button->rect().center(), Qt::LeftButton, {{0, 60}}), moved) << "a button keeps its press";
  EXPECT_EQ(recorder_.Count(Notice::kClicked, button), 0) << "released off the button";
  system_->SetFrameStyle(frame_, FrameStyle{});
  EXPECT_EQ(drag(on_label, {4, 4}, Qt::LeftButton, {{30, 30}}), moved) << "dragging turned off";
  EXPECT_EQ(drag(client, {300, 150}, Qt::LeftButton, {{30, 30}}), moved);
}

class QtListTest : public QtWindowSystemTest {
 protected:
  void SetUp() override {
    QtWindowSystemTest::SetUp();
    ControlLook look;
    look.view = ListViewMode::kReport;
    look.full_row_select = true;
    look.grid_lines = true;
    list_ = Control(ControlKind::kListView, "", look, Rect{2, 3, 380, 200});
    system_->ListInsertColumn(list_, 0, "id", 30, 0);
    system_->ListInsertColumn(list_, 1, Gbk(u"帐号"), 80, 1);
    for (int row = 0; row < 3; ++row) {
      ASSERT_EQ(system_->ListInsertRow(list_, row, std::to_string(row + 11)), row);
      ASSERT_TRUE(system_->ListSetCell(list_, row, 1, Gbk(u"用户") + std::to_string(row)));
    }
    table_ = static_cast<QTableWidget*>(Widget(list_));
  }
  QPoint RowCentre(int row) { return table_->visualRect(table_->model()->index(row, 1)).center(); }

  WindowHandle list_ = 0;
  QTableWidget* table_ = nullptr;
};

TEST_F(QtListTest, ColumnsRowsAndCells) {
  EXPECT_EQ(table_->columnWidth(0), 30);
  EXPECT_EQ(table_->columnWidth(1), 80);
  EXPECT_EQ(table_->horizontalHeaderItem(1)->text(), u"帐号"_s);
  EXPECT_TRUE(table_->showGrid());
  EXPECT_EQ(system_->ListRowCount(list_), 3);
  char cell[16];
  EXPECT_EQ(system_->ListGetCell(list_, 1, 1, cell, sizeof cell), 5);
  EXPECT_EQ(std::string(cell), Gbk(u"用户1"));
  EXPECT_EQ(system_->ListGetCell(list_, 1, 1, cell, 5), 4) << "capacity - 1 bytes and a terminator";
  EXPECT_EQ(cell[4], '\0');
  EXPECT_EQ(system_->ListGetCell(list_, 9, 0, cell, sizeof cell), 0);
  EXPECT_FALSE(system_->ListSetCell(list_, 0, 2, "beyond the columns"));
  EXPECT_EQ(system_->ListInsertRow(list_, 99, "appended"), 3);
  EXPECT_TRUE(table_->item(0, 1)->textAlignment() & Qt::AlignHCenter);
}

TEST_F(QtListTest, SelectionFocusAndDeletion) {
  EXPECT_EQ(system_->ListFirstSelected(list_), -1);
  system_->ListSetRowState(list_, 2, true, true);
  EXPECT_EQ(system_->ListFirstSelected(list_), 2);
  EXPECT_EQ(recorder_.Count(Notice::kRowFocused, list_), 1);
  QTest::mouseClick(table_->viewport(), Qt::LeftButton, {}, RowCentre(1));
  EXPECT_EQ(system_->ListFirstSelected(list_), 1);
  EXPECT_EQ(recorder_.Count(Notice::kClicked, list_), 1);
  EXPECT_EQ(recorder_.Count(Notice::kRowFocused, list_), 2);
  EXPECT_TRUE(system_->ListDeleteRow(list_, 1));
  EXPECT_EQ(system_->ListFirstSelected(list_), -1) << "deleting the selected row leaves none selected";
  system_->ListDeleteAllRows(list_);
  EXPECT_EQ(system_->ListRowCount(list_), 0);
}

// Hiding the column titles and unwrapping the captions take effect at once
// and can be undone; only the icon views wrap captions.
TEST_F(QtListTest, ColumnTitlesAndLabelWrapFollowTheLookAtOnce) {
  ControlLook report;
  report.view = ListViewMode::kReport;
  report.hide_header = true;
  system_->SetLook(list_, report);
  EXPECT_TRUE(table_->horizontalHeader()->isHidden());
  report.hide_header = false;
  system_->SetLook(list_, report);
  EXPECT_FALSE(table_->horizontalHeader()->isHidden());
  EXPECT_FALSE(table_->wordWrap());

  ControlLook icons;
  WindowHandle icon_list = Control(ControlKind::kListView, "", icons, Rect{2, 210, 200, 80});
  auto* icon_table = static_cast<QTableWidget*>(Widget(icon_list));
  EXPECT_TRUE(icon_table->wordWrap());
  EXPECT_TRUE(icon_table->horizontalHeader()->isHidden()) << "no column titles outside the report view";
  icons.wrap_labels = false;
  system_->SetLook(icon_list, icons);
  EXPECT_FALSE(icon_table->wordWrap());
}

TEST_F(QtListTest, RightClickAndTheContextMenuKeysReportWhereTheMenuGoes) {
  std::vector<QPoint> asked;
  recorder_.also = [&](const Message& m) {
    if (m.notice != Notice::kRightClicked) return;
    int x = 0, y = 0;
    system_->CursorPosition(&x, &y);
    asked.emplace_back(x, y);
  };
  QPoint click = RowCentre(1);
  QTest::mouseClick(table_->viewport(), Qt::RightButton, {}, click);
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(asked[0], table_->viewport()->mapToGlobal(click)) << "at the mouse";
  EXPECT_EQ(system_->ListFirstSelected(list_), 1) << "the right click selects its row";

  // The menu key and Shift+F10: at the selected row, below its left end.
  QRect row = table_->visualRect(table_->model()->index(1, 0));
  QPoint below_row = table_->viewport()->mapToGlobal(QPoint(row.left(), row.bottom() + 1));
  QTest::keyClick(table_, Qt::Key_Menu);
  QTest::keyClick(table_, Qt::Key_F10, Qt::ShiftModifier);
  QContextMenuEvent from_keyboard(QContextMenuEvent::Keyboard, QPoint(0, 0), table_->mapToGlobal(QPoint(0, 0)));
  QCoreApplication::sendEvent(table_, &from_keyboard);
  ASSERT_EQ(asked.size(), 4u);
  EXPECT_EQ(asked[1], below_row);
  EXPECT_EQ(asked[2], below_row);
  EXPECT_EQ(asked[3], below_row);
  EXPECT_EQ(recorder_.Count(Notice::kRightClicked, list_), 4);
  // A right click's own context-menu request adds nothing.
  QContextMenuEvent from_mouse(QContextMenuEvent::Mouse, click, table_->viewport()->mapToGlobal(click));
  QCoreApplication::sendEvent(table_, &from_mouse);
  EXPECT_EQ(recorder_.Count(Notice::kRightClicked, list_), 4);
}

TEST_F(QtWindowSystemTest, PopupMenuOpensWhereAskedAndReturnsTheChosenCommand) {
  std::vector<MenuEntry> entries = {Item(Gbk(u"复制账号"), 20001), Item("-", 0), Item(Gbk(u"打开网址"), 20003),
                                    Item("greyed", 20004, true)};
  QPoint shown;
  int items = 0;
  QTimer::singleShot(0, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    ASSERT_NE(menu, nullptr);
    shown = menu->pos();
    items = static_cast<int>(menu->actions().size());
    QAction* open = menu->actions().at(2);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(open).center());
  });
  EXPECT_EQ(system_->TrackPopupMenu(frame_, entries, 120, 140), 20003);
  EXPECT_EQ(shown, QPoint(120, 140));
  EXPECT_EQ(items, 4);
}

TEST_F(QtWindowSystemTest, MenuBarTakesItsRoomFromTheClientAreaAndReportsCommands) {
  QSize before = Widget(frame_)->size();
  MenuEntry file = Item(Gbk(u"文件"), 0);
  file.children = {Item(Gbk(u"退出"), 20001)};
  MenuHandle menu = system_->CreateMenuBar({file});
  system_->SetMenuBar(frame_, menu);
  auto* bar = Widget(frame_)->findChild<QMenuBar*>();
  ASSERT_NE(bar, nullptr);
  EXPECT_EQ(Widget(frame_)->size(), before) << "the outer size stays";
  QAction* quit = bar->actions().at(0)->menu()->actions().at(0);
  quit->trigger();
  ASSERT_EQ(recorder_.Count(Notice::kCommand, frame_), 1);
  EXPECT_EQ(recorder_.seen.back().a, 20001);
  system_->SetMenuBar(frame_, 0);
  system_->DestroyMenu(menu);
  EXPECT_EQ(Widget(frame_)->findChild<QMenuBar*>(), nullptr);
}

TEST_F(QtWindowSystemTest, QueueHoldsKeysForTheRuntimeAndCarriesPostedMessagesAndQuit) {
  WindowHandle edit = Edit(0);
  system_->SetFocus(edit);
  QWidget* line = Widget(edit);
  system_->PostMessage(Message{Notice::kPosted, frame_, 7, 8});
  QTimer::singleShot(0, [line] {
    QTest::keyClick(line, Qt::Key_Tab);
    QTest::keyClick(line, Qt::Key_X);
  });
  Message m;
  ASSERT_TRUE(system_->GetMessage(&m, nullptr, nullptr));
  EXPECT_EQ(m.notice, Notice::kPosted);
  EXPECT_EQ(m.a, 7);
  // Keys come to the runtime first, then go to the widget when dispatched.
  std::vector<Message> keys;
  while (keys.size() < 2) {
    ASSERT_TRUE(system_->GetMessage(&m, nullptr, nullptr));
    if (m.notice != Notice::kKeyDown) continue;
    keys.push_back(m);
    system_->DispatchMessage(m);
  }
  EXPECT_EQ(keys[0].a, key::kTab);
  EXPECT_EQ(keys[1].a, 'X');
  EXPECT_EQ(keys[1].window, edit);
  EXPECT_EQ(system_->GetText(edit), "x") << "the letter reached the box, the Tab did not move the focus";
  EXPECT_EQ(system_->GetFocus(), edit);

  system_->PostQuit(0);
  EXPECT_FALSE(system_->GetMessage(&m, nullptr, nullptr));
}

TEST_F(QtWindowSystemTest, AWaitingLoopRunsItsIdleWorkAndReturnsAfterEachNotice) {
  WindowHandle button = Control(ControlKind::kButton, "ok");
  struct Person {
    int idle = 0;
    QWidget* button;
  } person{0, Widget(button)};
  // The first time the loop runs dry the person clicks.
  auto on_idle = [](void* context) {
    auto* p = static_cast<Person*>(context);
    if (++p->idle == 1) QTimer::singleShot(0, [b = p->button] { QTest::mouseClick(b, Qt::LeftButton); });
  };
  // Each notice (the window's activation first, then the click) ends a
  // wait with nothing to dispatch, so the runtime looks again.
  Message m;
  for (int i = 0; i < 20 && recorder_.Count(Notice::kClicked, button) == 0; ++i) {
    ASSERT_TRUE(system_->GetMessage(&m, on_idle, &person));
    EXPECT_EQ(m.window, 0u);
  }
  EXPECT_EQ(person.idle, 1);
  EXPECT_EQ(recorder_.Count(Notice::kClicked, button), 1);
}

TEST_F(QtWindowSystemTest, PostedMessagesReachTheirWindowInsideAMenusOwnLoop) {
  int delivered_inside = 0;
  recorder_.also = [&](const Message& m) {
    if (m.notice == Notice::kPosted && m.a == 42 && QApplication::activePopupWidget() != nullptr) ++delivered_inside;
  };
  QTimer::singleShot(0, [&] {
    system_->PostMessage(Message{Notice::kPosted, frame_, 42, 0});
    QTimer::singleShot(50, [] {
      if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
    });
  });
  system_->TrackPopupMenu(frame_, {Item("item", 20001)}, 10, 10);
  EXPECT_EQ(delivered_inside, 1);
}

TEST_F(QtWindowSystemTest, DestroyReportsChildrenAndOwnedWindowsFirstAndDeletesLater) {
  // The focused button goes first; the focus must not pass on to the box.
  WindowHandle button = Control(ControlKind::kButton, "B", {}, Rect{8, 40, 80, 24});
  WindowHandle edit = Edit(0);
  system_->Activate(frame_);
  QCoreApplication::processEvents();
  system_->SetFocus(button);
  ASSERT_EQ(QApplication::focusWidget(), Widget(button));
  CreateParams owned;
  owned.kind = ControlKind::kFrame;
  owned.owner = frame_;
  owned.rect = Rect{0, 0, 100, 100};
  WindowHandle dialog = system_->Create(owned);
  ASSERT_NE(dialog, 0u);
  QPointer<QWidget> widget = Widget(frame_);
  system_->Destroy(frame_);
  EXPECT_FALSE(system_->IsWindow(frame_));
  EXPECT_FALSE(system_->IsWindow(edit));
  EXPECT_FALSE(system_->IsWindow(dialog));
  std::vector<WindowHandle> order;
  for (const Message& m : recorder_.seen)
    if (m.notice == Notice::kDestroyed) order.push_back(m.window);
  ASSERT_EQ(order.size(), 4u);
  EXPECT_EQ(order.back(), frame_);
  EXPECT_EQ(recorder_.Count(Notice::kGotFocus, edit), 0) << "a unit of a window being destroyed takes no focus";
  EXPECT_FALSE(widget.isNull()) << "kept until no event is being delivered";
  EXPECT_FALSE(widget->isVisible());
  system_->PostQuit(0);
  Message m;
  system_->GetMessage(&m, nullptr, nullptr);  // a loop at the top empties the graveyard
  EXPECT_TRUE(widget.isNull());
}

}  // namespace
}  // namespace platform::qt
