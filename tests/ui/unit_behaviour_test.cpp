#include <gtest/gtest.h>

#include "runtime/state.h"
#include "tests/ui/sample_forms.h"
#include "ui/property_text.h"

namespace ui {
namespace {

using namespace testing_forms;

class UnitBehaviourTest : public WindowRuntimeTest {
 protected:
  // Binds an extra event of a stored unit to a logging handler.
  void Bind(UnitId unit, std::int32_t event, rt::Handler handler) {
    Registry().FindTemplate(kMain)->Find(unit)->unit.events.push_back(EventBinding{event, 0, handler});
  }
  static void LogRow() { g_log.push_back("row " + std::to_string(ReadProperty(kMain, kList, 35, -1).as_int())); }
  static void LogFocus() { g_log.push_back("focus"); }
  static void LogLostFocus() { g_log.push_back("lost"); }
};

TEST_F(UnitBehaviourTest, ListViewRaisesCurrentRowChangedAndRightClick) {
  Bind(kList, 0, LogRow);
  ASSERT_TRUE(LoadStartWindow(kMain));
  platform::WindowHandle list = Handle(kMain, kList);
  desktop_->ListInsertRow(list, 0, "a");
  desktop_->ListInsertRow(list, 1, "b");
  g_log.clear();
  WriteProperty(kMain, kList, 35, -1, 1, 0);
  EXPECT_EQ(g_log, (std::vector<std::string>{"row 1"})) << "a programmatic selection reports the new focused row";
  g_log.clear();
  desktop_->Then([&] { desktop_->input().SelectRow(list, 0); });
  desktop_->Then([&] { desktop_->input().RightClick(list); });
  desktop_->Then([&] { desktop_->input().DismissPopup(); });
  desktop_->Then([&] { desktop_->input().CloseActive(); });
  RunMessageLoop();
  EXPECT_EQ(g_log, (std::vector<std::string>{"row 0", "rclick", "query", "destroying"}));
}

// Shift+F10 and the menu key on a list the program leaves them to: the
// list's right-click event, as a right click raises it; other keys and
// other units do not.
TEST_F(UnitBehaviourTest, TheContextMenuKeysOfAListRaiseItsRightClick) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  platform::WindowHandle list = Handle(kMain, kList);
  desktop_->ListInsertRow(list, 0, "a");
  g_log.clear();
  desktop_->Then([&] { desktop_->input().SelectRow(list, 0); });
  desktop_->Then([&] { desktop_->input().PressKey(platform::key::kApps); });
  desktop_->Then([&] { desktop_->input().DismissPopup(); });
  desktop_->Then([&] { desktop_->input().PressKey(platform::key::kF10 | platform::key::kShift); });
  desktop_->Then([&] { desktop_->input().DismissPopup(); });
  desktop_->Then([&] { desktop_->input().PressKey(platform::key::kF10); });
  desktop_->Then([&] { desktop_->input().Click(Handle(kMain, kEdit)); });
  desktop_->Then([&] { desktop_->input().PressKey(platform::key::kApps); });
  desktop_->Then([&] { desktop_->input().CloseActive(); });
  RunMessageLoop();
  EXPECT_EQ(g_log, (std::vector<std::string>{"rclick", "rclick", "query", "destroying"}));
}

TEST_F(UnitBehaviourTest, FocusEventsAndEnterMovingTheFocus) {
  Bind(kEdit, -7, LogFocus);
  Bind(kEdit, -8, LogLostFocus);
  ASSERT_TRUE(LoadStartWindow(kMain));
  EXPECT_EQ(g_log.back(), "focus") << "the initial focus raises GotFocus once events flow";
  WriteProperty(kMain, 0, 21, -1, 1, 0);  // Enter moves the focus
  g_log.clear();
  // The focused edit box is not a default button: Enter moves on instead of clicking.
  desktop_->Then([&] { desktop_->input().PressKey(platform::key::kEnter); });
  desktop_->Then([&] {
    EXPECT_EQ(desktop_->focus(), Handle(kMain, kOk));
    desktop_->input().PressKey(platform::key::kEnter);  // now on the default button: clicks it
  });
  desktop_->Then([&] { desktop_->input().CloseActive(); });
  RunMessageLoop();
  EXPECT_EQ(g_log, (std::vector<std::string>{"lost", "ok", "query", "destroying"}));
}

TEST_F(UnitBehaviourTest, RecreationKeepsContentPlaceAndFocus) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  rt::Value text = rt::Value::Text("keep me");
  WriteProperty(kMain, kEdit, 8, -1, text.lo, text.hi);
  platform::WindowHandle before = Handle(kMain, kEdit);
  WriteProperty(kMain, kEdit, 15, -1, 1, 0);  // multi-line: re-creates the box
  platform::WindowHandle after = Handle(kMain, kEdit);
  EXPECT_NE(before, after);
  EXPECT_FALSE(desktop_->IsWindow(before));
  EXPECT_EQ(desktop_->GetText(after), "keep me");
  EXPECT_TRUE(desktop_->Find(after)->rules.multi_line);
  EXPECT_EQ(desktop_->focus(), after);
  EXPECT_EQ(desktop_->Find(Handle(kMain, 0))->children.front(), after) << "the stacking position is kept";
  EXPECT_EQ(PropertyText(kMain, kEdit, 15), "true");
}

