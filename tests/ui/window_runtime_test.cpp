#include <gtest/gtest.h>

#include "tests/ui/sample_forms.h"

namespace ui {
namespace {

using namespace testing_forms;


TEST_F(WindowRuntimeTest, LoadRaisesCreatedFirstThenMovedAndResized) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  EXPECT_EQ(g_log, (std::vector<std::string>{"created", "moved", "resized"}))
      << "the edit box's content notices while building reach no handler";
  const platform::sim::SimWindow* list = desktop_->Find(Handle(kMain, kList));
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(list->control_id, 110) << "units are created from the last record down: ids 100, 110, ...";
  EXPECT_EQ(desktop_->Find(Handle(kMain, kEdit))->control_id, 130);
  EXPECT_TRUE(desktop_->Find(Handle(kMain, 0))->visible);
  EXPECT_EQ(desktop_->focus(), Handle(kMain, kEdit)) << "the first tab stop takes the focus";
  EXPECT_EQ(list->list.columns().size(), 2u);
  // Units lie in table order among their siblings.
  const auto& children = desktop_->Find(Handle(kMain, 0))->children;
  ASSERT_EQ(children.size(), 4u);
  EXPECT_EQ(children[0], Handle(kMain, kEdit));
  EXPECT_EQ(children[2], Handle(kMain, kList));
  // A second load activates the loaded window instead.
  EXPECT_TRUE(LoadWindow(kMain, nullptr, false));
  EXPECT_EQ(g_log.size(), 3u);
}

TEST_F(WindowRuntimeTest, CreatedHandlerDestroyingItsWindowEndsTheLoad) {
  g_destroy_in_created = true;
  EXPECT_TRUE(LoadWindow(kMain, nullptr, false));
  EXPECT_EQ(g_log, (std::vector<std::string>{"created", "destroying"}));
  EXPECT_EQ(Registry().FindLoaded(kMain), nullptr);
  EXPECT_TRUE(desktop_->Frames().empty()) << "nothing is shown";
}

TEST_F(WindowRuntimeTest, CommonPropertiesClampAndReadBackFromTheTemplate) {
  EXPECT_EQ(Int(kMain, kEdit, 2), 100) << "a window that is not loaded reads the template";
  ASSERT_TRUE(LoadStartWindow(kMain));
  WriteProperty(kMain, kOk, 3, -1, 40000, 0);
  EXPECT_EQ(Int(kMain, kOk, 3), 32627);
  WriteProperty(kMain, kOk, 3, -1, static_cast<std::uint32_t>(-5), 0);
  EXPECT_EQ(Int(kMain, kOk, 3), 0);
  WriteProperty(kMain, kOk, 0, -1, static_cast<std::uint32_t>(-40000), 0);
  EXPECT_EQ(Int(kMain, kOk, 0), -32627);
  // The simulated default font: 12-pixel characters on a 15-pixel line, and two 2-pixel edges.
  EXPECT_EQ(Int(kMain, kEdit, 3), 19) << "a single-line box is at least one line and two edges tall";
  // Unknown units: no effect, zero result.
  WriteProperty(kMain, 0x16999999, 3, -1, 5, 0);
  EXPECT_EQ(ReadProperty(kMain, 0x16999999, 3, -1).type, 0u);
  // List view: view type 7 -> 3, -1 -> 0 (re-created each time).
  WriteProperty(kMain, kList, 13, -1, 7, 0);
  EXPECT_EQ(Int(kMain, kList, 13), 3);
  WriteProperty(kMain, kList, 13, -1, static_cast<std::uint32_t>(-1), 0);
  EXPECT_EQ(Int(kMain, kList, 13), 0);
  // The edit box's content: one change event per write, even with the same text.
  g_log.clear();
  rt::Value text = rt::Value::Text("abc");
  WriteProperty(kMain, kEdit, 8, -1, text.lo, text.hi);
  WriteProperty(kMain, kEdit, 8, -1, text.lo, text.hi);
  EXPECT_EQ(g_log, (std::vector<std::string>{"changed", "changed"}));
  rt::Value read = ReadProperty(kMain, kEdit, 8, -1);
  EXPECT_STREQ(read.text(), "abc");
  rt::FreeValue(read);
  // After destroying, the stored template is back.
  DestroyUnit(kMain, 0, true);
  EXPECT_EQ(Int(kMain, kOk, 3), 24);
}

TEST_F(WindowRuntimeTest, ListViewCommandsAndCurrentRow) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  rt::Value list{kMain, kList, rt::type::kListView};
  rt::Value result;
  rt::Value insert_args[1] = {list};
  InsertItem(&result, 1, insert_args);
  EXPECT_EQ(result.as_int(), 0);
  InsertItem(&result, 1, insert_args);
  EXPECT_EQ(result.as_int(), 1);
  std::string long_text(600, 'x');
  rt::Value set_args[4] = {list, rt::Value::Int(1), rt::Value::Int(1), rt::Value::Text(long_text.c_str())};
  SetItemText(&result, 4, set_args);
  rt::Value get_args[3] = {list, rt::Value::Int(1), rt::Value::Int(1)};
  rt::Value text;
  GetItemText(&text, 3, get_args);
  ASSERT_NE(text.text(), nullptr);
  EXPECT_EQ(std::string(text.text()), long_text) << "the buffer grows past 512 bytes";
  rt::FreeValue(text);
  rt::Value missing_args[3] = {list, rt::Value::Int(7), rt::Value::Int(0)};
  GetItemText(&text, 3, missing_args);
  EXPECT_EQ(text.text(), nullptr);

