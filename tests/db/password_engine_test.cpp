// Enciphered databases through the engine's commands: written enciphered,
// read back, opened with the dialog, and their password changed.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

#include "db/password_command.h"
#include "db/password_dialog.h"
#include "platform/sim/sim_host.h"
#include "tests/db/db_test_support.h"

namespace {

using dbtest::Call;
using dbtest::Int;
using dbtest::Text;

std::string Slurp(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

class EncipheredDatabase : public dbtest::EngineTest {
 protected:
  void SetUp() override {
    path_ = folder_.File("notes.vdb");
    aux_ = folder_.File("notes.VDT");  // the extension replaced by "VDT"
    dbtest::FieldArray fields{{"名称", 10, 40}, {"序号", 3, 0}, {"备注", 12, 0}};
    ASSERT_TRUE(Create(path_, fields));
  }

  bool SetPassword(const char* password) { return Call(db::commands::SetDatabasePassword, {Text(password)}).lo != 0; }
  void Add(const char* name, int number, const char* note) {
    ASSERT_NE(Call(db::commands::AddRecord, {Text(name), Int(number), Text(note)}).lo, 0u) << db::LastError();
  }
  std::string FieldOf(int record, int field) {
    EXPECT_NE(Call(db::commands::GoToRecord, {Int(record)}).lo, 0u);
    return dbtest::ReadText(Int(field));
  }

  std::string path_, aux_;
};

TEST_F(EncipheredDatabase, WrittenEncipheredReadsBackAndHidesItsText) {
  ASSERT_TRUE(Open(path_));
  Add("第一条", 1, std::string(600, 'n').c_str());  // two blocks of the auxiliary file
  ASSERT_TRUE(SetPassword("开门"));
  Add("secret-name", 2, "secret-note");
  Call(db::commands::CloseDatabase);

  std::string main = Slurp(path_), aux = Slurp(aux_);
  EXPECT_EQ(main.substr(0, 4), "QCDB");
  EXPECT_EQ(aux.substr(0, 4), "QVDT");
  EXPECT_EQ(main.find("secret-name"), std::string::npos);
  EXPECT_EQ(main.find("名称"), std::string::npos) << "field definitions are enciphered too";
  EXPECT_EQ(aux.find("secret-note"), std::string::npos);
  EXPECT_EQ(aux.find(std::string(100, 'n')), std::string::npos);

  EXPECT_FALSE(Open(path_));
  EXPECT_EQ(db::LastError(), -78);
  EXPECT_FALSE(Open(path_, 1, false, "开"));
  EXPECT_EQ(db::LastError(), -78);
  EXPECT_EQ(Slurp(path_), main) << "a refused open changes nothing";

  ASSERT_TRUE(Open(path_, 1, false, "开门"));
  EXPECT_EQ(FieldOf(1, 1), "第一条");
  EXPECT_EQ(FieldOf(1, 3), std::string(600, 'n'));
  EXPECT_EQ(FieldOf(2, 1), "secret-name");
  EXPECT_EQ(FieldOf(2, 3), "secret-note");
}

TEST_F(EncipheredDatabase, QuestionMarkAsksUpToThreeTimes) {
  ASSERT_TRUE(Open(path_));
  Add("one", 1, "");
  ASSERT_TRUE(SetPassword("right"));
  Call(db::commands::CloseDatabase);

  platform::sim::ScopedSimHost host;
  host->QueuePassword(std::nullopt);
  EXPECT_FALSE(Open(path_, 1, false, "?"));
  EXPECT_EQ(db::LastError(), -78) << "cancel counts as a wrong password";

  host->QueuePassword(std::string("wrong"));
  host->QueuePassword(std::string("also wrong"));
  host->QueuePassword(std::string("right"));
  ASSERT_TRUE(Open(path_, 1, false, "?"));
  EXPECT_EQ(FieldOf(1, 1), "one");
  ASSERT_EQ(host->password_dialogs().size(), 4u);
  EXPECT_EQ(host->password_dialogs()[0].caption, "密码输入");
  EXPECT_EQ(host->password_dialogs()[2].message, "密码错误，您还有 2 次重新输入的机会。");
  EXPECT_EQ(host->password_dialogs()[3].message, "密码错误，您还有 1 次重新输入的机会。");
}

TEST_F(EncipheredDatabase, PlainFileWithPasswordsAndTheChangeCommandsErrors) {
  platform::sim::ScopedSimHost host;
  EXPECT_FALSE(SetPassword("x"));
  EXPECT_EQ(db::LastError(), -67);

  EXPECT_FALSE(Open(path_, 1, false, "x"));
  EXPECT_EQ(db::LastError(), -78);
  ASSERT_TRUE(Open(path_, 1, false, "?"));
  EXPECT_TRUE(host->password_dialogs().empty()) << "a plain file asks nothing";
  EXPECT_FALSE(SetPassword("?"));
  EXPECT_EQ(db::LastError(), -80);
  EXPECT_EQ(Slurp(path_).substr(0, 4), "QVDB");
}

TEST_F(EncipheredDatabase, ChangingThePasswordAndBackRestoresTheFiles) {
  ASSERT_TRUE(Open(path_));
  for (int i = 1; i <= 200; ++i) Add(("record " + std::to_string(i)).c_str(), i, std::string(i * 7, 'm').c_str());
  Call(db::commands::CloseDatabase);
  const std::string plain_main = Slurp(path_), plain_aux = Slurp(aux_);
  ASSERT_GT(plain_aux.size(), 200u * 512u);

  // As the notebook does it: reopen exclusively with the password, change it.
  ASSERT_TRUE(Open(path_, 4));
  ASSERT_TRUE(SetPassword("first"));
  Call(db::commands::CloseDatabase);
  ASSERT_TRUE(Open(path_, 4, false, "first"));
  ASSERT_TRUE(SetPassword("second"));
  EXPECT_EQ(FieldOf(150, 1), "record 150") << "the open database goes on under the new password";
  EXPECT_EQ(FieldOf(150, 3), std::string(1050, 'm'));
  Call(db::commands::CloseDatabase);
  EXPECT_FALSE(Open(path_, 4, false, "first"));
  ASSERT_TRUE(Open(path_, 4, false, "second"));
  ASSERT_TRUE(SetPassword(""));
  Call(db::commands::CloseDatabase);

  EXPECT_EQ(Slurp(path_), plain_main);
  EXPECT_EQ(Slurp(aux_), plain_aux);
}

}  // namespace
