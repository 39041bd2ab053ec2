// Reading scenario scripts: the lines, their escapes, and the words that
// must be numbers, times or names; the same reading serves every desktop.
#include <gtest/gtest.h>

#include <string>

#include "platform/window_system.h"
#include "tools/scenario/script.h"

namespace scenario {
namespace {

std::string U8(const char8_t* text) { return reinterpret_cast<const char*>(text); }

int FailingLine(const std::string& script, std::string* message = nullptr) {
  try {
    ParseScript(script);
  } catch (const ScriptFailure& failure) {
    if (message != nullptr) *message = failure.what();
    return failure.line;
  }
  ADD_FAILURE() << "no script failure for " << script;
  return 0;
}

TEST(ScenarioScript, LinesWordsAndText) {
  int last = 0;
  std::vector<ScriptLine> lines = ParseScript(U8(u8"# comment\r\n\r\n  type 编辑框_帐号  two  spaces \\s\r\n"
                                                   u8"expect cell 超级列表框1 0 2 a\\tb\nclose\n# tail\n"),
                                              &last);
  EXPECT_EQ(last, 6);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].number, 3);
  EXPECT_EQ(lines[0].verb, "type");
  EXPECT_EQ(lines[0].words, std::vector<std::string>{U8(u8"编辑框_帐号")});
  EXPECT_EQ(lines[0].text, " two  spaces  ") << "TEXT keeps its blanks after the one separating space";
  EXPECT_EQ(lines[1].words, (std::vector<std::string>{"cell", U8(u8"超级列表框1"), "0", "2"}));
  EXPECT_EQ(lines[1].text, "a\tb");
  EXPECT_TRUE(IsAction(lines[0]));
  EXPECT_FALSE(IsAction(lines[1]));
  EXPECT_TRUE(IsAction(lines[2]));
  EXPECT_FALSE(NeedsNoScreen(lines[1]));
  EXPECT_TRUE(NeedsNoScreen(ParseScript("expect clipboard\n").at(0)));
  EXPECT_TRUE(NeedsNoScreen(ParseScript("wait 1\n").at(0)));
}

TEST(ScenarioScript, EscapesAndMalformedLines) {
  EXPECT_EQ(Unescape("a\\sb\\tc\\\\d\\ne\\r"), "a b\tc\\d\ne\r");
  EXPECT_EQ(Unescape("trailing\\"), "trailing\\");
  EXPECT_EQ(Unescape("\\q"), "\\q") << "an unknown escape stays as written";
  std::string message;
  EXPECT_EQ(FailingLine("# comment\n\nclick\n", &message), 3);
  EXPECT_NE(message.find("line 3: expected a script line"), std::string::npos) << message;
  EXPECT_EQ(FailingLine("expect nothing-like-this x\n"), 1);
  EXPECT_EQ(FailingLine("answer OK\nwait\n"), 2) << "a wait needs its seconds";
  EXPECT_EQ(FailingLine("select list\n"), 1);
  EXPECT_EQ(FailingLine("drag list 5\n"), 1) << "a drag needs both distances";
  EXPECT_EQ(FailingLine("expect cell list 0\n"), 1);
  EXPECT_EQ(FailingLine("expect pixel window 1 2\n"), 1);
  EXPECT_EQ(FailingLine("Click button\n"), 1) << "verbs are lower case";
}