  EXPECT_EQ(Int(kMain, kList, 35), -1);
  WriteProperty(kMain, kList, 35, -1, 1, 0);
  EXPECT_EQ(Int(kMain, kList, 35), 1);
  WriteProperty(kMain, kList, 35, -1, static_cast<std::uint32_t>(-5), 0);
  EXPECT_EQ(Int(kMain, kList, 35), -1) << "-5 acts as -1";
  WriteProperty(kMain, kList, 35, -1, 0, 0);
  rt::Value delete_args[2] = {list, rt::Value::Int(0)};
  DeleteItem(&result, 2, delete_args);
  EXPECT_EQ(Int(kMain, kList, 35), -1) << "deleting the selected row leaves none selected";
  DeleteAllItems(&result, 1, insert_args);
  EXPECT_EQ(desktop_->ListRowCount(Handle(kMain, kList)), 0);
}

TEST_F(WindowRuntimeTest, MenuBarSkipsHiddenItemsAndPopupShowsSubItems) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  const auto* bar = desktop_->menu_bar(desktop_->Find(Handle(kMain, 0))->menu);
  EXPECT_TRUE(bar == nullptr || bar->empty()) << "a hidden level-0 item gives no menu bar entry";
  // Right click: the popup of the hidden item shows its visible sub-items.
  std::vector<platform::MenuEntry> seen;
  desktop_->Then([&] { desktop_->input().RightClick(Handle(kMain, kList)); });
  desktop_->Then([&] {
    seen = *desktop_->open_popup();
    desktop_->input().ChoosePopup(seen[2].command);
  });
  desktop_->Then([&] { desktop_->input().CloseActive(); });
  RunMessageLoop();
  ASSERT_EQ(seen.size(), 3u);
  EXPECT_EQ(seen[0].command, 20001);
  EXPECT_EQ(seen[1].caption, "-");
  EXPECT_EQ(seen[2].command, 20003);
  EXPECT_EQ(desktop_->last_popup_x(), 403) << "at the mouse position plus 3";
  EXPECT_EQ(g_log, (std::vector<std::string>{"created", "moved", "resized", "rclick", "menu3", "query", "destroying"}));
}

TEST_F(WindowRuntimeTest, KeyboardEnterClicksDefaultButtonEscClosesAndQuitEndsLoop) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  g_log.clear();
  desktop_->Then([&] { desktop_->input().PressKey(platform::key::kEnter); });
  desktop_->Then([&] { desktop_->input().PressKey(platform::key::kTab); });
  desktop_->Then([&] {
    EXPECT_EQ(desktop_->focus(), Handle(kMain, kOk));
    desktop_->input().PressKey(platform::key::kTab | platform::key::kShift);
  });
  desktop_->Then([&] {
    EXPECT_EQ(desktop_->focus(), Handle(kMain, kEdit));
    desktop_->input().PressKey(platform::key::kEscape);
  });
  RunMessageLoop();  // returns: the last window was closed
  EXPECT_EQ(g_log, (std::vector<std::string>{"ok", "query", "destroying"}));
  EXPECT_TRUE(Registry().loaded.empty());
}

TEST_F(WindowRuntimeTest, ModalWindowDisablesOthersAndReenablesThem) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  platform::WindowHandle main = Handle(kMain, 0);
  bool disabled_while_modal = false;
  int dialog_left = 0;
  desktop_->Then([&] { desktop_->input().Click(FindUnitWindow("按钮_对话框")); });
  desktop_->Then([&] {
    disabled_while_modal = !desktop_->IsEnabled(main);
    dialog_left = Int(kDialog, 0, 0);
    EXPECT_THROW(desktop_->input().Click(FindUnitWindow("按钮_确定")), platform::sim::ActionRefused);
    desktop_->input().Click(FindUnitWindow("按钮_关闭"));
  });
  desktop_->Then([&] {
    EXPECT_TRUE(desktop_->IsEnabled(main));
    desktop_->input().CloseActive();
  });
  RunMessageLoop();
  EXPECT_TRUE(disabled_while_modal);
  EXPECT_EQ(dialog_left, (1024 - 200) / 2) << "position 1 centres the window";
  EXPECT_NE(std::find(g_log.begin(), g_log.end(), "dialog closed"), g_log.end());
}

