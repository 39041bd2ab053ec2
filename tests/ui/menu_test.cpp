#include <gtest/gtest.h>

#include "tests/ui/sample_forms.h"
#include "ui/menu.h"

namespace ui {
namespace {

using namespace testing_forms;

// A shortcut shows after a tab in the item's caption and becomes the
// accelerator of the item's command; codes outside the table give neither.
TEST(MenuBuilding, ShortcutsNameTheirKeysAndBecomeAccelerators) {
  WindowTemplate tmpl;
  tmpl.records.push_back(testing_forms::Unit(0x06000001, 0x00010001, "", 1, {}, {}, {}));
  tmpl.records.push_back(Menu(0x26000002, "编辑", 0, 0, -1));
  const struct {
    std::uint32_t code;
    const char* caption;
    int key;
  } items[] = {
      {1, "全选\tCtrl+A", platform::key::kCtrl | 'A'},
      {38, "刷新\tF12", platform::key::kF1 + 11},
      {51, "帮助\tShift+F1", platform::key::kShift | platform::key::kF1},
      {74, "全部\tCtrl+Shift+F12", platform::key::kCtrl | platform::key::kShift | (platform::key::kF1 + 11)},
      {76, "删除\tDel", 0x2E},  // the system's virtual key of Del
      {0, "无", 0},
      {77, "越界", 0},
  };
  std::uint32_t id = 0x26000003;
  for (const auto& item : items) {
    std::string caption = item.caption;
    tmpl.records.push_back(Menu(id++, caption.substr(0, caption.find('\t')).c_str(), 1, 0, -1));
    tmpl.records.back().menu.shortcut = item.code;
  }
  BuiltMenu built = BuildMenuBar(tmpl);
  ASSERT_EQ(built.entries.size(), 1u);
  const std::vector<platform::MenuEntry>& children = built.entries[0].children;
  ASSERT_EQ(children.size(), std::size(items));
  for (std::size_t i = 0; i < children.size(); ++i) EXPECT_EQ(children[i].caption, items[i].caption) << i;
  ASSERT_EQ(built.accelerators.size(), 5u) << "codes 0 and 77 are no shortcut";
  for (std::size_t i = 0; i < built.accelerators.size(); ++i) {
    EXPECT_EQ(built.accelerators[i].first, items[i].key) << i;
    EXPECT_EQ(built.accelerators[i].second, children[i].command) << i;
  }
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
