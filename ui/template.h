// The window templates as the program carries them: one read-only block with
// a window directory followed by one template per window. This header is the
// decoded model of that block; template_reader.h reads it, template_writer.h
// writes it back byte for byte.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "runtime/program.h"

namespace ui {

using UnitId = std::uint32_t;

// Valid: low 24 bits non-zero and bits 24..27 non-zero.
inline bool IsValidUnitId(UnitId id) { return (id & 0x00FFFFFFu) != 0 && (id & 0x0F000000u) != 0; }
// Menu items: top nibble 2, next nibble 6 (0x26xxxxxx).
inline bool IsMenuItemId(UnitId id) { return (id >> 24) == 0x26; }

inline constexpr std::int32_t kNoHandler = -1;

struct EventBinding {
  std::int32_t event = 0;
  std::int32_t handler_offset = kNoHandler;  // as stored; -1 = none
  rt::Handler handler = nullptr;             // fixed up against the code base
};

// Fields shared by both record layouts.
struct RecordHead {
  std::uint32_t type_code = 0;
  UnitId handler_source = 0;  // another unit whose bindings this one uses
  std::array<std::uint8_t, 16> reserved{};
  std::string name;         // GBK
  std::string second_name;  // GBK
};

struct UnitRecord : RecordHead {
  // Geometry block: object slot, left, top, width, height, cursor slot,
  // container id. The slots are kept only so a block re-encodes exactly.
  std::int32_t object_slot = 0;
  std::int32_t left = 0, top = 0, width = 0, height = 0;
  std::int32_t cursor_slot = 0;
  UnitId container = 0;
  std::vector<UnitId> children;  // pages separated by a 0 id
  std::vector<std::uint8_t> mouse_pointer;
  std::string tag;  // GBK
  std::uint32_t reserved_word1 = 0;
  std::uint32_t flags = 0;  // kVisible, kDisabled, kTabStop
  std::uint32_t reserved_word2 = 0;
  std::vector<EventBinding> events;
  std::array<std::uint8_t, 20> reserved_tail{};
  std::vector<std::uint8_t> property_data;  // the type's own data; may be empty

  static constexpr std::uint32_t kVisible = 1;
  static constexpr std::uint32_t kDisabled = 2;
  static constexpr std::uint32_t kTabStop = 4;
};

struct MenuItemRecord : RecordHead {
  std::uint32_t shortcut = 0;  // 0 = none, 1..76 the shortcut table
  std::uint32_t level = 0;     // 0 = item of the menu bar
  std::uint32_t flags = 0;     // kHidden, kDisabled, kChecked
  std::string caption;         // GBK
  std::int32_t handler_offset = kNoHandler;
  rt::Handler handler = nullptr;
  std::array<std::uint8_t, 16> reserved_tail{};

  static constexpr std::uint32_t kHidden = 1;
  static constexpr std::uint32_t kDisabled = 2;
  static constexpr std::uint32_t kChecked = 4;
};

// One entry of a unit table: its id and either layout (chosen by the id).
struct TemplateRecord {
  UnitId id = 0;
  bool is_menu_item = false;
  UnitRecord unit;      // when !is_menu_item
  MenuItemRecord menu;  // when is_menu_item
  std::uint32_t stored_length = 0;  // the record's length word as read (0 when built in memory)

  const RecordHead& head() const { return is_menu_item ? static_cast<const RecordHead&>(menu) : unit; }
};

struct WindowTemplate {
  UnitId id = 0;
  std::uint32_t word1 = 0;
  std::uint32_t word2 = 0;
  std::string text1;
  std::string text2;
  std::uint32_t directory_slot = 0;  // the slot word as stored
  std::vector<TemplateRecord> records;  // record 0 is the window's own unit
  std::uint32_t stored_table_length = 0;  // the unit table's length as read

  // First record with this id (table order), or null.
  TemplateRecord* Find(UnitId unit);
  const TemplateRecord* Find(UnitId unit) const;
  int IndexOf(UnitId unit) const;  // -1 when absent
  // The menu part: the first contiguous run of menu item records.
  // [first, first + count); count 0 when there is none.
  void MenuPart(int* first, int* count) const;
};

struct TemplateBlock {
  std::vector<WindowTemplate> windows;  // directory order
};

}  // namespace ui
