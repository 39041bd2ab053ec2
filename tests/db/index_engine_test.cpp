// Index files kept by the record commands: adding, writing key fields,
// purging, folding and the paths index file names resolve to.
#include <cctype>
#include <filesystem>
#include <memory>

#include "db/errors.h"
#include "tests/db/index_engine_support.h"
#include "tests/support/forwarding_files.h"

namespace {

using index_test::IndexedDatabase;
using IndexMaintenance = IndexedDatabase;

TEST_F(IndexMaintenance, AddingInsertsEveryRecordInKeyThenRecordOrder) {
  Build("by_name.VNX", {"Name"});
  Build("by_age_name.VNX", {"Age", "Name"});
  ASSERT_EQ(OpenWith({"by_name", folder_.File("by_age_name.VNX")}), 0);
  ASSERT_EQ(Add("carol", 30, 1.0), 0);
  ASSERT_EQ(Add("alice", 41, 2.0), 0);
  ASSERT_EQ(Add("bob", 30, 3.0), 0);
  ASSERT_EQ(Add("alice", 25, 4.0), 0);  // equal name: after record 1
  ExpectSound("by_name.VNX", 4);
  ExpectSound("by_age_name.VNX", 4);
  EXPECT_EQ(Order("by_name.VNX"), (std::vector<std::uint32_t>{1, 3, 2, 0}));
  EXPECT_EQ(Order("by_age_name.VNX"), (std::vector<std::uint32_t>{3, 2, 0, 1}));
}

TEST_F(IndexMaintenance, WritingAKeyFieldMovesTheEntryAndOtherFieldsLeaveTheIndexAlone) {
  Build("by_age.VNX", {"Age"});
  ASSERT_EQ(OpenWith({"by_age"}), 0);
  for (int i = 0; i < 50; ++i) ASSERT_EQ(Add("x", i, 0.0), 0);
  ASSERT_EQ(WriteAge(10, 1000), 0);
  ASSERT_EQ(WriteAge(20, -5), 0);
  ExpectSound("by_age.VNX", 50);
  const auto order = Order("by_age.VNX");
  EXPECT_EQ(order.front(), 20u);
  EXPECT_EQ(order.back(), 10u);

  const std::string before = Bytes("by_age.VNX");
  ASSERT_EQ(WriteAge(30, 30), 0);          // the same bytes: nothing is written
  ASSERT_EQ(WriteName(30, "renamed"), 0);  // not a key field of this index
  db::GoToRecord(Db(), 31);
  ASSERT_EQ(db::WriteField(Db(), 2, rt::Value::Double(9.5)), 0);
  EXPECT_EQ(Bytes("by_age.VNX"), before);
}

TEST_F(IndexMaintenance, KeysEqualAfterFoldingAndBlankSkippingShareOnePlace) {
  Build("folded.VNX", {"Name"}, 512, 0, db::index::kFoldLetterCase | db::index::kIgnoreBlanks);
  ASSERT_EQ(OpenWith({"folded"}), 0);
  ASSERT_EQ(Add("abc", 1, 0), 0);
  ASSERT_EQ(Add("ABC", 2, 0), 0);
  ASSERT_EQ(Add("a b\xa1\xa1" "c", 3, 0), 0);
  ASSERT_EQ(Add("abd", 4, 0), 0);
  ASSERT_EQ(Add("ABB", 5, 0), 0);
  ExpectSound("folded.VNX", 5);
  EXPECT_EQ(Order("folded.VNX"), (std::vector<std::uint32_t>{4, 0, 1, 2, 3}));
  // Rewriting "abc" as "A B C" changes the record but not its normalised key.
  const std::string before = Bytes("folded.VNX");
  ASSERT_EQ(WriteName(0, "A B C"), 0);
  EXPECT_EQ(Bytes("folded.VNX"), before);
  ExpectSound("folded.VNX", 5);
}

TEST_F(IndexMaintenance, PurgeRebuildsFromTheCompactedRecordsWithMarkedOnesKeptUntilThen) {
  Build("by_name.VNX", {"Name"});
  Build("by_score.VNX", {"Score"}, 1024);
  ASSERT_EQ(OpenWith({"by_name", "by_score"}), 0);
  for (int i = 0; i < 300; ++i) {
    std::string name = std::to_string((i * 37) % 101);
    name.insert(0, 1, 'n');
    ASSERT_EQ(Add(name.c_str(), i, static_cast<double>((i * 13) % 29) - 14.0, "memo"), 0);
  }
  for (int i = 0; i < 300; i += 3) ASSERT_EQ(Delete(i), 0);
  ExpectSound("by_name.VNX", 300);  // marked records keep their entries
  ASSERT_EQ(db::PurgeDeletedRecords(Db()), 0);
  std::int32_t count = 0;
  std::int32_t serial = 0;
  ASSERT_EQ(db::ReadRecordCount(Db(), &count, &serial), 0);
  ASSERT_EQ(count, 200);
  ExpectSound("by_name.VNX", 200);
  ExpectSound("by_score.VNX", 200);
  // The rebuilt file is compact: no free pages, and adding goes on from there.
  db::index::IndexHeader h;
  std::unique_ptr<platform::File> file;
  ASSERT_EQ(platform::OpenFile(folder_.File("by_score.VNX"), platform::FileAccess::kRead, platform::share::kReadWrite,
                               platform::FileDisposition::kOpenExisting, &file),
            platform::FileError::kNone);
  ASSERT_EQ(db::index::ReadIndexHeader(*file, &h), 0);
  EXPECT_EQ(h.free_count, 0);
  ASSERT_EQ(Add("late", 1, 100.0), 0);
  ExpectSound("by_score.VNX", 201);
  EXPECT_EQ(Order("by_score.VNX").back(), 200u);
}

TEST_F(IndexMaintenance, ChineseNamesFollowTheChosenCollation) {
  Build("pinyin.VNX", {"Name"}, 512, 1);
  Build("initials.VNX", {"Name", "Age"}, 512, 2);
  ASSERT_EQ(OpenWith({"pinyin", "initials"}), 0);
  ASSERT_EQ(Add("\xd5\xc5\xc8\xfd", 1, 0), 0);  // 张三 (Z)
  ASSERT_EQ(Add("\xcd\xf5\xce\xe5", 2, 0), 0);  // 王五 (W)
  ASSERT_EQ(Add("\xd5\xd4\xcb\xc4", 0, 0), 0);  // 赵四 (Z, S)
  ASSERT_EQ(Add("\xb0\xa2\xb6\xfe", 9, 0), 0);  // 阿二 (A)
  ExpectSound("pinyin.VNX", 4);
  ExpectSound("initials.VNX", 4);
  EXPECT_EQ(Order("pinyin.VNX"), (std::vector<std::uint32_t>{3, 1, 0, 2}));
  // 张三 and 赵四 have the same initials (Z, S), so Age decides.
  EXPECT_EQ(Order("initials.VNX"), (std::vector<std::uint32_t>{3, 1, 2, 0}));
}

TEST_F(IndexMaintenance, ABareNameIsTakenFromTheDatabaseFolderAndGetsTheDefaultExtension) {
  Build("plain.VNX", {"Age"});
  const auto cwd = std::filesystem::current_path();
  std::filesystem::current_path(std::filesystem::temp_directory_path());
  const int rc = OpenWith({"plain"});
  std::filesystem::current_path(cwd);
  ASSERT_EQ(rc, 0);
  ASSERT_EQ(Add("a", 5, 0), 0);
  ExpectSound("plain.VNX", 1);
}

// A file system that puts a Gate (a qktest::ForwardingFile taking the inner
// file and a switch) around each file whose name ends in `suffix`, in any
// letter case; the gate acts while `on` is true.
template <typename Gate>
class GatedFiles : public qktest::ForwardingFileSystem {
 public:
  explicit GatedFiles(std::string suffix) : suffix_(std::move(suffix)) {}
  bool on = false;

