// Password check at open and password change, on hand-built files: a
// 112-byte header and random data after it, plus an auxiliary file.
#include "db/password.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "db/database.h"
#include "db/errors.h"
#include "platform/file.h"
#include "platform/sim/sim_host.h"
#include "tests/support/forwarding_files.h"
#include "tests/support/temp_folder.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

void Spit(const std::string& path, const Bytes& bytes) {
  std::ofstream f(path, std::ios::binary | std::ios::trunc);
  f.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Passes every call to the native file system, and fails chosen writes.
class FaultyFileSystem : public qktest::ForwardingFileSystem {
 public:
  // Fails the write with this 1-based number (0: none); `persist` keeps
  // failing every later write too.
  int fail_write = 0;
  bool persist = false;
  int writes = 0;
  std::vector<std::pair<std::string, std::uint64_t>> written;  // path, position

  platform::FileError Open(const std::string& path, platform::FileAccess access, unsigned share,
                           platform::FileDisposition disposition, std::unique_ptr<platform::File>* out) override {
    std::unique_ptr<platform::File> inner;
    platform::FileError e = platform::NativeFileSystem().Open(path, access, share, disposition, &inner);
    if (e == platform::FileError::kNone) *out = std::make_unique<Faulty>(this, path, std::move(inner));
    return e;
  }

 private:
  class Faulty : public qktest::ForwardingFile {
   public:
    Faulty(FaultyFileSystem* owner, std::string path, std::unique_ptr<platform::File> inner)
        : ForwardingFile(std::move(inner)), owner_(owner), path_(std::move(path)) {}
    platform::FileError Write(std::uint64_t pos, const void* d, std::size_t n) override {
      int number = ++owner_->writes;
      if (owner_->fail_write != 0 && (number == owner_->fail_write || (owner_->persist && number > owner_->fail_write))) {
        return platform::FileError::kDiskFull;
      }
      owner_->written.emplace_back(path_, pos);
      return ForwardingFile::Write(pos, d, n);
    }

   private:
    FaultyFileSystem* owner_;
    std::string path_;
  };
};

class ScopedFileSystem {
 public:
  explicit ScopedFileSystem(platform::FileSystem* files) : previous_(platform::InstallFileSystem(files)) {}
  ~ScopedFileSystem() { platform::InstallFileSystem(previous_); }

 private:
  platform::FileSystem* previous_;
};

class PasswordTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::mt19937 rng(99);
    // Plain files: a header with magic "QVDB" and a zero check field, then
    // three and a half cipher blocks of data; an auxiliary file of 20 blocks.
    plain_main_.resize(3 * 4096 + 2048);
    for (auto& b : plain_main_) b = static_cast<unsigned char>(rng());
    std::memcpy(plain_main_.data(), "QVDB", 4);
    std::memset(plain_main_.data() + db::kPasswordCheckPos, 0, 36);
    plain_aux_.resize(20 * 512);
    for (auto& b : plain_aux_) b = static_cast<unsigned char>(rng());
    std::memcpy(plain_aux_.data(), "QVDT", 4);
    Spit(main_path(), plain_main_);
    Spit(aux_path(), plain_aux_);
  }

  std::string main_path() const { return folder_.File("t.vdb"); }
  std::string aux_path() const { return folder_.File("t.vdt"); }

  static std::unique_ptr<platform::File> OpenRaw(const std::string& path) {
    std::unique_ptr<platform::File> file;
    EXPECT_EQ(platform::OpenFile(path, platform::FileAccess::kReadWrite, platform::share::kReadWrite,
                                 platform::FileDisposition::kOpenExisting, &file),
              platform::FileError::kNone);
    return file;
  }

  // A database object over the two files as an open would leave it.
  std::unique_ptr<db::Database> Open(std::string_view password) {
    auto database = std::make_unique<db::Database>();
    database->full_path = main_path();
    database->main.~DbFile();
    new (&database->main) db::DbFile(OpenRaw(main_path()));
    database->main.cipher().Set(db::MakeCipherState(password));
    database->aux = std::make_unique<db::DbFile>(OpenRaw(aux_path()));
    database->aux->cipher().Set(db::MakeCipherState(password));
    EXPECT_EQ(database->main.ReadExact(0, database->header, db::kHeaderSize, -22), 0);
    return database;
  }

  // The files' contents read through a password.
  Bytes Deciphered(const std::string& path, std::string_view password) {
    Bytes bytes = Slurp(path);
    db::MakeCipherState(password).Apply(0, bytes.data(), bytes.size());
    return bytes;
  }

  qktest::TempFolder folder_;
  Bytes plain_main_, plain_aux_;
};

