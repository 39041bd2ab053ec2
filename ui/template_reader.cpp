#include "ui/template_reader.h"

#include "ui/byte_reader.h"

namespace ui {
namespace {

struct Resolver {
  const CodeBase& code_base;
  std::string* error;
  bool ok = true;

  // -1 is no handler; with a handler table every other offset must name an entry.
  rt::Handler Resolve(std::int32_t offset) {
    if (offset == kNoHandler || code_base.handlers == nullptr) return nullptr;
    if (offset < 0 || static_cast<std::uint32_t>(offset) >= code_base.count) {
      if (ok && error != nullptr) *error = "handler offset " + std::to_string(offset) + " outside the handler table";
      ok = false;
      return nullptr;
    }
    return code_base.handlers[offset];
  }
};

void ReadHead(ByteReader& in, RecordHead& head) {
  head.type_code = in.U32();
  head.handler_source = in.U32();
  in.Raw(head.reserved.data(), head.reserved.size());
  head.name = in.ZeroText();
  head.second_name = in.ZeroText();
}

void ReadMenuItem(ByteReader& in, MenuItemRecord& item, Resolver& resolver) {
  ReadHead(in, item);
  item.shortcut = in.U32();
  item.level = in.U32();
  item.flags = in.U32();
  item.caption = in.ZeroText();
  item.handler_offset = in.I32();
  in.Raw(item.reserved_tail.data(), item.reserved_tail.size());
  if (!in.failed()) item.handler = resolver.Resolve(item.handler_offset);
}

void ReadUnit(ByteReader& in, UnitRecord& unit, Resolver& resolver) {
  ReadHead(in, unit);
  unit.object_slot = in.I32();
  unit.left = in.I32();
  unit.top = in.I32();
  unit.width = in.I32();
  unit.height = in.I32();
  unit.cursor_slot = in.I32();
  unit.container = in.U32();
  std::uint32_t children = in.U32();
  if (children > in.remaining() / 4) in.Fail();
  for (std::uint32_t i = 0; i < children && !in.failed(); ++i) unit.children.push_back(in.U32());
  unit.mouse_pointer = in.CountedBlock();
  unit.tag = in.ZeroText();
  unit.reserved_word1 = in.U32();
  unit.flags = in.U32();
  unit.reserved_word2 = in.U32();
  std::uint32_t bindings = in.U32();
  if (bindings > in.remaining() / 8) in.Fail();
  for (std::uint32_t i = 0; i < bindings && !in.failed(); ++i) {
    EventBinding binding;
    binding.event = in.I32();
    binding.handler_offset = in.I32();
    binding.handler = resolver.Resolve(binding.handler_offset);
    unit.events.push_back(binding);
  }
  in.Raw(unit.reserved_tail.data(), unit.reserved_tail.size());
  unit.property_data = in.CountedBlock();
}

bool ReadUnitTable(const std::vector<std::uint8_t>& table, std::uint32_t count, WindowTemplate& window,
                   Resolver& resolver, std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error != nullptr && error->empty()) *error = what;
    return false;
  };
  if (count > table.size() / 8) return fail("unit count larger than the unit table");
  ByteReader head(table.data(), table.size());
  std::vector<UnitId> ids(count);
  std::vector<std::uint32_t> offsets(count);
  for (auto& id : ids) id = head.U32();
  for (auto& offset : offsets) offset = head.U32();
  const std::size_t base = 8 * static_cast<std::size_t>(count);
  window.records.resize(count);
  for (std::uint32_t i = 0; i < count; ++i) {
    TemplateRecord& record = window.records[i];
    record.id = ids[i];
    record.is_menu_item = IsMenuItemId(ids[i]);
    if (offsets[i] > table.size() - base) return fail("record offset past the unit table");
    ByteReader at(table.data() + base + offsets[i], table.size() - base - offsets[i]);
    record.stored_length = at.U32();
    if (at.failed() || record.stored_length > at.remaining())
      return fail("record " + std::to_string(i) + " runs past the unit table");
    ByteReader in(table.data() + base + offsets[i] + 4, record.stored_length);
    if (record.is_menu_item)
      ReadMenuItem(in, record.menu, resolver);
    else
      ReadUnit(in, record.unit, resolver);
    if (in.failed()) return fail("record " + std::to_string(i) + " is truncated");
    if (!in.at_end()) return fail("record " + std::to_string(i) + " has bytes left over");
    if (!resolver.ok) return false;
  }
  return true;
}

}  // namespace

