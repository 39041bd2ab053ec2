// The lock when away: the rule that decides when the notebook locks (idle
// time, the session lock, a box that is open), the user.ini values, and what
// locking and unlocking do to the notebook in the fake world, with the
// simulated host's clock.
#include <gtest/gtest.h>

#include "app/away_lock.h"
#include "app/forms/unit_ids.h"
#include "app/notebook.h"
#include "app/state.h"
#include "fake_world.h"
#include "runtime/helpers.h"
#include "ui/unit_numbers.h"

namespace app::testing {
namespace {

constexpr std::uint32_t kMinute = 60000;

TEST(AwayRule, IdleTimeLocksAndInputStartsItAfresh) {
  AwayRule rule;
  rule.Configure(kMinute, false);
  EXPECT_FALSE(rule.Tick(5 * kMinute)) << "nothing is due before the notebook is open";
  rule.Open(1000);
  EXPECT_FALSE(rule.Tick(1000 + kMinute - 1));
  rule.Input(1000 + kMinute - 1);
  EXPECT_FALSE(rule.Tick(1000 + 2 * kMinute - 2));
  EXPECT_TRUE(rule.Tick(1000 + 2 * kMinute - 1));
  rule.Close();
  EXPECT_FALSE(rule.Tick(1000 + 10 * kMinute)) << "a locked notebook does not lock again";
  EXPECT_FALSE(rule.SessionLocked());
  rule.Open(1000 + 10 * kMinute);
  EXPECT_FALSE(rule.Tick(1000 + 10 * kMinute + 1)) << "opening starts the idle time afresh";

  // The tick counter wraps after 49 days; the idle time does not.
  rule.Open(0xFFFFFF00u);
  EXPECT_FALSE(rule.Tick(0x00000100u));
  EXPECT_TRUE(rule.Tick(kMinute - 0x100u));

  AwayRule never;
  never.Configure(0, false);
  never.Open(0);
  EXPECT_FALSE(never.Tick(0xFFFFFFFFu)) << "lock=0: idle time never locks";
  EXPECT_FALSE(never.SessionLocked()) << "lockwithsession=0";
}

TEST(AwayRule, TheSessionLockLocksAtOnceWhenItCounts) {
  AwayRule rule;
  rule.Configure(0, true);
  EXPECT_FALSE(rule.SessionLocked()) << "not yet open";
  rule.Open(0);
  EXPECT_TRUE(rule.SessionLocked());
}

TEST(AwayRule, ALockDueWhileABoxIsOpenWaitsForItAndInputDoesNotUndoIt) {
  AwayRule rule;
  rule.Configure(kMinute, true);
  rule.Open(0);
  rule.BoxOpened();
  EXPECT_FALSE(rule.Tick(2 * kMinute)) << "due, but the box is open";
  rule.Input(2 * kMinute + 5);  // answering the box is input
  EXPECT_FALSE(rule.Tick(2 * kMinute + 6));
  rule.BoxOpened();  // a box over the box
  EXPECT_FALSE(rule.BoxClosed());
  EXPECT_TRUE(rule.BoxClosed()) << "the last box closed: lock at once";

  rule.Open(10 * kMinute);
  rule.BoxOpened();
  EXPECT_FALSE(rule.SessionLocked());
  EXPECT_TRUE(rule.BoxClosed());

  rule.Open(20 * kMinute);
  rule.BoxOpened();
  EXPECT_FALSE(rule.BoxClosed()) << "nothing fell due while it was open";
  EXPECT_FALSE(rule.BoxClosed()) << "an extra close does not underflow the count";
  EXPECT_TRUE(rule.SessionLocked());
}

TEST(AwayLockSettings, ValuesThatAreNotAWholeNumberOfMinutesMeanNever) {
  EXPECT_EQ(ParseLockMinutes("5"), 5u);
  EXPECT_EQ(ParseLockMinutes("1440"), 1440u);
  for (const char* never : {"", "0", "1441", "five", "5m", "-1", " 5", "1.5", "99999999999"})
    EXPECT_EQ(ParseLockMinutes(never), 0u) << never;
  EXPECT_EQ(ParseLockMinutes(nullptr), 0u);
  EXPECT_FALSE(ParseLockWithSession("0"));
  for (const char* on : {"", "1", "yes", "00", "off"}) EXPECT_TRUE(ParseLockWithSession(on)) << on;
  EXPECT_TRUE(ParseLockWithSession(nullptr));
}

class AwayLockTest : public ::testing::Test {
 protected:
  AwayLockTest() {
    w.files.insert("C:\\prog\\user.ini");
    w.ini = {{"lock", "1"}};
    w.AddDatabase(w.DatabasePath(), "pw",
                  {Record("站一", "a.example", "u1", "p1"), Record("站二", "b.example", "u2", "p2")});
    w.password_answers = {"pw"};
    OnMainWindowCreated();
  }
  ~AwayLockTest() override { StopAwayLock(); }
  std::string Caption() const { return w.Prop(ids::kMainWindow, ids::kMainWindowUnit, ui::prop::window::kCaption); }
  void Away(std::uint32_t seconds) { scope_.host().WaitSeconds(seconds); }

