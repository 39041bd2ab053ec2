// A notebook session step with every file operation failed in turn: the
// notebook is unlocked, a record is added through the record window and
// another deleted through the list (answering Yes), while operation N
// (N = 1, 2, ... until the step runs untouched) fails with each cause.
// After every run: the program ended cleanly, nothing stayed open or locked,
// the database opens with the notebook's key and passes the checker, every
// earlier record is intact, an add the notebook called successful is there
// whole, an add it called failed is absent or whole, and a row the list
// dropped is gone from the file while a row it kept is still there, and a
// list that does not show the records was explained by a message.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "app/program.h"
#include "app/state.h"
#include "commands/key_derivation.h"
#include "db/check.h"
#include "db/engine.h"
#include "db/registry.h"
#include "platform/host.h"
#include "platform/sim/desktop.h"
#include "platform/system.h"
#include "runtime/helpers.h"
#include "runtime/services.h"
#include "tests/reliability/model_db.h"
#include "tests/support/faulty_files.h"
#include "tests/support/temp_folder.h"
#include "tools/scenario/sim_person.h"
#include "ui/registry.h"
#include "ui/runtime_api.h"
#include "ui/unit_lookup.h"

namespace reltest {
namespace {

using platform::BoxAnswer;
using platform::FileError;
using platform::sim::Desktop;
using platform::sim::WaitKind;
using qktest::FaultMode;

constexpr std::uint64_t kMaxOperations = 3000;
const char* const kPassword = "secret";

// The notebook's fields as stored: id, five texts, time.
struct Card {
  std::int32_t status = 0;  // serial; negative while marked deleted
  double id = 0;
  std::array<std::string, 5> texts;
  double time = 0;
  bool SameContent(const Card& other) const { return id == other.id && texts == other.texts && time == other.time; }
};

std::string Describe(const Card& c) { return platform::GbkToUtf8(c.texts[0] + "/" + c.texts[2]); }

// A first run creating the notebook, then three records (UTF-8 script).
const char* const kSetupScript = reinterpret_cast<const char*>(
    u8"clock 2024-03-01 09:00:00\n"
    u8"expect window 初始化数据库\n"
    u8"type 编辑框_数据库密码 secret\n"
    u8"click 按钮_确定\n"
    u8"answer OK\n"
    u8"click 按钮_添加记录\n"
    u8"type 编辑框_网站名称 网站一\n"
    u8"type 编辑框_网站地址 http://one.example\n"
    u8"type 编辑框_帐号 alice\n"
    u8"type 编辑框_密码 pw-one\n"
    u8"type 编辑框_备注 备注一\n"
    u8"click 按钮_增加或删除\n"
    u8"expect box 记录添加成功。\n"
    u8"answer OK\n"
    u8"type 编辑框_网站名称 网站二\n"
    u8"type 编辑框_帐号 bob\n"
    u8"type 编辑框_密码 pw-two\n"
    u8"click 按钮_增加或删除\n"
    u8"expect box 记录添加成功。\n"
    u8"answer OK\n"
    u8"type 编辑框_网站名称 网站三\n"
    u8"type 编辑框_帐号 carol\n"
    u8"type 编辑框_密码 密码三\n"
    u8"click 按钮_增加或删除\n"
    u8"expect box 记录添加成功。\n"
    u8"answer OK\n"
    u8"close\n"
    u8"expect rows 超级列表框1 3\n"
    u8"click 按钮_退出\n"
    u8"expect exit 0\n");

// What the person of one trial saw and did.
struct Session {
  bool exited = false;  // the program ended through its exit
  int exit_code = 0;
  std::string stopped;  // why the session stopped otherwise (UTF-8)
  std::vector<std::string> boxes;  // message box texts, GBK
  bool add_reported_success = false;
  bool add_reported_failure = false;
  int rows_before_delete = -1;  // -1: the delete was never asked
  int rows_after_delete = -1;
  std::string delete_named;  // the site the delete question named, GBK
  int deleted_row = -1;
  std::vector<std::string> listed_before, listed;  // the sites the list shows before and after, GBK
  bool looked_at_list = false;  // listed_before was taken
  bool SawBoxStartingWith(const std::string& prefix) const {
    for (const std::string& box : boxes)
      if (box.rfind(prefix, 0) == 0) return true;
    return false;
  }
  // The list is what it was less the deleted row (not reloaded, not kept).
  bool RowDropped() const {
    if (deleted_row < 0 || listed_before.size() != listed.size() + 1) return false;
    std::vector<std::string> expected = listed_before;
    expected.erase(expected.begin() + deleted_row);
    return expected == listed;
  }
};

// The person of a trial: unlocks, adds a record, deletes the second row,
// exits; answers whatever the notebook asks on the way.
class StepPerson final : public platform::sim::Person {
 public:
  explicit StepPerson(Session& session) : session_(session) {}

