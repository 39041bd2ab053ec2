// A change cut short (its rollback copy left beside the database) met by an
// open that may not write: the records read as they were before the change,
// not one byte of any file changes (on read-only media the open works at
// all), and the next open for writing still turns the change back. Every
// point at which a purge or a password change can be cut short is tried.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "db/check.h"
#include "db/engine.h"
#include "db/errors.h"
#include "db/password.h"
#include "db/registry.h"
#include "db/rollback.h"
#include "tests/reliability/model_db.h"
#include "tests/support/faulty_files.h"
#include "tests/support/temp_folder.h"

namespace reltest {
namespace {

using platform::FileError;

// Media that can be read and never written: opens for writing, creating
// and deleting are refused as a read-only volume refuses them.
class ReadOnlyMedia final : public platform::FileSystem {
 public:
  ReadOnlyMedia() : previous_(platform::InstallFileSystem(this)), inner_(previous_ ? *previous_ : platform::NativeFileSystem()) {}
  ~ReadOnlyMedia() override { platform::InstallFileSystem(previous_); }
  FileError Open(const std::string& path, platform::FileAccess access, unsigned share, platform::FileDisposition disposition,
                 std::unique_ptr<platform::File>* out) override {
    if (access != platform::FileAccess::kRead || disposition != platform::FileDisposition::kOpenExisting)
      return FileError::kAccessDenied;
    return inner_.Open(path, access, share, disposition, out);
  }
  FileError FullPath(const std::string& path, std::string* out) override { return inner_.FullPath(path, out); }
  FileError Delete(const std::string&) override { return FileError::kAccessDenied; }
  platform::PathKind Query(const std::string& path) override { return inner_.Query(path); }

 private:
  platform::FileSystem* previous_;
  platform::FileSystem& inner_;
};

class CutShort : public ::testing::Test {
 protected:
  void TearDown() override { db::CloseAllDatabases(); }

  // Six records with chains of several blocks, the fourth marked deleted.
  void MakeBaseline(const std::string& password) {
    ASSERT_EQ(MakeSixRecords(path_), 0);
    db::Database& d = *db::CurrentDatabase();
    if (!password.empty()) {
      ASSERT_EQ(db::ChangeDatabasePassword(d, password), 0);
    }
    ASSERT_EQ(ReadRows(d, &before_), 0);
    db::CloseAllDatabases();
    password_ = password;
    snapshot_ = TakeSnapshot(folder_.path().string());
  }

  // Cuts `change` short at every file operation in turn (every later one
  // failing too, so the change cannot turn itself back, as when the process
  // dies there) and runs `judge` on each state that leaves a copy behind.
  // Returns how many such states there were.
  int EveryCutShortState(const std::function<int(db::Database&)>& change, const std::function<void(const std::string&)>& judge) {
    int states = 0;
    for (std::uint64_t n = 1; n < 5000; ++n) {
      RestoreSnapshot(folder_.path().string(), snapshot_);
      bool fired = false;
      {
        qktest::FaultyFileSystem faults;
        db::OpenOptions options;
        options.password = password_;
        EXPECT_EQ(db::OpenDatabaseFile(path_, options), 0);
        faults.Arm(n, FileError::kHardware, qktest::FaultMode::kLasting);
        change(*db::CurrentDatabase());
        fired = faults.fired();
        faults.Disarm();
        db::CloseAllDatabases();
      }
      if (!fired) break;
      if (!std::filesystem::exists(path_ + "-rollback")) continue;
      ++states;
      judge("cut short at operation " + std::to_string(n));
      if (HasFailure()) break;
    }
    return states;
  }

  // The read-only open of a cut-short state, then the writable one; true
  // when the read-only open found a change to turn back. (A copy without
  // entries turns nothing back: the change never got going, or it was
  // complete but for removing its emptied copy.)
  bool JudgeReadOnlyThenWritable(const std::string& trial) {
    const Snapshot damaged = TakeSnapshot(folder_.path().string());
    std::vector<Row> read_only_rows;
    bool recovered = false;
    // A password change whose copy was already emptied is complete: the
    // file is under the new password.
    std::string password = password_;
    {
      ReadOnlyMedia media;
      db::OpenOptions options;
      options.read_only = true;
      options.password = password_;
      int code = db::OpenDatabaseFile(path_, options);
      if (code == db::err::kBadPassword && !password_after_.empty()) {
        options.password = password = password_after_;
        code = db::OpenDatabaseFile(path_, options);
      }
      EXPECT_EQ(code, 0) << trial;
      if (code != 0) return false;
      db::Database& d = *db::CurrentDatabase();
      recovered = d.recovered != nullptr;
      EXPECT_EQ(ReadRows(d, &read_only_rows), 0) << trial;
      bool pending = false;
      std::vector<std::string> problems = db::CheckDatabaseFiles(path_, [&] { return password; }, &pending);
      EXPECT_TRUE(problems.empty()) << trial << ": " << (problems.empty() ? "" : problems.front());
      EXPECT_EQ(pending, recovered) << trial;
      db::CloseAllDatabases();
    }
    EXPECT_TRUE(TakeSnapshot(folder_.path().string()) == damaged) << trial << ": a read-only open changed a file";
    std::vector<Row> rows;
    std::vector<std::string> problems = OpenAndCheck(path_, password, false, &rows);
    EXPECT_TRUE(problems.empty()) << trial << ": " << (problems.empty() ? "" : problems.front());
    EXPECT_EQ(read_only_rows, rows) << trial << ": the read-only open saw other records than the writable one";
    if (recovered) {
      EXPECT_EQ(rows, before_) << trial;
    }
    EXPECT_FALSE(std::filesystem::exists(path_ + "-rollback")) << trial;
    return recovered;
  }

