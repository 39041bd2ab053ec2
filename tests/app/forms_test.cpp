// The compiled template block, read back through the window runtime's
// template reader and checked against the window catalogue's own numbers,
// written out here (not against the descriptions that produced the block).
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "app/forms/forms.h"
#include "app/forms/template_block.h"
#include "app/handlers.h"
#include "ui/byte_reader.h"
#include "ui/template_reader.h"

namespace app::forms {
namespace {

// A handler table of the application's size whose entries are told apart by
// address only; resolving an offset outside it fails the read.
void Dummy() {}
const std::vector<rt::Handler> kHandlerTable(kHandlerCount, &Dummy);

ui::TemplateBlock ReadBlock() {
  std::span<const std::uint8_t> block = TemplateBlock();
  std::string error;
  auto read = ui::ReadTemplateBlock(block.data(), block.size(),
                                    ui::CodeBase{kHandlerTable.data(), static_cast<std::uint32_t>(kHandlerCount)},
                                    &error);
  EXPECT_TRUE(read.has_value()) << error;
  return read.value_or(ui::TemplateBlock{});
}

TEST(TemplateBlock, HasTheCatalogueShape) {
  EXPECT_EQ(TemplateBlock().size(), 5873u);
  ui::TemplateBlock block = ReadBlock();
  ASSERT_EQ(block.windows.size(), 3u);

  struct Expected {
    std::uint32_t id, word1, word2, table;
    std::vector<std::uint32_t> records;
  };
  const Expected expected[] = {
      {0x52010001, 0x02680A60, 0x19010004, 2508, {254, 67, 67, 67, 67, 67, 212, 224, 220, 220, 224, 220, 443}},
      {0x52010007, 0x00000001, 0x1901000A, 737, {215, 202, 152, 120}},
      {0x5201005D, 0x024ABEFC, 0x19010069, 2528, {224, 126, 230, 196, 202, 196, 202, 196, 206, 200, 206, 200}},
  };
  for (std::size_t w = 0; w < 3; ++w) {
    const ui::WindowTemplate& window = block.windows[w];
    SCOPED_TRACE(w);
    EXPECT_EQ(window.id, expected[w].id);
    EXPECT_EQ(window.word1, expected[w].word1);
    EXPECT_EQ(window.word2, expected[w].word2);
    EXPECT_TRUE(window.text1.empty());
    EXPECT_TRUE(window.text2.empty());
    EXPECT_EQ(window.stored_table_length, expected[w].table);
    ASSERT_EQ(window.records.size(), expected[w].records.size());
    for (std::size_t r = 0; r < window.records.size(); ++r)
      EXPECT_EQ(window.records[r].stored_length, expected[w].records[r]) << "record " << r;
  }
}

TEST(TemplateBlock, WritesBackToTheSameBytes) {
  std::span<const std::uint8_t> block = TemplateBlock();
  std::vector<std::uint8_t> rewritten = ui::WriteTemplateBlock(ReadBlock());
  EXPECT_EQ(rewritten, std::vector<std::uint8_t>(block.begin(), block.end()));
}

// The catalogue of the three windows, written out: every record's id, kind,
// name, geometry, flags, tag and event bindings, in record order. Flags: 1
// visible, 4 tab stop. Events: window Created 0 and Destroying 2, button
// Clicked 0, list view RightClicked 5.
constexpr std::uint32_t kWindowType = 0x00010001, kEditType = 0x00010005, kLabelType = 0x0001000A,
                        kButtonType = 0x0001000B, kListType = 0x00020004;

struct CatalogueUnit {
  std::uint32_t id, type;
  std::string name;
  std::int32_t left, top, width, height;
  std::uint32_t flags;
  std::string tag;
  std::vector<std::pair<std::int32_t, std::int32_t>> events;  // event, handler
};

struct CatalogueMenuItem {
  std::uint32_t id;
  std::string caption;
  std::uint32_t level, flags;  // flags: 1 hidden
  std::int32_t handler;
};

struct CatalogueWindow {
  CatalogueUnit self;
  std::vector<CatalogueMenuItem> menu;
  std::vector<CatalogueUnit> units;
};

std::vector<CatalogueWindow> Catalogue() {
  return {
      {{0x06010000, kWindowType, "", 50, 50, 592, 295, 1, "", {{0, kOnMainWindowCreated}, {2, kOnMainWindowDestroying}}},
       {{0x26010123, "账号操作", 0, 1, -1},
        {0x26010124, "复制所选", 1, 0, kOnCopyRecord},
        {0x26010125, "复制账号", 1, 0, kOnCopyAccount},
        {0x26010126, "复制密码", 1, 0, kOnCopyPassword},
        {0x26010127, "打开网址", 1, 0, kOnOpenAddress}},
       {{0x16010053, kButtonType, "按钮_退出", 504, 216, 64, 24, 5, "", {{0, kOnExitButton}}},
        {0x16010051, kButtonType, "按钮_数据库改密", 501, 180, 72, 24, 5, "", {{0, kOnChangePassword}}},
        {0x16010050, kButtonType, "按钮_修改记录", 504, 84, 64, 24, 5, "", {{0, kOnModifyRecord}}},
        {0x1601004F, kButtonType, "按钮_删除记录", 504, 124, 64, 24, 5, "", {{0, kOnDeleteRecord}}},
        {0x1601004E, kButtonType, "按钮_密码隐藏显示", 504, 8, 64, 24, 5, "", {{0, kOnTogglePasswords}}},
        {0x1601004C, kButtonType, "按钮_添加记录", 504, 46, 64, 24, 5, "", {{0, kOnAddRecord}}},
        {0x16010003, kListType, "超级列表框1", 2, 3, 486, 240, 5, "0", {{5, kOnListPopup}}}}},
      {{0x06010006, kWindowType, "", 50, 50, 342, 86, 1, "", {}},
       {},
       {{0x1601000C, kLabelType, "标签1", 19, 16, 29, 24, 1, "", {}},
        {0x16010009, kButtonType, "按钮_确定", 275, 16, 53, 24, 5, "", {{0, kOnCreateDatabase}}},
        {0x16010008, kEditType, "编辑框_数据库密码", 67, 16, 192, 24, 5, "", {}}}},
      {{0x0601005C, kWindowType, "", 50, 50, 219, 269, 1, "", {{0, kOnRecordWindowCreated}}},
       {},
       {{0x16010068, kButtonType, "按钮_增加或删除", 67, 206, 77, 26, 5, "", {{0, kOnSaveRecord}}},
        {0x16010066, kLabelType, "标签5", 8, 128, 200, 19, 1, "", {}},
        {0x16010067, kEditType, "编辑框_备注", 8, 147, 200, 48, 5, "", {}},
        {0x16010064, kLabelType, "标签4", 16, 98, 60, 19, 1, "", {}},
        {0x16010065, kEditType, "编辑框_密码", 76, 98, 120, 21, 5, "", {}},
        {0x16010062, kLabelType, "标签3", 16, 68, 60, 19, 1, "", {}},
        {0x16010063, kEditType, "编辑框_帐号", 76, 68, 120, 21, 5, "", {}},
        {0x16010060, kLabelType, "标签2", 16, 38, 60, 19, 1, "", {}},
        {0x16010061, kEditType, "编辑框_网站地址", 76, 38, 120, 21, 5, "", {}},
        {0x1601005F, kLabelType, "标签1", 16, 8, 60, 19, 1, "", {}},
        {0x1601005E, kEditType, "编辑框_网站名称", 76, 8, 120, 21, 5, "", {}}}},
  };
}

void ExpectUnit(const ui::TemplateRecord& record, const CatalogueUnit& unit) {
  SCOPED_TRACE(unit.id);
  ASSERT_FALSE(record.is_menu_item);
  const ui::UnitRecord& r = record.unit;
  EXPECT_EQ(record.id, unit.id);
  EXPECT_EQ(r.type_code, unit.type);
  EXPECT_EQ(r.handler_source, 0u);
  EXPECT_EQ(r.name, unit.name);
  EXPECT_TRUE(r.second_name.empty());
  EXPECT_EQ(r.left, unit.left);
  EXPECT_EQ(r.top, unit.top);
  EXPECT_EQ(r.width, unit.width);
  EXPECT_EQ(r.height, unit.height);
  EXPECT_EQ(r.object_slot, 0);
  EXPECT_EQ(r.cursor_slot, 0);
  EXPECT_EQ(r.container, 0u);
  EXPECT_TRUE(r.children.empty());
  EXPECT_TRUE(r.mouse_pointer.empty());
  EXPECT_EQ(r.tag, unit.tag);
  EXPECT_EQ(r.flags, unit.flags);
  ASSERT_EQ(r.events.size(), unit.events.size());
  for (std::size_t i = 0; i < unit.events.size(); ++i) {
    EXPECT_EQ(r.events[i].event, unit.events[i].first);
    EXPECT_EQ(r.events[i].handler_offset, unit.events[i].second);
    // The offset is fixed up to the handler table's entry.
    EXPECT_EQ(r.events[i].handler, kHandlerTable[static_cast<std::size_t>(unit.events[i].second)]);
  }
}

TEST(TemplateBlock, EveryRecordIsTheCatalogues) {
  ui::TemplateBlock block = ReadBlock();
  const std::vector<CatalogueWindow> catalogue = Catalogue();
  ASSERT_EQ(block.windows.size(), catalogue.size());
  for (std::size_t w = 0; w < catalogue.size(); ++w) {
    SCOPED_TRACE(w);
    const CatalogueWindow& window = catalogue[w];
    const ui::WindowTemplate& read = block.windows[w];
    ASSERT_EQ(read.records.size(), 1 + window.menu.size() + window.units.size());
    ExpectUnit(read.records[0], window.self);
    std::size_t r = 1;
    for (const CatalogueMenuItem& item : window.menu) {
      const ui::TemplateRecord& record = read.records[r++];
      SCOPED_TRACE(item.id);
      ASSERT_TRUE(record.is_menu_item);
      EXPECT_EQ(record.id, item.id);
      EXPECT_EQ(record.menu.type_code, 0x00010003u);
      EXPECT_TRUE(record.menu.name.empty());
      EXPECT_EQ(record.menu.caption, item.caption);
      EXPECT_EQ(record.menu.level, item.level);
      EXPECT_EQ(record.menu.flags, item.flags);
      EXPECT_EQ(record.menu.shortcut, 0u);
      EXPECT_EQ(record.menu.handler_offset, item.handler);
    }
    for (const CatalogueUnit& unit : window.units) ExpectUnit(read.records[r++], unit);
  }
}

// The menu: a hidden level-0 item with four level-1 items, which the reader
// sees as the window's menu part.
TEST(TemplateBlock, MainWindowMenuIsTheHiddenAccountMenu) {
  ui::TemplateBlock block = ReadBlock();
  ASSERT_FALSE(block.windows.empty());
  const ui::WindowTemplate& main = block.windows[0];
  int first = -1, count = -1;
  main.MenuPart(&first, &count);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(count, 5);
  const ui::TemplateRecord* account = main.Find(0x26010123);
  ASSERT_NE(account, nullptr);
  EXPECT_EQ(account->menu.caption, "账号操作");
  EXPECT_EQ(account->menu.flags, ui::MenuItemRecord::kHidden);
  EXPECT_EQ(account->menu.handler_offset, ui::kNoHandler);
  const ui::TemplateRecord* copy_password = main.Find(0x26010126);
  ASSERT_NE(copy_password, nullptr);
  EXPECT_EQ(copy_password->menu.caption, "复制密码");
  EXPECT_EQ(copy_password->menu.handler_offset, kOnCopyPassword);
  EXPECT_EQ(block.windows[1].IndexOf(0x26010123), -1);
}

// --- Property data, decoded field by field from the unit types' layouts. ---

const ui::UnitRecord& UnitOf(const ui::TemplateBlock& block, std::size_t window, std::uint32_t id) {
  const ui::TemplateRecord* record = block.windows.at(window).Find(id);
  if (record == nullptr || record->is_menu_item) throw std::runtime_error("no such unit");
  return record->unit;
}

struct FontFields {
  std::int32_t height = 0, weight = 0;
  std::uint8_t charset = 0, pitch_and_family = 0;
  std::string face;
};

FontFields ReadFont(const std::vector<std::uint8_t>& block) {
  FontFields f;
  if (block.size() != 60) return f;
  ui::ByteReader in(block.data(), block.size());
  f.height = in.I32();
  in.Skip(12);
  f.weight = in.I32();
  in.Skip(3);
  f.charset = in.U8();
  in.Skip(3);
  f.pitch_and_family = in.U8();
  f.face = in.ZeroText();
  return f;
}

TEST(TemplateBlock, WindowPropertyData) {
  ui::TemplateBlock block = ReadBlock();
  const struct {
    std::size_t window;
    std::uint32_t unit;
    std::int32_t border;
    std::string caption;
  } windows[] = {
      {0, 0x06010000, 2, kMainWindowCaption},
      {1, 0x06010006, 2, "初始化数据库"},
      {2, 0x0601005C, 4, "添加/修改记录"},
  };
  for (const auto& expected : windows) {
    const std::vector<std::uint8_t>& data = UnitOf(block, expected.window, expected.unit).property_data;
    ui::ByteReader in(data.data(), data.size());
    EXPECT_EQ(in.U32(), 6u);
    std::vector<std::int32_t> words;
    for (int i = 0; i < 18; ++i) words.push_back(in.I32());
    // border, picture mode, background, max, min, control box, position,
    // movable, sound repeat, Enter, Esc, F1, help context, task bar, ...
    EXPECT_EQ(words, (std::vector<std::int32_t>{expected.border, 1, static_cast<std::int32_t>(0xFF000000), 0, 1, 1,
                                                 1, 1, 0, 0, 1, 0, 0, 1, 0, 0, 0, 0}));
    EXPECT_EQ(in.CountedText(), "");  // window class: the default
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(in.CountedBlock().empty());
    EXPECT_EQ(in.CountedText(), expected.caption);
    EXPECT_EQ(in.CountedText(), "");
    EXPECT_TRUE(in.at_end());
  }
}

TEST(TemplateBlock, MainWindowCaptionNamesTheUserOnce) {
  std::string caption = kMainWindowCaption;
  EXPECT_EQ(caption.size(), 35u);
  EXPECT_EQ(caption.rfind("Quillkeep", 0), 0u);
  std::size_t user = caption.find("user");
  ASSERT_NE(user, std::string::npos);
  EXPECT_EQ(caption.find("user", user + 1), std::string::npos);
}

TEST(TemplateBlock, ButtonPropertyData) {
  ui::TemplateBlock block = ReadBlock();
  const struct {
    std::size_t window;
    std::uint32_t unit;
    std::string caption;
    bool yahei;
  } buttons[] = {
      {0, 0x16010053, "退出", true},     {0, 0x16010051, "数据库改密", true}, {0, 0x16010050, "修改记录", true},
      {0, 0x1601004F, "删除记录", true}, {0, 0x1601004E, "正显密码", true},   {0, 0x1601004C, "添加记录", true},
      {1, 0x16010009, "确定", false},
  };
  for (const auto& expected : buttons) {
    SCOPED_TRACE(expected.caption);
    const std::vector<std::uint8_t>& data = UnitOf(block, expected.window, expected.unit).property_data;
    ui::ByteReader in(data.data(), data.size());
    EXPECT_EQ(in.U32(), 1u);
    EXPECT_EQ(in.I32(), 0);  // normal button
    EXPECT_EQ(in.I32(), 1);  // centred
    EXPECT_EQ(in.I32(), 1);
    EXPECT_TRUE(in.CountedBlock().empty());
    FontFields font = ReadFont(in.CountedBlock());
    if (expected.yahei) {
      EXPECT_EQ(font.face, "微软雅黑");
      EXPECT_EQ(font.height, -12);
      EXPECT_EQ(font.weight, 400);
      EXPECT_EQ(font.charset, 134);
      EXPECT_EQ(font.pitch_and_family, 0x22);
    } else {
      EXPECT_TRUE(font.face.empty());
    }
    EXPECT_EQ(in.CountedText(), expected.caption);
    EXPECT_TRUE(in.at_end());
  }
  // The save button and the password box keep every default.
  EXPECT_TRUE(UnitOf(block, 2, 0x16010068).property_data.empty());
  EXPECT_TRUE(UnitOf(block, 1, 0x16010008).property_data.empty());
}

TEST(TemplateBlock, LabelAndEditBoxPropertyData) {
  ui::TemplateBlock block = ReadBlock();
  const struct {
    std::size_t window;
    std::uint32_t unit;
    std::string caption;
    std::int32_t h_align;
  } labels[] = {
      {1, 0x1601000C, "密码：", 0},     {2, 0x16010066, "---------------备注---------------", 1},
      {2, 0x16010064, "密码：", 2},     {2, 0x16010062, "账号：", 2},
      {2, 0x16010060, "网站地址：", 2}, {2, 0x1601005F, "网站名称：", 2},
  };
  for (const auto& expected : labels) {
    SCOPED_TRACE(expected.caption);
    const std::vector<std::uint8_t>& data = UnitOf(block, expected.window, expected.unit).property_data;
    ui::ByteReader in(data.data(), data.size());
    EXPECT_EQ(in.U32(), 2u);
    in.Skip(13 * 4);
    EXPECT_EQ(in.I32(), expected.h_align);
    EXPECT_EQ(in.I32(), 1);  // vertically centred
    EXPECT_EQ(in.I32(), 0);  // no word wrap
    EXPECT_TRUE(in.CountedBlock().empty());
    EXPECT_TRUE(in.CountedBlock().empty());
    EXPECT_EQ(in.CountedText(), expected.caption);
    EXPECT_EQ(in.CountedText(), "");
    EXPECT_EQ(in.CountedText(), "");
    EXPECT_TRUE(in.at_end());
  }
  for (std::uint32_t id : {0x16010067u, 0x16010065u, 0x16010063u, 0x16010061u, 0x1601005Eu}) {
    SCOPED_TRACE(id);
    const std::vector<std::uint8_t>& data = UnitOf(block, 2, id).property_data;
    ui::ByteReader in(data.data(), data.size());
    EXPECT_EQ(in.U32(), 2u);
    EXPECT_EQ(in.I32(), 1);           // sunken border
    EXPECT_EQ(in.U32(), 0x000000u);   // black text
    EXPECT_EQ(in.U32(), 0xFFFFFFu);   // on white
    EXPECT_EQ(in.I32(), 1);           // selection hidden without focus
    EXPECT_EQ(in.I32(), 512);         // maximum length
    bool remarks = id == 0x16010067u;
    EXPECT_EQ(in.I32(), remarks ? 1 : 0);  // multi-line
    EXPECT_EQ(in.I32(), remarks ? 2 : 0);  // vertical scroll bar
    EXPECT_EQ(in.I32(), 0);           // left-aligned
    EXPECT_EQ(in.I32(), 0);           // plain input
    EXPECT_EQ(in.U16(), '*');
    for (std::int32_t v : {0, 0, 0, 100, 0, 0}) EXPECT_EQ(in.I32(), v);
    EXPECT_TRUE(in.CountedBlock().empty());
    for (int i = 0; i < 3; ++i) EXPECT_EQ(in.CountedText(), "");
    EXPECT_TRUE(in.at_end());
  }
}

TEST(TemplateBlock, RecordListPropertyData) {
  ui::TemplateBlock block = ReadBlock();
  const ui::UnitRecord& list = UnitOf(block, 0, 0x16010003);
  EXPECT_EQ(list.tag, "0");
  ui::ByteReader in(list.property_data.data(), list.property_data.size());
  EXPECT_EQ(in.U32(), 1u);
  std::vector<std::int32_t> words;
  for (int i = 0; i < 24; ++i) words.push_back(in.I32());
  EXPECT_EQ(words, (std::vector<std::int32_t>{1, 0x000000, 0xFFFFFF, 0xFFFFFF, 3, 0, 1, 1, 0, 1, 1, 1,
                                               0, 0, 1, 1, 1, 0, 0, 0, 0, 1, -1, 0}));
  EXPECT_EQ(ReadFont(in.CountedBlock()).face, "微软雅黑");
  EXPECT_TRUE(in.CountedBlock().empty());
  EXPECT_TRUE(in.CountedBlock().empty());
  std::vector<std::uint8_t> columns = in.CountedBlock();
  EXPECT_EQ(columns.size(), 136u);
  EXPECT_TRUE(in.CountedBlock().empty());
  EXPECT_TRUE(in.CountedBlock().empty());
  EXPECT_TRUE(in.at_end());

  const struct {
    std::string title;
    std::int32_t width, alignment;
  } expected[] = {{"id", 30, 0},       {"网站名称", 80, 0}, {"网站地址", 80, 0}, {"帐号", 80, 1},
                  {"密码", 80, 1},     {"备注", 50, 1},     {"加入时间", 80, 0}};
  ui::ByteReader col(columns.data(), columns.size());
  for (const auto& c : expected) {
    EXPECT_EQ(col.U8(), 0);
    EXPECT_EQ(col.I32(), -1);
    EXPECT_EQ(col.I32(), c.alignment);
    EXPECT_EQ(col.I32(), c.width);
    EXPECT_EQ(col.ZeroText(), c.title);
  }
  EXPECT_TRUE(col.at_end());
}

}  // namespace
}  // namespace app::forms
