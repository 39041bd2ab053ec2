// The record commands as the application calls them.
#include "platform/sim/sim_host.h"
#include "runtime/services.h"
#include "tests/db/db_test_support.h"

namespace {

using namespace dbtest;
namespace cmd = db::commands;

const FieldArray kNotebook = {{"id", 3, 0},         {"WebName", 10, 512}, {"WebUrl", 10, 512}, {"UserName", 10, 512},
                              {"PassWord", 10, 512}, {"Remarks", 10, 512}, {"Time", 8, 512}};

class Records : public EngineTest {
 protected:
  void SetUp() override {
    path_ = folder_.File("user.vdb");
    ASSERT_TRUE(Create(path_, kNotebook));
    ASSERT_TRUE(Open(path_));
  }
  void AddNamed(const char* name, double id = 1) {
    ASSERT_TRUE(Call(cmd::AddRecord, {rt::Value::Double(id), Text(name)}).lo) << db::LastError();
  }
  std::int32_t Count() { return Call(cmd::GetRecordCount).as_int(); }
  std::int32_t Number() { return Call(cmd::GetRecordNumber).as_int(); }
  std::string path_;
};

TEST_F(Records, EmptyDatabase) {
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(db::LastError(), 0);
  EXPECT_TRUE(Call(cmd::GoToRecord, {Int(1)}).lo);
  EXPECT_EQ(Number(), 1);
  rt::Value v = Call(cmd::ReadField, {Text("webname")});
  EXPECT_EQ(db::LastError(), -10);
  EXPECT_EQ(v.type, rt::type::kText);
  EXPECT_EQ(v.text(), nullptr);
  EXPECT_FALSE(Call(cmd::SkipRecords, {Int(1)}).lo);
  EXPECT_EQ(db::LastError(), -26);
  EXPECT_FALSE(Call(cmd::SkipRecords, {Int(-1)}).lo);
  EXPECT_EQ(db::LastError(), -25);
  EXPECT_FALSE(Call(cmd::DeleteRecord).lo);
  EXPECT_EQ(db::LastError(), -60);
}

TEST_F(Records, AddReadWriteWithTheNotebookLayout) {
  AddNamed("first", 1);
  AddNamed("second", 2);
  EXPECT_EQ(Number(), 2);  // the new record is current
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(ReadText(Text("WEBNAME")), "second");
  rt::Value id = Call(cmd::ReadField, {Int(1)});
  EXPECT_EQ(id.type, rt::type::kInt);
  EXPECT_EQ(id.as_int(), 2);  // the Double id stored as Int
  EXPECT_TRUE(Call(cmd::GoToRecord, {Int(1)}).lo);
  EXPECT_TRUE(Call(cmd::WriteField, {Text("password"), Text("秘密")}).lo);
  EXPECT_EQ(ReadText(Text("PassWord")), "秘密");
  EXPECT_FALSE(Call(cmd::WriteField, {Text("id"), Text("x")}).lo);
  EXPECT_EQ(db::LastError(), -72);
  EXPECT_FALSE(Call(cmd::WriteField, {Text("nosuch"), Int(1)}).lo);
  EXPECT_EQ(db::LastError(), -61);
  // Type mismatch on add writes nothing.
  EXPECT_FALSE(Call(cmd::AddRecord, {Int(1), Int(2)}).lo);
  EXPECT_EQ(db::LastError(), -72);
  EXPECT_EQ(Count(), 2);
  // More values than fields: the extra ones are ignored.
  std::vector<rt::Value> many(9, rt::Value::Int(3));
  many[1] = Text("a");
  many[2] = Text("b");
  many[3] = Text("c");
  many[4] = Text("d");
  many[5] = Text("e");
  many[6] = rt::Value::DateTime(45000.5);
  EXPECT_TRUE(Call(cmd::AddRecord, many).lo);
  EXPECT_EQ(Call(cmd::ReadField, {Text("time")}).as_double(), 45000.5);
  rt::Value name = Call(cmd::GetFieldName, {Int(5)});
  EXPECT_STREQ(name.text(), "PassWord");
  rt::FreeValue(name);
  EXPECT_EQ(Call(cmd::GetFieldName, {Int(8)}).pointer(), nullptr);
  EXPECT_EQ(db::LastError(), 0);
}

TEST_F(Records, SkippingAndGoingToRecords) {
  AddNamed("a");
  AddNamed("b");
  AddNamed("c");
  EXPECT_TRUE(Call(cmd::SkipRecords).lo);  // default 1: from record 3 to after the last
  EXPECT_EQ(Number(), 4);
  EXPECT_FALSE(Call(cmd::SkipRecords, {Int(1)}).lo);
  EXPECT_EQ(db::LastError(), -26);
  EXPECT_FALSE(Call(cmd::ReadField, {Int(2)}).lo);
  EXPECT_EQ(db::LastError(), -10);
  Call(cmd::GoFirstRecord);
  EXPECT_TRUE(Call(cmd::SkipRecords, {Int(-10)}).lo);
  EXPECT_EQ(Number(), 0);
  EXPECT_FALSE(Call(cmd::SkipRecords, {Int(-1)}).lo);
  EXPECT_EQ(db::LastError(), -25);
  rt::Value v = Call(cmd::ReadField, {Int(2)});
  EXPECT_EQ(db::LastError(), -60);
  EXPECT_EQ(v.pointer(), nullptr);
  EXPECT_TRUE(Call(cmd::SkipRecords, {Int(2)}).lo);
  EXPECT_EQ(ReadText(Int(2)), "b");
  EXPECT_TRUE(Call(cmd::GoToRecord, {Int(0)}).lo);
  EXPECT_EQ(Number(), 1);
  EXPECT_TRUE(Call(cmd::GoToRecord, {Int(-5)}).lo);
  EXPECT_EQ(Number(), 1);
  EXPECT_TRUE(Call(cmd::GoToRecord, {Int(99)}).lo);
  EXPECT_EQ(Number(), 3);
}

TEST_F(Records, DeletePurgeAndSerials) {
  for (const char* name : {"a", "b", "c", "d"}) AddNamed(name);
  Call(cmd::GoToRecord, {Int(2)});
  EXPECT_TRUE(Call(cmd::DeleteRecord).lo);
  EXPECT_TRUE(Call(cmd::DeleteRecord).lo);  // stays marked once
  db::Database* current = db::CurrentDatabase();
  std::int32_t status = 0;
  ASSERT_EQ(db::ReadRecordStatus(*current, 1, &status), 0);
  EXPECT_EQ(status, -2);
  EXPECT_EQ(ReadText(Int(2)), "b");  // marked records still read
  Call(cmd::GoToRecord, {Int(4)});
  EXPECT_TRUE(Call(cmd::DeleteRecord).lo);
  EXPECT_TRUE(Call(cmd::PurgeDeletedRecords).lo);
  EXPECT_EQ(Count(), 2);
  EXPECT_EQ(Number(), 1);
  EXPECT_EQ(ReadText(Int(2)), "a");
  Call(cmd::SkipRecords);
  EXPECT_EQ(ReadText(Int(2)), "c");
  ASSERT_EQ(db::ReadRecordStatus(*current, 1, &status), 0);
  EXPECT_EQ(status, 3);  // serials kept
  AddNamed("e");
  ASSERT_EQ(db::ReadRecordStatus(*current, 2, &status), 0);
  EXPECT_EQ(status, 5);  // never lowered
  // The file holds exactly the records left.
  std::uint64_t size = 0;
  ASSERT_EQ(current->main.Size(&size), 0);
  EXPECT_EQ(size, 620u + 3 * 2576u);
  // Purging with nothing marked changes nothing.
  EXPECT_TRUE(Call(cmd::PurgeDeletedRecords).lo);
  EXPECT_EQ(Count(), 3);
}

TEST_F(Records, DeleteWithACondition) {
  for (const char* name : {"a", "b", "c"}) AddNamed(name);
  Call(cmd::GoToRecord, {Int(2)});
  EXPECT_TRUE(Call(cmd::DeleteRecord, {rt::Value::Bool(true)}).lo);
  EXPECT_EQ(Number(), 2);  // restored
  db::Database* current = db::CurrentDatabase();
  for (int i = 0; i < 3; ++i) {
    std::int32_t status = 0;
    ASSERT_EQ(db::ReadRecordStatus(*current, i, &status), 0);
    EXPECT_EQ(status, -(i + 1));
  }
  EXPECT_EQ(current->main.held_positions(), 0u);
}

TEST_F(Records, ErrorTextsAndMissingDatabase) {
  rt::Value text = Call(cmd::GetDatabaseErrorText);
  EXPECT_EQ(text.pointer(), nullptr);  // empty after success
  db::SetLastError(-16);
  text = Call(cmd::GetDatabaseErrorText);
  EXPECT_STREQ(text.text(), "字段数目必须大于 0 ");
  rt::FreeValue(text);
  EXPECT_EQ(db::LastError(), -16);  // unchanged by reading it
  EXPECT_STREQ(db::ErrorText(-81), "未知错误");
  EXPECT_STREQ(db::ErrorText(5), "未知错误");
  EXPECT_STREQ(db::ErrorText(-77), "未知错误");
  EXPECT_STREQ(db::ErrorText(-74), "数据库的共享打开方式不是“#禁止读写”");

  Call(cmd::CloseDatabase);
  EXPECT_EQ(db::CurrentDatabase(), nullptr);
  EXPECT_EQ(Count(), 0);
  EXPECT_EQ(db::LastError(), -67);
  EXPECT_FALSE(Call(cmd::AddRecord, {Int(1)}).lo);
  EXPECT_EQ(db::LastError(), -67);
  EXPECT_FALSE(Call(cmd::WriteField, {Int(1), Int(1)}).lo);
  EXPECT_EQ(db::LastError(), -66);
  EXPECT_EQ(Call(cmd::GetFieldName, {Int(1)}).pointer(), nullptr);
  EXPECT_EQ(db::LastError(), -67);
}

// Reading without a database, or a field that is not there, ends the program
// with a runtime error box.
TEST_F(Records, ReadFieldRuntimeErrors) {
  platform::sim::ScopedSimHost host;
  EXPECT_THROW(Call(cmd::ReadField, {Text("nosuch")}), platform::ProcessExit);
  ASSERT_EQ(host->boxes().size(), 1u);
  EXPECT_NE(host->boxes()[0].text.find("指定字段不存在"), std::string::npos);
  rt::ResetRuntime();
  EXPECT_THROW(Call(cmd::ReadField, {rt::Value::Bool(true)}), platform::ProcessExit);
  rt::ResetRuntime();
  Call(cmd::CloseDatabase);
  EXPECT_THROW(Call(cmd::ReadField, {Int(1)}), platform::ProcessExit);
  EXPECT_NE(host->boxes().back().text.find("未指定当前数据库或者指定数据库未打开"), std::string::npos);
  rt::ResetRuntime();
}

TEST_F(Records, RegistryAliasesAndClosing) {
  std::string other = folder_.File("other.vdb");
  ASSERT_TRUE(Create(other, kNotebook));
  EXPECT_FALSE(Open(other, 1, false, nullptr, "1bad"));
  EXPECT_EQ(db::LastError(), -24);
  ASSERT_TRUE(Open(other, 1, false, nullptr, "second"));
  EXPECT_EQ(db::OpenDatabaseCount(), 2u);
  // The same file again, by another spelling of its path.
  EXPECT_FALSE(Open(folder_.File("x") + "/../OTHER.vdb"));
  EXPECT_EQ(db::LastError(), -38);  // paths compare without regard to case
  EXPECT_FALSE(Open(folder_.File("x") + "/../other"));
  EXPECT_EQ(db::LastError(), -38);
  Call(cmd::CloseDatabase, {Text("USER")});  // short name of the first
  EXPECT_EQ(db::OpenDatabaseCount(), 1u);
  ASSERT_NE(db::CurrentDatabase(), nullptr);
  EXPECT_EQ(db::CurrentDatabase()->alias, "second");
  Call(cmd::CloseDatabase, {Text("nothing")});
  EXPECT_EQ(db::OpenDatabaseCount(), 1u);
  Call(cmd::CloseDatabase, {Text("Second")});
  EXPECT_EQ(db::OpenDatabaseCount(), 0u);
}

TEST_F(Records, PasswordsOnAPlainFile) {
  Call(cmd::CloseDatabase);
  EXPECT_FALSE(Open(path_, 1, false, "secret"));
  EXPECT_EQ(db::LastError(), -78);
  EXPECT_TRUE(Open(path_, 1, false, "?"));
}

}  // namespace
