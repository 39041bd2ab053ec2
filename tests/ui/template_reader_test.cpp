#include <gtest/gtest.h>

#include <vector>

#include "ui/byte_reader.h"
#include "ui/template_reader.h"

namespace ui {
namespace {

int g_calls[3];
void H0() { ++g_calls[0]; }
void H1() { ++g_calls[1]; }
void H2() { ++g_calls[2]; }
const rt::Handler kHandlers[] = {H0, H1, H2};
const CodeBase kCodeBase{kHandlers, 3};

// Field-by-field builders, independent of the writer under test.
std::vector<std::uint8_t> UnitRecordBytes(std::uint32_t type, const std::string& name, std::int32_t left,
                                          std::uint32_t flags, const std::vector<std::pair<int, int>>& events,
                                          const std::vector<std::uint8_t>& property_data,
                                          const std::string& tag = "") {
  ByteWriter w;
  w.U32(type);
  w.U32(0);
  for (int i = 0; i < 16; ++i) w.U8(0);
  w.ZeroText(name);
  w.ZeroText("");
  for (std::int32_t v : {0, left, 20, 300, 40, 0, 0}) w.I32(v);
  w.U32(0);  // no children
  w.U32(0);  // empty mouse pointer
  w.ZeroText(tag);
  w.U32(0);
  w.U32(flags);
  w.U32(0);
  w.U32(static_cast<std::uint32_t>(events.size()));
  for (auto [event, offset] : events) {
    w.I32(event);
    w.I32(offset);
  }
  for (int i = 0; i < 20; ++i) w.U8(0);
  w.CountedBlock(property_data);
  return w.Take();
}

std::vector<std::uint8_t> MenuRecordBytes(const std::string& caption, std::uint32_t level, std::uint32_t flags,
                                          std::int32_t handler) {
  ByteWriter w;
  w.U32(0x00010003);
  w.U32(0);
  for (int i = 0; i < 16; ++i) w.U8(0);
  w.ZeroText("");
  w.ZeroText("");
  w.U32(0);
  w.U32(level);
  w.U32(flags);
  w.ZeroText(caption);
  w.I32(handler);
  for (int i = 0; i < 16; ++i) w.U8(0);
  return w.Take();
}

std::vector<std::uint8_t> UnitTable(const std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>>& recs) {
  ByteWriter ids, offsets, body;
  for (const auto& [id, bytes] : recs) {
    ids.U32(id);
    offsets.U32(static_cast<std::uint32_t>(body.bytes().size()));
    body.CountedBlock(bytes);
  }
  ByteWriter table;
  table.Raw(ids.bytes().data(), ids.bytes().size());
  table.Raw(offsets.bytes().data(), offsets.bytes().size());
  table.Raw(body.bytes().data(), body.bytes().size());
  return table.Take();
}

// One window: window unit (empty property data), a menu of three items with
// handler offsets -1, 0 and 2, a menu item outside the run, and an edit box.
std::vector<std::uint8_t> SampleBlock() {
  std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> recs = {
      {0x06010002, UnitRecordBytes(0x00010001, "", 10, 1, {{0, 0}, {2, -1}}, {})},
      {0x26010003, MenuRecordBytes("文件", 0, 0, -1)},
      {0x26010004, MenuRecordBytes("打开", 1, 2, 0)},
      {0x26010005, MenuRecordBytes("-", 1, 1, 2)},
      {0x16010006, UnitRecordBytes(0x00010005, "编辑框_帐号", -7, 5, {{0, 1}}, {2, 0, 0, 0}, "标记")},
      {0x26010007, MenuRecordBytes("", 0, 0, -1)},
  };
  ByteWriter block;
  block.U32(8);
  block.U32(0x52010001);
  block.U32(0xDEADBEEF);  // the slot: any value
  block.U32(0x02680A60);
  block.U32(0x19010004);
  block.CountedText("");
  block.CountedText("t2");
  block.U32(static_cast<std::uint32_t>(recs.size()));
  block.CountedBlock(UnitTable(recs));
  return block.Take();
}

TEST(TemplateReader, EmptyDirectoryGivesNoWindows) {
  const std::uint8_t empty[4] = {0, 0, 0, 0};
  auto block = ReadTemplateBlock(empty, sizeof empty, kCodeBase);
  ASSERT_TRUE(block.has_value());
  EXPECT_TRUE(block->windows.empty());
  // A directory length that is not a multiple of 8 keeps the whole entries only.
  const std::uint8_t odd[8] = {4, 0, 0, 0, 1, 2, 3, 4};
  block = ReadTemplateBlock(odd, sizeof odd, kCodeBase);
  ASSERT_TRUE(block.has_value());
  EXPECT_TRUE(block->windows.empty());
}

TEST(TemplateReader, ReadsWindowsUnitsAndMenuItems) {
  std::vector<std::uint8_t> bytes = SampleBlock();
  std::string error;
  auto block = ReadTemplateBlock(bytes.data(), bytes.size(), kCodeBase, &error);
  ASSERT_TRUE(block.has_value()) << error;
  ASSERT_EQ(block->windows.size(), 1u);
  const WindowTemplate& window = block->windows[0];
  EXPECT_EQ(window.id, 0x52010001u);
  EXPECT_EQ(window.directory_slot, 0xDEADBEEFu);
  EXPECT_EQ(window.word1, 0x02680A60u);
  EXPECT_EQ(window.word2, 0x19010004u);
  EXPECT_EQ(window.text2, "t2");
  ASSERT_EQ(window.records.size(), 6u);

  const UnitRecord& own = window.records[0].unit;
  EXPECT_FALSE(window.records[0].is_menu_item);
  EXPECT_EQ(own.type_code, 0x00010001u);
  EXPECT_TRUE(own.property_data.empty());
  ASSERT_EQ(own.events.size(), 2u);
  EXPECT_EQ(own.events[0].handler, &H0) << "offset 0 is a real handler at the code base";
  EXPECT_EQ(own.events[1].handler, nullptr) << "offset -1 is no handler";
  EXPECT_EQ(own.events[1].handler_offset, -1);

  const MenuItemRecord& open = window.records[2].menu;
  EXPECT_TRUE(window.records[2].is_menu_item);
  EXPECT_EQ(open.caption, "打开");
  EXPECT_EQ(open.level, 1u);
  EXPECT_EQ(open.flags, MenuItemRecord::kDisabled);
  EXPECT_EQ(open.handler, &H0);
  EXPECT_EQ(window.records[3].menu.handler, &H2);
  EXPECT_EQ(window.records[1].menu.handler, nullptr);
  EXPECT_EQ(window.records[2].stored_length, 24u + 2 + 12 + 5 + 4 + 16);

  const UnitRecord& edit = window.records[4].unit;
  EXPECT_EQ(edit.name, "编辑框_帐号");
  EXPECT_EQ(edit.left, -7);
  EXPECT_EQ(edit.tag, "标记");
  EXPECT_EQ(edit.flags, 5u);
  EXPECT_EQ(edit.property_data, (std::vector<std::uint8_t>{2, 0, 0, 0}));
  EXPECT_EQ(edit.events[0].handler, &H1);

  int first = 0, count = 0;
  window.MenuPart(&first, &count);
  EXPECT_EQ(first, 1);
  EXPECT_EQ(count, 3) << "a menu item after the first run belongs to no menu";
  EXPECT_EQ(window.IndexOf(0x16010006), 4);
  EXPECT_EQ(window.Find(0x16999999), nullptr);
}

TEST(TemplateReader, WriterReproducesTheBlockExactly) {
  std::vector<std::uint8_t> bytes = SampleBlock();
  auto block = ReadTemplateBlock(bytes.data(), bytes.size(), CodeBase{});
  ASSERT_TRUE(block.has_value());
  EXPECT_EQ(WriteTemplateBlock(*block), bytes);
  // Without a handler table the offsets are kept and nothing is resolved.
  EXPECT_EQ(block->windows[0].records[4].unit.events[0].handler_offset, 1);
  EXPECT_EQ(block->windows[0].records[4].unit.events[0].handler, nullptr);
}

TEST(TemplateReader, EveryTruncationIsAnError) {
  std::vector<std::uint8_t> bytes = SampleBlock();
  for (std::size_t n = 0; n < bytes.size(); ++n)
    EXPECT_FALSE(ReadTemplateBlock(bytes.data(), n, kCodeBase).has_value()) << "length " << n;
}

TEST(TemplateReader, RejectsMalformedRecordsAndHandlers) {
  // A handler offset beyond the handler table.
  std::vector<std::pair<std::uint32_t, std::vector<std::uint8_t>>> recs = {
      {0x06010002, UnitRecordBytes(0x00010001, "", 0, 1, {{0, 3}}, {})}};
  ByteWriter block;
  block.U32(8);
  block.U32(0x52010001);
  block.U32(0);
  block.U32(0);
  block.U32(0);
  block.CountedText("");
  block.CountedText("");
  block.U32(1);
  block.CountedBlock(UnitTable(recs));
  std::string error;
  EXPECT_FALSE(ReadTemplateBlock(block.bytes().data(), block.bytes().size(), kCodeBase, &error).has_value());
  EXPECT_NE(error.find("handler"), std::string::npos);

  // A record with bytes after its property data.
  auto record = UnitRecordBytes(0x00010001, "", 0, 1, {}, {});
  record.push_back(7);
  ByteWriter extra;
  extra.U32(8);
  extra.U32(0x52010001);
  extra.U32(0);
  extra.U32(0);
  extra.U32(0);
  extra.CountedText("");
  extra.CountedText("");
  extra.U32(1);
  extra.CountedBlock(UnitTable({{0x06010002, record}}));
  EXPECT_FALSE(ReadTemplateBlock(extra.bytes().data(), extra.bytes().size(), kCodeBase).has_value());

  // A unit count larger than the table can hold.
  ByteWriter big;
  big.U32(8);
  big.U32(0x52010001);
  big.U32(0);
  big.U32(0);
  big.U32(0);
  big.CountedText("");
  big.CountedText("");
  big.U32(1000);
  big.CountedBlock(UnitTable(recs));
  EXPECT_FALSE(ReadTemplateBlock(big.bytes().data(), big.bytes().size(), CodeBase{}).has_value());
}

TEST(TemplateReader, UnitIdShapes) {
  EXPECT_TRUE(IsValidUnitId(0x52010001));
  EXPECT_FALSE(IsValidUnitId(0x52000000));
  EXPECT_FALSE(IsValidUnitId(0x50010001));
  EXPECT_TRUE(IsMenuItemId(0x26010003));
  EXPECT_FALSE(IsMenuItemId(0x16010003));
}

}  // namespace
}  // namespace ui
