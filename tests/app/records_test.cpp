// The record list, the record window and the actions on a selected record.
#include <gtest/gtest.h>

#include "app/forms/unit_ids.h"
#include "app/notebook.h"
#include "app/state.h"
#include "fake_world.h"
#include "runtime/helpers.h"

namespace app::testing {
namespace {

using Row = std::array<std::string, 7>;

class RecordsTest : public ::testing::Test {
 protected:
  RecordsTest() {
    w.AddDatabase(w.DatabasePath(), "pw", {Record("站一", "a.example", "u1", "p1", "r1"),
                                           Record("", "b.example", "u2", "", ""),
                                           Record("站三", "c.example", "u3", "p3", "r3")});
    w.open_path = w.DatabasePath();
    State().database_path = rt::ConcatTexts({w.DatabasePath().c_str()});
  }
  void Type(std::uint32_t box, const std::string& text) { w.SetProp(ids::kRecordWindow, box, 8, text); }
  std::string Box(std::uint32_t box) const { return w.Prop(ids::kRecordWindow, box, 8); }
  std::string Toggle() const { return w.Prop(ids::kMainWindow, ids::kTogglePasswordsButton, 10); }
  std::vector<FakeRecord>& Records() { return w.databases.at(w.DatabasePath()).records; }

  WorldScope scope_;
  World& w = scope_.world();
};

TEST_F(RecordsTest, FullReloadShowsEveryRecordWithMaskedPasswords) {
  LoadRecordList(0, false, false);
  ASSERT_EQ(w.rows.size(), 3u);
  EXPECT_EQ(w.rows[0], (Row{"1", "站一", "a.example", "u1", "********", "r1", "2023年3月15日6时"}));
  EXPECT_EQ(w.rows[1][4], "********");  // an empty password is masked too
  EXPECT_EQ(w.rows[2][0], "3");

  // Without a database the count is 0: the list empties and nothing is read.
  w.open_path.reset();
  LoadRecordList(0, false, false);
  EXPECT_TRUE(w.rows.empty());
}

TEST_F(RecordsTest, ToggleSwitchesCaptionFlagAndCells) {
  LoadRecordList(0, false, false);
  OnTogglePasswords();
  EXPECT_EQ(State().show_passwords, 1);
  EXPECT_EQ(Toggle(), "*号遮盖");
  EXPECT_EQ(w.rows[0][4], "p1");
  EXPECT_EQ(w.rows[1][4], "");
  OnTogglePasswords();
  EXPECT_EQ(State().show_passwords, 0);
  EXPECT_EQ(Toggle(), "正显密码");
  EXPECT_EQ(w.rows[0][4], "********");

  // Any other caption: nothing happens.
  w.SetProp(ids::kMainWindow, ids::kTogglePasswordsButton, 10, "其他");
  w.rows.clear();
  OnTogglePasswords();
  EXPECT_EQ(State().show_passwords, 0);
  EXPECT_TRUE(w.rows.empty());
}

TEST_F(RecordsTest, PopupOpensOnlyWithASelection) {
  LoadRecordList(0, false, false);
  OnListPopup();
  EXPECT_TRUE(w.popups.empty());
  w.selected = 1;
  OnListPopup();
  EXPECT_EQ(w.popups, std::vector<std::uint32_t>{ids::kAccountMenu});
}

TEST_F(RecordsTest, AddModeStartsEmptyAndSavesWithTheNextId) {
  LoadRecordList(0, false, false);
  w.in_record_window = [this] {
    EXPECT_EQ(w.Prop(ids::kRecordWindow, ids::kRecordWindowUnit, 8), "增加记录");
    EXPECT_EQ(w.Prop(ids::kRecordWindow, ids::kSaveButton, 10), "增加记录");
    Type(ids::kWebNameBox, "新站");
    Type(ids::kAccountBox, "me");
    Type(ids::kPasswordBox, " ");  // blanks only are not empty
    OnSaveRecord();
  };
  w.SetProp(ids::kMainWindow, ids::kRecordList, 4, "7");
  OnAddRecord();
  EXPECT_EQ(w.Prop(ids::kMainWindow, ids::kRecordList, 4), "0");
  EXPECT_EQ(w.loaded, (std::vector<std::pair<std::uint32_t, bool>>{{ids::kRecordWindow, true}}));
  EXPECT_EQ(State().editing_record_number, 0);
  ASSERT_EQ(Records().size(), 4u);
  EXPECT_EQ(Records()[3].id, 14.0);  // record count before adding + 11
  EXPECT_EQ(Records()[3].texts, (std::array<std::string, 5>{"新站", "", "me", " ", ""}));
  EXPECT_EQ(Records()[3].time, w.now);
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].text, "记录添加成功。");
  EXPECT_EQ(Box(ids::kWebNameBox), "");  // cleared for the next record
  ASSERT_EQ(w.rows.size(), 4u);
  EXPECT_EQ(w.rows[3][0], "4");
  EXPECT_EQ(w.rows[3][1], "新站");
  EXPECT_TRUE(w.destroyed.empty());  // add mode stays open
}

