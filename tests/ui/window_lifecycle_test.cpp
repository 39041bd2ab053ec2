#include <gtest/gtest.h>

#include "runtime/errors.h"
#include "tests/ui/sample_forms.h"
#include "ui/internal.h"
#include "ui/unit.h"

namespace ui {
namespace {

using namespace testing_forms;

class LifecycleTest : public WindowRuntimeTest {
 protected:
  // Runs an action that must end the program; returns the exit code and the
  // text of the last message box shown.
  int EndsWith(const std::function<void()>& action, std::string* box) {
    try {
      action();
    } catch (const platform::ProcessExit& exit) {
      if (box != nullptr && !desktop_->boxes().empty()) *box = desktop_->boxes().back().text;
      return exit.code;
    }
    ADD_FAILURE() << "the program did not end";
    return 0;
  }
  // An exit releases every window and template: start again from scratch.
  void Fresh() {
    TearDown();
    SetUp();
  }
  void WriteText(UnitId window, UnitId unit, int property, const char* text) {
    rt::Value v = rt::Value::Text(text);
    WriteProperty(window, unit, property, -1, v.lo, v.hi);
  }
  std::string ReadText(UnitId window, UnitId unit, int property) {
    rt::Value v = ReadProperty(window, unit, property, -1);
    std::string text = v.text() == nullptr ? "" : v.text();
    rt::FreeValue(v);
    return text;
  }
};

// A handler that unwinds out of a load (as the end of the program does on
// the simulated desktop) leaves the runtime as it was: nothing counted as
// busy, so destroyed objects are still freed; events not held back; and no
// event source or notice of a handler that is gone.
TEST_F(LifecycleTest, AHandlerUnwindingOutOfALoadLeavesNothingHeld) {
  g_throw_in_created = true;
  EXPECT_THROW(LoadWindow(kMain, nullptr, false), std::runtime_error);
  EXPECT_EQ(BusyDepth(), 0);
  EXPECT_EQ(rt::State().event_block_counter, 0);
  EXPECT_EQ(Registry().current_event.window, 0u);
  EXPECT_EQ(EventArgument(0), 0);
  g_throw_in_created = false;
  g_log.clear();
  DestroyUnit(kMain, 0, true);
  EXPECT_EQ(g_log, std::vector<std::string>{"destroying"}) << "the next event reaches its handler";
}

TEST_F(LifecycleTest, CloseQueryRefusalKeepsTheWindowAndDestroyUnitSkipsTheQueries) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  g_refuse_close = true;
  desktop_->Then([&] { desktop_->input().CloseActive(); });
  desktop_->Then([&] {
    EXPECT_NE(Registry().FindLoaded(kMain), nullptr) << "a refused close keeps the window";
    desktop_->input().Click(FindUnitWindow("按钮_确定"));
  });
  // The click handler asks for the close without the queries.
  desktop_->Then([&] { DestroyUnit(kMain, 0, false); });
  g_log.clear();
  RunMessageLoop();
  EXPECT_EQ(g_log, (std::vector<std::string>{"query", "ok", "destroying"}));
}

TEST_F(LifecycleTest, FatalErrorsShowTheirMessageAndEndWithMinusOne) {
  std::string box;
  EXPECT_EQ(EndsWith([] { ReadProperty(kMain, kOk, 10, -1); }, &box), -1);
  EXPECT_NE(box.find("指定窗口尚未载入"), std::string::npos) << "unit-specific property of a window not loaded";
  Fresh();
  EXPECT_EQ(EndsWith([] { ReadProperty(0x52999999, 0, 0, -1); }, &box), -1);
  EXPECT_NE(box.find("未载入欲访问窗口组件所在的窗口"), std::string::npos);
  Fresh();
  EXPECT_EQ(EndsWith([] { WindowRequest(request::kFindUnitStrict, kMain, kList); }, &box), -1);
  EXPECT_NE(box.find("指定窗口或窗口组件不存在或尚未载入"), std::string::npos);
  Fresh();
  EventNotice notice;
  notice.window = 0x52999999;
  EXPECT_EQ(EndsWith([&] { RaiseEvent(notice); }, &box), -1);
  EXPECT_NE(box.find("未找到引发事件的窗口"), std::string::npos);
  Fresh();
  notice.window = kMain;
  notice.unit = 0x16999999;
  EXPECT_EQ(EndsWith([&] { RaiseEvent(notice); }, &box), -1);
  EXPECT_NE(box.find("未找到引发事件的窗口组件"), std::string::npos);
}

TEST_F(LifecycleTest, UnreadableTemplatesAndMissingStartWindowAreFatal) {
  rt::ProgramHeader header;
  header.code_base = kHandlers;
  header.handler_count = 1;
  header.template_data = bytes_.data();
  header.template_data_length = static_cast<std::uint32_t>(bytes_.size() - 1);
  std::string box;
  EXPECT_EQ(EndsWith([&] { rt::StartUp(header); }, &box), -1);
  EXPECT_NE(box.find("载入窗口模板数据段出错!"), std::string::npos);

  rt::ResetRuntime();
  const std::uint8_t empty[4] = {0, 0, 0, 0};
  header.template_data = empty;
  header.template_data_length = 4;
  rt::StartUp(header);
  EXPECT_TRUE(Registry().templates.windows.empty());
  EXPECT_EQ(EndsWith([] { rt::Services().LoadStartWindow(kMain); }, &box), -1);
  EXPECT_NE(box.find("载入启动窗口失败"), std::string::npos);
}

TEST_F(LifecycleTest, EventsAreRefusedOrDroppedSafely) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  EventNotice notice;
  notice.window = kMain;
  notice.unit = kOk;
  notice.argc = 6;
  g_log.clear();
  EXPECT_FALSE(RaiseEvent(notice)) << "more than five arguments: refused";
  notice.argc = 0;
  BlockEvents();
  EXPECT_FALSE(RaiseEvent(notice)) << "blocked events are dropped";
  UnblockEvents();
  EXPECT_TRUE(RaiseEvent(notice));
  EXPECT_EQ(g_log, (std::vector<std::string>{"ok"}));
  EXPECT_EQ(WindowRequest(request::kRaiseTypedEvent, 0, 0), 0);
  EXPECT_EQ(reinterpret_cast<const UnitTypeInfo*>(WindowRequest(request::kUnitType, 0x00020004, 0))->english_name,
            std::string("ListView"));
  std::uint32_t source[2] = {};
  EXPECT_EQ(WindowRequest(request::kCurrentEventSource, reinterpret_cast<std::intptr_t>(source), 0), 0);
}

