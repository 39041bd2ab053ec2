// "Password" means the notebook's password: qkdb derives the access key
// from it as the notebook does, never leaves a file the notebook cannot
// open, says when a password is wrong, and points to the other option when
// the line was meant for it.
#include <gtest/gtest.h>

#include <memory>

#include "platform/file.h"
#include "tests/tools/qkdb_test_support.h"
#include "tools/qkdb/secrets.h"

namespace qkdbtest {
namespace {

std::string Magic(const std::string& path) { return ReadFileBytes(path).substr(0, 4); }

std::string KeyOf(const std::string& password) { return std::string(qkdb::DeriveNotebookKey(password).text()); }

class Passwords : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(folder_.created());
    ASSERT_EQ(Qkdb({"add", path_, "11", "site", "url", "me", "pw", "", "2024-03-01"}).code, 0);
  }
  // Sets the notebook password of the plain file.
  void Protect(const std::string& password) {
    Outcome set = Qkdb({"--password-stdin", "passwd", path_}, {"", password});
    ASSERT_EQ(set.code, 0) << set.err;
    ASSERT_EQ(Magic(path_), "QCDB");
  }
  bool Opens(const char* option, const std::string& line) {
    return Qkdb({option, "dump", path_}, {line}).code == 0;
  }

  NotebookFolder folder_;
  std::string path_ = folder_.notebook();
};

TEST_F(Passwords, TheNotebookPasswordIsTurnedIntoTheNotebooksKey) {
  Protect("my secret");
  EXPECT_TRUE(Opens("--key-stdin", KeyOf("my secret")));
  EXPECT_TRUE(Opens("--password-stdin", "  my secret "));  // trimmed, as the notebook does
  EXPECT_FALSE(Opens("--key-stdin", "my secret"));
}

TEST_F(Passwords, AnEmptyNewNotebookPasswordSetsTheKeyOfTheEmptyPassword) {
  Protect("old");
  Outcome emptied = Qkdb({"--password-stdin", "passwd", path_}, {"old", ""});
  ASSERT_EQ(emptied.code, 0) << emptied.err;
  EXPECT_EQ(Magic(path_), "QCDB") << "the protection was removed: the notebook could not open the file";
  EXPECT_TRUE(Opens("--password-stdin", ""));
  EXPECT_TRUE(Opens("--key-stdin", KeyOf("")));
}

TEST_F(Passwords, OnlyTheKeyOptionRemovesTheProtectionAndItWarns) {
  Protect("pw");
  Outcome removed = Qkdb({"--key-stdin", "passwd", path_}, {KeyOf("pw"), ""});
  ASSERT_EQ(removed.code, 0) << removed.err;
  EXPECT_EQ(Magic(path_), "QVDB");
  EXPECT_NE(removed.err.find("warning: the protection is removed: the notebook can no longer open " + path_),
            std::string::npos)
      << removed.err;
  // A key no password gives also locks the notebook out: it says so.
  Outcome odd = Qkdb({"--key-stdin", "passwd", path_}, {"", "not-a-derived-key"});
  ASSERT_EQ(odd.code, 0) << odd.err;
  EXPECT_NE(odd.err.find("no password gives this key"), std::string::npos) << odd.err;
}

TEST_F(Passwords, AWrongPasswordSaysSoAndPointsToTheOtherOptionWhenItFits) {
  Protect("right");
  Outcome wrong = Qkdb({"--password-stdin", "dump", path_}, {"wrong"});
  EXPECT_EQ(wrong.code, 1);
  EXPECT_NE(wrong.err.find(path_ + ": " + U8(u8"未提供数据库访问密码或提供了错误的密码 (-78)") +
                           "\nqkdb: The notebook password is wrong.\n"),
            std::string::npos)
      << wrong.err;
  EXPECT_EQ(wrong.err.find("--key-stdin"), std::string::npos) << "no hint when neither reading opens it";

  Outcome key_as_password = Qkdb({"--password-stdin", "dump", path_}, {KeyOf("right")});
  EXPECT_EQ(key_as_password.code, 1);
  EXPECT_NE(key_as_password.err.find("That line is the file's access key, not a notebook password: give it with "
                                     "--key-stdin."),
            std::string::npos)
      << key_as_password.err;

  Outcome password_as_key = Qkdb({"--key-stdin", "info", path_}, {"right"});
  EXPECT_EQ(password_as_key.code, 1);
  EXPECT_NE(password_as_key.err.find("The access key is wrong.\nqkdb: That line is the notebook password: give it "
                                     "with --password-stdin."),
            std::string::npos)
      << password_as_key.err;

  // No password at all, and no terminal to ask on.
  Outcome none = Qkdb({"dump", path_});
  EXPECT_EQ(none.code, 1);
  EXPECT_NE(none.err.find("Give the notebook password with --password-stdin"), std::string::npos) << none.err;
}

