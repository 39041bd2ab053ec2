// The host's boxes and dialogs on the Qt desktop, each run as the program
// runs it (its own loop), with a person pressing its buttons.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>

#include <functional>
#include <memory>

#include "platform/qt/dialogs_qt.h"
#include "platform/qt/edit_qt.h"
#include "platform/qt/host_qt.h"
#include "platform/qt/window_system_qt.h"
#include "tests/qt/qt_test_support.h"

namespace platform::qt {
namespace {

using namespace Qt::StringLiterals;
using qt_tests::Gbk;

// Runs `act` on the modal dialog once its loop runs.
template <typename Dialog>
void WhenShown(std::function<void(Dialog&)> act) {
  QTimer::singleShot(0, [act] {
    auto* dialog = dynamic_cast<Dialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dialog, nullptr);
    act(*dialog);
  });
}

class QtDialogsTest : public ::testing::Test {
 protected:
  QtWindowSystem system_;  // the foreign loops count with it
  QtHost host_;
};

TEST_F(QtDialogsTest, EachMessageBoxFlagShowsItsButtonsInOrderAndAnswersWithTheirCodes) {
  struct Case {
    std::uint32_t flags;
    std::vector<BoxAnswer> answers;
    QStringList captions;
  };
  const Case cases[] = {
      {mb::kOk, {BoxAnswer::kOk}, {u"确定"_s}},
      {mb::kOkCancel, {BoxAnswer::kOk, BoxAnswer::kCancel}, {u"确定"_s, u"取消"_s}},
      {mb::kAbortRetryIgnore, {BoxAnswer::kAbort, BoxAnswer::kRetry, BoxAnswer::kIgnore}, {u"中止"_s, u"重试"_s, u"忽略"_s}},
      {mb::kYesNoCancel, {BoxAnswer::kYes, BoxAnswer::kNo, BoxAnswer::kCancel}, {u"是"_s, u"否"_s, u"取消"_s}},
      {mb::kYesNo, {BoxAnswer::kYes, BoxAnswer::kNo}, {u"是"_s, u"否"_s}},
      {mb::kRetryCancel, {BoxAnswer::kRetry, BoxAnswer::kCancel}, {u"重试"_s, u"取消"_s}},
  };
  for (const Case& c : cases) {
    for (BoxAnswer pressed : c.answers) {
      QStringList seen;
      QString text;
      WhenShown<MessageBoxDialog>([&](MessageBoxDialog& box) {
        for (BoxAnswer answer : box.answers()) seen << box.ButtonFor(answer)->text();
        text = box.text();
        box.ButtonFor(pressed)->click();
      });
      EXPECT_EQ(host_.ShowMessageBox(Gbk(u"记录添加成功。"), Gbk(u"提示"), c.flags, 0), pressed);
      EXPECT_EQ(seen, c.captions) << "flags " << c.flags;
      EXPECT_EQ(text, u"记录添加成功。"_s);
    }
  }
}

TEST_F(QtDialogsTest, EscClosesABoxOnlyWhereItHasAWayOut) {
  auto esc = [](MessageBoxDialog& box) { QTest::keyClick(&box, Qt::Key_Escape); };
  WhenShown<MessageBoxDialog>(esc);
  EXPECT_EQ(host_.ShowMessageBox("x", "y", mb::kOk, 0), BoxAnswer::kOk);
  WhenShown<MessageBoxDialog>(esc);
  EXPECT_EQ(host_.ShowMessageBox("x", "y", mb::kYesNoCancel, 0), BoxAnswer::kCancel);
  // Yes/No has none: Esc and the close box leave it open.
  bool still_open = false;
  WhenShown<MessageBoxDialog>([&](MessageBoxDialog& box) {
    QTest::keyClick(&box, Qt::Key_Escape);
    box.close();
    still_open = box.isVisible();
    QTest::keyClick(&box, Qt::Key_N);  // the button's initial
  });
  EXPECT_EQ(host_.ShowMessageBox("x", "y", mb::kYesNo, 0), BoxAnswer::kNo);
  EXPECT_TRUE(still_open);
}

TEST_F(QtDialogsTest, TheFlagsChooseTheDefaultButtonAndTheIcon) {
  std::uint32_t icon = 1;
  WhenShown<MessageBoxDialog>([&](MessageBoxDialog& box) {
    icon = box.icon();
    EXPECT_TRUE(box.ButtonFor(BoxAnswer::kNo)->isDefault());
    QTest::keyClick(box.ButtonFor(BoxAnswer::kNo), Qt::Key_Return);
  });
  EXPECT_EQ(host_.ShowMessageBox("x", "y", mb::kYesNo | mb::kIconQuestion | 0x100, 0), BoxAnswer::kNo);
  EXPECT_EQ(icon, mb::kIconQuestion);
  for (std::uint32_t flag : {mb::kIconStop, mb::kIconExclamation, mb::kIconInformation, 0u}) {
    WhenShown<MessageBoxDialog>([&](MessageBoxDialog& box) {
      icon = box.icon();
      EXPECT_EQ(box.findChild<QLabel*>(u"qk_icon"_s) != nullptr, flag != 0);
      box.ButtonFor(BoxAnswer::kOk)->click();
    });
    host_.ShowMessageBox("x", "y", flag, 0);
    EXPECT_EQ(icon, flag);
  }
}

TEST_F(QtDialogsTest, InputBoxTypesThroughItsModeAndTheGbkRule) {
  InputBoxRequest request;
  request.prompt = Gbk(u"请输入新密码：");
  request.caption = Gbk(u"数据库改密");
  request.initial = "old";
  QString prompt;
  WhenShown<InputBoxDialog>([&](InputBoxDialog& box) {
    prompt = box.prompt();
    EXPECT_EQ(box.edit()->selectedText(), u"old"_s) << "the initial text starts selected";
    qt_tests::TypeText(box.edit(), u"新😀码"_s);
    box.ok()->click();
  });
  platform::Secret entered;
  ASSERT_EQ(host_.ShowInputBox(request, &entered), BoxAnswer::kOk);
  EXPECT_EQ(entered.view(), Gbk(u"新码"));
  EXPECT_EQ(prompt, u"请输入新密码："_s);

  request.mode = 2;
  request.initial.clear();
  WhenShown<InputBoxDialog>([&](InputBoxDialog& box) {
    qt_tests::TypeText(box.edit(), u"-4a2.5"_s);
    box.ok()->click();
  });
  ASSERT_EQ(host_.ShowInputBox(request, &entered), BoxAnswer::kOk);
  EXPECT_EQ(entered.view(), "-425");

  entered.Assign("untouched");
  WhenShown<InputBoxDialog>([&](InputBoxDialog& box) { QTest::keyClick(&box, Qt::Key_Escape); });
  EXPECT_EQ(host_.ShowInputBox(request, &entered), BoxAnswer::kCancel);
  EXPECT_EQ(entered.view(), "untouched");
}

TEST_F(QtDialogsTest, InputBoxesForSecretsAreMaskedOrHaveNoInputMethod) {
  InputBoxRequest request;
  request.caption = "c";
  request.input_method = false;
  bool method_enabled = true;
  WhenShown<InputBoxDialog>([&](InputBoxDialog& box) {
    method_enabled = box.edit()->testAttribute(Qt::WA_InputMethodEnabled);
    qt_tests::Commit(box.edit(), u"abc。"_s);  // ignored
    qt_tests::TypeText(box.edit(), u"abc."_s);
    box.ok()->click();
  });
  platform::Secret entered;
  ASSERT_EQ(host_.ShowInputBox(request, &entered), BoxAnswer::kOk);
  EXPECT_FALSE(method_enabled);
  EXPECT_EQ(entered.view(), "abc.");

  request.mode = 4;
  request.input_method = true;
  QString shown;
  WhenShown<InputBoxDialog>([&](InputBoxDialog& box) {
    qt_tests::TypeText(box.edit(), u"pw"_s);
    shown = box.edit()->displayText();
    box.ok()->click();
  });
  ASSERT_EQ(host_.ShowInputBox(request, &entered), BoxAnswer::kOk);
  EXPECT_EQ(entered.view(), "pw");
  EXPECT_NE(shown, u"pw"_s);
}

TEST_F(QtDialogsTest, PasswordDialogShowsItsRetryLineMasksAndRefusesWhatGbkLacks) {
  PasswordDialogTexts texts{Gbk(u"密码输入"), Gbk(u"请输入密码："), Gbk(u"密码错误，还可以再试2次。"), Gbk(u"确定"),
                            Gbk(u"取消")};
  QString message, shown;
  bool method_enabled = true;
  WhenShown<PasswordDialog>([&](PasswordDialog& dialog) {
    message = dialog.message();
    method_enabled = dialog.edit()->testAttribute(Qt::WA_InputMethodEnabled);
    qt_tests::TypeText(dialog.edit(), u"pa😀ss"_s);
    qt_tests::Commit(dialog.edit(), u"。"_s);
    shown = dialog.edit()->displayText();
    QTest::keyClick(dialog.edit(), Qt::Key_Return);
  });
  platform::Secret typed;
  ASSERT_EQ(host_.ShowPasswordDialog(texts, &typed), BoxAnswer::kOk);
  EXPECT_EQ(typed.view(), "pass");
  EXPECT_EQ(message, u"密码错误，还可以再试2次。"_s);
  EXPECT_EQ(shown, u"****"_s);
  EXPECT_FALSE(method_enabled);

  typed.Assign("untouched");
  WhenShown<PasswordDialog>([&](PasswordDialog& dialog) { dialog.cancel()->click(); });
  EXPECT_EQ(host_.ShowPasswordDialog(texts, &typed), BoxAnswer::kCancel);
  EXPECT_EQ(typed.view(), "untouched");
}

}  // namespace
}  // namespace platform::qt