  void Act(Desktop& desktop, WaitKind wait) override {
    if (++acts_ > 60) throw std::runtime_error("the step did not end: " + desktop.DescribeScreen());
    switch (wait) {
      case WaitKind::kPasswordDialog:
        // The notebook asks again after a failed open; the third refusal
        // would end it.
        desktop.input().AnswerDialog(std::string(kPassword));
        return;
      case WaitKind::kInputBox:
        desktop.input().AnswerDialog(std::nullopt);
        return;
      case WaitKind::kPopupMenu:
        desktop.input().DismissPopup();
        return;
      case WaitKind::kMessageBox:
        AnswerBox(desktop);
        return;
      case WaitKind::kIdle:
        Proceed(desktop);
        return;
    }
  }

 private:
  enum class Stage { kOpenRecordWindow, kFillAndSave, kCloseRecordWindow, kDelete, kAfterDelete, kExit };

  void AnswerBox(Desktop& desktop) {
    const std::string text = desktop.open_box()->text;
    session_.boxes.push_back(text);
    const std::string question = "是否删除 ";
    if (text.rfind(question, 0) == 0) {
      session_.delete_named = text.substr(question.size(), text.size() - question.size() - std::string("？").size());
      desktop.input().AnswerBox(BoxAnswer::kYes);
      return;
    }
    if (text == "记录添加成功。") session_.add_reported_success = true;
    if (text == "记录添加失败！") session_.add_reported_failure = true;
    const std::uint32_t buttons = desktop.open_box()->flags & 0xF;
    desktop.input().AnswerBox(buttons == 0 ? BoxAnswer::kOk : buttons == 4 || buttons == 3 ? BoxAnswer::kNo : BoxAnswer::kCancel);
  }

  platform::WindowHandle Unit(Desktop& desktop, const char* name) {
    platform::WindowHandle unit = ui::FindUnitWindow(name);
    if (unit == 0) throw std::runtime_error("no unit " + platform::GbkToUtf8(name) + ": " + desktop.DescribeScreen());
    return unit;
  }

  // The site column of every row.
  std::vector<std::string> Sites(Desktop& desktop) {
    std::vector<std::string> sites;
    for (const auto& row : desktop.Find(Unit(desktop, "超级列表框1"))->list.rows())
      sites.push_back(row.cells.size() > 1 ? row.cells[1] : std::string());
    return sites;
  }

  int ListRows(Desktop& desktop) { return desktop.Find(Unit(desktop, "超级列表框1"))->list.RowCount(); }