TEST_F(LifecycleTest, DestroyUnitRemovesTheRecordUntilTheWindowIsDestroyed) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  platform::WindowHandle ok = Handle(kMain, kOk);
  DestroyUnit(kMain, kOk, true);
  EXPECT_FALSE(desktop_->IsWindow(ok));
  EXPECT_EQ(Registry().FindTemplate(kMain)->Find(kOk), nullptr);
  EXPECT_EQ(ReadProperty(kMain, kOk, 0, -1).type, 0u) << "a removed unit reads as nothing";
  DestroyUnit(kMain, 0, true);
  EXPECT_NE(Registry().FindTemplate(kMain)->Find(kOk), nullptr) << "the stored table is back";
}

TEST_F(LifecycleTest, ModalLoadOfAnInvisibleWindowReturnsAtOnce) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  WriteProperty(kDialog, 0, 5, -1, 0, 0);  // not loaded: changes the stored template
  ASSERT_TRUE(LoadWindow(kDialog, nullptr, true));
  EXPECT_NE(Registry().FindLoaded(kDialog), nullptr);
  EXPECT_FALSE(desktop_->IsEnabled(Handle(kMain, 0))) << "the other window is disabled for the modal one";
  DestroyUnit(kDialog, 0, true);
  EXPECT_TRUE(desktop_->IsEnabled(Handle(kMain, 0)));
}