  platform::FileError Open(const std::string& path, platform::FileAccess access, unsigned share,
                           platform::FileDisposition disposition, std::unique_ptr<platform::File>* out) override {
    std::unique_ptr<platform::File> inner;
    const auto fe = platform::NativeFileSystem().Open(path, access, share, disposition, &inner);
    if (fe != platform::FileError::kNone) return fe;
    *out = EndsWith(path) ? std::make_unique<Gate>(std::move(inner), on) : std::move(inner);
    return fe;
  }

 private:
  bool EndsWith(const std::string& path) const {
    if (path.size() < suffix_.size()) return false;
    for (std::size_t i = 0; i < suffix_.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(path[path.size() - suffix_.size() + i])) !=
          std::tolower(static_cast<unsigned char>(suffix_[i])))
        return false;
    return true;
  }
  std::string suffix_;
};

// Index files that stop taking writes.
class WritesFail : public qktest::ForwardingFile {
 public:
  WritesFail(std::unique_ptr<platform::File> inner, const bool& on) : ForwardingFile(std::move(inner)), on_(on) {}
  platform::FileError Write(std::uint64_t p, const void* d, std::size_t n) override {
    return on_ ? platform::FileError::kDiskFull : ForwardingFile::Write(p, d, n);
  }

 private:
  const bool& on_;
};

