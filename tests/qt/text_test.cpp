// What an edit box takes, decided on UTF-16 text before it reaches a widget.
#include <gtest/gtest.h>

#include "platform/qt/text_qt.h"

namespace platform::qt {
namespace {

using namespace Qt::StringLiterals;

TEST(QtText, GbkWidthsAndConversionsAgreeWithThePlatformConverter) {
  EXPECT_EQ(GbkWidth(U'a'), 1);
  EXPECT_EQ(GbkWidth(U'中'), 2);
  EXPECT_EQ(GbkWidth(U'·'), 2);    // in GBK, as A1A4
  EXPECT_EQ(GbkWidth(U'한'), 0);   // Korean syllables are not
  EXPECT_EQ(GbkWidth(U'😀'), 0);  // nor anything beyond the BMP
  EXPECT_EQ(GbkWidth(U'\u20AC'), 0);  // the euro sign: the converter has no GBK byte for it
  // Every character the table calls GBK's survives the trip there and back.
  QString sample = u"网站名称：账号 abc·～"_s;
  EXPECT_TRUE(FitsGbk(sample));
  EXPECT_EQ(FromGbk(ToGbk(sample)), sample);
  EXPECT_EQ(ToGbk(u"中a"_s), std::string("\xD6\xD0" "a"));
  EXPECT_FALSE(FitsGbk(u"站😀点"_s));
}

TEST(QtText, LengthCountsGbkBytesAndALineBreakAsTwo) {
  EXPECT_EQ(GbkLength(u"ab中"_s), 4);
  EXPECT_EQ(GbkLength(u"a\nb"_s), 4);
  EXPECT_EQ(GbkLength(u"a\r\nb"_s), 4);  // "\r\n" is one break
}

TEST(QtText, InsertionIsCutBeforeTheFirstCharacterThatDoesNotFitWhole) {
  InsertRules rules;
  Insertion one_byte_left = FilterInsertion(u"中"_s, rules, 1);
  EXPECT_TRUE(one_byte_left.text.isEmpty());
  EXPECT_TRUE(one_byte_left.refused);
  Insertion fits = FilterInsertion(u"a中b"_s, rules, 3);
  EXPECT_EQ(fits.text, u"a中"_s);
  EXPECT_TRUE(fits.refused);
  Insertion unlimited = FilterInsertion(u"a中b"_s, rules, -1);
  EXPECT_EQ(unlimited.text, u"a中b"_s);
  EXPECT_FALSE(unlimited.refused);
}

TEST(QtText, CharactersGbkLacksAreDroppedAndTheRestKept) {
  InsertRules rules;
  Insertion in = FilterInsertion(u"站😀点한"_s, rules, -1);
  EXPECT_EQ(in.text, u"站点"_s);
  EXPECT_TRUE(in.refused);
  // Dropped characters take no room: the limit applies to what is kept.
  Insertion tight = FilterInsertion(u"😀😀ab"_s, rules, 2);
  EXPECT_EQ(tight.text, u"ab"_s);
}

TEST(QtText, LineBreaksCaseAndAcceptedCharacters) {
  InsertRules single;
  EXPECT_EQ(FilterInsertion(u"first\r\nsecond"_s, single, -1).text, u"first"_s);
  InsertRules multi;
  multi.multi_line = true;
  EXPECT_EQ(FilterInsertion(u"a\r\nb\rc\nd"_s, multi, -1).text, u"a\nb\nc\nd"_s);
  Insertion no_room_for_break = FilterInsertion(u"a\nb"_s, multi, 2);
  EXPECT_EQ(no_room_for_break.text, u"a"_s);
  EXPECT_TRUE(no_room_for_break.refused);

  InsertRules upper;
  upper.case_mode = 2;
  EXPECT_EQ(FilterInsertion(u"abc中"_s, upper, -1).text, u"ABC中"_s);
  InsertRules digits;
  digits.accepts = [](char32_t c) { return c == U'-' || (c >= U'0' && c <= U'9'); };
  Insertion number = FilterInsertion(u"-12a3"_s, digits, -1);
  EXPECT_EQ(number.text, u"-123"_s);
  EXPECT_TRUE(number.refused);
}

}  // namespace
}  // namespace platform::qt
