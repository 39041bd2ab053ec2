// Opening a database with index files: every check in its order, and a
// failed open leaving nothing open.
#include <filesystem>

#include "db/commands.h"
#include "db/errors.h"
#include "tests/db/index_engine_support.h"

namespace {

using index_test::IndexedDatabase;
namespace ie = db::err;

// Header offsets of the fields the checks read.
constexpr std::size_t kMagic = 0, kVersion = 4, kPageCount = 24, kFreeCount = 28, kFreeHead = 32, kRoot = 36,
                      kPageSize = 40, kKeySize = 44, kFieldCount = 48, kNames = 52, kTypes = 188;

class IndexOpen : public IndexedDatabase {
 protected:
  void SetUp() override {
    IndexedDatabase::SetUp();
    Build("k.VNX", {"Name", "Age"});  // key: Text(12) then Int, 16 bytes
  }
  void SetName(int i, const char* name) {
    char area[17] = {};
    std::strncpy(area, name, 16);
    Patch("k.VNX", kNames + 17 * static_cast<std::size_t>(i), area, 17);
  }
  // Opens with the index and expects the code; afterwards nothing may be
  // open: no database, and the index file free for an exclusive open.
  void ExpectOpenFails(int code, const std::vector<std::string>& files = {"k"}) {
    EXPECT_EQ(OpenWith(files), code);
    EXPECT_EQ(db::OpenDatabaseCount(), 0u);
    std::unique_ptr<platform::File> file;
    EXPECT_EQ(platform::OpenFile(folder_.File("k.VNX"), platform::FileAccess::kReadWrite, platform::share::kNone,
                                 platform::FileDisposition::kOpenExisting, &file),
              platform::FileError::kNone);
  }
};

TEST_F(IndexOpen, ASoundIndexOpensAndEmptyNamesAreSkipped) {
  EXPECT_EQ(OpenWith({"", "k", ""}), 0);
  ExpectSound("k.VNX", 0);
}

TEST_F(IndexOpen, HeaderDamageIsNotAnIndexFile) {
  struct Case {
    const char* what;
    std::size_t offset;
    std::int32_t value;
  };
  const Case cases[] = {
      {"magic", kMagic, 0x58564E51 + 1},  // "QVNX" with its first byte changed
      {"one page", kPageCount, 1},
      {"free count = page count", kFreeCount, 2},
      {"negative free count", kFreeCount, -1},
      {"free head past the end", kFreeHead, 2},
      {"root 0", kRoot, 0},
      {"root past the end", kRoot, 2},
      {"page size 256", kPageSize, 256},
      {"key size 0", kKeySize, 0},
      {"key size 81", kKeySize, 81},
      {"key size not the fields' sum", kKeySize, 17},
      {"no key fields", kFieldCount, 0},
      {"nine key fields", kFieldCount, 9},
      {"a text type code", kTypes, 10},
      {"a bytes type code", kTypes, 11},
      {"a memo type code", kTypes + 4, 12},
  };
  const std::string good = Bytes("k.VNX");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PatchI32("k.VNX", c.offset, c.value);
    ExpectOpenFails(ie::kNotIndexFile);
    Patch("k.VNX", 0, good.data(), good.size());
  }
  SetName(0, "");
  ExpectOpenFails(ie::kNotIndexFile);
  Patch("k.VNX", 0, good.data(), good.size());
  SetName(1, "name");  // the same field twice (names are case-insensitive)
  PatchI32("k.VNX", kTypes + 4, -12);
  PatchI32("k.VNX", kKeySize, 24);
  ExpectOpenFails(ie::kNotIndexFile);
  std::filesystem::resize_file(folder_.File("k.VNX"), 100);  // shorter than a header
  ExpectOpenFails(ie::kNotIndexFile);
}

TEST_F(IndexOpen, SizeIsCheckedBeforeVersionAndVersionBeforeFields) {
  PatchI32("k.VNX", kVersion, 0x00020000);
  SetName(0, "Nobody");
  ExpectOpenFails(ie::kIndexVersion);
  PatchI32("k.VNX", kPageCount, 3);  // two pages present
  ExpectOpenFails(ie::kIndexFileSize);
}