  void Proceed(Desktop& desktop) {
    switch (stage_) {
      case Stage::kOpenRecordWindow:
        desktop.input().Click(Unit(desktop, "按钮_添加记录"));
        stage_ = Stage::kFillAndSave;
        return;
      case Stage::kFillAndSave:
        desktop.input().Type(Unit(desktop, "编辑框_网站名称"), "网站四");
        desktop.input().Type(Unit(desktop, "编辑框_网站地址"), "https://four.example");
        desktop.input().Type(Unit(desktop, "编辑框_帐号"), "dave");
        desktop.input().Type(Unit(desktop, "编辑框_密码"), "pw four");
        desktop.input().Type(Unit(desktop, "编辑框_备注"), "备注四");
        desktop.input().Click(Unit(desktop, "按钮_增加或删除"));
        stage_ = Stage::kCloseRecordWindow;
        return;
      case Stage::kCloseRecordWindow:
        desktop.input().CloseActive();
        stage_ = Stage::kDelete;
        return;
      case Stage::kDelete: {
        // The second row, or the only one when the list holds fewer.
        platform::WindowHandle list = Unit(desktop, "超级列表框1");
        session_.rows_before_delete = ListRows(desktop);
        session_.listed_before = Sites(desktop);
        session_.looked_at_list = true;
        stage_ = Stage::kAfterDelete;
        if (session_.rows_before_delete == 0) {
          session_.rows_before_delete = -1;
          Proceed(desktop);
          return;
        }
        session_.deleted_row = session_.rows_before_delete >= 2 ? 1 : 0;
        desktop.input().SelectRow(list, session_.deleted_row);
        desktop.input().Click(Unit(desktop, "按钮_删除记录"));
        return;
      }
      case Stage::kAfterDelete:
        session_.rows_after_delete = ListRows(desktop);
        session_.listed = Sites(desktop);
        desktop.input().Click(Unit(desktop, "按钮_退出"));
        stage_ = Stage::kExit;
        return;
      case Stage::kExit:
        throw std::runtime_error("the exit button did not end the program: " + desktop.DescribeScreen());
    }
  }

