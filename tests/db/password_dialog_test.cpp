#include "db/password_dialog.h"

#include <gtest/gtest.h>

#include <cstring>

#include "platform/sim/sim_host.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"

namespace {

TEST(InputPasswordDialog, OkReplacesTheVariableAndShowsTheDialogTexts) {
  platform::sim::ScopedSimHost host;
  host->QueuePassword(std::string("s3cret"));
  char* variable = rt::CopyText("old");
  rt::Value args[1] = {rt::Value::Pointer(&variable, rt::type::kText)};
  rt::Value result;
  db::InputPasswordDialog(&result, 1, args);
  EXPECT_EQ(result.type, rt::type::kBool);
  EXPECT_EQ(result.lo, 1u);
  ASSERT_NE(variable, nullptr);
  EXPECT_STREQ(variable, "s3cret");
  rt::FreeMemory(variable);

  ASSERT_EQ(host->password_dialogs().size(), 1u);
  const platform::PasswordDialogTexts& shown = host->password_dialogs()[0];
  EXPECT_EQ(shown.caption, "密码输入");
  EXPECT_EQ(shown.prompt, "请输入数据库访问密码：");
  EXPECT_EQ(shown.message, "") << "no message line before a failed attempt";
  EXPECT_EQ(shown.ok, "确认(&O)");
  EXPECT_EQ(shown.cancel, "取消(&C)");
}

TEST(InputPasswordDialog, CancelKeepsTheVariableAndFailedAttemptsShowTheChancesLeft) {
  platform::sim::ScopedSimHost host;
  host->QueuePassword(std::nullopt);
  host->QueuePassword(std::string());  // OK on an empty edit box
  char* variable = nullptr;  // a text variable may hold null
  rt::Value args[2] = {rt::Value::Pointer(&variable, rt::type::kText), rt::Value::Int(1)};
  rt::Value result;
  db::InputPasswordDialog(&result, 2, args);
  EXPECT_EQ(result.lo, 0u);
  EXPECT_EQ(variable, nullptr);

  args[1] = rt::Value::Int(2);
  db::InputPasswordDialog(&result, 2, args);
  EXPECT_EQ(result.lo, 1u);
  EXPECT_EQ(variable, nullptr) << "the empty text is the null text";

  ASSERT_EQ(host->password_dialogs().size(), 2u);
  EXPECT_EQ(host->password_dialogs()[0].message, "密码错误，您还有 2 次重新输入的机会。");
  EXPECT_EQ(host->password_dialogs()[1].message, "密码错误，您还有 1 次重新输入的机会。");
}

TEST(TypedPassword, BlankOverwritesTheBytes) {
  db::TypedPassword typed;
  typed.slot()->assign("abcdefghijklmnopqrstuvwxyz0123456789");  // beyond any small-string buffer
  const char* bytes = typed.text().data();
  std::size_t length = typed.text().size();
  typed.Blank();
  EXPECT_TRUE(typed.text().empty());
  // clear() keeps the buffer (and puts the terminator at its start), so the
  // old bytes after it can be inspected.
  EXPECT_EQ(std::string(bytes + 1, length - 1), std::string(length - 1, ' '));
}

}  // namespace
