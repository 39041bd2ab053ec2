#include <gtest/gtest.h>

#include <vector>

#ifdef _WIN32
#include <objbase.h>
#endif

#include "platform/sim/sim_host.h"
#include "platform/system.h"
#include "runtime/errors.h"
#include "runtime/exit.h"
#include "runtime/helpers.h"
#include "runtime/services.h"
#include "runtime/state.h"

namespace rt {
namespace {

std::vector<int>& Calls() {
  static std::vector<int> calls;
  return calls;
}
void First() { Calls().push_back(1); }
void Second() { Calls().push_back(2); }

class ExitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetRuntime();
    Calls().clear();
  }
  void TearDown() override { ResetRuntime(); }
  platform::sim::ScopedSimHost host_;
};

int ExitCodeOf(void (*action)()) {
  try {
    action();
  } catch (const platform::ProcessExit& exit) {
    return exit.code;
  }
  ADD_FAILURE() << "the action returned instead of ending the program";
  return 0;
}

TEST_F(ExitTest, ExitRunsEachHandlerOnceInRegistrationOrder) {
  RegisterExitHandler(First);
  RegisterExitHandler(Second);
  RegisterExitHandler(First);  // a duplicate is ignored
  EXPECT_EQ(ExitCodeOf([] { ExitProgram(7); }), 7);
  EXPECT_EQ(Calls(), (std::vector<int>{1, 2}));
  EXPECT_TRUE(State().exit_handlers.empty());
  EXPECT_GE(State().event_block_counter, 1u);
}

TEST_F(ExitTest, ReportErrorShowsTheExactReportAndSkipsExitHandlers) {
  RegisterExitHandler(First);
  EXPECT_EQ(ExitCodeOf([] { ReportError(5); }), -1);
  EXPECT_TRUE(Calls().empty());
  ASSERT_EQ(host_->boxes().size(), 1u);
  const platform::sim::ShownBox& box = host_->boxes()[0];
  EXPECT_EQ(box.text, "运行时出错!\r\n\r\n错误代码：5\r\n\r\n错误信息：数据或数组类型不匹配\r\n");
  EXPECT_EQ(box.caption, "错误");
  EXPECT_EQ(box.flags, platform::mb::kOk | platform::mb::kIconStop);
  EXPECT_EQ(box.owner, 0u);
}

TEST_F(ExitTest, CodeZeroReportHasNoCodeLine) {
  EXPECT_EQ(ExitCodeOf([] { RuntimeError("分配 10 字节内存失败!", 0); }), -1);
  ASSERT_EQ(host_->boxes().size(), 1u);
  EXPECT_EQ(host_->boxes()[0].text, "运行时出错!\r\n\r\n错误信息：分配 10 字节内存失败!\r\n");
  EXPECT_EQ(FormatRuntimeErrorReport("", 0), "运行时出错!\r\n\r\n");
}

TEST_F(ExitTest, EveryTableMessageIsDistinctAndOutOfRangeCodesAreEmpty) {
  for (int code = 1; code <= 11; ++code) EXPECT_STRNE(RuntimeErrorMessage(code), "") << code;
  EXPECT_STREQ(RuntimeErrorMessage(0), "");
  EXPECT_STREQ(RuntimeErrorMessage(12), "");
  EXPECT_STREQ(RuntimeErrorMessage(11), "所提供参数的数据类型不符合要求");
}

TEST_F(ExitTest, ConditionOnNonBoolIsARuntimeError) {
  EXPECT_EQ(ExitCodeOf([] { EvaluateCondition(Value::Int(1)); }), -1);
  ASSERT_EQ(host_->boxes().size(), 1u);
  EXPECT_NE(host_->boxes()[0].text.find("用作进行条件判断的子语句参数只能接受逻辑型数据"), std::string::npos);
}

void NoResult(Value*, std::int32_t, Value*) {}
void EchoCount(Value* result, std::int32_t argc, Value* argv) {
  *result = Value::Int(argc);
  if (argc > 0 && argv[0].omitted()) result->hi = 1;
}

TEST_F(ExitTest, CommandCallsZeroTheResultAndIgnoreTheLibraryIndex) {
  Value r = Services().CallCoreCommand(NoResult, 0, nullptr);
  EXPECT_EQ(r.lo, 0u);
  EXPECT_EQ(r.hi, 0u);
  EXPECT_EQ(r.type, 0u);
  Value args[1]{};
  for (int library : {0, 1, 4, 99}) {
    Value via = Services().CallLibraryCommand(library, EchoCount, 1, args);
    EXPECT_EQ(via.as_int(), 1);
    EXPECT_EQ(via.hi, 1u);
  }
}

