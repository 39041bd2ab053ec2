// Kill trials: a child process adds, writes, purges or changes the password
// in a loop and is killed without warning (SIGKILL, TerminateProcess) at a
// random moment. After each kill
// the database opens, passes the checker, and holds every record whose add
// had returned, once, with its last completed write. QK_KILL_TRIALS sets
// the trials per operation (QK_KILL_SEED the random start).
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "db/engine.h"
#include "db/registry.h"
#include "platform/file.h"
#include "platform/system.h"
#include "tests/reliability/child_process.h"
#include "tests/reliability/model_db.h"
#include "tests/support/temp_folder.h"

namespace reltest {
namespace {

struct LogLine {
  char kind;
  std::int64_t a = 0, b = 0;
};

std::vector<LogLine> ReadLog(const std::string& path) {
  std::vector<LogLine> lines;
  std::ifstream in(path);
  std::string text;
  while (std::getline(in, text)) {
    std::istringstream fields(text);
    LogLine line;
    if (fields >> line.kind >> line.a) {
      fields >> line.b;
      lines.push_back(line);
    }
  }
  return lines;
}

class KillTrials : public ::testing::Test {
 protected:
  void SetUp() override {
    trials_ = CountFromEnvironment("QK_KILL_TRIALS", 12);
    random_.seed(static_cast<unsigned>(CountFromEnvironment("QK_KILL_SEED", 20240611)));
    ASSERT_EQ(CreateTable(path_), 0);
    ASSERT_EQ(db::OpenDatabaseFile(path_, db::OpenOptions{}), 0);
    for (int i = 1; i <= 5; ++i) ASSERT_EQ(AddRow(*db::CurrentDatabase(), SampleRow(i)), 0);
    db::CloseAllDatabases();
    std::vector<std::string> problems = OpenAndCheck(path_, "", false, &baseline_);
    ASSERT_TRUE(problems.empty()) << problems.front();
  }
  void TearDown() override { db::CloseAllDatabases(); }

  // Runs the worker for a random while, kills it and returns its log.
  std::vector<LogLine> RunAndKill(const std::string& mode, const std::string& password, int trial) {
    const std::string log = folder_.File("trial" + std::to_string(trial) + ".log");
    {
      Child child({mode, path_, log, password});
      EXPECT_TRUE(child.started());
#ifdef _WIN32
      // A new process takes longer to start than most of the delays under
      // Wine: they count from the moment the worker has opened its log.
      for (int i = 0; i < 1000 && platform::QueryPath(log) != platform::PathKind::kFile; ++i)
        platform::SleepMilliseconds(10);
#endif
      std::uniform_int_distribution<int> delay(20, 400);
      platform::SleepMilliseconds(static_cast<std::uint32_t>(delay(random_)));
      child.Kill();
    }
    return ReadLog(log);
  }

  // Opens and checks; the rows read.
  std::vector<Row> Verified(const std::string& password, const std::string& trial) {
    std::vector<Row> rows;
    std::vector<std::string> problems = OpenAndCheck(path_, password, false, &rows);
    EXPECT_TRUE(problems.empty()) << trial << ": " << (problems.empty() ? "" : problems.front());
    return rows;
  }