TEST_F(LifecycleTest, MenuItemPropertiesRebuildTheMenuBar) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  EXPECT_FALSE(ReadProperty(kMain, kMenuTop, 3, -1).lo) << "the level-0 item is hidden";
  WriteProperty(kMain, kMenuTop, 3, -1, 1, 0);
  const auto* bar = desktop_->menu_bar(desktop_->Find(Handle(kMain, 0))->menu);
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(bar->size(), 1u);
  EXPECT_EQ((*bar)[0].caption, "账号操作");
  ASSERT_EQ((*bar)[0].children.size(), 3u) << "its hidden sub-item stays out";
  WriteText(kMain, 0x26010006, 0, "复制");
  bar = desktop_->menu_bar(desktop_->Find(Handle(kMain, 0))->menu);
  EXPECT_EQ((*bar)[0].children[0].caption, "复制");
  EXPECT_EQ(ReadText(kMain, 0x26010006, 0), "复制");
  // The menu command of the first sub-item raises its Selected event.
  g_log.clear();
  desktop_->Then([&] { desktop_->input().ChooseMenuCommand(Handle(kMain, 0), (*bar)[0].children[0].command); });
  desktop_->Then([&] { desktop_->input().CloseActive(); });
  RunMessageLoop();
  EXPECT_EQ(g_log.front(), "menu1");
}

TEST_F(LifecycleTest, EditBoxRulesWhenAPersonTypes) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  platform::WindowHandle edit = Handle(kMain, kEdit);
  const platform::sim::SimWindow* window = desktop_->Find(edit);
  EXPECT_EQ(window->rules.max_bytes, 0) << "empty property data: no limit";
  EXPECT_FALSE(window->rules.password);
  EXPECT_EQ(ReadProperty(kMain, kEdit, 9, -1).as_int(), 1) << "sunken border";
  WriteProperty(kMain, kEdit, 14, -1, static_cast<std::uint32_t>(-3), 0);
  EXPECT_EQ(ReadProperty(kMain, kEdit, 14, -1).as_int(), 0);
  WriteProperty(kMain, kEdit, 14, -1, 3, 0);
  WriteProperty(kMain, kEdit, 20, -1, 2, 0);
  desktop_->Then([&] { desktop_->input().Type(edit, "汉字ab"); });
  desktop_->Then([&] {
    EXPECT_EQ(desktop_->GetText(edit), "汉") << "3 bytes hold one double-byte character";
    WriteProperty(kMain, kEdit, 14, -1, 0, 0);
    desktop_->input().Type(edit, "abc");
  });
  desktop_->Then([&] {
    EXPECT_EQ(desktop_->GetText(edit), "ABC") << "upper-case conversion";
    WriteProperty(kMain, kEdit, 18, -1, 5, 0);
    desktop_->input().Type(edit, "300");
  });
  desktop_->Then([&] { desktop_->input().PressKey(platform::key::kTab); });
  desktop_->Then([&] {
    EXPECT_EQ(desktop_->GetText(edit), "255") << "numeric mode 5 clamps on losing the focus";
    desktop_->input().CloseActive();
  });
  RunMessageLoop();
}

TEST_F(LifecycleTest, WindowCaptionFrameRulesAndFonts) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  platform::WindowHandle frame = Handle(kMain, 0);
  EXPECT_EQ(ReadText(kMain, 0, 8), "主窗口");
  WriteProperty(kMain, 0, 15, -1, 0, 0);
  EXPECT_TRUE(desktop_->Find(frame)->frame.title_bar);
  WriteText(kMain, 0, 8, "");
  EXPECT_FALSE(desktop_->Find(frame)->frame.title_bar) << "no caption and no control box: no title bar";
  // Fonts by sub-index; an empty face name becomes the fallback.
  rt::Value face = rt::Value::Text("");
  WriteProperty(kMain, kEdit, 12, 6, face.lo, face.hi);
  rt::Value read = ReadProperty(kMain, kEdit, 12, 6);
  EXPECT_STREQ(read.text(), "宋体");
  rt::FreeValue(read);
  WriteProperty(kMain, kEdit, 12, 5, 12, 0);
  EXPECT_EQ(ReadProperty(kMain, kEdit, 12, 5).as_int(), 12);
  WriteProperty(kMain, kEdit, 12, 0, 3700, 0);
  EXPECT_EQ(ReadProperty(kMain, kEdit, 12, 0).as_int(), 100) << "angle modulo 3600";
  // A button with empty data would show its default caption.
  EXPECT_EQ(ReadText(kMain, kOk, 10), "确定");
}

