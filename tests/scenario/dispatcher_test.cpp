// The dispatcher against a person that only records what it is asked: the
// order of checks and actions, the refusals it makes before a person is
// asked, waits on a real clock, and the lines left after the program ended.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/scenario/failure_of.h"
#include "tools/scenario/dispatcher.h"

namespace scenario {
namespace {

using platform::BoxAnswer;

class FakePerson final : public Person {
 public:
  std::optional<ShownMessageBox> box;
  std::optional<std::string> prompt, password_message, clipboard, address;
  std::optional<std::vector<PopupItem>> popup;
  bool clock_is_real = false;
  std::vector<std::string> done;  // what the person was asked to do

  std::optional<ShownMessageBox> OpenMessageBox() override { return box; }
  std::optional<std::string> InputBoxPrompt() override { return prompt; }
  std::optional<std::string> PasswordDialogMessage() override { return password_message; }
  std::optional<std::vector<PopupItem>> OpenPopupMenu() override { return popup; }
  std::optional<std::string> ClipboardText() override { return clipboard; }
  std::optional<std::string> LastOpenedAddress() override { return address; }
  bool IsReadOnly(platform::WindowHandle) override { return false; }
  std::optional<std::uint32_t> ColourAt(platform::WindowHandle, int, int) override { return std::nullopt; }
  std::uint32_t FaceColour() override { return 0xF0F0F0; }

