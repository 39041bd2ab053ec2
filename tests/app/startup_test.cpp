// Start-up, first-run creation, unlocking and the ways out.
#include <gtest/gtest.h>

#include "app/forms/unit_ids.h"
#include "app/handler_table.h"
#include "app/handlers.h"
#include "app/notebook.h"
#include "app/program.h"
#include "app/state.h"
#include "fake_world.h"

namespace app::testing {
namespace {

class StartUpTest : public ::testing::Test {
 protected:
  World& w = scope_.world();
  std::string Caption() const { return w.Prop(ids::kMainWindow, ids::kMainWindowUnit, 8); }
  void TypeInitPassword(const std::string& password) {
    w.in_init_window = [this, password] {
      w.SetProp(ids::kInitWindow, ids::kInitPasswordBox, 8, password);
      OnCreateDatabase();
    };
  }

 private:
  WorldScope scope_;
};

TEST_F(StartUpTest, FirstRunWritesTheIniAndCreatesAProtectedDatabase) {
  TypeInitPassword("secret");
  OnMainWindowCreated();

  EXPECT_EQ(w.main_height, 275);
  EXPECT_EQ(w.ini, (std::map<std::string, std::string>{{"database", "user.vdb"}, {"name", "user"}}));
  EXPECT_STREQ(State().database_path, "C:\\prog\\user.vdb");
  ASSERT_EQ(w.loaded.size(), 1u);
  EXPECT_EQ(w.loaded[0], std::make_pair(ids::kInitWindow, true));

  // Created with the seven fields, opened unprotected, then given the key.
  EXPECT_EQ(w.created_fields, (std::vector<std::pair<std::string, std::int32_t>>{
                                  {"id", 3}, {"WebName", 10}, {"WebUrl", 10}, {"UserName", 10},
                                  {"PassWord", 10}, {"Remarks", 10}, {"Time", 8}}));
  ASSERT_EQ(w.opens.size(), 1u);
  EXPECT_EQ(w.opens[0].password, "");
  EXPECT_EQ(w.opens[0].share, 0);
  EXPECT_EQ(w.delays, std::vector<std::int32_t>{100});
  EXPECT_EQ(w.databases.at(w.DatabasePath()).key, FakeKey("secret"));
  EXPECT_EQ(w.open_path, w.DatabasePath());
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].text, "成功创建数据库,请牢记密码.");
  EXPECT_EQ(w.messages[0].flags, 0);
  EXPECT_EQ(w.destroyed, std::vector<std::uint32_t>{ids::kInitWindowUnit});
  EXPECT_EQ(Caption(), "Quillkeep user 云帆经销 电话5550123");
  EXPECT_TRUE(w.password_prompts.empty());
}

TEST_F(StartUpTest, EmptyPasswordIsReportedButStillProtectsTheDatabase) {
  TypeInitPassword("");
  OnMainWindowCreated();
  ASSERT_EQ(w.messages.size(), 2u);
  EXPECT_EQ(w.messages[0].text, "未设置数据库密码");
  EXPECT_EQ(w.databases.at(w.DatabasePath()).key, FakeKey(""));
}

TEST_F(StartUpTest, FailedCreationSaysWhyAndKeepsTheWindowOpen) {
  w.fail_create = true;
  TypeInitPassword("pw");
  OnMainWindowCreated();
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].text, "数据库创建失败：创建失败");
  EXPECT_EQ(w.messages[0].flags, 0);
  EXPECT_TRUE(w.opens.empty());
  EXPECT_TRUE(w.destroyed.empty());
}

TEST_F(StartUpTest, UnopenableNewFileIsDeletedAndTheProgramEnds) {
  w.fail_open_unprotected = true;
  TypeInitPassword("pw");
  EXPECT_EQ(ExitCodeOf([] { OnMainWindowCreated(); }), 0);
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].text, "数据库设置密码失败！");
  EXPECT_EQ(w.databases.count(w.DatabasePath()), 0u);
}

// A refused first password must not leave an open, unprotected file that no
// later start could unlock: it is closed and removed, the window stays.
TEST_F(StartUpTest, RefusedFirstPasswordRemovesTheNewFile) {
  w.refuse_password = true;
  TypeInitPassword("pw");
  OnMainWindowCreated();
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].text, "数据库密码设置失败：修改失败");
  EXPECT_FALSE(w.open_path.has_value());
  EXPECT_EQ(w.databases.count(w.DatabasePath()), 0u);
  EXPECT_TRUE(w.destroyed.empty());

  // Pressed again, it succeeds.
  w.refuse_password = false;
  OnCreateDatabase();
  EXPECT_EQ(w.databases.at(w.DatabasePath()).key, FakeKey("pw"));
  EXPECT_EQ(w.destroyed, std::vector<std::uint32_t>{ids::kInitWindowUnit});
}

