#include <gtest/gtest.h>

#include <cstring>

#include "commands/system.h"
#include "platform/sim/sim_host.h"
#include "runtime/memory.h"
#include "runtime/state.h"
#include "tests/commands/call.h"

namespace commands {
namespace {

using platform::BoxAnswer;
using namespace testing;  // Call, Result and the value makers (tests/commands/call.h)

std::int32_t Box(platform::sim::ScopedSimHost& host, std::vector<rt::Value> args, BoxAnswer answer) {
  host->QueueAnswer(answer);
  return Result(Call(MessageBox, std::move(args)))->as_int();
}

TEST(MessageBox, MapsButtonsToResults) {
  platform::sim::ScopedSimHost host;
  EXPECT_EQ(Box(host, {Txt("删除吗？"), rt::Value::Int(4)}, BoxAnswer::kYes), 5);
  EXPECT_EQ(Box(host, {Txt("删除吗？"), rt::Value::Int(4)}, BoxAnswer::kNo), 6);
  EXPECT_EQ(Box(host, {Txt("x"), rt::Value::Int(1)}, BoxAnswer::kCancel), 1);
  EXPECT_EQ(Box(host, {Txt("x"), rt::Value::Int(1)}, BoxAnswer::kOk), 0);
  EXPECT_EQ(Box(host, {Txt("x"), rt::Value::Int(2)}, BoxAnswer::kAbort), 2);
  EXPECT_EQ(Box(host, {Txt("x"), rt::Value::Int(2)}, BoxAnswer::kRetry), 3);
  EXPECT_EQ(Box(host, {Txt("x"), rt::Value::Int(2)}, BoxAnswer::kIgnore), 4);
  EXPECT_EQ(Box(host, {Txt("x"), rt::Value::Int(0)}, static_cast<BoxAnswer>(0)), 0);  // the box failed
}

TEST(MessageBox, FormatsTheMessageAndAddsTaskModal) {
  platform::sim::ScopedSimHost host;
  Result(Call(MessageBox, {rt::Value::Int(12), rt::Value::Int(0)}));
  Result(Call(MessageBox, {rt::Value::Bool(true), rt::Value::Int(0x1000), Txt("标题")}));
  Result(Call(MessageBox, {rt::Value::DateTime(45356.375), rt::Value::Int(0x140)}));
  Result(Call(MessageBox, {rt::Value::Pointer(nullptr, rt::type::kBytes), rt::Value::Int(0), Txt("")}));
  Result(Call(MessageBox, {rt::Value::Double(0.1), rt::Value::Int(0), Omitted()}));
  const auto& boxes = host->boxes();
  ASSERT_EQ(boxes.size(), 5u);
  EXPECT_EQ(boxes[0].text, "12");
  EXPECT_EQ(boxes[0].caption, "信息：");
  EXPECT_EQ(boxes[0].flags, 0x2000u);
  EXPECT_EQ(boxes[1].text, "真");
  EXPECT_EQ(boxes[1].caption, "标题");
  EXPECT_EQ(boxes[1].flags, 0x1000u);  // system-modal stays as it is
  EXPECT_EQ(boxes[2].text, "2024年3月5日9时");
  EXPECT_EQ(boxes[2].flags, 0x2140u);
  EXPECT_EQ(boxes[3].text, "");
  EXPECT_EQ(boxes[3].caption, "");  // a caption given empty stays empty
  EXPECT_EQ(boxes[4].text, "0.1");
  EXPECT_EQ(boxes[4].caption, "信息：");
}

std::uintptr_t FakeWindowHandle(std::uint32_t window, std::uint32_t unit) {
  return window == 0x52010001 && unit == 0x06010001 ? 0xABCD : 0;
}

TEST(MessageBox, OwnerFromTheFourthArgument) {
  platform::sim::ScopedSimHost host;
  auto saved = rt::State().windows.window_handle;
  rt::State().windows.window_handle = FakeWindowHandle;
  Result(Call(MessageBox, {Txt("a"), rt::Value::Int(0), Omitted(), rt::Value{0x52010001, 0x06010001, rt::type::kWindow}}));
  Result(Call(MessageBox, {Txt("b"), rt::Value::Int(0), Omitted(), rt::Value{0x52010099, 0x06010099, rt::type::kWindow}}));
  Result(Call(MessageBox, {Txt("c"), rt::Value::Int(0), Omitted(), rt::Value::Int(0x1234)}));
  Result(Call(MessageBox, {Txt("d"), rt::Value::Int(0), Omitted()}));
  rt::State().windows.window_handle = saved;
  const auto& boxes = host->boxes();
  ASSERT_EQ(boxes.size(), 4u);
  EXPECT_EQ(boxes[0].owner, 0xABCDu);
  EXPECT_EQ(boxes[1].owner, 0u);  // not loaded: no owner
  EXPECT_EQ(boxes[2].owner, 0x1234u);
  EXPECT_EQ(boxes[3].owner, 0u);
}

// An InputBox call with a by-reference variable of the given type.
template <typename T>
bool AskInto(T* variable, rt::TypeCode type, std::vector<rt::Value> before, rt::Value mode = Omitted()) {
  before.resize(3);
  before.push_back(rt::Value::Pointer(variable, type));
  before.push_back(mode);
  return Result(Call(InputBox, std::move(before)))->lo != 0;
}

TEST(InputBox, LayoutCaptionAndModes) {
  platform::sim::ScopedSimHost host;
  char* text = nullptr;
  AskInto(&text, rt::type::kText, {Txt("输入新的数据库密码")});
  AskInto(&text, rt::type::kText, {Omitted(), Txt("标题"), Txt("初值")}, rt::Value::Int(4));
  AskInto(&text, rt::type::kText, {Txt(""), Txt("")}, rt::Value::Int(0));
  AskInto(&text, rt::type::kText, {}, rt::Value::Int(9));
  const auto& shown = host->input_boxes();
  ASSERT_EQ(shown.size(), 4u);
  EXPECT_TRUE(shown[0].with_prompt());
  EXPECT_EQ(shown[0].prompt, "输入新的数据库密码");
  EXPECT_EQ(shown[0].caption, "请输入：");
  EXPECT_EQ(shown[0].mode, 1);
  EXPECT_FALSE(shown[0].masked());
  EXPECT_FALSE(shown[1].with_prompt());
  EXPECT_EQ(shown[1].caption, "标题");
  EXPECT_EQ(shown[1].initial, "初值");
  EXPECT_TRUE(shown[1].masked());
  EXPECT_FALSE(shown[2].with_prompt());
  EXPECT_EQ(shown[2].caption, "请输入：");
  EXPECT_EQ(shown[2].mode, 1);
  EXPECT_EQ(shown[3].mode, 4);
  EXPECT_EQ(text, nullptr);  // every box was cancelled
}

// A program whose input boxes take a database password declares so: they
// then ask the desktop for a box without an input method.
TEST(InputBox, InputBoxesOfAProgramTakingSecretsHaveNoInputMethod) {
  platform::sim::ScopedSimHost host;
  char* text = nullptr;
  AskInto(&text, rt::type::kText, {Txt("输入新的数据库密码")});
  static rt::ProgramHeader header;
  header.secret_input_boxes = true;
  rt::State().header = &header;
  AskInto(&text, rt::type::kText, {Txt("输入新的数据库密码")});
  rt::State().header = nullptr;
  ASSERT_EQ(host->input_boxes().size(), 2u);
  EXPECT_TRUE(host->input_boxes()[0].input_method);
  EXPECT_FALSE(host->input_boxes()[1].input_method);
}

TEST(InputBox, ModeFiltersTakeSingleCharacters) {
  platform::sim::ScopedSimHost host;
  auto typed = [&](int mode, const char* keys, const char* initial = "") {
    host->QueueInputBox(std::string(keys));
    char* text = nullptr;
    EXPECT_TRUE(AskInto(&text, rt::type::kText, {Txt("p"), Omitted(), Txt(initial)}, rt::Value::Int(mode)));
    rt::OwnedText owned(text);
    return owned ? std::string(owned.get()) : std::string("<null>");
  };
  EXPECT_EQ(typed(2, "12ab-3.4\b"), "12-3");
  EXPECT_EQ(typed(2, "--1-"), "--1-");  // the place of "-" is not checked
  EXPECT_EQ(typed(2, "\xA3\xB1" "7"), "7");  // full-width digits are no digits
  EXPECT_EQ(typed(3, "1.5e3..x"), "1.53..");
  EXPECT_EQ(typed(1, "ab\xB0\xA1" "\b" "c"), "abc");
  EXPECT_EQ(typed(4, "pa ss"), "pa ss");
  // The initial text starts selected: typing replaces it, Backspace clears it.
  EXPECT_EQ(typed(1, "x", "old"), "x");
  EXPECT_EQ(typed(1, "\b", "old"), "<null>");
  EXPECT_EQ(typed(1, "", "old"), "old");
  EXPECT_EQ(typed(2, "a", "old"), "old");  // a refused key leaves the selection
}

TEST(InputBox, StoresIntoEachVariableType) {
  platform::sim::ScopedSimHost host;
  std::int32_t i = -1;
  host->QueueInputBox(std::string("42abc"));
  EXPECT_TRUE(AskInto(&i, rt::type::kInt, {}));
  EXPECT_EQ(i, 42);

  std::uint8_t b = 0;
  host->QueueInputBox(std::string("300"));
  AskInto(&b, rt::type::kByte, {});
  EXPECT_EQ(b, 44);

  std::int16_t s = 0;
  host->QueueInputBox(std::string(" -7"));
  AskInto(&s, rt::type::kShort, {});
  EXPECT_EQ(s, -7);

  std::int64_t l = 0;
  host->QueueInputBox(std::string("9000000000"));
  AskInto(&l, rt::type::kInt64, {});
  EXPECT_EQ(l, 9000000000LL);

  float f = 0;
  host->QueueInputBox(std::string("2.5kg"));
  AskInto(&f, rt::type::kFloat, {});
  EXPECT_EQ(f, 2.5f);

  double d = 7;
  host->QueueInputBox(std::string("abc"));
  AskInto(&d, rt::type::kDouble, {});
  EXPECT_EQ(d, 0.0);

  // Integer parsing does not map full-width digits (ToInt does).
  host->QueueInputBox(std::string("\xA3\xB1"));
  i = 5;
  AskInto(&i, rt::type::kInt, {});
  EXPECT_EQ(i, 0);

  std::uint32_t flag = 77;
  host->QueueInputBox(std::string("1"));
  EXPECT_TRUE(AskInto(&flag, rt::type::kBool, {}));
  EXPECT_EQ(flag, 77u);  // other variable types are left alone
}

TEST(InputBox, TextVariableOwnershipAndCancel) {
  platform::sim::ScopedSimHost host;
  char* text = rt::CopyText("旧值");
  host->QueueInputBox(std::string("新值"));
  EXPECT_TRUE(AskInto(&text, rt::type::kText, {}));  // the old block is freed (LeakSanitizer watches)
  EXPECT_STREQ(text, "新值");

  host->QueueInputBox(std::nullopt);
  EXPECT_FALSE(AskInto(&text, rt::type::kText, {}));
  EXPECT_STREQ(text, "新值");

  host->QueueInputBox(std::string(""));
  EXPECT_TRUE(AskInto(&text, rt::type::kText, {}));
  EXPECT_EQ(text, nullptr);

  std::int32_t i = 9;
  host->QueueInputBox(std::nullopt);
  EXPECT_FALSE(AskInto(&i, rt::type::kInt, {}));
  EXPECT_EQ(i, 9);
}

}  // namespace
}  // namespace commands
