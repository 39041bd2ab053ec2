// Fails every file operation of an engine command in turn (N = 1, 2, ...
// until the command runs untouched), with each cause, once or lastingly.
// After every failure: the command said so, nothing stayed locked or open,
// the database opens, passes the checker and the index checker, and every
// record that was there before is intact.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "db/engine.h"
#include "db/errors.h"
#include "db/password.h"
#include "db/registry.h"
#include "tests/reliability/model_db.h"
#include "tests/support/faulty_files.h"
#include "tests/support/temp_folder.h"

namespace reltest {
namespace {

using platform::FileError;
using qktest::FaultMode;

constexpr std::uint64_t kMaxOperations = 5000;

struct Cause {
  FileError error;
  FaultMode mode;
};

const Cause kCauses[] = {
    {FileError::kDiskFull, FaultMode::kOnce},     {FileError::kAccessDenied, FaultMode::kOnce},
    {FileError::kHardware, FaultMode::kOnce},     {FileError::kLockViolation, FaultMode::kOnce},
    {FileError::kDiskFull, FaultMode::kLasting},  {FileError::kHardware, FaultMode::kLasting},
};

std::string Describe(const Cause& c, std::uint64_t n, const std::string& at) {
  return std::string(platform::FileErrorName(c.error)) + (c.mode == FaultMode::kOnce ? " once" : " lasting") +
         " at operation " + std::to_string(n) + " (" + at + ")";
}

class FaultLoops : public ::testing::Test {
 protected:
  void TearDown() override { db::CloseAllDatabases(); }

  // The starting point of every trial: six records with chains of several
  // blocks, the fourth marked deleted, both index files, `password`.
  void MakeBaseline(const std::string& password = "") {
    ASSERT_EQ(MakeSixRecords(path_), 0);
    db::Database& d = *db::CurrentDatabase();
    ASSERT_EQ(BuildIndexes(d, folder_.path().string()), 0);
    if (!password.empty()) {
      ASSERT_EQ(db::ChangeDatabasePassword(d, password), 0);
    }
    db::CloseAllDatabases();
    password_ = password;
    std::vector<std::string> problems = OpenAndCheck(path_, password_, true, &before_);
    ASSERT_TRUE(problems.empty()) << problems.front();
    snapshot_ = TakeSnapshot(folder_.path().string());
  }

  // Runs `operation` on the opened baseline under each cause and every N;
  // `judge` looks at the rows after (the checks common to all are made
  // here). `lock_retries` says a lock refused once may be waited out.
  void Loop(const std::function<int(db::Database&)>& operation,
            const std::function<void(int code, const std::vector<Row>& after, const std::string& trial)>& judge,
            const std::string& password_after_success) {
    for (const Cause& cause : kCauses) {
      for (std::uint64_t n = 1; n <= kMaxOperations; ++n) {
        RestoreSnapshot(folder_.path().string(), snapshot_);
        db::OpenOptions options;
        options.password = password_;
        for (const char* name : kIndexNames) options.index_files.push_back(folder_.File(name));
        ASSERT_EQ(db::OpenDatabaseFile(path_, options), 0);
        faults_.Arm(n, cause.error, cause.mode);
        int code = operation(*db::CurrentDatabase());
        const bool fired = faults_.fired();
        const std::string at = faults_.fired_at();
        const std::string trial = Describe(cause, n, at);
        faults_.Disarm();
        EXPECT_EQ(faults_.held_ranges(), 0) << trial;
        db::CloseAllDatabases();
        EXPECT_EQ(faults_.open_files(), 0) << trial;
        if (!fired) {
          ASSERT_EQ(code, 0) << "untouched run failed";
          std::vector<Row> after;
          std::vector<std::string> problems = OpenAndCheck(path_, password_after_success, true, &after);
          ASSERT_TRUE(problems.empty()) << problems.front();
          judge(code, after, "untouched");
          ++untouched_;
          break;
        }
        ++trials_;
        // A lock refused once is waited out, and an emptied rollback copy
        // that cannot be removed is removed by the next open (the change
        // was complete); every other failure must be reported.
        const bool retried_lock = cause.error == FileError::kLockViolation && at.rfind("lock", 0) == 0;
        const bool tidying = at.rfind("delete", 0) == 0 && at.find("-rollback") != std::string::npos;
        if (!retried_lock && !tidying) {
          EXPECT_NE(code, 0) << "reported success: " << trial;
        }
        const std::string& password = code == 0 ? password_after_success : password_;
        std::vector<Row> after;
        std::vector<std::string> problems = OpenAndCheck(path_, password, true, &after);
        EXPECT_TRUE(problems.empty()) << trial << ": " << (problems.empty() ? "" : problems.front());
        if (problems.empty()) judge(code, after, trial);
        if (HasFailure()) return;  // one trial's story is enough
      }
    }
    EXPECT_EQ(untouched_, std::size(kCauses));
  }

