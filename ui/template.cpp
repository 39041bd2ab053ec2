#include "ui/template.h"

namespace ui {

int WindowTemplate::IndexOf(UnitId unit) const {
  for (std::size_t i = 0; i < records.size(); ++i)
    if (records[i].id == unit) return static_cast<int>(i);
  return -1;
}

TemplateRecord* WindowTemplate::Find(UnitId unit) {
  int i = IndexOf(unit);
  return i < 0 ? nullptr : &records[static_cast<std::size_t>(i)];
}

const TemplateRecord* WindowTemplate::Find(UnitId unit) const {
  int i = IndexOf(unit);
  return i < 0 ? nullptr : &records[static_cast<std::size_t>(i)];
}

void WindowTemplate::MenuPart(int* first, int* count) const {
  *first = 0;
  *count = 0;
  std::size_t i = 0;
  while (i < records.size() && !records[i].is_menu_item) ++i;
  std::size_t start = i;
  while (i < records.size() && records[i].is_menu_item) ++i;
  *first = static_cast<int>(start);
  *count = static_cast<int>(i - start);
}

}  // namespace ui
