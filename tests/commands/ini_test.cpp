// INI semantics: one reader and writer of our own on every platform. The
// Windows build runs these under Wine with an English locale (code page
// 1252), where the system's profile calls would not keep GBK bytes.
#include <gtest/gtest.h>

#include "commands/system.h"
#include "tests/commands/call.h"
#include "tests/support/temp_folder.h"

namespace commands {
namespace {

using namespace testing;  // Call, Result and the value makers (tests/commands/call.h)
using qktest::TempFolder;

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

// GBK bytes in the file, whatever the system's code page: 丂 has the bytes
// 81 40, which code page 1252 does not map; 魏伟 (CE BA CE B0) is valid
// UTF-8 too, but only of two-byte characters, so it stays GBK.
TEST_F(IniTest, ValuesAreGbkBytesOnEveryCodePage) {
  folder_.Write("user.ini", "[user]\r\nname=\xd5\xc5\xc8\xfd\x81\x40\r\n");
  EXPECT_EQ(Read(ini_, "user", "name"), "张三丂");
  EXPECT_TRUE(Write(ini_, "user", Txt("name"), Txt("魏伟")));
  EXPECT_EQ(folder_.Read("user.ini"), "[user]\r\nname=\xce\xba\xce\xb0\r\n");
  EXPECT_EQ(Read(ini_, "user", "name"), "魏伟");
  EXPECT_TRUE(Write(ini_, "用户", Txt("名字"), Txt("丂")));
  EXPECT_EQ(Read(ini_, "用户", "名字"), "丂");
}

// A user.ini saved by a current text editor: UTF-8, with or without a
// byte-order mark. Names match, values come back in GBK, and writing keeps
// the file UTF-8 with its other lines as they were.
TEST_F(IniTest, Utf8FilesAreReadAndWrittenAsUtf8) {
  const std::string zhang_san = "\xe5\xbc\xa0\xe4\xb8\x89";  // 张三 in UTF-8
  for (const std::string mark : {"", "\xef\xbb\xbf"}) {
    folder_.Write("user.ini", mark + "; \xe8\xae\xbe\xe7\xbd\xae\r\n[User]\r\nname = " + zhang_san + "\r\ndatabase=notes.vdb\r\n");
    EXPECT_EQ(Read(ini_, "user", "NAME"), "张三");
    EXPECT_EQ(Read(ini_, "user", "database"), "notes.vdb");
    EXPECT_TRUE(Write(ini_, "user", Txt("name"), Txt("李四")));
    EXPECT_TRUE(Write(ini_, "其他", Txt("键"), Txt("值")));
    EXPECT_EQ(folder_.Read("user.ini"),
              mark + "; \xe8\xae\xbe\xe7\xbd\xae\r\n[User]\r\nname=\xe6\x9d\x8e\xe5\x9b\x9b\r\ndatabase=notes.vdb\r\n"
                     "[\xe5\x85\xb6\xe4\xbb\x96]\r\n\xe9\x94\xae=\xe5\x80\xbc\r\n");
    EXPECT_EQ(Read(ini_, "user", "name"), "李四");
    EXPECT_EQ(Read(ini_, "其他", "键"), "值");
  }
  // A marked file of ASCII only is UTF-8 as well.
  folder_.Write("user.ini", "\xef\xbb\xbf[user]\nname=x\n");
  EXPECT_TRUE(Write(ini_, "user", Txt("name"), Txt("张三")));
  EXPECT_EQ(folder_.Read("user.ini"), "\xef\xbb\xbf[user]\nname=" + zhang_san + "\n");
}

// A character GBK lacks has no GBK form: the value is not there for the
// notebook (neither "?" nor a look-alike reaches it).
TEST_F(IniTest, AUtf8ValueThatGbkCannotHoldReadsAsMissing) {
  folder_.Write("user.ini", "[user]\r\nname=\xe5\xbc\xa0\xf0\x9f\x98\x80\r\ndatabase=\xea\xb0\x80.vdb\r\n");
  EXPECT_EQ(Read(ini_, "user", "name", Txt("user")), "user");
  EXPECT_EQ(Read(ini_, "user", "database", Txt("user.vdb")), "user.vdb");
}

// GBK text whose bytes form UTF-8 with a three-byte character (涓丂 is
// E4 B8 81 40, 丁@ in UTF-8) would read back as that: such a file is
// written as UTF-8 with a mark instead.
TEST_F(IniTest, GbkThatWouldReadAsUtf8IsWrittenAsMarkedUtf8) {
  EXPECT_TRUE(Write(ini_, "user", Txt("name"), Txt("涓丂")));
  EXPECT_EQ(Read(ini_, "user", "name"), "涓丂");
  EXPECT_EQ(folder_.Read("user.ini").compare(0, 3, "\xef\xbb\xbf"), 0);
}

TEST_F(IniTest, WriteIntoAMissingFolderFails) {
  EXPECT_FALSE(Write(folder_.File("no_such_folder/user.ini"), "user", Txt("k"), Txt("v")));
}

}  // namespace
}  // namespace commands