TEST_F(RecordsTest, SaveChecksAccountPasswordAndLength) {
  State().editing_record_number = 0;
  OnSaveRecord();
  Type(ids::kAccountBox, "me");
  OnSaveRecord();
  Type(ids::kPasswordBox, "pw");
  Type(ids::kRemarksBox, std::string(513, 'x'));
  OnSaveRecord();
  // 512 bytes pass; a double-byte character counts two.
  std::string name;
  for (int i = 0; i < 256; ++i) name += "网";
  Type(ids::kRemarksBox, "");
  Type(ids::kWebNameBox, name);
  OnSaveRecord();
  Type(ids::kWebNameBox, name + "x");  // the boxes were cleared by the add
  Type(ids::kAccountBox, "me");
  Type(ids::kPasswordBox, "pw");
  OnSaveRecord();

  ASSERT_EQ(w.messages.size(), 5u);
  EXPECT_EQ(w.messages[0].text, "未设置 账号或密码");
  EXPECT_EQ(w.messages[1].text, "未设置 账号或密码");
  EXPECT_EQ(w.messages[2].text, "信息长度超过512");
  EXPECT_EQ(w.messages[3].text, "记录添加成功。");
  EXPECT_EQ(w.messages[4].text, "信息长度超过512");
  EXPECT_EQ(Records().size(), 4u);
}

TEST_F(RecordsTest, FailedAddKeepsTheBoxes) {
  w.fail_add = true;
  Type(ids::kAccountBox, "me");
  Type(ids::kPasswordBox, "pw");
  OnSaveRecord();
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].text, "记录添加失败！");
  EXPECT_EQ(Box(ids::kAccountBox), "me");
  EXPECT_TRUE(w.rows.empty());
}

TEST_F(RecordsTest, ModifyOpensFilledAndRewritesTheRow) {
  LoadRecordList(0, false, false);
  OnModifyRecord();  // no selection: nothing
  EXPECT_TRUE(w.loaded.empty());

  w.selected = 2;
  w.in_record_window = [this] {
    EXPECT_EQ(w.Prop(ids::kRecordWindow, ids::kRecordWindowUnit, 8), "修改记录|3");
    EXPECT_EQ(w.Prop(ids::kRecordWindow, ids::kSaveButton, 10), "修改记录");
    EXPECT_EQ(Box(ids::kWebNameBox), "站三");
    EXPECT_EQ(Box(ids::kWebUrlBox), "c.example");
    EXPECT_EQ(Box(ids::kAccountBox), "u3");
    EXPECT_EQ(Box(ids::kPasswordBox), "p3");
    EXPECT_EQ(Box(ids::kRemarksBox), "r3");
    Type(ids::kWebNameBox, "改过");
    OnSaveRecord();
  };
  OnModifyRecord();
  EXPECT_EQ(w.Prop(ids::kMainWindow, ids::kRecordList, 4), "3");
  EXPECT_EQ(State().editing_record_number, 3);
  EXPECT_EQ(Records()[2].texts[0], "改过");
  EXPECT_EQ(Records()[2].time, 45000.25);  // time and id kept
  EXPECT_EQ(Records()[2].id, 0.0);
  EXPECT_EQ(w.rows.size(), 3u);
  EXPECT_EQ(w.rows[2][1], "改过");
  EXPECT_EQ(w.destroyed, std::vector<std::uint32_t>{ids::kRecordWindowUnit});
  EXPECT_TRUE(w.messages.empty());
}

