// A copy of the database alone: the attacker's check finds the password of
// a file the engine wrote, the empty password opens with a key anyone can
// compute, and with no salt equal passwords give equal header bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "commands/key_derivation.h"
#include "runtime/memory.h"
#include "tests/security/attack_support.h"
#include "tests/security/offline_guess.h"
#include "tests/support/temp_folder.h"

namespace security {
namespace {

std::string KeyOf(std::string_view password) {
  std::array<char, 32> key = NotebookKey(password);
  return std::string(key.data(), key.size());
}

class OfflineGuessTest : public ::testing::Test {
 protected:
  void TearDown() override { CloseAll(); }
  qktest::TempFolder folder_;
};

TEST_F(OfflineGuessTest, AttackersKeyIsTheNotebooksKey) {
  // Short, exactly one and two DES blocks, GBK, long: the tight derivation
  // must agree with the notebook's own, or the measured rate means nothing.
  for (const std::string& password : std::vector<std::string>{"", "a", "abcd", "secret12", "correct horse battery staple",
                               std::string("\xc3\xdc\xc2\xeb"), std::string(300, 'x')}) {
    char* expected = commands::DeriveDatabaseKey(password.c_str());
    EXPECT_EQ(KeyOf(password), expected) << password.size();
    rt::FreeMemory(expected);
  }
}

TEST_F(OfflineGuessTest, FindsThePasswordOfARealFileFromItsHeaderAlone) {
  std::string path = folder_.File("user.vdb");
  ASSERT_TRUE(MakeNotebook(path, {{"bank", "https://bank.example/", "me", "pin-1234", ""}}, KeyOf("tiger7")));
  CheckField field;
  ASSERT_TRUE(ReadCheckField(path, &field));
  OfflineGuesser guesser(field);
  const char* dictionary[] = {"123456", "password", "tiger", "tiger6", "Tiger7", "tiger7", "tiger8"};
  std::string found;
  int hits = 0;
  for (const char* candidate : dictionary) {
    if (guesser.Try(candidate)) {
      found = candidate;
      ++hits;
    }
  }
  EXPECT_EQ(hits, 1);
  EXPECT_EQ(found, "tiger7");
  // The key it names opens the file and shows the records.
  ASSERT_TRUE(OpenNotebook(path, KeyOf(found)));
  EXPECT_EQ(ReadText(1, field::kPassword), "pin-1234");
}

TEST_F(OfflineGuessTest, EmptyPasswordIsAKeyEveryoneKnows) {
  // The key of the empty password is the MD5 of nothing; a file set up with
  // it opens with that constant, no guessing at all.
  std::string path = folder_.File("user.vdb");
  ASSERT_TRUE(MakeNotebook(path, {{"mail", "https://mail.example/", "me", "hunter2", ""}}, KeyOf("")));
  EXPECT_EQ(KeyOf(""), "d41d8cd98f00b204e9800998ecf8427e");
  CheckField field;
  ASSERT_TRUE(ReadCheckField(path, &field));
  EXPECT_TRUE(OfflineGuesser(field).TryKey("d41d8cd98f00b204e9800998ecf8427e"));
  ASSERT_TRUE(OpenNotebook(path, "d41d8cd98f00b204e9800998ecf8427e"));
  EXPECT_EQ(ReadText(1, field::kPassword), "hunter2");
}

TEST_F(OfflineGuessTest, NoSaltEqualPasswordsGiveEqualHeaderBytes) {
  // Two notebooks with different records but the same password: their
  // enciphered check fields are byte for byte the same, so one table of
  // precomputed fields serves every file and equal passwords show.
  std::string a = folder_.File("a.vdb"), b = folder_.File("b.vdb"), c = folder_.File("c.vdb");
  ASSERT_TRUE(MakeNotebook(a, {{"one", "https://one.example/", "x", "1", ""}}, KeyOf("summer2024")));
  ASSERT_TRUE(MakeNotebook(b, {{"two", "https://two.example/", "y", "2", "r"}, {"three", "", "", "", ""}}, KeyOf("summer2024")));
  ASSERT_TRUE(MakeNotebook(c, {{"one", "https://one.example/", "x", "1", ""}}, KeyOf("summer2025")));
  CheckField fa, fb, fc;
  ASSERT_TRUE(ReadCheckField(a, &fa));
  ASSERT_TRUE(ReadCheckField(b, &fb));
  ASSERT_TRUE(ReadCheckField(c, &fc));
  EXPECT_EQ(fa, fb);
  EXPECT_NE(fa, fc);
  // Not only the check field: every position holding the same plain bytes
  // enciphers the same, here the field definitions after the header.
  std::vector<std::uint8_t> ba = FileBytes(a), bb = FileBytes(b);
  ASSERT_GT(ba.size(), 400u);
  EXPECT_TRUE(std::equal(ba.begin() + 112, ba.begin() + 400, bb.begin() + 112));
}

}  // namespace
}  // namespace security
