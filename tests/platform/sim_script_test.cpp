#include <gtest/gtest.h>

#include <string>

#include "platform/sim/desktop.h"
#include "platform/sim/script.h"
#include "platform/sim/script_checks.h"
#include "platform/system.h"

namespace platform::sim {
namespace {

std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

int FailingLine(const std::function<void()>& action, std::string* message = nullptr) {
  try {
    action();
  } catch (const ScriptFailure& failure) {
    if (message != nullptr) *message = failure.what();
    return failure.line;
  }
  ADD_FAILURE() << "no script failure";
  return 0;
}

TEST(SimScript, EscapesAndMalformedLines) {
  EXPECT_EQ(Unescape("a\\sb\\tc\\\\d\\ne\\r"), "a b\tc\\d\ne\r");
  EXPECT_EQ(Unescape("trailing\\"), "trailing\\");
  std::string message;
  EXPECT_EQ(FailingLine([] { ScriptedUser user("# comment\n\nclick\n"); }, &message), 3);
  EXPECT_NE(message.find("line 3: expected a script line"), std::string::npos) << message;
  EXPECT_EQ(FailingLine([] { ScriptedUser user("expect nothing-like-this x\n"); }), 1);
  ScopedDesktop desktop;
  ScriptedUser user("expect password-retry many\nanswer OK\n");
  desktop->set_person(&user);
  EXPECT_EQ(FailingLine([&] { desktop->ShowMessageBox("x", "y", 0, 0); }, &message), 1);
  EXPECT_NE(message.find("expected a number"), std::string::npos) << message;
  desktop->set_person(nullptr);
}

TEST(SimScript, AnswersBoxesAndDialogsAfterCheckingThem) {
  ScopedDesktop desktop;
  ScriptedUser user(U8(u8"expect box 删除这条记录吗？\n"
                       u8"expect box-caption 信息：\n"
                       u8"answer No\n"
                       u8"expect password-prompt\n"
                       u8"expect password-retry 2\n"
                       u8"input 密码 1\n"
                       u8"expect prompt 输入新的数据库密码\n"
                       u8"input 12ab-3\n"
                       u8"cancel\n"));
  desktop->set_person(&user);
  EXPECT_EQ(desktop->ShowMessageBox("删除这条记录吗？", "信息：", mb::kYesNo, 0), BoxAnswer::kNo);
  PasswordDialogTexts texts;
  texts.message = "密码错误，您还有 2 次重新输入的机会。";
  std::string typed;
  EXPECT_EQ(desktop->ShowPasswordDialog(texts, &typed), BoxAnswer::kOk);
  EXPECT_EQ(typed, "密码 1");
  InputBoxRequest request;
  request.prompt = "输入新的数据库密码";
  request.mode = 2;
  std::string entered;
  EXPECT_EQ(desktop->ShowInputBox(request, &entered), BoxAnswer::kOk);
  EXPECT_EQ(entered, "12-3") << "the mode's filter applies to what is typed";
  EXPECT_EQ(desktop->ShowInputBox(request, &entered), BoxAnswer::kCancel);
  EXPECT_TRUE(user.finished());
  desktop->set_person(nullptr);
}

TEST(SimScript, FailuresNameTheLineAndWhatWasOnScreen) {
  ScopedDesktop desktop;
  {
    ScriptedUser user(U8(u8"expect box 别的\nanswer OK\n"));
    desktop->set_person(&user);
    std::string message;
    EXPECT_EQ(FailingLine([&] { desktop->ShowMessageBox("记录添加成功。", "信息：", 0, 0); }, &message), 1);
    EXPECT_NE(message.find(U8(u8"saw message box \"记录添加成功。\"")), std::string::npos) << message;
    EXPECT_FALSE(desktop->open_box().has_value()) << "the box is closed when the run fails";
  }
  {
    ScriptedUser user("answer Yes\n");
    desktop->set_person(&user);
    EXPECT_EQ(FailingLine([&] { desktop->ShowMessageBox("x", "y", mb::kOk, 0); }), 1) << "an OK box has no Yes";
  }
  {
    ScriptedUser user("answer OK\n");
    desktop->set_person(&user);
    std::string message;
    desktop->ShowMessageBox("x", "y", mb::kOk, 0);
    EXPECT_EQ(FailingLine([&] { desktop->ShowMessageBox("z", "y", mb::kOk, 0); }, &message), 2);
    EXPECT_NE(message.find("the end of the script"), std::string::npos) << message;
  }
  {
    ScriptedUser user("input abc\n");
    desktop->set_person(&user);
    std::string message;
    EXPECT_EQ(FailingLine([&] { desktop->ShowMessageBox("x", "y", 0, 0); }, &message), 1);
    EXPECT_NE(message.find("an input box or the password dialog"), std::string::npos) << message;
  }
  desktop->set_person(nullptr);
}

TEST(SimScript, AfterTheExitOnlyOffscreenChecksRemain) {
  ScopedDesktop desktop;
  ScriptedUser user(U8(u8"clock 2024-02-29 23:59:58\n"
                       u8"answer OK\n"
                       u8"expect clipboard 帐号\\s1\n"
                       u8"expect browser http://example.org\n"
                       u8"expect no-file no-such-file.vdb\n"
                       u8"expect exit 255\n"
                       u8"click 按钮_添加记录\n"));
  user.Start(*desktop);
  LocalTime now = desktop->LocalNow();
  EXPECT_EQ(now.year, 2024);
  EXPECT_EQ(now.day, 29);
  EXPECT_EQ(now.second, 58);
  desktop->set_person(&user);
  desktop->ShowMessageBox("x", "y", 0, 0);
  desktop->SetClipboardText("帐号 1");
  desktop->OpenWebAddress("http://example.org");
  std::string message;
  EXPECT_EQ(FailingLine([&] { user.Finish(*desktop, -1); }, &message), 7);
  EXPECT_NE(message.find("ended with exit code -1"), std::string::npos) << message;
  desktop->set_person(nullptr);
}

// Both desktops read the numbers and times of a script through these, so a
// typo fails on its line instead of meaning 0 or a wrong date.
TEST(SimScript, NumbersAndTimesAreReadStrictly) {
  auto line = [](const std::string& text) { return ParseScript(text).at(0); };
  EXPECT_EQ(WholeNumberOf(line("select list -1"), 1), -1);
  for (const char* bad : {"select list 1x", "select list 0x10", "select list 99999999999", "select list +"})
    EXPECT_THROW(WholeNumberOf(line(bad), 1), ScriptFailure) << bad;
  EXPECT_EQ(SecondsOf(line("wait 30")), 30u);
  for (const char* bad : {"wait -1", "wait +1", "wait 1.5", "wait x", "wait 4294967296"})
    EXPECT_THROW(SecondsOf(line(bad)), ScriptFailure) << bad;
  LocalTime t = ClockOf(line("clock 2024-02-29 23:59:58"));
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 2);
  EXPECT_EQ(t.minute, 59);
  for (const char* bad : {"clock 2024-13-01 00:00:00", "clock 2024-05-06 24:00:00", "clock 2024-05-06x 00:00:00",
                          "clock 2024-05-06 07:08", "clock 2024-05-00 07:08:09"})
    EXPECT_THROW(ClockOf(line(bad)), ScriptFailure) << bad;

  std::uint32_t id = 1;
  EXPECT_TRUE(IsUnitIdName("0x16010005", &id));
  EXPECT_EQ(id, 0x16010005u);
  EXPECT_TRUE(IsUnitIdName("0X100000000", &id));
  EXPECT_EQ(id, 0u) << "more than 32 bits names no unit";
  EXPECT_FALSE(IsUnitIdName(U8(u8"编辑框_帐号"), &id));

  ScopedDesktop desktop;
  ScriptedUser user("expect exit 0x\n");
  std::string message;
  EXPECT_EQ(FailingLine([&] { user.Finish(*desktop, 0); }, &message), 1);
  EXPECT_NE(message.find("expected a number"), std::string::npos) << message;
}

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
  edit.unit_name = "编辑框_帐号";
  edit.unit_id = 0x16010005;
  WindowHandle box = desktop.Create(edit);
  CreateParams list = edit;
  list.kind = ControlKind::kListView;
  list.unit_name = "超级列表框1";
  WindowHandle rows = desktop.Create(list);
  EXPECT_EQ(desktop.FindUnit("编辑框_帐号"), box);
  EXPECT_EQ(desktop.FindUnitById(0x16010005), box);
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