  qktest::TempFolder folder_;
  std::string path_ = folder_.File("killed.vdb");
  std::vector<Row> baseline_;
  std::mt19937 random_;
  int trials_ = 0;
  std::size_t steps_ = 0;  // completed steps seen in the logs
};

TEST_F(KillTrials, AddKeepsEveryRecordWhoseAddReturned) {
  std::map<std::int32_t, Row> added;  // serial -> what was added
  for (int t = 0; t < trials_ && !HasFailure(); ++t) {
    for (const LogLine& l : RunAndKill("add", "", t)) {
      Row row = KillTrialRow(static_cast<int>(l.b));
      row.serial = static_cast<std::int32_t>(l.a);
      added[row.serial] = row;
      ++steps_;
    }
    std::vector<Row> rows = Verified("", "trial " + std::to_string(t));
    std::size_t found = 0;
    for (const Row& r : rows) {
      auto it = added.find(r.serial);
      if (it == added.end()) continue;
      EXPECT_EQ(r, it->second) << "trial " << t;
      ++found;
    }
    EXPECT_EQ(found, added.size()) << "trial " << t;
    // Besides the originals and the logged adds, at most the add in
    // flight at each kill.
    EXPECT_LE(rows.size(), baseline_.size() + added.size() + static_cast<std::size_t>(t) + 1);
  }
  std::printf("add: %d kills, %zu adds completed\n", trials_, steps_);
}

TEST_F(KillTrials, WriteKeepsTheLastCompletedValue) {
  std::vector<std::string> notes;
  for (const Row& r : baseline_) notes.push_back(r.note);
  const int count = static_cast<int>(baseline_.size());
  for (int t = 0; t < trials_ && !HasFailure(); ++t) {
    std::vector<LogLine> log = RunAndKill("write", "", t);
    int last = 0;
    for (const LogLine& l : log) {
      last = static_cast<int>(l.a);
      notes[static_cast<std::size_t>(last % count)] = NoteForWrite(last);
      ++steps_;
    }
    std::vector<Row> rows = Verified("", "trial " + std::to_string(t));
    ASSERT_EQ(rows.size(), baseline_.size());
    const int in_flight = (last + 1) % count;
    for (int r = 0; r < count; ++r) {
      std::string& expected = notes[static_cast<std::size_t>(r)];
      if (r == in_flight && rows[static_cast<std::size_t>(r)].note == NoteForWrite(last + 1)) expected = NoteForWrite(last + 1);
      EXPECT_EQ(rows[static_cast<std::size_t>(r)].note, expected) << "trial " << t << ", record " << r + 1;
      EXPECT_EQ(rows[static_cast<std::size_t>(r)].name, baseline_[static_cast<std::size_t>(r)].name);
    }
  }
  std::printf("write: %d kills, %zu writes completed\n", trials_, steps_);
}

TEST_F(KillTrials, PurgeNeitherLosesNorDoublesARecord) {
  std::map<std::int32_t, Row> kept;  // serial -> row, for adds that returned
  std::set<std::int32_t> purged;
  for (int t = 0; t < trials_ && !HasFailure(); ++t) {
    for (const LogLine& l : RunAndKill("purge", "", t)) {
      ++steps_;
      if (l.kind == 'd') {
        purged.insert(static_cast<std::int32_t>(l.a));
        kept.erase(static_cast<std::int32_t>(l.a));
        continue;
      }
      Row row = KillTrialRow(static_cast<int>(l.b));
      row.serial = static_cast<std::int32_t>(l.a);
      kept[row.serial] = row;
    }
    std::vector<Row> rows = Verified("", "trial " + std::to_string(t));
    std::map<std::int32_t, int> seen;
    for (const Row& r : rows) {
      std::int32_t serial = r.serial < 0 ? -r.serial : r.serial;
      ++seen[serial];
      EXPECT_EQ(purged.count(serial), 0u) << "trial " << t << ": purged record " << serial << " is back";
      auto it = kept.find(serial);
      if (it != kept.end()) {
        EXPECT_EQ(r.note, it->second.note) << "trial " << t;
      }
    }
    for (const auto& [serial, row] : kept) {
      // A record to be dropped may be gone when the purge ended before its
      // log line; one to keep never is.
      const bool to_keep = std::stoi(row.name.substr(1)) % 2 == 0;
      if (to_keep) {
        EXPECT_EQ(seen[serial], 1) << "trial " << t << ": kept record " << serial;
      } else {
        EXPECT_LE(seen[serial], 1) << "trial " << t;
      }
    }
    for (const Row& r : baseline_) EXPECT_EQ(seen[r.serial], 1) << "trial " << t;
  }
  std::printf("purge: %d kills, %zu steps completed\n", trials_, steps_);
}

TEST_F(KillTrials, PasswordChangeLeavesOnePasswordInForce) {
  std::string password;  // none at first
  for (int t = 0; t < trials_ && !HasFailure(); ++t) {
    std::vector<LogLine> log = RunAndKill("passwd", password, t);
    // The worker's i-th change sets TrialPassword(i); the change after its
    // last log line may have completed too.
    int last = log.empty() ? 0 : static_cast<int>(log.back().a);
    steps_ += log.size();
    std::vector<std::string> candidates = {log.empty() ? password : TrialPassword(last), TrialPassword(last + 1)};
    bool opened = false;
    for (const std::string& candidate : candidates) {
      db::OpenOptions options;
      options.password = candidate;
      if (db::OpenDatabaseFile(path_, options) != 0) continue;
      db::CloseAllDatabases();
      opened = true;
      password = candidate;
      std::vector<Row> rows = Verified(password, "trial " + std::to_string(t));
      EXPECT_EQ(rows, baseline_) << "trial " << t;
      break;
    }
    ASSERT_TRUE(opened) << "trial " << t << ": neither password opens the database";
  }
  std::printf("password: %d kills, %zu changes completed\n", trials_, steps_);
}

}  // namespace
}  // namespace reltest