std::optional<TemplateBlock> ReadTemplateBlock(const void* data, std::size_t length, const CodeBase& code_base,
                                               std::string* error) {
  if (error != nullptr) error->clear();
  auto fail = [&](const std::string& what) -> std::optional<TemplateBlock> {
    if (error != nullptr && error->empty()) *error = what;
    return std::nullopt;
  };
  if (data == nullptr && length != 0) return fail("no data");
  ByteReader in(data, length);
  std::vector<std::uint8_t> directory = in.CountedBlock();
  if (in.failed()) return fail("window directory runs past the block");
  const std::size_t count = directory.size() / 8;
  TemplateBlock block;
  block.windows.resize(count);
  ByteReader dir(directory.data(), directory.size());
  for (auto& window : block.windows) window.id = dir.U32();
  for (auto& window : block.windows) window.directory_slot = dir.U32();

  Resolver resolver{code_base, error};
  for (std::size_t w = 0; w < count; ++w) {
    WindowTemplate& window = block.windows[w];
    window.word1 = in.U32();
    window.word2 = in.U32();
    window.text1 = in.CountedText();
    window.text2 = in.CountedText();
    std::uint32_t units = in.U32();
    std::vector<std::uint8_t> table = in.CountedBlock();
    if (in.failed()) return fail("window " + std::to_string(w) + " runs past the block");
    window.stored_table_length = static_cast<std::uint32_t>(table.size());
    if (!ReadUnitTable(table, units, window, resolver, error)) return fail("unreadable unit table");
  }
  return block;
}

namespace {

void WriteHead(ByteWriter& out, const RecordHead& head) {
  out.U32(head.type_code);
  out.U32(head.handler_source);
  out.Raw(head.reserved.data(), head.reserved.size());
  out.ZeroText(head.name);
  out.ZeroText(head.second_name);
}

}  // namespace

std::vector<std::uint8_t> WriteTemplateRecord(const TemplateRecord& record) {
  ByteWriter out;
  if (record.is_menu_item) {
    const MenuItemRecord& item = record.menu;
    WriteHead(out, item);
    out.U32(item.shortcut);
    out.U32(item.level);
    out.U32(item.flags);
    out.ZeroText(item.caption);
    out.I32(item.handler_offset);
    out.Raw(item.reserved_tail.data(), item.reserved_tail.size());
    return out.Take();
  }
  const UnitRecord& unit = record.unit;
  WriteHead(out, unit);
  for (std::int32_t v : {unit.object_slot, unit.left, unit.top, unit.width, unit.height, unit.cursor_slot})
    out.I32(v);
  out.U32(unit.container);
  out.U32(static_cast<std::uint32_t>(unit.children.size()));
  for (UnitId child : unit.children) out.U32(child);
  out.CountedBlock(unit.mouse_pointer);
  out.ZeroText(unit.tag);
  out.U32(unit.reserved_word1);
  out.U32(unit.flags);
  out.U32(unit.reserved_word2);
  out.U32(static_cast<std::uint32_t>(unit.events.size()));
  for (const EventBinding& binding : unit.events) {
    out.I32(binding.event);
    out.I32(binding.handler_offset);
  }
  out.Raw(unit.reserved_tail.data(), unit.reserved_tail.size());
  out.CountedBlock(unit.property_data);
  return out.Take();
}

std::vector<std::uint8_t> WriteTemplateBlock(const TemplateBlock& block) {
  ByteWriter out;
  out.U32(static_cast<std::uint32_t>(8 * block.windows.size()));
  for (const WindowTemplate& window : block.windows) out.U32(window.id);
  for (const WindowTemplate& window : block.windows) out.U32(window.directory_slot);
  for (const WindowTemplate& window : block.windows) {
    out.U32(window.word1);
    out.U32(window.word2);
    out.CountedText(window.text1);
    out.CountedText(window.text2);
    out.U32(static_cast<std::uint32_t>(window.records.size()));
    ByteWriter records;
    std::vector<std::uint32_t> offsets;
    for (const TemplateRecord& record : window.records) {
      offsets.push_back(static_cast<std::uint32_t>(records.bytes().size()));
      records.CountedBlock(WriteTemplateRecord(record));
    }
    ByteWriter table;
    for (const TemplateRecord& record : window.records) table.U32(record.id);
    for (std::uint32_t offset : offsets) table.U32(offset);
    table.Raw(records.bytes().data(), records.bytes().size());
    out.CountedBlock(table.bytes());
  }
  return out.Take();
}

}  // namespace ui