// The program header names the edit boxes that take a database password:
// they get no input method, also when a property change re-creates them.
TEST_F(UnitBehaviourTest, AnEditBoxTheProgramDeclaresSecretHasNoInputMethod) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  EXPECT_TRUE(desktop_->Find(Handle(kMain, kEdit))->rules.input_method);
  rt::State().windows.release_windows();

  static const rt::UnitRef kSecret[] = {{kMain, kEdit}};
  static rt::ProgramHeader header;
  header.secret_edit_boxes = kSecret;
  header.secret_edit_box_count = 1;
  rt::State().header = &header;
  ASSERT_TRUE(LoadTemplates(bytes_.data(), static_cast<std::uint32_t>(bytes_.size()), kHandlers,
                            sizeof kHandlers / sizeof kHandlers[0]));
  ASSERT_TRUE(LoadStartWindow(kMain));
  EXPECT_FALSE(desktop_->Find(Handle(kMain, kEdit))->rules.input_method);
  WriteProperty(kMain, kEdit, 15, -1, 1, 0);  // multi-line: re-creates the box
  EXPECT_FALSE(desktop_->Find(Handle(kMain, kEdit))->rules.input_method);
  rt::State().header = nullptr;
}

TEST_F(UnitBehaviourTest, VisibleDisabledAndWindowState) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  WriteProperty(kMain, kOk, 6, -1, 1, 0);
  EXPECT_FALSE(desktop_->IsEnabled(Handle(kMain, kOk)));
  EXPECT_EQ(PropertyText(kMain, kOk, 6), "true");
  desktop_->Then([&] { desktop_->input().Click(Handle(kMain, kOk)); });
  EXPECT_THROW(RunMessageLoop(), platform::sim::ActionRefused) << "a person cannot click a disabled button";
  WriteProperty(kMain, kOk, 5, -1, 0, 0);
  EXPECT_FALSE(desktop_->IsVisible(Handle(kMain, kOk)));
  WriteProperty(kMain, 0, 18, -1, 2, 0);
  EXPECT_EQ(ReadProperty(kMain, 0, 18, -1).as_int(), 2) << "minimised";
  // Loading it again restores a minimised window instead of a second instance.
  EXPECT_TRUE(LoadWindow(kMain, nullptr, false));
  EXPECT_EQ(ReadProperty(kMain, 0, 18, -1).as_int(), 0);
  WriteProperty(kMain, 0, 5, -1, 0, 0);
  EXPECT_FALSE(desktop_->IsVisible(Handle(kMain, 0)));
  WriteProperty(kMain, 0, 5, -1, 1, 0);
  EXPECT_TRUE(desktop_->IsVisible(Handle(kMain, 0)));
}

// The window's colour from its template on, and as written; the units on it
// keep their own faces. Points are in the window's client area.
TEST_F(UnitBehaviourTest, TheWindowShowsItsBackgroundColour) {
  Registry().FindTemplate(kMain)->records[0].unit.property_data = WindowData("主窗口", 0, 0x0080FF);
  ASSERT_TRUE(LoadStartWindow(kMain));
  const platform::WindowHandle frame = Handle(kMain, 0);
  EXPECT_EQ(desktop_->ColourAt(frame, 390, 10), 0x0080FFu) << "from creation";
  EXPECT_EQ(desktop_->ColourAt(frame, 10, 100), platform::sim::kBoxColour) << "the list covers that point";
  EXPECT_EQ(desktop_->ColourAt(frame, 400, 10), std::nullopt) << "beyond the window";
  WriteProperty(kMain, 0, 10, -1, 0xFF000000, 0);
  EXPECT_EQ(desktop_->ColourAt(frame, 390, 10), platform::sim::kFaceColour);
  WriteProperty(kMain, 0, 10, -1, 0x123456, 0);
  EXPECT_EQ(desktop_->ColourAt(frame, 390, 10), 0x123456u);
  EXPECT_EQ(PropertyText(kMain, 0, 10), "1193046");
  // A hidden list no longer covers the window.
  WriteProperty(kMain, kList, 5, -1, 0, 0);
  EXPECT_EQ(desktop_->ColourAt(frame, 10, 100), 0x123456u);
}

