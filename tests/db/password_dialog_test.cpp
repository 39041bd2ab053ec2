#include "db/password_dialog.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "db/password_command.h"
#include "platform/secret.h"
#include "platform/sim/sim_host.h"
#include "runtime/helpers.h"
#include "runtime/memory.h"
#include "runtime/services.h"
#include "tests/db/db_test_support.h"

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

// The exit code of a command call that should end the program with a
// runtime error, and the report it showed.
int EndsWithRuntimeError(platform::sim::ScopedSimHost& host, rt::Command command, std::vector<rt::Value> args) {
  rt::ResetRuntime();
  const std::size_t boxes = host->boxes().size();
  int code = 0;
  try {
    rt::Value result;
    command(&result, static_cast<std::int32_t>(args.size()), args.empty() ? nullptr : args.data());
    ADD_FAILURE() << "the command returned";
  } catch (const platform::ProcessExit& exit) {
    code = exit.code;
  }
  rt::ResetRuntime();
  EXPECT_EQ(host->boxes().size(), boxes + 1);
  if (host->boxes().size() > boxes) {
    EXPECT_NE(host->boxes().back().text.find("所提供参数的数据类型不符合要求"), std::string::npos);
  }
  return code;
}

class PasswordCommandArguments : public dbtest::EngineTest {};

TEST_F(PasswordCommandArguments, AMissingOrWrongArgumentIsARuntimeErrorAndChangesNothing) {
  platform::sim::ScopedSimHost host;
  const std::string path = folder_.File("guarded.vdb");
  ASSERT_TRUE(Create(path, dbtest::FieldArray({{"name", 10, 20}})));
  ASSERT_TRUE(Open(path));
  rt::Value ok;
  db::commands::SetDatabasePassword(&ok, 1, std::vector<rt::Value>{dbtest::Text("secret")}.data());
  ASSERT_EQ(ok.lo, 1u);

  // No argument would have removed the protection; a number would have
  // been read as a text pointer.
  EXPECT_EQ(EndsWithRuntimeError(host, db::commands::SetDatabasePassword, {}), -1);
  EXPECT_EQ(EndsWithRuntimeError(host, db::commands::SetDatabasePassword, {rt::Value::Int(5)}), -1);
  EXPECT_EQ(EndsWithRuntimeError(host, db::commands::SetDatabasePassword, {rt::Value{}}), -1);
  db::CloseAllDatabases();
  char magic[4] = {};
  std::ifstream(path, std::ios::binary).read(magic, 4);
  EXPECT_EQ(std::string(magic, 4), "QCDB");

  // The dialog's variable must be a Text variable, its count a number; the
  // dialog never opens otherwise.
  char* variable = nullptr;
  EXPECT_EQ(EndsWithRuntimeError(host, db::InputPasswordDialog, {}), -1);
  EXPECT_EQ(EndsWithRuntimeError(host, db::InputPasswordDialog, {rt::Value::Int(16)}), -1);
  EXPECT_EQ(EndsWithRuntimeError(host, db::InputPasswordDialog, {rt::Value::Text(nullptr)}), -1);
  EXPECT_EQ(EndsWithRuntimeError(host, db::InputPasswordDialog,
                                 {rt::Value::Pointer(&variable, rt::type::kText), rt::Value::Text("2")}),
            -1);
  EXPECT_TRUE(host->password_dialogs().empty());

  // A count given as another number type is taken as its value.
  host->QueuePassword(std::nullopt);
  rt::Value args[2] = {rt::Value::Pointer(&variable, rt::type::kText), rt::Value::Double(1.0)};
  rt::Value result;
  db::InputPasswordDialog(&result, 2, args);
  ASSERT_EQ(host->password_dialogs().size(), 1u);
  EXPECT_EQ(host->password_dialogs()[0].message, "密码错误，您还有 2 次重新输入的机会。");
}

// Every copy of the typed text the dialog code makes (the host's answer,
// the routine's own) is wiped before its memory goes back: watched through
// the allocator's observer, so no freed memory is read.
std::vector<std::string>& Released() {
  static std::vector<std::string> blocks;
  return blocks;
}
void Record(const void* block, std::size_t bytes) { Released().emplace_back(static_cast<const char*>(block), bytes); }

TEST(InputPasswordDialog, LeavesNoCopyOfTheTypedText) {
  const std::string typed = "a long typed password, past the inline buffer";
  platform::sim::ScopedSimHost host;
  host->QueuePassword(typed);
  char* variable = nullptr;
  rt::Value args[1] = {rt::Value::Pointer(&variable, rt::type::kText)};
  rt::Value result;
  Released().clear();
  platform::WipingAllocatorObserver() = Record;
  db::InputPasswordDialog(&result, 1, args);
  platform::WipingAllocatorObserver() = nullptr;
  ASSERT_EQ(result.lo, 1u);
  EXPECT_STREQ(variable, typed.c_str());
  rt::FreeMemory(variable);
  ASSERT_FALSE(Released().empty()) << "the typed text went through no secret";
  for (const std::string& block : Released()) EXPECT_EQ(block.find_first_not_of('\0'), std::string::npos);
}

}  // namespace