TEST_F(PasswordTest, SettingAPasswordAndRemovingItRestoresTheFilesByteForByte) {
  {
    auto database = Open("");
    ASSERT_EQ(db::ChangeDatabasePassword(*database, "密码1"), 0);
    EXPECT_TRUE(database->main.cipher().reading().enciphered());
    EXPECT_TRUE(database->aux->cipher().writing().enciphered());
    // Later writes through the open database use the new password.
    unsigned char marker[3] = {1, 2, 3};
    ASSERT_EQ(database->main.WriteAt(5000, marker, 3), 0);
  }
  Bytes main = Slurp(main_path());
  EXPECT_EQ(Bytes(main.begin(), main.begin() + 4), Bytes({'Q', 'C', 'D', 'B'}));
  EXPECT_NE(main, plain_main_);
  EXPECT_NE(Slurp(aux_path()), plain_aux_);

  Bytes expected = plain_main_;
  std::memcpy(expected.data(), "QCDB", 4);
  db::PasswordCheck check = db::PasswordCheckFor("密码1");
  std::memcpy(expected.data() + db::kPasswordCheckPos, check.data(), check.size());
  expected[5000] = 1, expected[5001] = 2, expected[5002] = 3;
  EXPECT_EQ(Deciphered(main_path(), "密码1"), expected);
  EXPECT_EQ(Deciphered(aux_path(), "密码1"), plain_aux_);

  {
    auto database = Open("密码1");
    ASSERT_EQ(db::ChangeDatabasePassword(*database, ""), 0);
    EXPECT_FALSE(database->main.cipher().enciphered());
    EXPECT_EQ(database->header[0], 'Q');
    EXPECT_EQ(database->header[1], 'V');
  }
  expected = plain_main_;
  expected[5000] = 1, expected[5001] = 2, expected[5002] = 3;
  EXPECT_EQ(Slurp(main_path()), expected);
  EXPECT_EQ(Slurp(aux_path()), plain_aux_);
}

TEST_F(PasswordTest, SamePasswordRewritesOnlyTheMagicAndTheCheckField) {
  { ASSERT_EQ(db::ChangeDatabasePassword(*Open(""), "abc"), 0); }
  Bytes before_main = Slurp(main_path()), before_aux = Slurp(aux_path());
  FaultyFileSystem files;
  ScopedFileSystem scope(&files);
  {
    auto database = Open("abc");
    files.written.clear();
    ASSERT_EQ(db::ChangeDatabasePassword(*database, "abc"), 0);
    // Writes to the database's own files (not to any file of the engine's
    // beside them).
    std::vector<std::pair<std::string, std::uint64_t>> to_database;
    for (const auto& w : files.written) {
      if (w.first == main_path() || w.first == aux_path()) to_database.push_back(w);
    }
    EXPECT_EQ(to_database, (std::vector<std::pair<std::string, std::uint64_t>>{{main_path(), db::kMagicPos},
                                                                            {main_path(), db::kPasswordCheckPos}}));
  }
  EXPECT_EQ(Slurp(main_path()), before_main);
  EXPECT_EQ(Slurp(aux_path()), before_aux);
  // "?" is no password text at all.
  EXPECT_EQ(db::ChangeDatabasePassword(*Open("abc"), "?"), db::err::kInvalidPasswordText);
  EXPECT_EQ(Slurp(main_path()), before_main);
}