  qktest::TempFolder folder_;
  std::string path_ = folder_.File("cards.vdb");
  std::string password_;
  std::vector<Row> before_;
  Snapshot snapshot_;
  qktest::FaultyFileSystem faults_;
  std::size_t trials_ = 0;
  std::size_t untouched_ = 0;
};

// Rows with marked ones left out.
std::vector<Row> Live(const std::vector<Row>& rows) {
  std::vector<Row> live;
  for (const Row& r : rows)
    if (r.serial > 0) live.push_back(r);
  return live;
}

TEST_F(FaultLoops, CreateDatabaseLeavesAWholeDatabaseOrNone) {
  for (const Cause& cause : kCauses) {
    for (std::uint64_t n = 1; n <= kMaxOperations; ++n) {
      std::filesystem::remove_all(folder_.path());
      std::filesystem::create_directories(folder_.path());
      faults_.Arm(n, cause.error, cause.mode);
      int code = CreateTable(path_);
      const bool fired = faults_.fired();
      const std::string trial = Describe(cause, n, faults_.fired_at());
      faults_.Disarm();
      EXPECT_EQ(faults_.open_files(), 0) << trial;
      EXPECT_EQ(faults_.held_ranges(), 0) << trial;
      if (fired) {
        EXPECT_NE(code, 0) << "reported success: " << trial;
      }
      std::vector<Row> rows;
      if (code == 0) {
        std::vector<std::string> problems = OpenAndCheck(path_, "", false, &rows);
        ASSERT_TRUE(problems.empty()) << trial << ": " << problems.front();
        EXPECT_TRUE(rows.empty());
      } else {
        // Nothing half-written stays behind to be mistaken for a database.
        if (cause.mode == FaultMode::kOnce) {
          EXPECT_FALSE(std::filesystem::exists(folder_.File("cards.VDT"))) << trial;
        }
        // (A disk that stays full refuses the removal too.)
        if (code != db::err::kAuxCreateFailed && cause.mode == FaultMode::kOnce) {
          EXPECT_FALSE(std::filesystem::exists(path_)) << trial;
        }
      }
      if (HasFailure()) return;
      if (!fired) break;
    }
  }
}

TEST_F(FaultLoops, AddRecordWithChainsAndTwoIndexes) {
  MakeBaseline();
  const Row added = SampleRow(7);  // a three-block memo and bytes
  Loop([&](db::Database& d) { return AddRow(d, added); },
       [&](int code, const std::vector<Row>& after, const std::string& trial) {
         ASSERT_GE(after.size(), before_.size()) << trial;
         EXPECT_EQ(std::vector<Row>(after.begin(), after.begin() + static_cast<long>(before_.size())), before_) << trial;
         if (code == 0) {
           ASSERT_EQ(after.size(), before_.size() + 1) << trial;
         }
         if (after.size() == before_.size()) return;
         ASSERT_EQ(after.size(), before_.size() + 1) << trial;
         Row got = after.back();
         EXPECT_EQ(got.serial, 7) << trial;
         EXPECT_EQ(got.name, added.name) << trial;
         EXPECT_EQ(got.age, added.age) << trial;
         // A chain that could not be written leaves its field empty (the
         // add reports the chain's error).
         if (code == 0 || !got.note.empty()) {
           EXPECT_EQ(got.note, added.note) << trial;
         }
         if (code == 0 || !got.blob.empty()) {
           EXPECT_EQ(got.blob, added.blob) << trial;
         }
       },
       "");
  EXPECT_GT(trials_, 50u);
}

TEST_F(FaultLoops, WriteFieldOfAnIndexedKeyAndOfAMemo) {
  MakeBaseline();
  const std::string note(1300, 'z');  // grows a one-block chain to three
  Loop(
      [&](db::Database& d) {
        d.current = 4;
        int code = db::WriteField(d, kName, rt::Value::Text("renamed"));
        if (code == 0) code = db::WriteField(d, kNote, rt::Value::Text(note.c_str()));
        if (code == 0) {
          d.current = 2;  // a three-block memo shrinks to nothing
          code = db::WriteField(d, kNote, rt::Value::Text(""));
        }
        return code;
      },
      [&](int code, const std::vector<Row>& after, const std::string& trial) {
        ASSERT_EQ(after.size(), before_.size()) << trial;
        for (std::size_t i = 0; i < after.size(); ++i) {
          Row expected = before_[i];
          if (i == 4) {
            if (code == 0 || after[i].name != expected.name) expected.name = "renamed";
            if (code == 0 || after[i].note != expected.note) expected.note = note;
          }
          if (i == 2 && (code == 0 || after[i].note != expected.note)) expected.note.clear();
          EXPECT_EQ(after[i], expected) << trial << ", record " << i + 1;
        }
      },
      "");
}

TEST_F(FaultLoops, DeleteAndPurgeKeepEveryLiveRecordOnce) {
  MakeBaseline();
  Loop(
      [&](db::Database& d) {
        d.current = 1;
        int code = db::DeleteRecord(d);
        return code != 0 ? code : db::PurgeDeletedRecords(d);
      },
      [&](int code, const std::vector<Row>& after, const std::string& trial) {
        std::vector<Row> expected = Live(before_);
        expected.erase(expected.begin() + 1);
        std::vector<Row> live = Live(after);
        if (code == 0) {
          EXPECT_EQ(after, expected) << trial;
          return;
        }
        // Failed: the second record is gone or marked, every other live
        // record is there once, in order.
        if (live.size() == expected.size() + 1) live.erase(live.begin() + 1);
        EXPECT_EQ(live, expected) << trial;
        for (const Row& r : after) {
          if (r.serial < 0) {
            EXPECT_TRUE(r.serial == -2 || r.serial == -4) << trial;
          }
        }
      },
      "");
}

TEST_F(FaultLoops, SetDatabasePasswordKeepsTheOldPasswordOnFailure) {
  MakeBaseline("old secret");
  Loop([&](db::Database& d) { return db::ChangeDatabasePassword(d, "new secret"); },
       [&](int, const std::vector<Row>& after, const std::string& trial) { EXPECT_EQ(after, before_) << trial; },
       "new secret");
}

TEST_F(FaultLoops, RemovingThePasswordKeepsItOnFailure) {
  MakeBaseline("old secret");
  Loop([&](db::Database& d) { return db::ChangeDatabasePassword(d, ""); },
       [&](int, const std::vector<Row>& after, const std::string& trial) { EXPECT_EQ(after, before_) << trial; }, "");
}

}  // namespace
}  // namespace reltest
