#include "ui/menu.h"

namespace ui {
namespace {

struct MenuBuilder {
  const std::vector<TemplateRecord>& records;
  int first;  // first record of the menu part: command ids count from here
  int end;
  std::vector<std::pair<int, int>>* accelerators;

  int Level(int pos) const { return static_cast<int>(records[static_cast<std::size_t>(pos)].menu.level); }

  // Items from *pos at `level`, with their deeper items, until a shallower one.
  std::vector<platform::MenuEntry> Build(int* pos, int level) {
    std::vector<platform::MenuEntry> out;
    while (*pos < end && records[static_cast<std::size_t>(*pos)].is_menu_item && Level(*pos) >= level) {
      int index = (*pos)++;
      const MenuItemRecord& item = records[static_cast<std::size_t>(index)].menu;
      bool has_children = *pos < end && records[static_cast<std::size_t>(*pos)].is_menu_item &&
                          Level(*pos) > static_cast<int>(item.level);
      if (static_cast<int>(item.level) > level || (item.flags & MenuItemRecord::kHidden) != 0) {
        // An item without a parent at this level, or a hidden one: skipped with its sub-items.
        while (*pos < end && records[static_cast<std::size_t>(*pos)].is_menu_item &&
               Level(*pos) > static_cast<int>(item.level))
          ++*pos;
        continue;
      }
      platform::MenuEntry entry;
      entry.greyed = (item.flags & MenuItemRecord::kDisabled) != 0;
      int command = kFirstMenuCommand + (index - first);
      std::string shortcut;
      int key = 0;
      bool has_shortcut = ShortcutOf(item.shortcut, &shortcut, &key);
      if (has_shortcut && accelerators != nullptr) accelerators->emplace_back(key, command);
      if (has_children) {
        entry.caption = item.caption;
        entry.children = Build(pos, static_cast<int>(item.level) + 1);
      } else {
        entry.caption = item.caption;
        if (item.caption != "-" && has_shortcut) entry.caption += "\t" + shortcut;
        entry.command = command;
        entry.checked = (item.flags & MenuItemRecord::kChecked) != 0;
      }
      out.push_back(std::move(entry));
    }
    return out;
  }
};

}  // namespace

bool ShortcutOf(std::uint32_t code, std::string* name, int* key) {
  using platform::key::kCtrl;
  using platform::key::kShift;
  auto f = [](std::uint32_t n) {
    std::string name(1, 'F');
    name += std::to_string(n);
    return name;
  };
  if (code >= 1 && code <= 26) {
    *name = std::string("Ctrl+") + static_cast<char>('A' + code - 1);
    *key = kCtrl | static_cast<int>('A' + code - 1);
  } else if (code >= 27 && code <= 38) {
    *name = f(code - 26);
    *key = platform::key::kF1 + static_cast<int>(code - 27);
  } else if (code >= 39 && code <= 50) {
    *name = "Ctrl+" + f(code - 38);
    *key = kCtrl | (platform::key::kF1 + static_cast<int>(code - 39));
  } else if (code >= 51 && code <= 62) {
    *name = "Shift+" + f(code - 50);
    *key = kShift | (platform::key::kF1 + static_cast<int>(code - 51));
  } else if (code >= 63 && code <= 74) {
    *name = "Ctrl+Shift+" + f(code - 62);
    *key = kCtrl | kShift | (platform::key::kF1 + static_cast<int>(code - 63));
  } else if (code == 75) {
    *name = "Ins";
    *key = 0x2D;
  } else if (code == 76) {
    *name = "Del";
    *key = 0x2E;
  } else {
    return false;
  }
  return true;
}

BuiltMenu BuildMenuBar(const WindowTemplate& tmpl) {
  int first = 0, count = 0;
  tmpl.MenuPart(&first, &count);
  BuiltMenu built;
  MenuBuilder builder{tmpl.records, first, first + count, &built.accelerators};
  int pos = first;
  while (pos < first + count) {
    std::vector<platform::MenuEntry> part = builder.Build(&pos, 0);
    built.entries.insert(built.entries.end(), part.begin(), part.end());
  }
  return built;
}

std::vector<platform::MenuEntry> BuildPopup(const WindowTemplate& tmpl, int item) {
  if (item < 0 || static_cast<std::size_t>(item) >= tmpl.records.size() ||
      !tmpl.records[static_cast<std::size_t>(item)].is_menu_item)
    return {};
  int first = 0, count = 0;
  tmpl.MenuPart(&first, &count);
  // Sub-items are the following records of a deeper level.
  std::uint32_t level = tmpl.records[static_cast<std::size_t>(item)].menu.level;
  int end = item + 1;
  while (static_cast<std::size_t>(end) < tmpl.records.size() && tmpl.records[static_cast<std::size_t>(end)].is_menu_item &&
         tmpl.records[static_cast<std::size_t>(end)].menu.level > level)
    ++end;
  if (end == item + 1) return {};
  MenuBuilder builder{tmpl.records, first, end, nullptr};
  int pos = item + 1;
  std::vector<platform::MenuEntry> out;
  while (pos < end) {
    std::vector<platform::MenuEntry> part = builder.Build(&pos, static_cast<int>(level) + 1);
    out.insert(out.end(), part.begin(), part.end());
    if (pos < end && tmpl.records[static_cast<std::size_t>(pos)].menu.level < level + 1) ++pos;  // malformed: step on
  }
  return out;
}

}  // namespace ui
