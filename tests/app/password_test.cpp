// The key derivation, the password change and reopening after a change that
// left no database open.
#include <gtest/gtest.h>

#include "app/forms/unit_ids.h"
#include "app/notebook.h"
#include "app/state.h"
#include "fake_world.h"
#include "runtime/helpers.h"

namespace app::testing {
namespace {

class PasswordTest : public ::testing::Test {
 protected:
  PasswordTest() {
    w.AddDatabase(w.DatabasePath(), "old", {Record("站一", "a.example", "u1", "p1")});
    w.open_path = w.DatabasePath();
    State().database_path = rt::ConcatTexts({w.DatabasePath().c_str()});
    LoadRecordList(0, false, false);
  }
  std::string Key() { return w.databases.at(w.DatabasePath()).key; }
  std::vector<std::string> MessageTexts() const {
    std::vector<std::string> texts;
    for (const ShownMessage& m : w.messages) texts.push_back(m.text);
    return texts;
  }

  WorldScope scope_;
  World& w = scope_.world();
};

TEST_F(PasswordTest, KeyIsTheDigestOfTheTrimmedPasswordEnciphered) {
  EXPECT_EQ(DeriveKey("abc").c_str(), std::string("D(E(abc,D(abc),1))"));
  EXPECT_EQ(DeriveKey("  abc ").c_str(), std::string("D(E(abc,D(abc),1))"));
  EXPECT_EQ(DeriveKey("　abc　").c_str(), std::string("D(E(abc,D(abc),1))"));  // full-width blanks
  EXPECT_EQ(DeriveKey("").c_str(), std::string("D(E(,D(),1))"));
}

TEST_F(PasswordTest, ChangeSucceedsAndKeepsTheDatabaseOpenExclusively) {
  w.password_answers = {"old"};
  w.input_answers = {"new", "new"};
  OnChangePassword();
  EXPECT_EQ(Key(), FakeKey("new"));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"恭喜，数据库密码成功修改，请牢记"});
  EXPECT_EQ(w.input_prompts, (std::vector<std::string>{"输入新的数据库密码", "请再次输入确认新的数据库密码"}));
  ASSERT_EQ(w.opens.size(), 1u);
  EXPECT_EQ(w.opens[0].share, 4);
  EXPECT_EQ(w.open_path, w.DatabasePath());
  EXPECT_EQ(w.rows.size(), 1u);  // no reload
}

TEST_F(PasswordTest, EntriesThatDifferByABlankAreReportedAsDifferent) {
  w.password_answers = {"old"};
  w.input_answers = {"new", "new "};
  OnChangePassword();
  EXPECT_EQ(Key(), FakeKey("old"));
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"两次密码输入不一致！"});
}

TEST_F(PasswordTest, RefusedNewKeyShowsTheEngineText) {
  w.refuse_password = true;
  w.password_answers = {"old"};
  w.input_answers = {"new", "new"};
  OnChangePassword();
  EXPECT_EQ(MessageTexts(), std::vector<std::string>{"修改数据库密码失败：修改失败"});
  EXPECT_EQ(Key(), FakeKey("old"));
}

TEST_F(PasswordTest, WrongPasswordOrCancelledNewPasswordTakesTheNextAttempt) {
  w.password_answers = {"bad", "old", "old"};
  w.input_answers = {std::nullopt, "x", "x"};
  OnChangePassword();
  EXPECT_EQ(w.password_prompts, (std::vector<std::int32_t>{0, 1, 2}));
  EXPECT_EQ(Key(), FakeKey("x"));
}

TEST_F(PasswordTest, CancelAtTheFirstPromptChangesNothing) {
  w.password_answers = {std::nullopt};
  OnChangePassword();
  EXPECT_TRUE(w.opens.empty());
  EXPECT_EQ(w.open_path, w.DatabasePath());
  EXPECT_TRUE(w.messages.empty());
}

// Three failed opens leave no database open; the actions that read the
// database then ask for the password again instead of ending the program.
TEST_F(PasswordTest, ActionsReopenTheDatabaseAfterAFailedChange) {
  w.password_answers = {"a", "b", "c"};
  OnChangePassword();
  EXPECT_FALSE(w.open_path.has_value());
  EXPECT_TRUE(w.messages.empty());

  w.selected = 0;
  w.password_answers = {"wrong", "old"};
  w.password_prompts.clear();
  OnCopyPassword();
  EXPECT_EQ(w.password_prompts, (std::vector<std::int32_t>{0, 1}));
  EXPECT_EQ(w.open_path, w.DatabasePath());
  EXPECT_EQ(w.opens.back().share, 0);  // as at start-up
  EXPECT_EQ(w.clipboard, "p1");
  EXPECT_EQ(w.rows.size(), 1u);  // reloaded
}

TEST_F(PasswordTest, GivingUpTheReopenDoesNothing) {
  w.password_answers = {"a", "b", "c"};
  OnChangePassword();
  w.selected = 0;

  w.password_answers = {std::nullopt};
  EXPECT_EQ(ExitCodeOf([] { OnModifyRecord(); }), std::nullopt);
  EXPECT_TRUE(w.loaded.empty());

  w.password_answers = {"x", "y", "z"};
  w.clipboard = "before";
  EXPECT_EQ(ExitCodeOf([] { OnCopyRecord(); }), std::nullopt);
  EXPECT_EQ(w.clipboard, "before");
  EXPECT_FALSE(w.open_path.has_value());

  // Modify after a successful reopen opens the record window.
  w.password_answers = {"old"};
  OnModifyRecord();
  ASSERT_EQ(w.loaded.size(), 1u);
  EXPECT_EQ(State().editing_record_number, 1);
}

}  // namespace
}  // namespace app::testing
