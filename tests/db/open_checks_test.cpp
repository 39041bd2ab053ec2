// Damaged files, size repairs, sharing modes and locks released on every
// path.
#include <cstring>
#include <filesystem>
#include <fstream>

#include "db/format.h"
#include "tests/db/db_test_support.h"

#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using namespace dbtest;
namespace cmd = db::commands;

const FieldArray kTable = {{"id", 3, 0}, {"Name", 10, 12}};
constexpr std::uint64_t kDataStart = 116 + 2 * 72;
constexpr std::uint64_t kRecordSize = 4 + 4 + 12;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}
void WriteAll(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << bytes;
}
void PutWord(std::string& bytes, std::size_t pos, std::int32_t v) { std::memcpy(&bytes[pos], &v, 4); }

class OpenChecks : public EngineTest {
 protected:
  void SetUp() override {
    path_ = folder_.File("t.vdb");
    ASSERT_TRUE(Create(path_, kTable));
    ASSERT_TRUE(Open(path_));
    for (int i = 1; i <= 3; ++i) ASSERT_TRUE(Call(cmd::AddRecord, {Int(i), Text("name")}).lo);
    Call(cmd::CloseDatabase);
    good_ = ReadAll(path_);
    ASSERT_EQ(good_.size(), kDataStart + 3 * kRecordSize);
  }
  // Opens a damaged copy; returns the last error.
  int OpenDamaged(const std::string& bytes, bool read_only = false) {
    WriteAll(path_, bytes);
    Open(path_, 1, read_only);
    int code = db::LastError();
    if (code == 0) Call(cmd::CloseDatabase);
    return code;
  }
  std::string path_;
  std::string good_;
};

TEST_F(OpenChecks, HeaderAndDefinitionDamage) {
  EXPECT_EQ(OpenDamaged(good_.substr(0, 111)), -22);
  EXPECT_EQ(OpenDamaged(""), -22);
  std::string bad = good_;
  bad[0] = 'X';
  EXPECT_EQ(OpenDamaged(bad), -22);
  bad = good_;
  PutWord(bad, 24, 0);  // recordSize
  EXPECT_EQ(OpenDamaged(bad), -22);
  bad = good_;
  PutWord(bad, 16, -1);  // recordCount
  EXPECT_EQ(OpenDamaged(bad), -22);
  bad = good_;
  PutWord(bad, 20, 0);  // nextSerial
  EXPECT_EQ(OpenDamaged(bad), -22);
  bad = good_;
  PutWord(bad, 4, 0x00010001);  // version
  EXPECT_EQ(OpenDamaged(bad), -23);
  bad = good_;
  PutWord(bad, 112, 0);  // fieldCount
  EXPECT_EQ(OpenDamaged(bad), -22);
  bad = good_;
  PutWord(bad, 112, 0x7FFFFFFF);  // definitions that cannot be there
  EXPECT_EQ(OpenDamaged(bad), -22);
  bad = good_;
  std::memset(&bad[116], 'A', 17);  // name without terminator
  EXPECT_EQ(OpenDamaged(bad), -22);
  bad = good_;
  PutWord(bad, 116 + 72 + 20, 13);  // type
  EXPECT_EQ(OpenDamaged(bad), -22);
  bad = good_;
  PutWord(bad, 116 + 72 + 28, 0);  // text size
  EXPECT_EQ(OpenDamaged(bad), -22);
  bad = good_;
  PutWord(bad, 116 + 72 + 28, 5000);  // a field reaching past the record
  EXPECT_EQ(OpenDamaged(bad), -22);
  // Refused files are never changed.
  EXPECT_EQ(ReadAll(path_), bad);
  for (int seed = 1; seed < 40; ++seed) {  // garbage definitions never crash
    std::string garbage = good_;
    for (std::size_t i = 112; i < kDataStart; ++i) garbage[i] = static_cast<char>((i * 31 + seed * 17) ^ (seed << 3));
    int code = OpenDamaged(garbage);
    EXPECT_TRUE(code == 0 || code == -22) << code;
  }
}

