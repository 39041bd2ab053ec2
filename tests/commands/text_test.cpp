#include <gtest/gtest.h>

#include "commands/text.h"
#include "runtime/memory.h"
#include "tests/commands/call.h"

namespace commands {
namespace {

using namespace testing;  // Call, Result and the value makers (tests/commands/call.h)

std::string Strip(const char* text, StripMode mode) {
  rt::OwnedText out(StripBlanks(text, mode));
  return out ? std::string(out.get()) : std::string("<null>");
}

std::string Replace(std::vector<rt::Value> args) {
  Result r(Call(ReplaceText, std::move(args)));
  return r.null() ? std::string("<null>") : r.text();
}

TEST(TextLength, CountsBytesNotCharacters) {
  EXPECT_EQ(Result(Call(TextLength, {Txt("中文字")}))->as_int(), 6);
  EXPECT_EQ(Result(Call(TextLength, {Txt(nullptr)}))->as_int(), 0);
}

TEST(Trim, RemovesSpacesAndFullWidthSpacesOnly) {
  EXPECT_EQ(Strip("  ab  ", StripMode::kBothEnds), "ab");
  EXPECT_EQ(Strip("\xA1\xA1 a b\xA1\xA1 ", StripMode::kBothEnds), "a b");
  EXPECT_EQ(Strip(" \xA1\xA1  \xA1\xA1", StripMode::kBothEnds), "<null>");
  EXPECT_EQ(Strip("\tab\t", StripMode::kBothEnds), "\tab\t");
  EXPECT_EQ(Strip(nullptr, StripMode::kBothEnds), "<null>");

  Result trimmed(Call(Trim, {Txt("  密码  ")}));
  EXPECT_EQ(trimmed.text(), "密码");
  EXPECT_TRUE(Result(Call(Trim, {Txt("   ")})).null());
}

TEST(Trim, WalksCharactersNotBytes) {
  // 啊 is B0 A1: its second byte followed by a lone A1 looks like a
  // full-width space to a byte-wise scan from the end.
  EXPECT_EQ(Strip("\xB0\xA1\xA1", StripMode::kBothEnds), "\xB0\xA1");
  // A lone lead byte at the end is dropped; the blanks before it stay.
  EXPECT_EQ(Strip("ab  \xB0", StripMode::kBothEnds), "ab  ");
  EXPECT_EQ(Strip(" \xB0", StripMode::kBothEnds), "<null>");  // the leading blank goes first
  EXPECT_EQ(Strip("\xB0", StripMode::kTrailing), "<null>");
  // A character whose second byte is a space-like value is no blank.
  EXPECT_EQ(Strip("\xA1\xA1\xB0\xA1\xA1\xA1", StripMode::kBothEnds), "\xB0\xA1");
}

TEST(StripBlanks, OtherModes) {
  EXPECT_EQ(Strip("  a  ", StripMode::kLeading), "a  ");
  EXPECT_EQ(Strip("  a  ", StripMode::kTrailing), "  a");
  EXPECT_EQ(Strip(" a b\xA1\xA1" "c\xB0\xA1 ", StripMode::kEverywhere), "abc\xB0\xA1");
  EXPECT_EQ(Strip("a b\xB0", StripMode::kEverywhere), "ab");
  EXPECT_EQ(Strip(" \xA1\xA1 ", StripMode::kEverywhere), "<null>");
}

TEST(ReplaceText, LeftToRightWithoutOverlapOrRescan) {
  EXPECT_EQ(Replace({Txt("aaa"), Txt("aa")}), "a");
  EXPECT_EQ(Replace({Txt("ab"), Txt("a"), Txt("aa")}), "aab");
  EXPECT_EQ(Replace({Txt("user的密码本"), Txt("user"), Txt("张三"), Omitted(), Omitted(), rt::Value::Bool(true)}),
            "张三的密码本");
  EXPECT_EQ(Replace({Txt(""), Txt("a"), Txt("b")}), "<null>");
  EXPECT_EQ(Replace({Txt("abc"), Txt(""), Txt("b")}), "abc");
}

TEST(ReplaceText, StartPositionAndCount) {
  auto run = [](rt::Value start, rt::Value count) {
    return Replace({Txt("xaxaxa"), Txt("a"), Txt("-"), start, count});
  };
  EXPECT_EQ(run(rt::Value::Int(0), Omitted()), "x-x-x-");
  EXPECT_EQ(run(rt::Value::Int(-7), Omitted()), "x-x-x-");
  EXPECT_EQ(run(rt::Value::Int(3), Omitted()), "xax-x-");
  EXPECT_EQ(run(rt::Value::Int(7), Omitted()), "xaxaxa");
  EXPECT_EQ(run(rt::Value::Int(INT32_MIN), Omitted()), "x-x-x-");
  EXPECT_EQ(run(Omitted(), rt::Value::Int(0)), "xaxaxa");
  EXPECT_EQ(run(Omitted(), rt::Value::Int(1)), "x-xaxa");
  EXPECT_EQ(run(rt::Value::Int(3), rt::Value::Int(1)), "xax-xa");
}

TEST(ReplaceText, CaseFoldingIsAsciiOnly) {
  rt::Value insensitive = rt::Value::Bool(false);
  EXPECT_EQ(Replace({Txt("USER Users"), Txt("user"), Txt("x"), Omitted(), Omitted(), insensitive}), "x xs");
  // Omitting the flag means insensitive.
  EXPECT_EQ(Replace({Txt("USER"), Txt("user"), Txt("x")}), "x");
  EXPECT_EQ(Replace({Txt("USER"), Txt("user"), Txt("x"), Omitted(), Omitted(), rt::Value::Bool(true)}), "USER");
  // Full-width Ｕ (A3 D5) and ｕ (A3 F5) are different characters.
  EXPECT_EQ(Replace({Txt("\xA3\xD5"), Txt("\xA3\xF5"), Txt("x")}), "\xA3\xD5");
  // 0x81 0x41 and 0x81 0x61 are two characters whose second bytes are the
  // ASCII codes of A and a; folding must not make them equal.
  EXPECT_EQ(Replace({Txt("\x81\x41"), Txt("\x81\x61"), Txt("x")}), "\x81\x41");
}

TEST(ReplaceText, MatchesOnlyWholeCharacters) {
  // 啊啊 is B0 A1 B0 A1; "A1 B0" spans the two characters.
  EXPECT_EQ(Replace({Txt("\xB0\xA1\xB0\xA1"), Txt("\xA1\xB0"), Txt("x")}), "\xB0\xA1\xB0\xA1");
  // A find text ending in a lead byte would cut a character in half.
  EXPECT_EQ(Replace({Txt("\xB0\xA1"), Txt("\xB0"), Txt("x")}), "\xB0\xA1");
  // The second byte of 0x81 0x61 is the code of 'a'.
  EXPECT_EQ(Replace({Txt("\x81\x61" "a"), Txt("a"), Txt("b")}), "\x81\x61" "b");
  // A start position on a character's second byte moves to the next one.
  EXPECT_EQ(Replace({Txt("\x81\x61" "a"), Txt("a"), Txt("b"), rt::Value::Int(2)}), "\x81\x61" "b");
  // A lone lead byte met by the scan is dropped.
  EXPECT_EQ(Replace({Txt("ab\xB0"), Txt("x"), Txt("y")}), "ab");
}

}  // namespace
}  // namespace commands
