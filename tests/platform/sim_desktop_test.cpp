// The simulated desktop as a window system: windows and controls, list
// rows, the message queue, and what it refuses a person.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>

#include "platform/sim/desktop.h"
#include "platform/sim/list_model.h"
#include "platform/sim/message_queue.h"
#include "platform/system.h"

namespace platform::sim {
namespace {

TEST(SimDesktop, WindowsControlsAndTheQueue) {
  Desktop desktop;
  CreateParams frame;
  frame.text = "主窗口";
  frame.rect = {0, 0, 300, 200};
  frame.frame.centered = true;
  WindowHandle main = desktop.Create(frame);
  EXPECT_EQ(desktop.GetRect(main).left, (1024 - 300) / 2);
  CreateParams edit;
  edit.kind = ControlKind::kEdit;
  edit.parent = main;
  WindowHandle box = desktop.Create(edit);
  CreateParams list = edit;
  list.kind = ControlKind::kListView;
  WindowHandle rows = desktop.Create(list);
  desktop.Show(main, true, true);
  desktop.Show(box, true, false);
  desktop.Show(rows, true, false);
  EXPECT_EQ(desktop.active(), main);

  // Hidden or disabled units refuse a person.
  desktop.Enable(main, false);
  EXPECT_THROW(desktop.input().Type(box, "x"), ActionRefused);
  desktop.Enable(main, true);
  desktop.Show(box, false, false);
  EXPECT_THROW(desktop.input().Click(box), ActionRefused);
  desktop.Show(box, true, false);

  // List rows: cells, states, deletion, buffer copies that cut.
  EXPECT_EQ(desktop.ListInsertRow(rows, 5, "a"), 0);
  EXPECT_EQ(desktop.ListInsertRow(rows, 0, "b"), 0);
  EXPECT_TRUE(desktop.ListSetCell(rows, 1, 2, "cell"));
  char buffer[3];
  EXPECT_EQ(desktop.ListGetCell(rows, 1, 2, buffer, sizeof buffer), 2);
  EXPECT_STREQ(buffer, "ce");
  desktop.ListSetRowState(rows, 1, true, true);
  EXPECT_EQ(desktop.ListFirstSelected(rows), 1);
  EXPECT_THROW(desktop.input().SelectRow(rows, 2), ActionRefused);
  desktop.ListDeleteRow(rows, 1);
  EXPECT_EQ(desktop.ListFirstSelected(rows), -1);

  // The queue: posted messages first, then the quit; with nobody there an
  // idle wait is a failure, not a hang.
  desktop.PostMessage(Message{Notice::kCloseRequest, main, 0, 0});
  desktop.PostQuit(0);
  Message message;
  EXPECT_TRUE(desktop.GetMessage(&message, nullptr, nullptr));
  EXPECT_EQ(message.notice, Notice::kCloseRequest);
  EXPECT_FALSE(desktop.GetMessage(&message, nullptr, nullptr));
  EXPECT_THROW(desktop.GetMessage(&message, nullptr, nullptr), NoOneThere);

  // Destroying a frame takes its controls along.
  desktop.Destroy(main);
  EXPECT_FALSE(desktop.IsWindow(box));
  EXPECT_FALSE(desktop.IsWindow(rows));
  EXPECT_EQ(desktop.active(), 0u);
}

// A report list keeps as many cells as it has columns; one row at a time
// has the focus, and only a row that newly takes it says so.
// The simulated fonts follow the description's height word; no height,
// however odd, breaks the measure.
TEST(SimDesktop, LineHeightFollowsTheFontDescription) {
  Desktop desktop;
  auto font = [](std::int32_t height) {
    std::string description(60, '\0');
    for (int i = 0; i < 4; ++i) description[static_cast<std::size_t>(i)] = static_cast<char>(static_cast<std::uint32_t>(height) >> (8 * i));
    return description;
  };
  EXPECT_EQ(desktop.FontLineHeight({}), 15) << "the default font: 12-pixel characters";
  EXPECT_EQ(desktop.FontLineHeight(font(0)), 15);
  EXPECT_EQ(desktop.FontLineHeight("short"), 15) << "a malformed description is the default font";
  EXPECT_EQ(desktop.FontLineHeight(font(-32)), 40) << "characters and a fifth of the line above them";
  EXPECT_EQ(desktop.FontLineHeight(font(30)), 30) << "a positive height is the whole line's";
  EXPECT_EQ(desktop.FontLineHeight(font(INT32_MIN)), 500);
  EXPECT_EQ(desktop.FontLineHeight(font(INT32_MAX)), 500);
  EXPECT_EQ(desktop.EdgeHeight(), 2);
}

TEST(SimListModel, CellsFocusAndSelection) {
  ListModel list;
  EXPECT_EQ(list.InsertRow(-3, "first"), 0) << "positions are clamped";
  EXPECT_EQ(list.InsertRow(99, "second"), 1);
  EXPECT_TRUE(list.SetCell(0, 5, "wide")) << "a list without columns keeps any cell";
  list.InsertColumn(0, "a", 10, 0);
  list.InsertColumn(7, "b", 10, 0);
  EXPECT_EQ(list.columns()[1].title, "b");
  EXPECT_FALSE(list.SetCell(1, 2, "x")) << "beyond the two columns";
  EXPECT_TRUE(list.SetCell(1, 1, "y"));
  ASSERT_NE(list.Cell(1, 1), nullptr);
  EXPECT_EQ(*list.Cell(1, 1), "y");
  EXPECT_EQ(list.Cell(1, 4), nullptr);
  EXPECT_EQ(list.Cell(2, 0), nullptr);
  EXPECT_TRUE(list.SetRowState(0, true, true));
  EXPECT_FALSE(list.SetRowState(0, true, true)) << "already the focused row";
  EXPECT_TRUE(list.SetRowState(1, false, true));
  EXPECT_FALSE(list.rows()[0].focused) << "the focus moved";
  EXPECT_TRUE(list.rows()[0].selected) << "the selection stays";
  EXPECT_FALSE(list.SetRowState(7, true, true));
  list.ClearSelection();
  EXPECT_EQ(list.FirstSelected(), -1);
  EXPECT_FALSE(list.DeleteRow(2));
  EXPECT_TRUE(list.DeleteRow(0));
  EXPECT_EQ(list.RowCount(), 1);
}

// A person's input waits its turn among the messages and reaches the
// controls only when the program takes it; the quit comes after all.
TEST(SimMessageQueue, InputInTurnAndTheQuitLast) {
  MessageQueue queue;
  std::vector<int> delivered;
  queue.PostQuit(7);
  queue.Post(Message{Notice::kCommand, 1, 10, 0});
  queue.PostInput([&] { delivered.push_back(1); });
  queue.Post(Message{Notice::kCommand, 1, 20, 0});
  Message message;
  MessageQueue::Input input;
  ASSERT_EQ(queue.Take(&message, &input), MessageQueue::Next::kMessage);
  EXPECT_EQ(message.a, 10);
  ASSERT_EQ(queue.Take(&message, &input), MessageQueue::Next::kInput);
  EXPECT_TRUE(delivered.empty()) << "taking is not delivering";
  input();
  EXPECT_EQ(delivered, std::vector<int>{1});
  ASSERT_EQ(queue.Take(&message, &input), MessageQueue::Next::kMessage);
  EXPECT_EQ(message.a, 20);
  EXPECT_FALSE(queue.empty()) << "the quit is still there";
  EXPECT_EQ(queue.Take(&message, &input), MessageQueue::Next::kQuit);
  EXPECT_EQ(queue.quit_code(), 7);
  EXPECT_EQ(queue.Take(&message, &input), MessageQueue::Next::kNothing);
  EXPECT_TRUE(queue.empty());
}

class NoticeLog : public WindowListener {
 public:
  void OnNotice(const Message& message) override { notices.push_back(message.notice); }
  std::vector<Notice> notices;
};

TEST(SimDesktop, AClickReachesTheButtonWhenTheProgramTakesIt) {
  Desktop desktop;
  NoticeLog log;
  desktop.SetListener(&log);
  CreateParams frame;
  WindowHandle main = desktop.Create(frame);
  CreateParams button;
  button.kind = ControlKind::kButton;
  button.parent = main;
  WindowHandle ok = desktop.Create(button);
  desktop.Show(main, true, true);
  desktop.Show(ok, true, false);
  log.notices.clear();
  desktop.input().Click(ok);
  EXPECT_TRUE(log.notices.empty()) << "nothing happens before the program reads its queue";
  Message message;
  ASSERT_TRUE(desktop.PeekMessage(&message, nullptr));
  EXPECT_EQ(log.notices, (std::vector<Notice>{Notice::kLostFocus, Notice::kGotFocus, Notice::kClicked}))
      << "the focus moves from the frame to the button, then it is clicked";
  EXPECT_EQ(message.window, 0u) << "what the program gets for it is a message to no window";
  desktop.DispatchMessage(message);
  EXPECT_EQ(log.notices.size(), 3u);
}

// A drag moves the frame from its bare client area or a label, only while
// it drags by its client area; a button keeps the press, clicked only when
// the release is still on it.
TEST(SimDesktop, ADragMovesTheFrameFromItsClientAreaOrALabel) {
  Desktop desktop;
  NoticeLog log;
  desktop.SetListener(&log);
  CreateParams frame;
  frame.rect = {100, 100, 300, 200};
  frame.frame.drag_by_client = true;
  WindowHandle main = desktop.Create(frame);
  CreateParams label;
  label.kind = ControlKind::kLabel;
  label.parent = main;
  label.rect = {10, 10, 100, 20};
  WindowHandle caption = desktop.Create(label);
  CreateParams button = label;
  button.kind = ControlKind::kButton;
  button.rect = {10, 40, 80, 24};
  WindowHandle ok = desktop.Create(button);
  for (WindowHandle shown : {main, caption, ok}) desktop.Show(shown, true, shown == main);
  auto drag = [&](WindowHandle unit, int dx, int dy) {
    log.notices.clear();
    desktop.input().Drag(unit, dx, dy);
    Message message;
    while (desktop.PeekMessage(&message, nullptr)) desktop.DispatchMessage(message);
    return desktop.GetRect(main);
  };
  auto saw = [&](Notice notice) { return std::count(log.notices.begin(), log.notices.end(), notice); };

  EXPECT_EQ(drag(main, 10, -5), (Rect{110, 95, 300, 200}));
  EXPECT_EQ(saw(Notice::kMoved), 1);
  EXPECT_EQ(drag(caption, -3, 4), (Rect{107, 99, 300, 200}));
  EXPECT_EQ(drag(ok, 0, 30), (Rect{107, 99, 300, 200})) << "a button is no place to drag from";
  EXPECT_EQ(saw(Notice::kClicked), 0) << "released off the button";
  drag(ok, 5, 5);
  EXPECT_EQ(saw(Notice::kClicked), 1) << "released on the button";
  EXPECT_EQ(saw(Notice::kMoved), 0);

  FrameStyle still;
  desktop.SetFrameStyle(main, still);
  EXPECT_EQ(drag(caption, 20, 20), (Rect{107, 99, 300, 200})) << "dragging turned off";
  EXPECT_EQ(drag(main, 20, 20), (Rect{107, 99, 300, 200}));
  EXPECT_EQ(saw(Notice::kMoved), 0);

  // A frame whose units cover all of it offers no place to press.
  CreateParams cover = button;
  cover.rect = {0, 0, 300, 200};
  desktop.Show(desktop.Create(cover), true, false);
  EXPECT_THROW(desktop.input().Drag(main, 1, 1), ActionRefused);
}

TEST(SimDesktop, ABoxOpenedOverAnotherGivesItBack) {
  Desktop desktop;
  desktop.Then([&] {
    EXPECT_EQ(desktop.open_box()->text, "outer");
    EXPECT_EQ(desktop.ShowMessageBox("inner", "", mb::kYesNo, 0), BoxAnswer::kNo);
    ASSERT_NE(desktop.open_box(), nullptr);
    EXPECT_EQ(desktop.open_box()->text, "outer");
    desktop.input().AnswerBox(BoxAnswer::kOk);
  });
  desktop.Then([&] {
    EXPECT_EQ(desktop.open_box()->text, "inner");
    EXPECT_THROW(desktop.input().AnswerBox(BoxAnswer::kOk), ActionRefused) << "a Yes/No box has no OK";
    desktop.input().AnswerBox(BoxAnswer::kNo);
  });
  EXPECT_EQ(desktop.ShowMessageBox("outer", "", mb::kOk, 0), BoxAnswer::kOk);
  EXPECT_EQ(desktop.open_box(), nullptr);
  desktop.Then([] {});
  EXPECT_THROW(desktop.ShowMessageBox("unanswered", "", mb::kOk, 0), NoOneThere) << "a step that does not answer";
  EXPECT_EQ(desktop.open_box(), nullptr);
}

}  // namespace
}  // namespace platform::sim
