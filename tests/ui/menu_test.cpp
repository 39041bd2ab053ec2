#include <gtest/gtest.h>

#include "tests/ui/sample_forms.h"
#include "ui/menu.h"

namespace ui {
namespace {

using namespace testing_forms;

TEST(Shortcuts, NamesAndKeysOfTheTable) {
  std::string name;
  int key = 0;
  ASSERT_TRUE(ShortcutOf(1, &name, &key));
  EXPECT_EQ(name, "Ctrl+A");
  EXPECT_EQ(key, platform::key::kCtrl | 'A');
  ASSERT_TRUE(ShortcutOf(38, &name, &key));
  EXPECT_EQ(name, "F12");
  EXPECT_EQ(key, platform::key::kF1 + 11);
  ASSERT_TRUE(ShortcutOf(51, &name, &key));
  EXPECT_EQ(name, "Shift+F1");
  ASSERT_TRUE(ShortcutOf(74, &name, &key));
  EXPECT_EQ(name, "Ctrl+Shift+F12");
  EXPECT_EQ(key, platform::key::kCtrl | platform::key::kShift | (platform::key::kF1 + 11));
  ASSERT_TRUE(ShortcutOf(76, &name, &key));
  EXPECT_EQ(name, "Del");
  EXPECT_FALSE(ShortcutOf(0, &name, &key));
  EXPECT_FALSE(ShortcutOf(77, &name, &key));
}

TEST(MenuBuilding, CommandIdsCountEveryRecordOfTheMenuPart) {
  WindowTemplate tmpl;
  tmpl.records.push_back(testing_forms::Unit(0x06000001, 0x00010001, "", 1, {}, {}, {}));
  tmpl.records.push_back(Menu(0x26000002, "文件", 0, 0, -1));
  tmpl.records.push_back(Menu(0x26000003, "隐藏", 1, MenuItemRecord::kHidden, -1));
  tmpl.records.push_back(Menu(0x26000004, "保存", 1, MenuItemRecord::kChecked | MenuItemRecord::kDisabled, -1));
  tmpl.records.push_back(Menu(0x26000005, "帮助", 0, MenuItemRecord::kDisabled, -1));
  tmpl.records[4].menu.shortcut = 27;
  BuiltMenu built = BuildMenuBar(tmpl);
  ASSERT_EQ(built.entries.size(), 2u);
  ASSERT_EQ(built.entries[0].children.size(), 1u) << "the hidden sub-item is skipped";
  EXPECT_EQ(built.entries[0].children[0].command, 20002) << "skipped records still count";
  EXPECT_TRUE(built.entries[0].children[0].checked);
  EXPECT_TRUE(built.entries[0].children[0].greyed);
  EXPECT_EQ(built.entries[1].caption, "帮助\tF1");
  EXPECT_EQ(built.entries[1].command, 20003);
  ASSERT_EQ(built.accelerators.size(), 1u);
  EXPECT_EQ(built.accelerators[0], std::make_pair(platform::key::kF1, 20003));
  EXPECT_TRUE(BuildPopup(tmpl, 4).empty()) << "an item without sub-items has no popup";
}

class PopupTest : public WindowRuntimeTest {};

TEST_F(PopupTest, PopupMenuShowsNothingForOtherWindowsOrLeafItems) {
  ASSERT_TRUE(LoadStartWindow(kMain));
  int shown = 0;
  desktop_->Then([&] {
    ++shown;
    desktop_->input().DismissPopup();
  });
  rt::Value result;
  rt::Value other[2] = {rt::Value{kMain, kMainUnit, rt::type::kWindow}, rt::Value{kDialog, kMenuTop, rt::type::kMenu}};
  PopupMenuCommand(&result, 2, other);
  rt::Value leaf[2] = {rt::Value{kMain, kMainUnit, rt::type::kWindow}, rt::Value{kMain, 0x26010006, rt::type::kMenu}};
  PopupMenuCommand(&result, 2, leaf);
  EXPECT_EQ(shown, 0);
  rt::Value placed[4] = {rt::Value{kMain, kMainUnit, rt::type::kWindow}, rt::Value{kMain, kMenuTop, rt::type::kMenu},
                         rt::Value::Int(50), rt::Value{}};
  PopupMenuCommand(&result, 4, placed);
  EXPECT_EQ(shown, 1);
  EXPECT_EQ(desktop_->last_popup_x(), 50);
  EXPECT_EQ(desktop_->last_popup_y(), 303) << "y alone still follows the mouse";
}

}  // namespace
}  // namespace ui