// Installs a file system for a test; closes the databases (whose handles
// use it) before the native file system comes back, on every way out.
class Installed {
 public:
  explicit Installed(platform::FileSystem* files) : previous_(platform::InstallFileSystem(files)) {}
  ~Installed() {
    db::CloseAllDatabases();
    platform::InstallFileSystem(previous_);
  }
  Installed(const Installed&) = delete;
  Installed& operator=(const Installed&) = delete;

 private:
  platform::FileSystem* previous_;
};

TEST_F(IndexMaintenance, AFailedIndexWriteIsTheCommandsErrorAndTheRecordChangeStays) {
  Build("by_age.VNX", {"Age"});
  GatedFiles<WritesFail> files(".VNX");
  Installed installed(&files);
  ASSERT_EQ(OpenWith({"by_age"}), 0);
  ASSERT_EQ(Add("a", 1, 0), 0);
  const std::string before = Bytes("by_age.VNX");

  files.on = true;
  EXPECT_EQ(Add("b", 2, 0), -14);  // disk full, from the index
  EXPECT_EQ(WriteAge(0, 50), -14);
  files.on = false;
  EXPECT_EQ(Bytes("by_age.VNX"), before);  // the failed operations wrote nothing
  std::int32_t count = 0;
  std::int32_t serial = 0;
  ASSERT_EQ(db::ReadRecordCount(Db(), &count, &serial), 0);
  EXPECT_EQ(count, 2);  // the record was added all the same
  rt::Value age;
  db::GoToRecord(Db(), 1);
  ASSERT_EQ(db::ReadField(Db(), 1, &age), 0);
  EXPECT_EQ(age.as_int(), 50);  // and the field written
  EXPECT_FALSE(db::index::VerifyIndexFile(Db(), folder_.File("by_age.VNX")).sound());

  // A purge that removes a record rebuilds the index from the records.
  ASSERT_EQ(Add("c", 3, 0), 0);
  ASSERT_EQ(Delete(2), 0);
  ASSERT_EQ(db::PurgeDeletedRecords(Db()), 0);
  ExpectSound("by_age.VNX", 2);
}

// Database files that end before the record count (as a file cut short
// under an open database reads).
class CountCut : public qktest::ForwardingFile {
 public:
  CountCut(std::unique_ptr<platform::File> inner, const bool& on) : ForwardingFile(std::move(inner)), on_(on) {}
  platform::FileError Read(std::uint64_t pos, void* buffer, std::size_t n, std::size_t* got) override {
    if (!on_ || pos + n <= db::kRecordCountPos) return ForwardingFile::Read(pos, buffer, n, got);
    *got = 0;
    return platform::FileError::kNone;
  }

 private:
  const bool& on_;
};

TEST_F(IndexMaintenance, AnUnreadableRecordCountIsAnAccessFailureWithItsReason) {
  Build("by_age.VNX", {"Age"});
  GatedFiles<CountCut> files(".VDB");
  Installed installed(&files);
  ASSERT_EQ(OpenWith({}), 0);
  ASSERT_EQ(Add("a", 1, 0), 0);
  std::unique_ptr<db::index::IndexFile> index;
  ASSERT_EQ(db::index::OpenIndexFile(Db(), folder_.File("by_age.VNX"), &index), 0);

  files.on = true;
  EXPECT_EQ(db::index::InsertAllRecords(Db(), *index), db::err::kIndexAccessFailed);
  EXPECT_STREQ(db::LastReason(db::err::kIndexAccessFailed), "database file: shorter than its record count");
  const db::index::TreeReport report = db::index::VerifyIndexFile(Db(), folder_.File("by_age.VNX"));
  ASSERT_FALSE(report.sound());
  EXPECT_EQ(report.problems.back(), "the record count cannot be read");
}

}  // namespace