TEST_F(LifecycleTest, IdleCallbacksRunOnlyWhileTheirWindowLives) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  int calls = 0, orphan_calls = 0;
  RegisterIdleCallback(kMain, [](void* count) { ++*static_cast<int*>(count); }, &calls);
  RegisterIdleCallback(kDialog, [](void* count) { ++*static_cast<int*>(count); }, &orphan_calls);
  desktop_->Then([&] {
    EXPECT_EQ(Registry().idle_callbacks.size(), 1u) << "the callback of a window not loaded is dropped";
    desktop_->input().CloseActive();
  });
  RunMessageLoop();
  EXPECT_GE(calls, 1);
  EXPECT_EQ(orphan_calls, 0);
}

TEST_F(LifecycleTest, ContainersHoldTheirUnitsAndLaterPagesStayHidden) {
  TemplateBlock block;
  WindowTemplate tmpl;
  tmpl.id = 0x52020001;
  tmpl.records.push_back(testing_forms::Unit(0x06020002, 0x00010001, "", 1, {}, WindowData("页"), {0, 0, 300, 200}));
  TemplateRecord holder = testing_forms::Unit(0x16020003, 0x0001000A, "标签_容器", 1, {}, {}, {0, 0, 200, 100});
  holder.unit.children = {0x16020004, 0, 0x16020005};
  tmpl.records.push_back(holder);
  TemplateRecord first = testing_forms::Unit(0x16020004, 0x0001000B, "按钮_一", 1, {}, {}, {1, 1, 20, 20});
  first.unit.container = 0x16020003;
  TemplateRecord second = testing_forms::Unit(0x16020005, 0x0001000B, "按钮_二", 1, {}, {}, {1, 1, 20, 20});
  second.unit.container = 0x16020003;
  tmpl.records.push_back(first);
  tmpl.records.push_back(second);
  block.windows.push_back(tmpl);
  std::vector<std::uint8_t> bytes = WriteTemplateBlock(block);
  ASSERT_TRUE(LoadTemplates(bytes.data(), static_cast<std::uint32_t>(bytes.size()), kHandlers, 1));
  ASSERT_TRUE(LoadWindow(0x52020001, nullptr, false));
  platform::WindowHandle container = Handle(0x52020001, 0x16020003);
  EXPECT_EQ(desktop_->GetParent(Handle(0x52020001, 0x16020004)), container);
  EXPECT_EQ(desktop_->GetParent(Handle(0x52020001, 0x16020005)), container);
  EXPECT_TRUE(desktop_->IsVisible(Handle(0x52020001, 0x16020004)));
  EXPECT_FALSE(desktop_->IsVisible(Handle(0x52020001, 0x16020005))) << "the second page stays hidden";
  WriteProperty(0x52020001, 0x16020005, 5, -1, 1, 0);
  EXPECT_FALSE(desktop_->IsVisible(Handle(0x52020001, 0x16020005))) << "also when made visible";
  EXPECT_EQ(ReadText(0x52020001, 0x16020004, 10), "按钮") << "a button with empty data shows the default caption";
  // Removing a contained unit takes it out of its container's list.
  DestroyUnit(0x52020001, 0x16020004, true);
  EXPECT_EQ(Registry().FindTemplate(0x52020001)->Find(0x16020003)->unit.children,
            (std::vector<UnitId>{0, 0x16020005}));
}

}  // namespace
}  // namespace ui