TEST_F(RecordsTest, DeleteAsksAndKeepsColumnZero) {
  LoadRecordList(0, false, false);
  w.selected = 1;
  w.message_answers = {7};  // No
  OnDeleteRecord();
  EXPECT_EQ(Records().size(), 3u);
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].text, "是否删除 ？");  // empty name
  EXPECT_EQ(w.messages[0].flags, 4);

  w.message_answers = {5};  // Yes
  OnDeleteRecord();
  ASSERT_EQ(Records().size(), 2u);
  EXPECT_EQ(Records()[1].texts[0], "站三");
  ASSERT_EQ(w.rows.size(), 2u);
  EXPECT_EQ(w.rows[0][0], "1");
  EXPECT_EQ(w.rows[1][0], "3");  // not renumbered

  OnDeleteRecord();  // the selection is gone: nothing
  EXPECT_EQ(w.messages.size(), 2u);
}

TEST_F(RecordsTest, CopyingUsesTheStoredPasswordWhileMasked) {
  LoadRecordList(0, false, false);
  w.selected = 0;
  OnCopyPassword();
  EXPECT_EQ(w.clipboard, "p1");
  OnCopyAccount();
  EXPECT_EQ(w.clipboard, "u1");
  OnCopyRecord();
  EXPECT_EQ(w.clipboard,
            "网站名称：站一\r\n网站地址：a.example\r\n帐号：u1\r\n密码：p1\r\n备注：r1\r\n加入时间：2023年3月15日6时");
  OnOpenAddress();
  EXPECT_EQ(w.browsed, std::vector<std::string>{"a.example"});

  // Shown in clear, the cell is taken.
  OnTogglePasswords();
  w.selected = 2;
  w.rows[2][4] = "cell";
  OnCopyPassword();
  EXPECT_EQ(w.clipboard, "cell");
}

TEST_F(RecordsTest, AMaskedCopyRefusesARowThatNoLongerShowsItsRecord) {
  // A list load that failed part way can leave a row showing another record
  // than the one at its position; its password must not be handed out.
  LoadRecordList(0, false, false);
  w.rows[1] = w.rows[2];
  w.selected = 1;
  w.clipboard = "before";
  OnCopyPassword();
  EXPECT_EQ(w.clipboard, "before");
  // The refused copy said so and put the list back in step.
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].text, "记录列表与数据库不一致，已重新载入。");
  EXPECT_EQ(w.rows[1][1], "");
  w.rows[1] = w.rows[0];
  w.selected = 1;
  OnCopyRecord();
  EXPECT_EQ(w.clipboard, "before");
  EXPECT_EQ(w.messages.size(), 2u);
  w.selected = 2;
  OnCopyPassword();
  EXPECT_EQ(w.clipboard, "p3");
}

TEST_F(RecordsTest, AFailedReadStopsTheListAndSaysWhy) {
  // Full reload: the rows read before the failure stay, each its record.
  w.fail_reads_from = 1;
  LoadRecordList(0, false, false);
  ASSERT_EQ(w.rows.size(), 1u);
  EXPECT_EQ(w.rows[0][1], "站一");
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].text, "读取记录失败：读取失败");

  // One row: appended or rewritten only when read whole.
  LoadRecordList(3, true, false);
  EXPECT_EQ(w.rows.size(), 1u);
  w.fail_reads_from = -1;
  LoadRecordList(0, false, false);
  w.fail_reads_from = 2;
  w.rows[2][1] = "shown";
  LoadRecordList(3, true, true);
  EXPECT_EQ(w.rows[2][1], "shown");
  EXPECT_EQ(w.messages.size(), 3u);

}