  Session& session_;
  Stage stage_ = Stage::kOpenRecordWindow;
  int acts_ = 0;
};

std::string ProgramPath(const std::filesystem::path& folder) {
  return platform::Utf8ToGbk((folder / "quillkeep.exe").string());
}

// Runs the notebook on a fresh simulated desktop with `person` until it ends.
// `before_start` runs once the desktop is installed, `at_end` (with the
// exit code) while it still stands.
void RunNotebookSession(const std::filesystem::path& folder, platform::sim::Person& person, Session* session,
                        const std::function<void()>& before_start = {},
                        const std::function<void(Desktop&, int)>& at_end = {}) {
  rt::ResetRuntime();
  app::ResetState();
  platform::sim::ScopedDesktop desktop;
  desktop->SetProgramPath(ProgramPath(folder));
  desktop->set_person(&person);
  ui::InstallWindowRuntime();
  if (before_start) before_start();
  try {
    app::RunNotebook();
  } catch (const platform::ProcessExit& exit) {
    session->exited = true;
    session->exit_code = exit.code;
  } catch (const std::exception& stopped) {
    session->stopped = stopped.what();
  }
  desktop->set_person(nullptr);
  if (at_end && session->exited) {
    try {
      at_end(*desktop, session->exit_code);
    } catch (const std::exception& failed) {
      session->stopped = failed.what();
    }
  }
  ui::ResetRegistry();
  rt::ResetRuntime();
  app::ResetState();
}

// What the person saw, for failure messages.
std::string Story(const Session& s) {
  std::string story = "; rows ";
  story += std::to_string(s.rows_before_delete);
  story += " -> ";
  story += std::to_string(s.rows_after_delete);
  story += ", deleting \"";
  story += platform::GbkToUtf8(s.delete_named);
  story += "\"; boxes:";
  for (const std::string& box : s.boxes) {
    story += " \"";
    story += platform::GbkToUtf8(box);
    story += '"';
  }
  story += "; listed:";
  for (const std::string& site : s.listed) {
    story += ' ';
    story += platform::GbkToUtf8(site);
  }
  return story;
}

std::string TextOf(rt::Value v) {
  std::string out = v.text() == nullptr ? std::string() : std::string(v.text());
  rt::FreeValue(v);
  return out;
}

// Opens the notebook's database with its key, checks it and reads every
// record (marked ones too). Problems found go to *problems.
std::vector<Card> OpenCheckAndRead(const std::string& path, const std::string& key, std::vector<std::string>* problems) {
  std::vector<Card> cards;
  db::OpenOptions options;
  options.password = key;
  int code = db::OpenDatabaseFile(path, options);
  if (code != 0) {
    problems->push_back("open: " + std::to_string(code));
    return cards;
  }
  db::Database& d = *db::CurrentDatabase();
  for (const std::string& p : db::CheckDatabaseFiles(d.full_path, [&] { return key; })) problems->push_back("check: " + p);
  std::int32_t count = 0, next = 0;
  code = db::ReadRecordCount(d, &count, &next);
  for (std::int32_t r = 0; code == 0 && r < count; ++r) {
    d.current = r;
    Card card;
    rt::Value v;
    code = db::ReadRecordStatus(d, r, &card.status);
    if (code == 0) code = db::ReadField(d, 0, &v), card.id = v.as_double(), rt::FreeValue(v);
    for (int f = 0; code == 0 && f < 5; ++f) code = db::ReadField(d, f + 1, &v), card.texts[f] = TextOf(v);
    if (code == 0) code = db::ReadField(d, 6, &v), card.time = v.as_double(), rt::FreeValue(v);
    if (code == 0) cards.push_back(card);
  }
  if (code != 0) problems->push_back("read: " + std::to_string(code));
  db::CloseAllDatabases();
  return cards;
}

struct Cause {
  FileError error;
  FaultMode mode;
};

const Cause kCauses[] = {
    {FileError::kDiskFull, FaultMode::kOnce},
    {FileError::kHardware, FaultMode::kOnce},
    {FileError::kLockViolation, FaultMode::kOnce},
};

class NotebookFaultLoop : public ::testing::Test {
 protected:
  void SetUp() override {
    char* key = commands::DeriveDatabaseKey(kPassword);
    key_ = key;
    rt::Services().FreeMemory(key);

    scenario::SimScriptedUser setup(kSetupScript);
    setup.script().folder = folder_.path().string();
    Session session;
    RunNotebookSession(folder_.path(), setup, &session, {},
                       [&](Desktop& desktop, int code) { setup.Finish(desktop, code); });
    ASSERT_TRUE(session.exited && session.stopped.empty()) << session.stopped;
    ASSERT_TRUE(setup.finished());
    std::vector<std::string> problems;
    before_ = OpenCheckAndRead(database_, key_, &problems);
    ASSERT_TRUE(problems.empty()) << problems.front();
    ASSERT_EQ(before_.size(), 3u);
    snapshot_ = TakeSnapshot(folder_.path().string());
  }
  void TearDown() override { db::CloseAllDatabases(); }