  void Type(platform::WindowHandle, const std::string& text) override { done.push_back("type " + text); }
  void Click(platform::WindowHandle) override { done.push_back("click"); }
  void RightClick(platform::WindowHandle) override { done.push_back("rclick"); }
  void SelectRow(platform::WindowHandle, int row) override { done.push_back("select " + std::to_string(row)); }
  void DoubleClickRow(platform::WindowHandle, int row) override { done.push_back("dclick " + std::to_string(row)); }
  void ClickHeader(platform::WindowHandle, int column) override { done.push_back("header " + std::to_string(column)); }
  void HoverRow(platform::WindowHandle, int row) override { done.push_back("hover " + std::to_string(row)); }
  void ToggleCheck(platform::WindowHandle, int row) override { done.push_back("check " + std::to_string(row)); }
  void PressSpin(platform::WindowHandle, bool up) override { done.push_back(up ? "spin up" : "spin down"); }
  void RenameRow(platform::WindowHandle, int row, const std::string& text) override {
    done.push_back("rename " + std::to_string(row) + " " + text);
  }
  void Drag(platform::WindowHandle, int dx, int dy) override {
    done.push_back("drag " + std::to_string(dx) + " " + std::to_string(dy));
  }
  void PressKey(int key) override { done.push_back("key " + std::to_string(key)); }
  void Close(platform::WindowHandle) override { done.push_back("close"); }
  void AnswerBox(BoxAnswer answer) override { done.push_back("answer " + std::to_string(static_cast<int>(answer))); }
  void AnswerDialog(const std::optional<std::string>& typed) override { done.push_back(typed ? "input " + *typed : "cancel"); }
  void ChoosePopupItem(std::size_t index) override { done.push_back("item " + std::to_string(index)); }
  void DismissPopup() override { done.push_back("dismiss"); }
  void SetClock(const platform::LocalTime& now) override { done.push_back("clock " + std::to_string(now.year)); }
  bool PassTime(std::uint32_t seconds) override {
    done.push_back("pass " + std::to_string(seconds));
    return !clock_is_real;
  }
  bool LockSession() override {
    done.push_back("lock-session");
    return !clock_is_real;
  }
  std::optional<std::uint32_t> LongestWait() override {
    return clock_is_real ? std::optional<std::uint32_t>(600) : std::nullopt;
  }
};

TEST(Dispatcher, ChecksBeforeTheActionAndOneActionPerWait) {
  FakePerson person;
  person.box = ShownMessageBox{U8(u8"删除这条记录吗？"), U8(u8"信息："), {BoxAnswer::kYes, BoxAnswer::kNo}};
  Dispatcher script(person, U8(u8"clock 2024-01-02 03:04:05\n"
                               u8"expect box 删除这条记录吗？\n"
                               u8"expect box-caption 信息：\n"
                               u8"answer No\n"
                               u8"clock 2025-01-02 03:04:05\n"
                               u8"expect password-retry 2\n"
                               u8"input 密码 1\n"));
  script.Start();
  EXPECT_EQ(person.done, std::vector<std::string>{"clock 2024"}) << "only the clock lines at the top";
  const ScriptLine* acted = script.Act(Wait::kMessageBox);
  ASSERT_NE(acted, nullptr);
  EXPECT_EQ(acted->number, 4);
  EXPECT_EQ(person.done.back(), "answer 7");
  person.box.reset();
  person.password_message = U8(u8"密码错误，您还有 2 次重新输入的机会。");
  acted = script.Act(Wait::kPasswordDialog);
  ASSERT_NE(acted, nullptr);
  EXPECT_EQ(person.done, (std::vector<std::string>{"clock 2024", "answer 7", "clock 2025", U8(u8"input 密码 1")}));
  EXPECT_TRUE(script.finished());
}

TEST(Dispatcher, RefusalsComeBeforeThePersonIsAsked) {
  FakePerson person;
  person.box = ShownMessageBox{"x", "y", {BoxAnswer::kOk}};
  {
    Dispatcher script(person, "expect box-caption y\nanswer Yes\n");
    int line = 0;
    std::string message = FailureOf([&] { script.Act(Wait::kMessageBox); }, &line);
    EXPECT_EQ(line, 2);
    EXPECT_EQ(message, "line 2: expected to \"answer Yes\", saw the box has no such button; message box \"x\" captioned \"y\"");
  }
  {
    Dispatcher script(person, "answer Maybe\n");
    EXPECT_NE(FailureOf([&] { script.Act(Wait::kMessageBox); }).find("expected a button name, saw \"Maybe\""), std::string::npos);
  }
  {
    Dispatcher script(person, "input abc\n");
    std::string message = FailureOf([&] { script.Act(Wait::kMessageBox); });
    EXPECT_NE(message.find("expected an input box or the password dialog for \"input\", saw a message box: message box"),
              std::string::npos)
        << message;
  }
  {
    Dispatcher script(person, "click somewhere\n");
    std::string message = FailureOf([&] { script.Act(Wait::kMessageBox); });
    EXPECT_NE(message.find("expected the program waiting in a window for \"click\""), std::string::npos) << message;
  }
  person.box.reset();
  {
    // With no window of the program there is nothing to close or press keys in.
    Dispatcher script(person, "close\n");
    EXPECT_EQ(FailureOf([&] { script.Act(Wait::kIdle); }), "line 1: expected to \"close\", saw no window is active; no window");
    Dispatcher keys(person, "key Enter\nkey F5\n");
    EXPECT_NE(FailureOf([&] { keys.Act(Wait::kIdle); }).find("no window is active"), std::string::npos);
    EXPECT_NE(FailureOf([&] { keys.Act(Wait::kIdle); }).find("expected Tab, Shift+Tab, Enter, Esc, Shift+F10 or Apps, saw \"F5\""),
              std::string::npos);
    Dispatcher unit(person, "type nobody x\n");
    EXPECT_EQ(FailureOf([&] { unit.Act(Wait::kIdle); }), "line 1: expected a unit named \"nobody\", saw no window");
    // A colour is six hexadecimal digits or "system", read before the unit is looked for.
    for (const char* word : {"F80", "FF80GG", "0xFF80", "System"}) {
      Dispatcher colour(person, std::string("expect pixel nobody 1 2 ") + word + "\n");
      EXPECT_EQ(FailureOf([&] { colour.Act(Wait::kIdle); }),
                std::string("line 1: expected a colour RRGGBB or system, saw \"") + word + "\"");
    }
    Dispatcher colour(person, "expect pixel nobody 1 2 ff8000\n");
    EXPECT_EQ(FailureOf([&] { colour.Act(Wait::kIdle); }), "line 1: expected a unit named \"nobody\", saw no window");
  }
  EXPECT_TRUE(person.done.empty()) << person.done.front();
}

TEST(Dispatcher, PopupItemsByCaption) {
  FakePerson person;
  person.popup = std::vector<PopupItem>{{U8(u8"复制账号"), true}, {U8(u8"复制密码"), false}, {U8(u8"复制账号"), false}};
  Dispatcher script(person, U8(u8"menu 复制密码\nmenu 复制账号\nmenu 打开网址\ncancel\n"));
  script.Act(Wait::kPopupMenu);
  EXPECT_EQ(person.done, std::vector<std::string>{"item 1"});
  std::string message = FailureOf([&] { script.Act(Wait::kPopupMenu); });
  EXPECT_NE(message.find(U8(u8"the menu item is disabled; popup menu [复制账号] [复制密码] [复制账号]")), std::string::npos)
      << "the first item of that caption is the one a person meets: " << message;
  EXPECT_NE(FailureOf([&] { script.Act(Wait::kPopupMenu); }).find("the popup menu has no such item"), std::string::npos);
  script.Act(Wait::kPopupMenu);
  EXPECT_EQ(person.done.back(), "dismiss");
}

TEST(Dispatcher, WaitsOnARealClockStopTheScriptUntilTheTimeIsUp) {
  FakePerson person;
  person.clock_is_real = true;
  person.prompt = "p";
  Dispatcher script(person, "wait 2\nexpect prompt p\ninput a\nwait 601\n");
  EXPECT_EQ(script.Act(Wait::kIdle), nullptr) << "the program runs while the time passes";
  EXPECT_EQ(person.done, std::vector<std::string>{"pass 2"});
  const ScriptLine* acted = script.Act(Wait::kInputBox);
  ASSERT_NE(acted, nullptr);
  EXPECT_EQ(acted->number, 3);
  int line = 0;
  std::string message = FailureOf([&] { script.Act(Wait::kIdle); }, &line);
  EXPECT_EQ(line, 4);
  EXPECT_NE(message.find("a wait of at most 600 seconds"), std::string::npos) << message;

  // A simulated clock passes at once and the script goes on in the same wait.
  FakePerson simulated;
  Dispatcher quick(simulated, "wait 3600\nlock-session\nanswer OK\n");
  simulated.box = ShownMessageBox{"x", "y", {BoxAnswer::kOk}};
  ASSERT_NE(quick.Act(Wait::kMessageBox), nullptr);
  EXPECT_EQ(simulated.done, (std::vector<std::string>{"pass 3600", "lock-session", "answer 1"}));

  // A session lock the program must first hear of stops the script as a
  // wait on the real clock does; after the end it is an action too late.
  Dispatcher locking(person, "lock-session\nexpect prompt p\n");
  EXPECT_EQ(locking.Act(Wait::kIdle), nullptr);
  EXPECT_EQ(person.done.back(), "lock-session");
  Dispatcher late(person, "expect exit 0\nlock-session\n");
  EXPECT_NE(FailureOf([&] { late.Finish(0); }).find("the program to be running for \"lock-session\""), std::string::npos);
}

TEST(Dispatcher, TheEndOfTheScriptAndTheEndOfTheProgram) {
  FakePerson person;
  {
    Dispatcher script(person, "# nothing to do\n");
    int line = 0;
    std::string message = FailureOf([&] { script.Act(Wait::kPasswordDialog); }, &line);
    EXPECT_EQ(line, 2);
    EXPECT_NE(message.find("saw the end of the script while the password dialog waits"), std::string::npos) << message;
  }
  {
    person.clipboard = "pw";
    person.address = "http://example.org";
    Dispatcher script(person, U8(u8"expect clipboard pw\nexpect browser http://example.org\nwait 5\n"
                                 u8"clock 2030-01-01 00:00:00\nexpect exit 255\nexpect no-file no-such-file.vdb\n"
                                 u8"wait x\n"));
    int line = 0;
    EXPECT_NE(FailureOf([&] { script.Finish(-1); }, &line).find("a number of seconds"), std::string::npos);
    EXPECT_EQ(line, 7) << "a wait after the end is still read strictly";
    EXPECT_EQ(person.done, std::vector<std::string>{"clock 2030"}) << "but nothing waits any more";
  }
  {
    Dispatcher script(person, "expect exit 0\nclick button\n");
    int line = 0;
    std::string message = FailureOf([&] { script.Finish(0); }, &line);
    EXPECT_EQ(line, 2);
    EXPECT_NE(message.find("the program to be running for \"click button\", saw it ended with exit code 0"),
              std::string::npos)
        << message;
  }
  {
    Dispatcher script(person, "expect exit 3\n");
    EXPECT_NE(FailureOf([&] { script.Finish(0); }).find("expected exit code 3, saw exit code 0"), std::string::npos);
    Dispatcher number(person, "expect exit 0x\n");
    EXPECT_NE(FailureOf([&] { number.Finish(0); }).find("expected a number"), std::string::npos);
    Dispatcher running(person, "expect exit 0\nanswer OK\n");
    EXPECT_NE(FailureOf([&] { running.Act(Wait::kMessageBox); }).find("the program to have ended"), std::string::npos);
  }
  {
    Dispatcher script(person, "expect clipboard other\n");
    EXPECT_NE(FailureOf([&] { script.Finish(0); }).find("expected clipboard \"other\", saw \"pw\""), std::string::npos);
  }
}

}  // namespace
}  // namespace scenario