TEST_F(RecordsTest, FailedModifyAndDeleteSayWhyAndKeepWhatWasTyped) {
  LoadRecordList(0, false, false);
  w.selected = 0;
  w.fail_writes = true;
  w.in_record_window = [this] {
    Type(ids::kWebNameBox, "改过");
    OnSaveRecord();
  };
  OnModifyRecord();
  ASSERT_EQ(w.messages.size(), 1u);
  EXPECT_EQ(w.messages[0].text, "记录修改失败：写入失败");
  EXPECT_TRUE(w.destroyed.empty());  // the window stays with the typed text
  EXPECT_EQ(Box(ids::kWebNameBox), "改过");
  EXPECT_EQ(Records()[0].texts[0], "站一");
  EXPECT_EQ(w.rows[0][1], "站一");

  w.fail_delete = true;
  w.message_answers = {5};  // Yes
  OnDeleteRecord();
  ASSERT_EQ(w.messages.size(), 3u);
  EXPECT_EQ(w.messages[2].text, "删除记录失败：删除失败");
  EXPECT_EQ(Records().size(), 3u);
  EXPECT_EQ(w.rows.size(), 3u);
}

TEST_F(RecordsTest, DeleteRemovesOnlyTheRecordTheQuestionNamed) {
  LoadRecordList(0, false, false);
  w.selected = 0;
  // Another process changed the first record after the list was loaded.
  Records()[0].texts[0] = "别的";
  w.message_answers = {5};
  OnDeleteRecord();
  EXPECT_EQ(Records().size(), 3u);
  ASSERT_EQ(w.messages.size(), 2u);
  EXPECT_EQ(w.messages[1].text, "记录列表与数据库不一致，已重新载入。");
  EXPECT_EQ(w.rows[0][1], "别的");

  // With no database open the password is asked first; Cancel keeps all.
  w.selected = 0;
  w.open_path.reset();
  w.password_answers = {std::nullopt};
  w.message_answers = {5};
  OnDeleteRecord();
  EXPECT_EQ(w.password_prompts.size(), 1u);
  EXPECT_EQ(Records().size(), 3u);
  EXPECT_EQ(w.rows.size(), 3u);

}

TEST_F(RecordsTest, TheToggleWithoutADatabaseSwitchesAndEmptiesTheListSilently) {
  // The first-run window was closed without creating anything.
  w.databases.clear();
  w.open_path.reset();
  LoadRecordList(0, false, false);
  EXPECT_TRUE(w.rows.empty());
  OnTogglePasswords();
  EXPECT_EQ(State().show_passwords, 1);
  EXPECT_EQ(Toggle(), "*号遮盖");
  OnTogglePasswords();
  EXPECT_EQ(Toggle(), "正显密码");
  EXPECT_TRUE(w.password_prompts.empty());
  EXPECT_TRUE(w.messages.empty());
  EXPECT_TRUE(w.rows.empty());
}

TEST_F(RecordsTest, AFailedPurgeKeepsTheRowAndTheNextDeleteKeepsListAndFileTogether) {
  LoadRecordList(0, false, false);
  w.selected = 0;
  w.fail_purge = true;
  w.message_answers = {5};
  OnDeleteRecord();
  ASSERT_EQ(w.messages.size(), 2u);
  EXPECT_EQ(w.messages[1].text, "删除记录失败：清除失败");
  // The record is still in the file (marked), and so is its row.
  EXPECT_EQ(Records().size(), 3u);
  ASSERT_EQ(w.rows.size(), 3u);
  EXPECT_EQ(w.rows[0][1], "站一");

  // Deleting the third row purges the first record too: the list is loaded
  // again and says so, instead of keeping a row whose record is gone.
  w.fail_purge = false;
  w.selected = 2;
  w.message_answers = {5};
  OnDeleteRecord();
  ASSERT_EQ(Records().size(), 1u);
  EXPECT_EQ(w.messages.back().text, "记录列表与数据库不一致，已重新载入。");
  ASSERT_EQ(w.rows.size(), 1u);
  EXPECT_EQ(w.rows[0][2], "b.example");

  // Deleting the very row again after a failed purge removes just that row.
  LoadRecordList(0, false, false);
  w.selected = 0;
  w.fail_purge = true;
  w.message_answers = {5};
  OnDeleteRecord();
  w.fail_purge = false;
  w.message_answers = {5};
  const std::size_t shown = w.messages.size();
  OnDeleteRecord();
  EXPECT_TRUE(Records().empty());
  EXPECT_TRUE(w.rows.empty());
  EXPECT_EQ(w.messages.size(), shown + 1) << "only the question";
}

}  // namespace
}  // namespace app::testing