TEST_F(Passwords, AtATerminalTheNotebookPasswordIsAskedFor) {
  Protect("typed");
  Outcome asked = Qkdb({"dump", path_}, {"typed"}, true);
  EXPECT_EQ(asked.code, 0) << asked.err;
  ASSERT_EQ(asked.prompts.size(), 1u);
  EXPECT_EQ(asked.prompts[0], "Notebook password for " + path_ + ": ");
  // --password-stdin at a terminal asks the same way (with echo off).
  Outcome stdin_terminal = Qkdb({"--password-stdin", "dump", path_}, {"typed"}, true);
  EXPECT_EQ(stdin_terminal.code, 0);
  EXPECT_EQ(stdin_terminal.prompts.size(), 1u);
  // A plain file needs nothing.
  Outcome plain = Qkdb({"dump", folder_.notebook() + "-none"}, {}, true);
  EXPECT_TRUE(plain.prompts.empty());
}

TEST_F(Passwords, PasswdAtATerminalAsksOldNewAndNewAgain) {
  // A plain file has no old password to ask for.
  Outcome first = Qkdb({"passwd", path_}, {"one", "one"}, true);
  ASSERT_EQ(first.code, 0) << first.err;
  EXPECT_EQ(first.prompts, (std::vector<std::string>{"New notebook password: ", "New notebook password again: "}));
  EXPECT_TRUE(Opens("--password-stdin", "one"));

  const std::string before = ReadFileBytes(path_);
  Outcome differ = Qkdb({"passwd", path_}, {"one", "two", "tw0"}, true);
  EXPECT_EQ(differ.code, 1);
  EXPECT_NE(differ.err.find("the two new passwords differ; nothing was changed"), std::string::npos);
  EXPECT_EQ(ReadFileBytes(path_), before);

  Outcome second = Qkdb({"passwd", path_}, {"one", "two", "two"}, true);
  ASSERT_EQ(second.code, 0) << second.err;
  EXPECT_EQ(second.prompts.front(), "Old notebook password: ");
  EXPECT_TRUE(Opens("--password-stdin", "two"));

  // Without a terminal and without an option there is no one to ask.
  Outcome nobody = Qkdb({"passwd", path_}, {"two", "three"});
  EXPECT_EQ(nobody.code, 1);
  EXPECT_NE(nobody.err.find("no terminal to ask the passwords on"), std::string::npos);
}

TEST_F(Passwords, ANewPasswordTheNotebookCannotTypeIsRefused) {
  const std::string before = ReadFileBytes(path_);
  Outcome refused = Qkdb({"--password-stdin", "passwd", path_}, {"", U8(u8"pass\U0001F600")});
  EXPECT_EQ(refused.code, 1);
  EXPECT_NE(refused.err.find("the new password holds a character that GBK lacks"), std::string::npos) << refused.err;
  EXPECT_EQ(refused.err.find("\xF0\x9F\x98\x80"), std::string::npos) << "the message repeats part of the password";
  EXPECT_EQ(ReadFileBytes(path_), before);
}

TEST_F(Passwords, PasswdWhileTheNotebookHasTheFileOpenSaysToCloseIt) {
  Protect("pw");
  // The notebook keeps the database open for reading and writing, sharing both.
  std::unique_ptr<platform::File> notebook;
  ASSERT_EQ(platform::OpenFile(path_, platform::FileAccess::kReadWrite, platform::share::kReadWrite,
                               platform::FileDisposition::kOpenExisting, &notebook),
            platform::FileError::kNone);
  const std::string before = ReadFileBytes(path_);
  Outcome held = Qkdb({"--password-stdin", "passwd", path_}, {"pw", "new"});
  EXPECT_EQ(held.code, 1);
  EXPECT_NE(held.err.find("close the notebook first"), std::string::npos) << held.err;
  EXPECT_EQ(ReadFileBytes(path_), before);
}

}  // namespace
}  // namespace qkdbtest