TEST_F(StartUpTest, IniNamesTheFileAndTheDisplayName) {
  w.files.insert("C:\\prog\\user.ini");
  w.ini = {{"database", "other.vdb"}, {"name", "张三"}};
  w.AddDatabase("C:\\prog\\other.vdb", "pw", {Record("a", "b", "c", "d")});
  w.password_answers = {"bad", "pw"};
  OnMainWindowCreated();

  EXPECT_STREQ(State().database_path, "C:\\prog\\other.vdb");
  EXPECT_EQ(w.password_prompts, (std::vector<std::int32_t>{0, 1}));
  EXPECT_EQ(w.rows.size(), 1u);
  EXPECT_EQ(Caption(), "Quillkeep 张三 云帆经销 电话5550123");
  EXPECT_EQ(w.ini.size(), 2u);  // never rewritten
  EXPECT_TRUE(w.loaded.empty());
}

TEST_F(StartUpTest, MissingIniKeysFallBackToDefaults) {
  w.files.insert("C:\\prog\\user.ini");
  w.AddDatabase(w.DatabasePath(), "pw", {});
  w.password_answers = {" pw "};  // blanks around the password are ignored
  OnMainWindowCreated();
  EXPECT_STREQ(State().database_path, "C:\\prog\\user.vdb");
  EXPECT_EQ(w.open_path, w.DatabasePath());
  EXPECT_TRUE(w.ini.empty());
}

TEST_F(StartUpTest, UnlockGivesThreeChancesThenEnds) {
  w.files.insert("C:\\prog\\user.ini");
  w.AddDatabase(w.DatabasePath(), "pw", {});
  w.password_answers = {"x", "y", "pw"};
  EXPECT_EQ(ExitCodeOf([] { OnMainWindowCreated(); }), std::nullopt);
  EXPECT_EQ(w.password_prompts, (std::vector<std::int32_t>{0, 1, 2}));
  EXPECT_EQ(w.open_path, w.DatabasePath());
}

TEST_F(StartUpTest, ThirdWrongPasswordEndsWithoutAMessage) {
  w.files.insert("C:\\prog\\user.ini");
  w.AddDatabase(w.DatabasePath(), "pw", {});
  w.password_answers = {"x", "y", "z"};
  EXPECT_EQ(ExitCodeOf([] { OnMainWindowCreated(); }), 0);
  EXPECT_EQ(w.password_prompts.size(), 3u);
  EXPECT_TRUE(w.messages.empty());
}

TEST_F(StartUpTest, CancelAtThePromptEnds) {
  w.files.insert("C:\\prog\\user.ini");
  w.AddDatabase(w.DatabasePath(), "pw", {});
  w.password_answers = {std::nullopt};
  EXPECT_EQ(ExitCodeOf([] { OnMainWindowCreated(); }), 0);
  EXPECT_TRUE(w.opens.empty());
}

TEST_F(StartUpTest, ExitButtonClosesTheDatabaseAndEnds) {
  w.AddDatabase(w.DatabasePath(), "", {});
  w.open_path = w.DatabasePath();
  EXPECT_EQ(ExitCodeOf([] { OnExitButton(); }), 0);
  EXPECT_FALSE(w.open_path.has_value());

  w.open_path = w.DatabasePath();
  OnMainWindowDestroying();
  EXPECT_FALSE(w.open_path.has_value());
}

TEST(HandlerTable, EveryBoundIndexHasAHandlerAndTheHeaderCarriesTheBlock) {
  std::span<const rt::Handler> table = HandlerTable();
  ASSERT_EQ(table.size(), static_cast<std::size_t>(kHandlerCount));
  for (rt::Handler h : table) EXPECT_NE(h, nullptr);
  EXPECT_EQ(table[kOnSaveRecord], &OnSaveRecord);
  EXPECT_EQ(table[kOnMainWindowCreated], &OnMainWindowCreated);
  const rt::ProgramHeader& header = ProgramHeader();
  EXPECT_EQ(header.code_base, table.data());
  EXPECT_EQ(header.template_data_length, 5873u);
  // The new database password is typed into the first-run box and the
  // change routine's input boxes: no input method there on any desktop.
  ASSERT_EQ(header.secret_edit_box_count, 1u);
  EXPECT_EQ(header.secret_edit_boxes[0].window_id, ids::kInitWindow);
  EXPECT_EQ(header.secret_edit_boxes[0].unit_id, ids::kInitPasswordBox);
  EXPECT_TRUE(header.secret_input_boxes);
}

}  // namespace
}  // namespace app::testing
