// Two copies of one database (a backup and today's file, two versions in a
// cloud history): the keystream of a position depends only on the password
// and the position, so XOR of the copies cancels it and shows plain text,
// without the key. And nothing detects a change made without the key.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "db/engine.h"
#include "db/password.h"
#include "db/registry.h"
#include "tests/security/attack_support.h"
#include "tests/security/offline_guess.h"
#include "tests/support/temp_folder.h"

namespace security {
namespace {

constexpr const char* kKey = "0123456789abcdef0123456789abcdef";

const std::vector<Site>& FiveSites() {
  static const std::vector<Site> sites = {
      {"mail", "https://mail.example/", "me@mail.example", "m41l-pass", "work"},
      {"QQ", "https://qq.example/", "10001", "short", ""},
      {"bank.example.cn", "https://bank.example.cn/login", "zhang.wei", "Bank!2024#safe", "card ends 4321"},
      {"shop", "https://shop.example/", "zw", "shop-pw", ""},
      {"forum", "https://forum.example/", "zw_forum", "forum-pw", "old"},
  };
  return sites;
}

// The bytes of `xored` at [pos, pos + length) as text.
std::string At(const std::vector<std::uint8_t>& xored, std::uint64_t pos, std::size_t length) {
  return std::string(xored.begin() + static_cast<std::ptrdiff_t>(pos),
                     xored.begin() + static_cast<std::ptrdiff_t>(pos + length));
}

class TwoCopiesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = folder_.File("user.vdb");
    ASSERT_TRUE(MakeNotebook(path_, FiveSites(), kKey));
    before_ = FileBytes(path_);
  }
  void TearDown() override { CloseAll(); }

  qktest::TempFolder folder_;
  std::string path_;
  std::vector<std::uint8_t> before_;
};

TEST_F(TwoCopiesTest, DeletingARecordShowsTheNextOnesInClear) {
  ASSERT_TRUE(OpenNotebook(path_, kKey));
  db::Database& database = *db::CurrentDatabase();
  ASSERT_EQ(db::GoToRecord(database, 2), 0);
  ASSERT_EQ(db::DeleteRecord(database), 0);
  ASSERT_EQ(db::PurgeDeletedRecords(database), 0);
  std::uint64_t name_pos = FieldPos(1, field::kName);  // record 2's slot, now record 3
  std::uint64_t remarks_pos = FieldPos(1, field::kRemarks);
  std::uint64_t password_pos = FieldPos(1, field::kPassword);
  CloseAll();

  std::vector<std::uint8_t> xored = Xor(before_, FileBytes(path_));
  // Record 3 moved into record 2's slot: where record 2 held padding
  // zeros, record 3's bytes stand in clear; where both held text, their XOR.
  const Site& two = FiveSites()[1];
  const Site& three = FiveSites()[2];
  EXPECT_EQ(At(xored, name_pos + two.name.size(), three.name.size() - two.name.size()),
            three.name.substr(two.name.size()));
  EXPECT_EQ(At(xored, remarks_pos, three.remarks.size()), three.remarks);
  EXPECT_EQ(At(xored, password_pos + two.password.size(), three.password.size() - two.password.size()),
            three.password.substr(two.password.size()));
  // And a site name known to the attacker (record 2's, shown in any list)
  // gives the rest: XOR it in and record 3's whole name is read.
  std::string name = At(xored, name_pos, three.name.size());
  for (std::size_t i = 0; i < two.name.size(); ++i) name[i] = char(name[i] ^ two.name[i]);
  EXPECT_EQ(name, three.name);
}

TEST_F(TwoCopiesTest, RewritingAFieldReusesItsKeystream) {
  ASSERT_TRUE(OpenNotebook(path_, kKey));
  db::Database& database = *db::CurrentDatabase();
  ASSERT_EQ(db::GoToRecord(database, 2), 0);
  const std::string fresh = "a much longer new password";
  ASSERT_EQ(db::WriteField(database, field::kPassword, rt::Value::Text(fresh.c_str())), 0);
  std::uint64_t pos = FieldPos(1, field::kPassword);
  CloseAll();
  std::vector<std::uint8_t> xored = Xor(before_, FileBytes(path_));
  const std::string& old = FiveSites()[1].password;
  // Old XOR new: past the old password's length the new one is in clear,
  // and the zero bytes mark where both end: the lengths show too.
  EXPECT_EQ(At(xored, pos + old.size(), fresh.size() - old.size()), fresh.substr(old.size()));
  EXPECT_EQ(xored[pos + fresh.size()], 0);
}

TEST_F(TwoCopiesTest, ChangingThePasswordLeavesEarlierCopiesUnderTheOldOne) {
  std::string copy = folder_.File("backup.vdb");
  WriteFileBytes(copy, before_);
  ASSERT_TRUE(OpenNotebook(path_, kKey));
  ASSERT_EQ(db::ChangeDatabasePassword(*db::CurrentDatabase(), "fedcba9876543210fedcba9876543210"), 0);
  CloseAll();
  // The backup still opens with the old key and shows every record.
  ASSERT_TRUE(OpenNotebook(copy, kKey));
  EXPECT_EQ(ReadText(3, field::kPassword), FiveSites()[2].password);
}

TEST_F(TwoCopiesTest, NoIntegrityCheckAnAddressChangesWithoutTheKey) {
  // Knowing (or guessing) a stored address is enough to replace it: XOR
  // old and new text into the enciphered bytes. The file still opens and
  // the notebook shows the new address; nothing reports the change.
  ASSERT_TRUE(OpenNotebook(path_, kKey));
  std::uint64_t pos = FieldPos(2, field::kAddress);
  CloseAll();
  const std::string old = FiveSites()[2].address;
  const std::string planted = "https://bank.examp1e.cn/login";
  ASSERT_EQ(old.size(), planted.size());
  std::vector<std::uint8_t> bytes = before_;
  for (std::size_t i = 0; i < old.size(); ++i) bytes[pos + i] ^= std::uint8_t(old[i] ^ planted[i]);
  WriteFileBytes(path_, bytes);
  ASSERT_TRUE(OpenNotebook(path_, kKey));
  EXPECT_EQ(ReadText(3, field::kAddress), planted);
  EXPECT_EQ(ReadText(3, field::kPassword), FiveSites()[2].password);
}

}  // namespace
}  // namespace security