  qktest::TempFolder folder_;
  std::string path_ = folder_.File("cards.vdb");
  std::string password_;
  std::string password_after_;  // what a password change sets
  std::vector<Row> before_;
  Snapshot snapshot_;
};

TEST_F(CutShort, APurgeIsReadAsBeforeByAReadOnlyOpenThatWritesNothing) {
  MakeBaseline("");
  int recovered = 0;
  EveryCutShortState([](db::Database& d) { return db::PurgeDeletedRecords(d); },
                     [&](const std::string& trial) { recovered += JudgeReadOnlyThenWritable(trial); });
  EXPECT_GT(recovered, 3);
}

TEST_F(CutShort, APasswordChangeIsReadUnderTheOldPasswordByAReadOnlyOpen) {
  MakeBaseline("old secret");
  password_after_ = "new secret";
  int recovered = 0;
  EveryCutShortState([](db::Database& d) { return db::ChangeDatabasePassword(d, "new secret"); },
                     [&](const std::string& trial) { recovered += JudgeReadOnlyThenWritable(trial); });
  EXPECT_GT(recovered, 3);
}

TEST_F(CutShort, AReadOnlyOpenSeesTheFileAgainOnceAnotherOpenHasTurnedTheChangeBack) {
  MakeBaseline("");
  // The first state a purge leaves with its copy and a changed file.
  bool found = false;
  EveryCutShortState([](db::Database& d) { return db::PurgeDeletedRecords(d); },
                     [&](const std::string&) {
                       if (found || TakeSnapshot(folder_.path().string())["cards.vdb"] == snapshot_["cards.vdb"]) return;
                       found = true;
                       db::OpenOptions options;
                       options.read_only = true;
                       ASSERT_EQ(db::OpenDatabaseFile(path_, options), 0);
                       db::Database& reader = *db::CurrentDatabase();
                       ASSERT_NE(reader.recovered, nullptr);
                       // Another process opens the file for writing (which
                       // turns the change back) and renames the first record.
                       bool restored = false;
                       ASSERT_EQ(db::RestoreFromRollbackCopy(reader.full_path, &restored), 0);
                       ASSERT_TRUE(restored);
                       std::unique_ptr<platform::File> writer;
                       ASSERT_EQ(platform::OpenFile(path_, platform::FileAccess::kReadWrite, platform::share::kReadWrite,
                                                    platform::FileDisposition::kOpenExisting, &writer),
                                 FileError::kNone);
                       const std::uint64_t name_at = reader.RecordPos(0) + static_cast<std::uint64_t>(reader.fields[kName].offset);
                       ASSERT_EQ(writer->Write(name_at, "Renamed", 8), FileError::kNone);
                       writer.reset();
                       std::vector<Row> rows;
                       ASSERT_EQ(ReadRows(reader, &rows), 0);
                       ASSERT_EQ(rows.size(), before_.size());
                       EXPECT_EQ(rows[0].name, "Renamed");
                       db::CloseAllDatabases();
                     });
  EXPECT_TRUE(found);
}

TEST_F(CutShort, CreatingOverAnOpenDatabaseLeavesItsRollbackCopyAlone) {
  MakeBaseline("");
  ASSERT_EQ(db::OpenDatabaseFile(path_, db::OpenOptions{}), 0);
  // A change of another process cut short while this database was open:
  // the copy is all that can turn it back.
  const std::string copy = path_ + "-rollback";
  { std::ofstream(copy, std::ios::binary) << "QKRB"; }
  EXPECT_EQ(db::CreateDatabaseFile(path_, {{"Other", 3, 0}}), platform::FileErrorCode(FileError::kSharingViolation));
  EXPECT_TRUE(std::filesystem::exists(copy));
  db::CloseAllDatabases();
  // Nobody holds the file: the new database starts without the old copy.
  EXPECT_EQ(db::CreateDatabaseFile(path_, {{"Other", 3, 0}}), 0);
  EXPECT_FALSE(std::filesystem::exists(copy));
}

}  // namespace
}  // namespace reltest