TEST_F(WindowRuntimeTest, ScriptDrivesTheProgramFromStartToExit) {
  scenario::SimScriptedUser user(reinterpret_cast<const char*>(
      u8"# a complete session\n"
      u8"expect window 主窗口\n"
      u8"type 编辑框_帐号 ABC\\sdef\n"
      u8"expect prop 编辑框_帐号 8 ABC def\n"
      u8"click 按钮_确定\n"
      u8"select 超级列表框1 -1\n"
      u8"rclick 超级列表框1\n"
      u8"menu 复制账号\n"
      u8"expect rows 超级列表框1 0\n"
      u8"close\n"
      u8"expect exit 0\n"));
  desktop_->set_person(&user);
  ASSERT_TRUE(LoadStartWindow(kMain));
  RunMessageLoop();
  user.Finish(*desktop_, 0);
  EXPECT_TRUE(user.finished());
  EXPECT_EQ(g_log, (std::vector<std::string>{"created", "moved", "resized", "changed", "ok", "rclick", "menu1",
                                             "query", "destroying"}));
  desktop_->set_person(nullptr);
}

TEST_F(WindowRuntimeTest, ScriptRunningOutWhileTheProgramWaitsFailsWithTheScreen) {
  scenario::SimScriptedUser user(reinterpret_cast<const char*>(u8"click 按钮_确定\n"));
  desktop_->set_person(&user);
  ASSERT_TRUE(LoadStartWindow(kMain));
  try {
    RunMessageLoop();
    FAIL() << "the loop returned";
  } catch (const scenario::ScriptFailure& failure) {
    EXPECT_EQ(failure.line, 2) << failure.what();
    EXPECT_NE(std::string(failure.what()).find(reinterpret_cast<const char*>(u8"window \"主窗口\" (active)")), std::string::npos) << failure.what();
  }
  desktop_->set_person(nullptr);
}


void StartRoutine() {
  const rt::ServiceTable& services = rt::Services();
  services.ServiceHelp(rt::help::kStartUp, 0, 0, 0, 0);
  services.LoadStartWindow(kMain);
  services.RunMessageLoop();
}

TEST_F(WindowRuntimeTest, ProgramRunsFromStartUpToExitUnderAScript) {
  // The whole program: header, start-up through the service table, the
  // start window, the loop, and the exit when the last window closes.
  rt::ResetRuntime();
  ResetRegistry();
  rt::ProgramHeader header;
  header.code_base = kHandlers;
  header.handler_count = sizeof kHandlers / sizeof kHandlers[0];
  header.template_data = bytes_.data();
  header.template_data_length = static_cast<std::uint32_t>(bytes_.size());
  scenario::SimScriptedUser user(reinterpret_cast<const char*>(
      u8"expect window 主窗口\n"
      u8"click 按钮_对话框\n"
      u8"expect window 对话框\n"
      u8"click 按钮_确定\n"));
  desktop_->set_person(&user);
  std::string failure;
  try {
    rt::RunProgram(header, StartRoutine);
  } catch (const scenario::ScriptFailure& error) {
    failure = error.what();
  } catch (const platform::ProcessExit&) {
  }
  EXPECT_NE(failure.find("line 4"), std::string::npos) << "the main window is disabled under the modal one: " << failure;
  EXPECT_NE(failure.find("disabled"), std::string::npos) << failure;
  desktop_->set_person(nullptr);
  ResetRegistry();
  rt::ResetRuntime();

  scenario::SimScriptedUser second(reinterpret_cast<const char*>(
      u8"click 按钮_对话框\n"
      u8"key Esc\n"
      u8"expect window 主窗口\n"
      u8"type 编辑框_帐号 x\n"
      u8"close\n"
      u8"expect exit 0\n"));
  desktop_->set_person(&second);
  g_log.clear();
  int code = -100;
  try {
    rt::RunProgram(header, StartRoutine);
  } catch (const platform::ProcessExit& exit) {
    code = exit.code;
  }
  EXPECT_EQ(code, 0);
  second.Finish(*desktop_, code);
  EXPECT_TRUE(second.finished());
  EXPECT_EQ(g_log, (std::vector<std::string>{"created", "moved", "resized", "dialog closed", "changed", "query",
                                             "destroying"}));
  desktop_->set_person(nullptr);
}

}  // namespace
}  // namespace ui
