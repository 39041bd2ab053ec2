// Scripts played on the simulated desktop: boxes and dialogs answered after
// their checks, and actions in windows refused the way a person would find
// them refused (hidden, disabled, the wrong kind of unit, no such row).
#include <gtest/gtest.h>

#include <string>

#include "tests/scenario/failure_of.h"
#include "tests/ui/sample_forms.h"
#include "tools/scenario/sim_person.h"

namespace scenario {
namespace {

using platform::BoxAnswer;
using platform::sim::ScopedDesktop;

TEST(SimScript, AnswersBoxesAndDialogsAfterCheckingThem) {
  ScopedDesktop desktop;
  SimScriptedUser user(U8(u8"expect box 删除这条记录吗？\n"
                          u8"expect box-caption 信息：\n"
                          u8"answer No\n"
                          u8"expect password-prompt\n"
                          u8"expect password-retry 2\n"
                          u8"input 密码 1\n"
                          u8"expect prompt 输入新的数据库密码\n"
                          u8"input 12ab-3\n"
                          u8"cancel\n"));
  desktop->set_person(&user);
  EXPECT_EQ(desktop->ShowMessageBox("删除这条记录吗？", "信息：", platform::mb::kYesNo, 0), BoxAnswer::kNo);
  platform::PasswordDialogTexts texts;
  texts.message = "密码错误，您还有 2 次重新输入的机会。";
  platform::Secret typed;
  EXPECT_EQ(desktop->ShowPasswordDialog(texts, &typed), BoxAnswer::kOk);
  EXPECT_EQ(typed.view(), "密码 1");
  platform::InputBoxRequest request;
  request.prompt = "输入新的数据库密码";
  request.mode = 2;
  platform::Secret entered;
  EXPECT_EQ(desktop->ShowInputBox(request, &entered), BoxAnswer::kOk);
  EXPECT_EQ(entered.view(), "12-3") << "the mode's filter applies to what is typed";
  EXPECT_EQ(desktop->ShowInputBox(request, &entered), BoxAnswer::kCancel);
  EXPECT_TRUE(user.finished());
  desktop->set_person(nullptr);
}

TEST(SimScript, FailuresNameTheLineAndWhatWasOnScreen) {
  ScopedDesktop desktop;
  {
    SimScriptedUser user(U8(u8"expect box 别的\nanswer OK\n"));
    desktop->set_person(&user);
    int line = 0;
    std::string message = FailureOf([&] { desktop->ShowMessageBox("记录添加成功。", "信息：", 0, 0); }, &line);
    EXPECT_EQ(line, 1);
    EXPECT_NE(message.find(U8(u8"saw message box \"记录添加成功。\"")), std::string::npos) << message;
    EXPECT_EQ(desktop->open_box(), nullptr) << "the box is closed when the run fails";
  }
  {
    SimScriptedUser user("answer Yes\n");
    desktop->set_person(&user);
    int line = 0;
    FailureOf([&] { desktop->ShowMessageBox("x", "y", platform::mb::kOk, 0); }, &line);
    EXPECT_EQ(line, 1) << "an OK box has no Yes";
  }
  {
    SimScriptedUser user("expect password-retry many\nanswer OK\n");
    desktop->set_person(&user);
    EXPECT_NE(FailureOf([&] { desktop->ShowMessageBox("x", "y", 0, 0); }).find("expected a number"), std::string::npos);
  }
  {
    SimScriptedUser user("answer OK\n");
    desktop->set_person(&user);
    desktop->ShowMessageBox("x", "y", platform::mb::kOk, 0);
    int line = 0;
    std::string message = FailureOf([&] { desktop->ShowMessageBox("z", "y", platform::mb::kOk, 0); }, &line);
    EXPECT_EQ(line, 2);
    EXPECT_NE(message.find("the end of the script"), std::string::npos) << message;
  }
  desktop->set_person(nullptr);
}

TEST(SimScript, AfterTheExitOnlyOffscreenChecksRemain) {
  ScopedDesktop desktop;
  SimScriptedUser user(U8(u8"clock 2024-02-29 23:59:58\n"
                          u8"answer OK\n"
                          u8"expect clipboard 帐号\\s1\n"
                          u8"expect browser http://example.org\n"
                          u8"expect no-file no-such-file.vdb\n"
                          u8"expect exit 255\n"
                          u8"click 按钮_添加记录\n"));
  user.Start(*desktop);
  platform::LocalTime now = desktop->LocalNow();
  EXPECT_EQ(now.year, 2024);
  EXPECT_EQ(now.day, 29);
  EXPECT_EQ(now.second, 58);
  desktop->set_person(&user);
  desktop->ShowMessageBox("x", "y", 0, 0);
  desktop->SetClipboardText("帐号 1");
  desktop->OpenWebAddress("http://example.org");
  int line = 0;
  std::string message = FailureOf([&] { user.Finish(*desktop, -1); }, &line);
  EXPECT_EQ(line, 7);
  EXPECT_NE(message.find("ended with exit code -1"), std::string::npos) << message;
  desktop->set_person(nullptr);
}

// Actions in the sample windows: the unit is found by name or id, and what a
// person could not do there fails the line before anything happens.
class SimScriptInWindows : public ui::testing_forms::WindowRuntimeTest {
 protected:
  // Plays `script` in the loaded main window until it fails; the message.
  std::string FailureIn(const std::string& script, int* line = nullptr) {
    SimScriptedUser user(script);
    desktop_->set_person(&user);
    std::string message = FailureOf([&] { ui::RunMessageLoop(); }, line);
    desktop_->set_person(nullptr);
    return message;
  }
};

TEST_F(SimScriptInWindows, ActionsARealPersonCouldNotDoAreRefused) {
  using namespace ui::testing_forms;
  ASSERT_TRUE(ui::LoadStartWindow(kMain));
  EXPECT_NE(FailureIn(U8(u8"type 按钮_确定 x\n")).find(U8(u8"expected to \"type 按钮_确定\", saw not an edit box; window \"主窗口\" (active)")),
            std::string::npos);
  EXPECT_NE(FailureIn(U8(u8"select 编辑框_帐号 0\n")).find("not a list"), std::string::npos);
  EXPECT_NE(FailureIn(U8(u8"select 超级列表框1 0\n")).find("the list has 0 rows"), std::string::npos);
  EXPECT_NE(FailureIn(U8(u8"select 超级列表框1 x\n")).find("expected a number"), std::string::npos);
  EXPECT_NE(FailureIn(U8(u8"click 按钮_关闭\n")).find(U8(u8"a unit named \"按钮_关闭\"")), std::string::npos)
      << "a unit of a window that is not loaded";
  EXPECT_NE(FailureIn("click 0x16999999\n").find("a unit named \"0x16999999\""), std::string::npos);
  EXPECT_NE(FailureIn(U8(u8"spin 按钮_确定 up\n")).find("not an edit box"), std::string::npos);
  EXPECT_NE(FailureIn(U8(u8"spin 编辑框_帐号 sideways\n")).find("expected up or down, saw \"sideways\""), std::string::npos);
  EXPECT_NE(FailureIn(U8(u8"spin 编辑框_帐号 up\n")).find("the edit box has no spin control"), std::string::npos);

  platform::WindowHandle ok = Handle(kMain, kOk);
  desktop_->Show(ok, false, false);
  EXPECT_NE(FailureIn(U8(u8"click 按钮_确定\n")).find("the unit is not visible"), std::string::npos);
  desktop_->Show(ok, true, false);
  desktop_->Enable(Handle(kMain, 0), false);
  EXPECT_NE(FailureIn("click 0x16010011\n").find("the unit is disabled"), std::string::npos)
      << "a unit is as disabled as its window";
  EXPECT_NE(FailureIn("key Tab\n").find("the active window is disabled"), std::string::npos);
  desktop_->Enable(Handle(kMain, 0), true);
  EXPECT_TRUE(g_log == (std::vector<std::string>{"created", "moved", "resized"})) << "no handler ran";

  // The same units do act once they can.
  int line = 0;
  FailureIn(U8(u8"expect window 主窗口\ntype 0x16010010 ab\nexpect prop 编辑框_帐号 8 ab\nclick 按钮_确定\n"), &line);
  EXPECT_EQ(line, 5) << "the script ran out only after its last line";
  EXPECT_EQ(g_log, (std::vector<std::string>{"created", "moved", "resized", "changed", "ok"}));
}

}  // namespace
}  // namespace scenario
