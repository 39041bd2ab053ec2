// The simulated desktop as a window system: windows and controls, list
// rows, the message queue, and what it refuses a person.
#include <gtest/gtest.h>

#include <string>

#include "platform/sim/desktop.h"
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
  EXPECT_THROW(desktop.Type(box, "x"), ActionRefused);
  desktop.Enable(main, true);
  desktop.Show(box, false, false);
  EXPECT_THROW(desktop.Click(box), ActionRefused);
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
  EXPECT_THROW(desktop.SelectRow(rows, 2), ActionRefused);
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

}  // namespace
}  // namespace platform::sim