TEST_F(IndexOpen, KeyFieldsMustMatchTheDatabaseByNameTypeAndSize) {
  const std::string good = Bytes("k.VNX");
  SetName(0, "Nobody");
  PatchI32("k.VNX", kTypes + 4, 6);  // also a type mismatch later: the first failure counts
  ExpectOpenFails(ie::kKeyFieldNotFound);
  Patch("k.VNX", 0, good.data(), good.size());

  PatchI32("k.VNX", kTypes + 4, 6);  // Age is Int, not Double
  ExpectOpenFails(ie::kFieldTypeMismatch);
  PatchI32("k.VNX", kTypes + 4, -4);  // nor Text
  ExpectOpenFails(ie::kFieldTypeMismatch);
  Patch("k.VNX", 0, good.data(), good.size());
  PatchI32("k.VNX", kTypes, 3);  // Name is Text, not Int
  ExpectOpenFails(ie::kFieldTypeMismatch);

  PatchI32("k.VNX", kTypes, -10);  // Name holds 12 bytes
  ExpectOpenFails(ie::kFieldSizeMismatch);
  PatchI32("k.VNX", kTypes, INT32_MIN);  // a text size that cannot be negated
  ExpectOpenFails(ie::kFieldSizeMismatch);
  Patch("k.VNX", 0, good.data(), good.size());
  SetName(0, "NAME");
  EXPECT_EQ(OpenWith({"k"}), 0);
}

TEST_F(IndexOpen, MissingDuplicateAndTooManyFiles) {
  ExpectOpenFails(ie::kIndexOpenFailed, {"k", "absent"});
  // The same file by a bare name and by its full path.
  ExpectOpenFails(ie::kIndexAlreadyOpen, {"k", folder_.File("k.VNX")});
  std::vector<std::string> names;
  for (int i = 0; i < 11; ++i) {
    std::string name = std::to_string(i);
    name.insert(0, 1, 'i');
    name += ".VNX";
    Build(name, {"Age"});
    names.push_back(name);
  }
  names.pop_back();
  EXPECT_EQ(OpenWith(names), 0);  // ten is the limit
  db::CloseAllDatabases();
  names.push_back("i10.VNX");
  EXPECT_EQ(OpenWith(names), ie::kTooManyIndexes);
  EXPECT_EQ(db::OpenDatabaseCount(), 0u);
}

TEST_F(IndexOpen, TheCommandTakesTextsAndArraysOfTextsAfterThePassword) {
  Build("a.VNX", {"Age"});
  const char* names[] = {"a", ""};  // the empty name is skipped
  std::vector<std::uintptr_t> block(1 + 2);
  const std::int32_t header[2] = {1, 2};
  std::memcpy(block.data(), header, sizeof header);
  block[1] = reinterpret_cast<std::uintptr_t>(names[0]);
  block[2] = reinterpret_cast<std::uintptr_t>(names[1]);
  std::vector<rt::Value> args = {rt::Value::Text(db_path_.c_str()), {}, {}, {}, {}, {},
                                 rt::Value::Text("k"),
                                 rt::Value::Pointer(block.data(), rt::type::kText | rt::type::kArrayFlag)};
  rt::Value result;
  db::commands::OpenDatabase(&result, static_cast<std::int32_t>(args.size()), args.data());
  ASSERT_NE(result.lo, 0u) << db::LastError();
  ASSERT_EQ(Add("z", 3, 0), 0);
  ExpectSound("k.VNX", 1);
  ExpectSound("a.VNX", 1);
  db::CloseAllDatabases();
  // "k" named again inside the array, spelled differently: the same file.
  block[2] = reinterpret_cast<std::uintptr_t>("K.vnx");
  db::commands::OpenDatabase(&result, static_cast<std::int32_t>(args.size()), args.data());
  EXPECT_EQ(result.lo, 0u);
  EXPECT_EQ(db::LastError(), ie::kIndexAlreadyOpen);
}

}  // namespace