// Both desktops read the numbers and times of a script through these, so a
// typo fails on its line instead of meaning 0 or a wrong date.
TEST(ScenarioScript, NumbersAndTimesAreReadStrictly) {
  auto line = [](const std::string& text) { return ParseScript(text).at(0); };
  EXPECT_EQ(WholeNumberOf(line("select list -1"), 1), -1);
  for (const char* bad : {"select list 1x", "select list 0x10", "select list 99999999999", "select list +"})
    EXPECT_THROW(WholeNumberOf(line(bad), 1), ScriptFailure) << bad;
  EXPECT_EQ(DistanceOf(line("drag list -10000 5"), 1), -10000);
  EXPECT_EQ(DistanceOf(line("drag list -10000 5"), 2), 5);
  for (const char* bad : {"drag list 10001 0", "drag list -10001 0", "drag list 1.5 0", "drag list x 0"})
    EXPECT_THROW(DistanceOf(line(bad), 1), ScriptFailure) << bad;
  EXPECT_EQ(SecondsOf(line("wait 30")), 30u);
  for (const char* bad : {"wait -1", "wait +1", "wait 1.5", "wait x", "wait 4294967296"})
    EXPECT_THROW(SecondsOf(line(bad)), ScriptFailure) << bad;
  platform::LocalTime t = ClockOf(line("clock 2024-02-29 23:59:58"));
  EXPECT_EQ(t.year, 2024);
  EXPECT_EQ(t.month, 2);
  EXPECT_EQ(t.minute, 59);
  for (const char* bad : {"clock 2024-13-01 00:00:00", "clock 2024-05-06 24:00:00", "clock 2024-05-06x 00:00:00",
                          "clock 2024-05-06 07:08", "clock 2024-05-00 07:08:09"})
    EXPECT_THROW(ClockOf(line(bad)), ScriptFailure) << bad;

  std::uint32_t id = 1;
  EXPECT_TRUE(IsUnitIdName("0x16010005", &id));
  EXPECT_EQ(id, 0x16010005u);
  EXPECT_TRUE(IsUnitIdName("0X100000000", &id));
  EXPECT_EQ(id, 0u) << "more than 32 bits names no unit";
  EXPECT_FALSE(IsUnitIdName(U8(u8"编辑框_帐号"), &id));
}

// The names `answer` and `key` take are exact; the transcript writes the
// buttons with the same names.
TEST(ScenarioScript, ButtonAndKeyNames) {
  for (const char* name : {"OK", "Cancel", "Yes", "No", "Abort", "Retry", "Ignore"}) {
    std::optional<platform::BoxAnswer> button = ButtonNamed(name);
    ASSERT_TRUE(button.has_value()) << name;
    EXPECT_STREQ(ButtonName(*button), name);
  }
  EXPECT_FALSE(ButtonNamed("ok").has_value());
  EXPECT_FALSE(ButtonNamed("").has_value());
  EXPECT_EQ(KeyNamed("Shift+Tab"), platform::key::kTab | platform::key::kShift);
  EXPECT_EQ(KeyNamed("Esc"), platform::key::kEscape);
  EXPECT_FALSE(KeyNamed("Escape").has_value());
  EXPECT_FALSE(KeyNamed("tab").has_value());
  EXPECT_EQ(KeyNamed("Shift+F10"), platform::key::kF10 | platform::key::kShift);
  EXPECT_EQ(KeyNamed("Apps"), platform::key::kApps);
}

// What a person can type of a text into a box that keeps GBK: every line
// break is one Enter ("\r\n"), and the characters code page 936 lacks are
// refused, in order, while those around them go in.
TEST(ScenarioScript, TypeableTextRefusesWhatGbkLacksAndMakesEachLineBreakOneEnter) {
  // UTF-8: "a\nb\r\nc\rd站😀点가" (this file's narrow literals are GBK).
  TypedText typed = TypeableText("a\nb\r\nc\rd\xE7\xAB\x99\xF0\x9F\x98\x80\xE7\x82\xB9\xEA\xB0\x80");
  EXPECT_EQ(typed.gbk, "a\r\nb\r\nc\r\nd站点");
  ASSERT_EQ(typed.refused.size(), 2u);
  EXPECT_EQ(DescribeRefused(typed.refused), "\xF0\x9F\x98\x80 U+1F600, \xEA\xB0\x80 U+AC00");
  EXPECT_TRUE(TypeableText("").refused.empty());
}

}  // namespace
}  // namespace scenario
