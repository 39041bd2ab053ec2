// INI semantics. The same tests run natively (our own reader and writer) and
// under Wine (the system's private-profile calls), so both must agree.
#include <gtest/gtest.h>

#include "commands/system.h"
#include "tests/commands/call.h"
#include "tests/commands/temp_folder.h"

namespace commands {
namespace {

using testing::Call;
using testing::Omitted;
using testing::Result;
using testing::TempFolder;
using testing::Txt;

class IniTest : public ::testing::Test {
 protected:
  std::string Read(const std::string& file, const char* section, const char* key, rt::Value fallback = Omitted()) {
    Result r(Call(ReadIniValue, {Txt(file.c_str()), Txt(section), Txt(key), fallback}));
    return r.null() ? std::string("<null>") : r.text();
  }
  bool Write(const std::string& file, const char* section, rt::Value key, rt::Value value) {
    return Result(Call(WriteIniValue, {Txt(file.c_str()), Txt(section), key, value}))->lo != 0;
  }

  TempFolder folder_;
  std::string ini_ = folder_.File("user.ini");
};

TEST_F(IniTest, FirstWriteCreatesTheFileAndNamesIgnoreCase) {
  EXPECT_EQ(Read(ini_, "user", "database", Txt("none")), "none");
  EXPECT_TRUE(Write(ini_, "user", Txt("database"), Txt("user.vdb")));
  EXPECT_TRUE(Write(ini_, "user", Txt("name"), Txt("张三")));
  EXPECT_EQ(Read(ini_, "USER", "DataBase"), "user.vdb");
  EXPECT_EQ(Read(ini_, "user", "name"), "张三");
  // Leading spaces and control characters of the names are skipped.
  EXPECT_EQ(Read(" \t" + ini_, " user", "\tname"), "张三");
}

TEST_F(IniTest, DefaultsAndEmptyNames) {
  EXPECT_TRUE(Write(ini_, "user", Txt("name"), Txt("x")));
  EXPECT_EQ(Read(ini_, "user", "missing", Txt("默认")), "默认");
  EXPECT_EQ(Read(ini_, "user", "missing"), "<null>");
  EXPECT_EQ(Read(ini_, "nosection", "name", Txt("d")), "d");
  EXPECT_EQ(Read(folder_.File("absent.ini"), "user", "name", Txt("d")), "d");
  EXPECT_EQ(Read(ini_, "user", "missing", Txt(" d  ")), " d");  // trailing blanks of a default go
  // An empty file name, section or key gives the empty text, default or not.
  EXPECT_EQ(Read(ini_, "user", "", Txt("d")), "<null>");
  EXPECT_EQ(Read(ini_, "  ", "name", Txt("d")), "<null>");
  EXPECT_EQ(Read("", "user", "name", Txt("d")), "<null>");
}

TEST_F(IniTest, ValuesAreTrimmedAndUnquoted) {
  folder_.Write("user.ini", "[user]\r\n  name  =   a b  \r\nq=\"  quoted  \"\r\nempty=\r\n");
  EXPECT_EQ(Read(ini_, "user", "name"), "a b");
  EXPECT_EQ(Read(ini_, "user", "q"), "  quoted  ");
  EXPECT_EQ(Read(ini_, "user", "empty", Txt("d")), "<null>");  // present but empty: no default
}

TEST_F(IniTest, OmittedValueRemovesTheKeyAndOmittedKeyTheSection) {
  EXPECT_TRUE(Write(ini_, "user", Txt("database"), Txt("a.vdb")));
  EXPECT_TRUE(Write(ini_, "user", Txt("name"), Txt("n")));
  EXPECT_TRUE(Write(ini_, "other", Txt("k"), Txt("v")));

  EXPECT_TRUE(Write(ini_, "user", Txt("name"), Omitted()));
  EXPECT_EQ(Read(ini_, "user", "name", Txt("gone")), "gone");
  EXPECT_EQ(Read(ini_, "user", "database"), "a.vdb");

  EXPECT_TRUE(Write(ini_, "USER", Omitted(), Omitted()));
  EXPECT_EQ(Read(ini_, "user", "database", Txt("gone")), "gone");
  EXPECT_EQ(Read(ini_, "other", "k"), "v");
}

TEST_F(IniTest, RewritesKeepOtherLinesAndComments) {
  folder_.Write("user.ini", "; settings\r\n[user]\r\nname=old\r\n; keep me\r\n\r\n[other]\r\nk=v\r\n");
  EXPECT_TRUE(Write(ini_, "user", Txt("NAME"), Txt("new")));
  EXPECT_TRUE(Write(ini_, "user", Txt("database"), Txt("d.vdb")));
  std::string content = folder_.Read("user.ini");
  EXPECT_NE(content.find("; settings"), std::string::npos) << content;
  EXPECT_NE(content.find("; keep me"), std::string::npos) << content;
  EXPECT_EQ(content.find("old"), std::string::npos) << content;
  EXPECT_EQ(Read(ini_, "user", "name"), "new");
  EXPECT_EQ(Read(ini_, "user", "database"), "d.vdb");
  EXPECT_EQ(Read(ini_, "other", "k"), "v");
  EXPECT_EQ(Read(ini_, "other", "database", Txt("none")), "none");  // added to its own section
}

TEST_F(IniTest, LongValuesAreCutTo10239Bytes) {
  std::string long_value(12000, 'x');
  EXPECT_TRUE(Write(ini_, "user", Txt("long"), Txt(long_value.c_str())));
  EXPECT_EQ(Read(ini_, "user", "long").size(), 10239u);
}

TEST_F(IniTest, WriteIntoAMissingFolderFails) {
  EXPECT_FALSE(Write(folder_.File("no_such_folder/user.ini"), "user", Txt("k"), Txt("v")));
}

}  // namespace
}  // namespace commands