TEST_F(ExitTest, RequestsServeNumbersMemoryAndFolders) {
  Value b{0x1FF, 0, type::kByte};
  EXPECT_EQ(Request(2001, reinterpret_cast<std::intptr_t>(&b), 0), 0xFF);
  Value s{0xFFFE, 0, type::kShort};
  EXPECT_EQ(Request(2001, reinterpret_cast<std::intptr_t>(&s), 0), -2);
  Value d = Value::Double(-3.9);
  EXPECT_EQ(Request(2001, reinterpret_cast<std::intptr_t>(&d), 0), -3);
  Value text = Value::Text("1");
  EXPECT_EQ(ExitCodeOf([] {
              static Value t = Value::Text("1");
              Request(2001, reinterpret_cast<std::intptr_t>(&t), 0);
            }),
            -1);
  (void)text;
  void* p = reinterpret_cast<void*>(Request(2024, 32, 0));
  ASSERT_NE(p, nullptr);
  p = reinterpret_cast<void*>(Request(2026, reinterpret_cast<std::intptr_t>(p), 64));
  Request(2025, reinterpret_cast<std::intptr_t>(p), 0);
}

void StartRoutine() {
  Services().ServiceHelp(help::kStartUp, 0, 0, 0, 0);
  Services().ServiceHelp(help::kRegisterExitHandler, reinterpret_cast<std::intptr_t>(&First), 0, 0, 0);
}

TEST_F(ExitTest, StartUpInitialisesOleOnceAndTheExitUndoesIt) {
  static ProgramHeader header;
  int code = ExitCodeOf([] {
    StartUp(header);
    StartUp(header);  // once only
    ExitProgram(0);
  });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(host_->ole_depth(), 0);
  ResetRuntime();
  StartUp(header);
  EXPECT_EQ(host_->ole_depth(), 1);
  // A runtime error skips the exit handlers, not the release of OLE.
  EXPECT_EQ(ExitCodeOf([] { ReportError(5); }), -1);
  EXPECT_EQ(host_->ole_depth(), 0);
}

TEST_F(ExitTest, StartUpSetsTheProgramFolderAndANormalEndRunsHandlers) {
  static ProgramHeader header;
  int code = ExitCodeOf([] { RunProgram(header, StartRoutine); });
  EXPECT_EQ(code, 0);
  EXPECT_EQ(Calls(), std::vector<int>{1});
  EXPECT_FALSE(State().program_folder.empty());
  EXPECT_FALSE(State().program_file.empty());
  EXPECT_EQ(State().runtime_version, 0x1015Bu);
}

TEST_F(ExitTest, LoadStartWindowWithoutAWindowRuntimeIsARuntimeError) {
  EXPECT_EQ(ExitCodeOf([] { Services().LoadStartWindow(0x52000001); }), -1);
  EXPECT_NE(host_->boxes()[0].text.find("载入启动窗口失败"), std::string::npos);
}

#ifndef _WIN32
// On the native host the process really ends: exit code -1 (255) and the
// report on standard error in UTF-8.
TEST(RuntimeErrorDeathTest, EndsTheProcessWithMinusOne) {
  GTEST_FLAG_SET(death_test_style, "threadsafe");
  EXPECT_EXIT(ReportError(5), ::testing::ExitedWithCode(255),
              reinterpret_cast<const char*>(u8"运行时出错!"));
  EXPECT_EXIT(ExitProgram(3), ::testing::ExitedWithCode(3), "");
}
#endif

#ifdef _WIN32
// On Windows the native host initialises OLE for real: COM is there on the
// interface thread after start-up (a second initialisation says so with
// S_FALSE) and gone after the exit steps.
TEST(StartUpOnWindows, OleIsInitialisedForTheInterfaceThread) {
  ResetRuntime();
  const std::string folder = platform::CurrentDirectory();
  static ProgramHeader header;
  StartUp(header);
  platform::ChangeDirectory(folder);
  HRESULT again = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EXPECT_EQ(again, S_FALSE);
  if (SUCCEEDED(again)) ::CoUninitialize();
  RunExitSteps();
  HRESULT fresh = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  EXPECT_EQ(fresh, S_OK);
  if (SUCCEEDED(fresh)) ::CoUninitialize();
  ResetRuntime();
}
#endif

}  // namespace
}  // namespace rt