// A write failing at any point of the change leaves both files exactly as
// they were, so the old password still opens the database. Every write of
// the change is failed in turn, until one run gets through.
TEST_F(PasswordTest, AFailedChangeTurnsEveryRewrittenByteBack) {
  { ASSERT_EQ(db::ChangeDatabasePassword(*Open(""), "old"), 0); }
  const Bytes before_main = Slurp(main_path()), before_aux = Slurp(aux_path());
  int failing = 1;
  for (;; ++failing) {
    ASSERT_LT(failing, 100) << "the change never got through";
    FaultyFileSystem files;
    ScopedFileSystem scope(&files);
    auto database = Open("old");
    files.writes = 0;
    files.fail_write = failing;
    int code = db::ChangeDatabasePassword(*database, "new");
    if (code == 0) break;
    // -79, or the file error of the final header write.
    EXPECT_TRUE(code == -79 || code == -14) << code << " at write " << failing;
    EXPECT_EQ(Slurp(main_path()), before_main) << "write " << failing;
    EXPECT_EQ(Slurp(aux_path()), before_aux) << "write " << failing;
    // The old password stays in force for the open database's own writes.
    EXPECT_TRUE(database->main.cipher().writing().SameAs(db::MakeCipherState("old")));
    EXPECT_TRUE(database->aux->cipher().reading().SameAs(db::MakeCipherState("old")));
  }
  // Main file, auxiliary file and header fields: at least four writes.
  EXPECT_GE(failing, 5);
  EXPECT_EQ(Deciphered(aux_path(), "new"), plain_aux_);
}

TEST_F(PasswordTest, CheckAtOpenAsksThreeTimesAndAcceptsTheRightPassword) {
  { ASSERT_EQ(db::ChangeDatabasePassword(*Open(""), "right"), 0); }
  platform::sim::ScopedSimHost host;
  auto check = [&](std::string_view argument) {
    db::DbFile main(OpenRaw(main_path()));
    main.cipher().Set(db::InitialCipherState(argument));
    unsigned char header[db::kHeaderSize];
    EXPECT_EQ(main.ReadExact(0, header, db::kHeaderSize, -22), 0);
    int code = db::CheckPasswordAtOpen(main, argument, header);
    if (code == 0) {
      EXPECT_EQ(Bytes(header + 4, header + 28), Bytes(plain_main_.begin() + 4, plain_main_.begin() + 28));
      EXPECT_TRUE(main.cipher().reading().SameAs(db::MakeCipherState("right")));
    }
    return code;
  };
  EXPECT_EQ(check("right"), 0);
  EXPECT_EQ(check("wrong"), -78);
  EXPECT_EQ(check(""), -78);
  EXPECT_TRUE(host->password_dialogs().empty());

  host->QueuePassword(std::string("no"));
  host->QueuePassword(std::string("RIGHT"));
  host->QueuePassword(std::string("right"));
  EXPECT_EQ(check("?"), 0);
  ASSERT_EQ(host->password_dialogs().size(), 3u);
  EXPECT_EQ(host->password_dialogs()[0].message, "");
  EXPECT_EQ(host->password_dialogs()[1].message, "密码错误，您还有 2 次重新输入的机会。");
  EXPECT_EQ(host->password_dialogs()[2].message, "密码错误，您还有 1 次重新输入的机会。");

  host->QueuePassword(std::nullopt);
  EXPECT_EQ(check("?"), -78) << "cancel";
  for (int i = 0; i < 3; ++i) host->QueuePassword(std::string("bad"));
  host->QueuePassword(std::string("right"));  // a fourth chance is never offered
  EXPECT_EQ(check("?"), -78);
  EXPECT_EQ(host->password_dialogs().size(), 3u + 1u + 3u);
}

TEST_F(PasswordTest, PlainFileRefusesARealPasswordButNotTheQuestionMark) {
  platform::sim::ScopedSimHost host;
  db::DbFile main(OpenRaw(main_path()));
  unsigned char header[db::kHeaderSize];
  ASSERT_EQ(main.ReadExact(0, header, db::kHeaderSize, -22), 0);
  EXPECT_EQ(db::CheckPasswordAtOpen(main, "x", header), -78);
  EXPECT_EQ(db::CheckPasswordAtOpen(main, "?", header), 0);
  EXPECT_EQ(db::CheckPasswordAtOpen(main, "", header), 0);
  EXPECT_TRUE(host->password_dialogs().empty());
}

}  // namespace