// A single-line box has a spin control while its spin style is 1 or 2,
// over the range of properties 22 and 23 however they are ordered; a
// multi-line box has none, and gets it back once single-line again.
TEST_F(UnitBehaviourTest, TheSpinControlFollowsTheBoxsProperties) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  auto spin = [&] { return desktop_->Find(Handle(kMain, kEdit))->spin; };
  EXPECT_FALSE(spin().present);
  WriteProperty(kMain, kEdit, 21, -1, 1, 0);
  EXPECT_EQ(spin(), (platform::EditSpin{true, 0, 100}));
  WriteProperty(kMain, kEdit, 22, -1, 250, 0);  // the minimum above the maximum
  EXPECT_EQ(spin(), (platform::EditSpin{true, 100, 250}));
  WriteProperty(kMain, kEdit, 15, -1, 1, 0);  // multi-line: re-created without one
  EXPECT_FALSE(spin().present);
  WriteProperty(kMain, kEdit, 15, -1, 0, 0);
  EXPECT_EQ(spin(), (platform::EditSpin{true, 100, 250}));
  WriteProperty(kMain, kEdit, 21, -1, 2, 0);
  EXPECT_TRUE(spin().present);
  WriteProperty(kMain, kEdit, 21, -1, 0, 0);
  EXPECT_FALSE(spin().present);
  desktop_->Then([&] { desktop_->input().PressSpin(Handle(kMain, kEdit), true); });
  EXPECT_THROW(RunMessageLoop(), platform::sim::ActionRefused) << "no spin control to press";
}

// Numbers beyond any 32-bit range are out of the spin's range: a press
// continues at the far end of the range rather than overflowing.
TEST_F(UnitBehaviourTest, SpinningANumberBeyondThirtyTwoBits) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  WriteProperty(kMain, kEdit, 21, -1, 1, 0);  // 0 to 100
  auto press = [&](const char* text, bool up) {
    rt::Value content = rt::Value::Text(text);
    WriteProperty(kMain, kEdit, 8, -1, content.lo, content.hi);
    desktop_->input().PressSpin(Handle(kMain, kEdit), up);
  };
  desktop_->Then([&] { press("99999999999999999999999", true); });
  desktop_->Then([&] {
    EXPECT_EQ(PropertyText(kMain, kEdit, 8), "0");
    press("-99999999999999999999999", false);
  });
  desktop_->Then([&] {
    EXPECT_EQ(PropertyText(kMain, kEdit, 8), "100");
    press("2147483647", true);
  });
  desktop_->Then([&] {
    EXPECT_EQ(PropertyText(kMain, kEdit, 8), "0");
    desktop_->input().CloseActive();
  });
  RunMessageLoop();
}

bool g_recreate_on_focus = false;
void RecreateOnFocus() {
  if (!g_recreate_on_focus) return;
  g_recreate_on_focus = false;
  WriteProperty(kMain, kEdit, 13, -1, 0, 0);  // hide selection off: the box is made again
}

// A press gives the box the focus first, which runs focus handlers; one
// that makes the box again leaves the step to the new box.
TEST_F(UnitBehaviourTest, ASpinPressWhoseFocusHandlerRecreatesTheBox) {
  Bind(kEdit, -7, RecreateOnFocus);
  ASSERT_TRUE(LoadStartWindow(kMain));
  WriteProperty(kMain, kEdit, 21, -1, 1, 0);
  rt::Value content = rt::Value::Text("41");
  WriteProperty(kMain, kEdit, 8, -1, content.lo, content.hi);
  const platform::WindowHandle before = Handle(kMain, kEdit);
  desktop_->SetFocus(Handle(kMain, kOk));
  g_recreate_on_focus = true;
  desktop_->PostMessage(platform::Message{platform::Notice::kSpin, before, 1, 0});
  desktop_->Then([&] {
    EXPECT_NE(Handle(kMain, kEdit), before);
    EXPECT_EQ(PropertyText(kMain, kEdit, 8), "42");
    EXPECT_EQ(Int(kMain, kEdit, 25), 2) << "the new number is selected";
    desktop_->input().CloseActive();
  });
  RunMessageLoop();
}

}  // namespace
}  // namespace ui