  WorldScope scope_;
  World& w = scope_.world();
  const std::string open_caption_ = "Quillkeep user 云帆经销 电话5550123";
};

TEST_F(AwayLockTest, LockingClosesTheDatabaseAndUnlockingGivesThreeChances) {
  ASSERT_EQ(w.rows.size(), 2u);
  Away(59);
  EXPECT_FALSE(NotebookLocked());
  Away(2);
  EXPECT_TRUE(NotebookLocked());
  EXPECT_FALSE(w.open_path.has_value());
  EXPECT_TRUE(w.rows.empty());
  EXPECT_EQ(Caption(), open_caption_ + "（已锁定）");

  // Cancel, then three wrong passwords: still locked, without a word.
  w.password_answers = {std::nullopt};
  OnDeleteRecord();
  w.password_answers = {"a", "b", "c"};
  OnListClicked();
  EXPECT_TRUE(NotebookLocked());
  EXPECT_EQ(w.password_prompts, (std::vector<std::int32_t>{0, 0, 0, 1, 2}));
  EXPECT_TRUE(w.messages.empty());
  EXPECT_EQ(Caption(), open_caption_ + "（已锁定）");

  // The right one reopens, reloads and lets the action go on.
  w.password_answers = {"pw"};
  OnTogglePasswords();
  EXPECT_FALSE(NotebookLocked());
  EXPECT_EQ(Caption(), open_caption_);
  ASSERT_EQ(w.rows.size(), 2u);
  EXPECT_EQ(w.rows[1][4], "p2") << "the toggle went on after the unlock";
  EXPECT_EQ(w.open_path, w.DatabasePath());

  // The idle time starts at the unlock.
  Away(59);
  EXPECT_FALSE(NotebookLocked());
}

TEST_F(AwayLockTest, AnOpenRecordWindowClosesUnsavedWithItsBoxesBlanked) {
  w.in_record_window = [&] {
    w.SetProp(ids::kRecordWindow, ids::kAccountBox, ui::prop::edit::kContent, "账号");
    w.SetProp(ids::kRecordWindow, ids::kPasswordBox, ui::prop::edit::kContent, "pw6");
    w.prop_writes.clear();
    Away(61);
  };
  OnAddRecord();
  EXPECT_TRUE(NotebookLocked());
  EXPECT_EQ(w.destroyed, std::vector<std::uint32_t>{ids::kRecordWindowUnit});
  std::vector<std::string> password_box, account_box;
  for (const auto& [window, unit, property, text] : w.prop_writes) {
    if (window == ids::kRecordWindow && unit == ids::kPasswordBox) password_box.push_back(text);
    if (window == ids::kRecordWindow && unit == ids::kAccountBox) account_box.push_back(text);
  }
  EXPECT_EQ(password_box, (std::vector<std::string>{"   ", ""}));
  EXPECT_EQ(account_box, (std::vector<std::string>{"  ", ""})) << "one blank for each character";
  EXPECT_EQ(w.databases.at(w.DatabasePath()).records.size(), 2u);
}

TEST_F(AwayLockTest, TheAnswerToABoxThatALockWaitedForDoesNotCount) {
  w.selected = 1;
  w.message_answers = {6};  // Yes
  w.while_box_open = [&] {
    Away(120);
    EXPECT_FALSE(NotebookLocked()) << "the question stays and the notebook open behind it";
    EXPECT_EQ(w.rows.size(), 2u);
  };
  OnDeleteRecord();
  w.while_box_open = nullptr;
  EXPECT_TRUE(NotebookLocked());
  EXPECT_EQ(w.databases.at(w.DatabasePath()).records.size(), 2u) << "Yes deleted nothing";

  // The change routine: the password typed into its dialog changes nothing,
  // and no further prompt follows while locked.
  w.password_answers = {"pw", "pw"};
  OnTogglePasswords();
  ASSERT_FALSE(NotebookLocked());
  w.password_prompts.clear();
  w.while_box_open = [&] { scope_.host().LockSession(); };
  OnChangePassword();
  EXPECT_TRUE(NotebookLocked());
  EXPECT_EQ(w.password_prompts.size(), 1u);
  EXPECT_TRUE(w.input_prompts.empty());
  EXPECT_EQ(w.databases.at(w.DatabasePath()).key, FakeKey("pw"));
}

TEST_F(AwayLockTest, ExitWhileLockedAsksNothing) {
  scope_.host().LockSession();
  ASSERT_TRUE(NotebookLocked());
  EXPECT_EQ(ExitCodeOf([] { OnExitButton(); }), 0);
  EXPECT_EQ(w.password_prompts.size(), 1u) << "only the one at start-up";
}

}  // namespace
}  // namespace app::testing