TEST_F(OpenChecks, SizeRepairs) {
  // A partial record is cut off; the count stays.
  EXPECT_EQ(OpenDamaged(good_ + std::string(7, 'z')), 0);
  EXPECT_EQ(ReadAll(path_), good_);
  // A count above the records present: read-only refuses, read-write lowers.
  std::string bad = good_.substr(0, good_.size() - 5);
  EXPECT_EQ(OpenDamaged(bad, true), -48);
  EXPECT_EQ(OpenDamaged(bad), 0);
  std::string repaired = ReadAll(path_);
  ASSERT_EQ(repaired.size(), kDataStart + 2 * kRecordSize);
  EXPECT_EQ(db::GetI32(&repaired[16]), 2);
  // A read-only open leaves extra bytes alone.
  EXPECT_EQ(OpenDamaged(good_ + "xyz", true), 0);
  EXPECT_EQ(ReadAll(path_).size(), good_.size() + 3);
}

TEST_F(OpenChecks, FailedOpenKeepsThePreviousCurrentDatabase) {
  ASSERT_TRUE(Open(path_));
  db::Database* before = db::CurrentDatabase();
  std::string other = folder_.File("broken.vdb");
  WriteAll(other, "QVDB but far too short");
  EXPECT_FALSE(Open(other));
  EXPECT_EQ(db::LastError(), -22);
  EXPECT_EQ(db::CurrentDatabase(), before);
  EXPECT_FALSE(Open(folder_.File("absent")));
  EXPECT_EQ(db::LastError(), -3);
  EXPECT_FALSE(Open(""));
  EXPECT_EQ(db::LastError(), -3);
  EXPECT_EQ(db::CurrentDatabase(), before);
  // The broken file was closed again: it can be replaced.
  EXPECT_EQ(platform::RemoveFile(other), platform::FileError::kNone);
}

TEST_F(OpenChecks, AuxiliaryFileDamage) {
  const FieldArray memo = {{"Body", 12, 0}};
  std::string path = folder_.File("m.vdb");
  std::string aux = folder_.File("m.VDT");
  ASSERT_TRUE(Create(path, memo));
  std::string good = ReadAll(aux);
  ASSERT_EQ(good.size(), 512u);
  auto open_with_aux = [&](const std::string& bytes, bool read_only = false) {
    WriteAll(aux, bytes);
    Open(path, 1, read_only);
    int code = db::LastError();
    if (code == 0) Call(cmd::CloseDatabase);
    return code;
  };
  EXPECT_EQ(open_with_aux(good.substr(0, 20)), -35);
  std::string bad = good;
  bad[3] = 'X';
  EXPECT_EQ(open_with_aux(bad), -35);
  bad = good;
  PutWord(bad, 20, 1);  // freeCount = blockCount
  EXPECT_EQ(open_with_aux(bad), -35);
  bad = good;
  PutWord(bad, 4, 2);
  EXPECT_EQ(open_with_aux(bad), -36);
  bad = good;
  PutWord(bad, 16, 3);  // three blocks claimed, one present
  EXPECT_EQ(open_with_aux(bad, true), -37);
  EXPECT_EQ(open_with_aux(bad), 0);
  EXPECT_EQ(db::GetI32(&ReadAll(aux)[16]), 1);
  std::filesystem::remove(aux);
  EXPECT_EQ(open_with_aux(""), -35);
  std::filesystem::remove(aux);
  Open(path);
  EXPECT_EQ(db::LastError(), -3);
}