  // The checks after one run; `trial` names it.
  void Judge(const Session& s, const std::string& trial) {
    EXPECT_TRUE(s.exited) << trial << ": " << s.stopped;
    EXPECT_EQ(s.exit_code, 0) << trial;
    EXPECT_FALSE(s.add_reported_success && s.add_reported_failure) << trial;
    std::vector<std::string> problems;
    std::vector<Card> after = OpenCheckAndRead(database_, key_, &problems);
    ASSERT_TRUE(problems.empty()) << trial << ": " << problems.front();

    // The list shows the notebook's records in order (with the added one
    // when the add was called successful), or a box said it could not.
    if (s.looked_at_list) {
      std::vector<std::string> sites;
      for (const Card& earlier : before_) sites.push_back(earlier.texts[0]);
      std::vector<std::string> with_added = sites;
      with_added.push_back("网站四");
      const bool whole = s.listed_before == with_added || (s.listed_before == sites && !s.add_reported_success);
      if (!whole) {
        EXPECT_TRUE(s.SawBoxStartingWith("读取记录失败：") || s.SawBoxStartingWith("记录列表与数据库不一致"))
            << trial << ": the list stopped short or went out of step without a message";
      }
    }

    // Every earlier record stays whole, in order, live; the one the delete
    // question named is gone when the list dropped its row, else still there
    // (marked when only the purge failed).
    const bool row_dropped = s.RowDropped();
    std::size_t at = 0;
    for (const Card& earlier : before_) {
      const bool named = !s.delete_named.empty() && earlier.texts[0] == s.delete_named;
      const bool present = at < after.size() && after[at].SameContent(earlier);
      if (named && row_dropped) {
        EXPECT_FALSE(present) << trial << ": the list dropped " << Describe(earlier) << ", the file still holds it";
      } else {
        EXPECT_TRUE(present) << trial << ": " << Describe(earlier) << " lost or changed"
                             << (at < after.size() ? "; found " + Describe(after[at]) : std::string());
        if (present && !named) {
          EXPECT_GT(after[at].status, 0) << trial << ": " << Describe(earlier) << " marked deleted";
        }
      }
      if (present) ++at;
    }
    if (HasFailure()) return;

    // The added record: whole when reported added, absent or whole when
    // reported failed (unless it was the one deleted).
    const std::array<std::string, 5> typed = {"网站四", "https://four.example", "dave", "pw four", "备注四"};
    if (at < after.size()) {
      const Card& added = after[at];
      EXPECT_EQ(added.texts, typed) << trial << ": the added record is " << Describe(added);
      EXPECT_TRUE(s.add_reported_success || s.add_reported_failure) << trial;
      if (s.delete_named == typed[0]) {
        EXPECT_FALSE(row_dropped) << trial << ": the list dropped the added record, the file still holds it";
      } else {
        EXPECT_GT(added.status, 0) << trial;
      }
      ++at;
    } else if (!(s.delete_named == typed[0] && row_dropped)) {
      EXPECT_FALSE(s.add_reported_success) << trial << ": \"added\" shown, the record is not in the file";
      EXPECT_TRUE(s.add_reported_failure) << trial << ": the add failed without a message";
    }
    EXPECT_EQ(at, after.size()) << trial << ": records beyond those expected";
  }

  qktest::TempFolder folder_;
  std::string database_ = folder_.File("user.vdb");
  std::string key_;
  std::vector<Card> before_;
  Snapshot snapshot_;
};

TEST_F(NotebookFaultLoop, UnlockAddAndDeleteUnderEveryFailedFileOperation) {
  qktest::FaultyFileSystem faults;
  std::size_t trials = 0, untouched = 0;
  for (const Cause& cause : kCauses) {
    for (std::uint64_t n = 1; n <= kMaxOperations; ++n) {
      RestoreSnapshot(folder_.path().string(), snapshot_);
      Session session;
      StepPerson person(session);
      RunNotebookSession(folder_.path(), person, &session,
                         [&] { faults.Arm(n, cause.error, cause.mode); });
      const bool fired = faults.fired();
      const std::string trial = std::string(platform::FileErrorName(cause.error)) + " at operation " +
                                std::to_string(n) + " (" + faults.fired_at() + ")";
      faults.Disarm();
      EXPECT_EQ(faults.held_ranges(), 0) << trial << ": a range stayed locked";
      EXPECT_EQ(faults.open_files(), 0) << trial << ": a file stayed open";
      db::CloseAllDatabases();
      if (!fired) {
        ASSERT_TRUE(session.add_reported_success) << "untouched run";
        ASSERT_EQ(session.rows_after_delete, session.rows_before_delete - 1) << "untouched run";
        ASSERT_TRUE(session.RowDropped()) << "untouched run";
        Judge(session, "untouched run");
        ++untouched;
        break;
      }
      ++trials;
      Judge(session, trial + Story(session));
      if (HasFailure()) return;  // one trial's story is enough
    }
  }
  EXPECT_EQ(untouched, std::size(kCauses));
  EXPECT_GT(trials, 30u);
  RecordProperty("trials", static_cast<int>(trials));
}

}  // namespace
}  // namespace reltest