TEST_F(OpenChecks, SharingModesRefuseSecondOpens) {
  // Each open in this process is a handle of its own at the file layer, so
  // one process can play both sides. The engine refuses a second open of the
  // same path (-38), so the other side opens the file directly.
  struct Case {
    std::int32_t mode;
    bool read_only;
    platform::FileAccess other;
    bool allowed;
  };
  const Case cases[] = {
      {1, false, platform::FileAccess::kReadWrite, true},  {2, false, platform::FileAccess::kRead, false},
      {3, false, platform::FileAccess::kRead, true},       {3, false, platform::FileAccess::kReadWrite, false},
      {4, false, platform::FileAccess::kRead, false},      {0, false, platform::FileAccess::kRead, false},
      {7, true, platform::FileAccess::kRead, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    ASSERT_TRUE(Open(path_, c.mode, c.read_only));
    std::unique_ptr<platform::File> other;
    platform::FileError e = platform::OpenFile(path_, c.other, platform::share::kReadWrite,
                                               platform::FileDisposition::kOpenExisting, &other);
    EXPECT_EQ(e == platform::FileError::kNone, c.allowed);
    Call(cmd::CloseDatabase);
  }
  // And the engine's own open is refused while the file is held.
  std::unique_ptr<platform::File> holder;
  ASSERT_EQ(platform::OpenFile(path_, platform::FileAccess::kReadWrite, platform::share::kNone,
                               platform::FileDisposition::kOpenExisting, &holder),
            platform::FileError::kNone);
  EXPECT_FALSE(Open(path_));
  EXPECT_EQ(db::LastError(), -12);
}

TEST_F(OpenChecks, LocksAreReleasedOnEveryPath) {
  ASSERT_TRUE(Open(path_));
  db::Database& d = *db::CurrentDatabase();
  std::unique_ptr<platform::File> spy;
  ASSERT_EQ(platform::OpenFile(path_, platform::FileAccess::kReadWrite, platform::share::kReadWrite,
                               platform::FileDisposition::kOpenExisting, &spy),
            platform::FileError::kNone);
  auto all_free = [&] {
    if (spy->Lock(0, db::kWholeFileLength) != platform::FileError::kNone) return false;
    return spy->Unlock(0, db::kWholeFileLength) == platform::FileError::kNone && d.main.held_positions() == 0;
  };
  Call(cmd::GetRecordCount);
  EXPECT_TRUE(all_free());
  Call(cmd::AddRecord, {Int(4), Text("x")});
  EXPECT_TRUE(all_free());
  Call(cmd::AddRecord, {Text("wrong")});
  EXPECT_TRUE(all_free());
  ReadText(Int(2));
  Call(cmd::WriteField, {Int(2), Text("y")});
  Call(cmd::WriteField, {Int(1), Text("wrong")});
  Call(cmd::GoToRecord, {Int(2)});
  Call(cmd::DeleteRecord);
  Call(cmd::PurgeDeletedRecords);
  Call(cmd::SkipRecords, {Int(100)});
  Call(cmd::ReadField, {Int(2)});  // after the last: fails
  EXPECT_TRUE(all_free());
  // A record held by someone else: the command fails with -28 and keeps
  // nothing (after the lock wait).
  Call(cmd::GoToRecord, {Int(1)});
  ASSERT_EQ(spy->Lock(d.RecordPos(0), 1), platform::FileError::kNone);
  EXPECT_FALSE(Call(cmd::WriteField, {Int(2), Text("z")}).lo);
  EXPECT_EQ(db::LastError(), -28);
  EXPECT_FALSE(Call(cmd::PurgeDeletedRecords).lo);
  EXPECT_EQ(db::LastError(), -28);
  ASSERT_EQ(spy->Unlock(d.RecordPos(0), 1), platform::FileError::kNone);
  EXPECT_TRUE(all_free());
  EXPECT_TRUE(Call(cmd::WriteField, {Int(2), Text("z")}).lo);
}

#ifndef _WIN32
// Two processes append 1,000 records each to one database in share mode 1.
TEST_F(OpenChecks, TwoProcessesAddingAtOnce) {
  constexpr int kEach = 1000;
  auto add_many = [&](int who) -> int {
    if (!Open(path_)) return 10;
    for (int i = 0; i < kEach; ++i) {
      std::string name = "p" + std::to_string(who) + "-" + std::to_string(i);
      if (!Call(cmd::AddRecord, {Int(who * 100000 + i), Text(name.c_str())}).lo) return 20;
    }
    return 0;
  };
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(add_many(2));
  int mine = add_many(1);
  int status = -1;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  ASSERT_EQ(mine, 0);

  EXPECT_EQ(Call(cmd::GetRecordCount).as_int(), 3 + 2 * kEach);
  db::Database& d = *db::CurrentDatabase();
  std::vector<bool> seen(3 + 2 * kEach + 1, false);
  int per_writer[3] = {0, 0, 0};
  for (int r = 0; r < 3 + 2 * kEach; ++r) {
    std::int32_t serial = 0;
    ASSERT_EQ(db::ReadRecordStatus(d, r, &serial), 0);
    ASSERT_GT(serial, 0);
    ASSERT_LT(serial, static_cast<std::int32_t>(seen.size()));
    EXPECT_FALSE(seen[static_cast<std::size_t>(serial)]) << serial;
    seen[static_cast<std::size_t>(serial)] = true;
    Call(cmd::GoToRecord, {Int(r + 1)});
    std::int32_t id = Call(cmd::ReadField, {Int(1)}).as_int();
    std::string name = ReadText(Int(2));
    if (r >= 3) {
      int who = id / 100000;
      ASSERT_TRUE(who == 1 || who == 2);
      EXPECT_EQ(name, "p" + std::to_string(who) + "-" + std::to_string(id % 100000));
      ++per_writer[who];
    }
  }
  EXPECT_EQ(per_writer[1], kEach);
  EXPECT_EQ(per_writer[2], kEach);
}
#endif

}  // namespace
