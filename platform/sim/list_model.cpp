#include "platform/sim/list_model.h"

#include <algorithm>

namespace platform::sim {

void ListModel::InsertColumn(int index, const std::string& title, int width, int alignment) {
  index = std::clamp(index, 0, static_cast<int>(columns_.size()));
  columns_.insert(columns_.begin() + index, Column{title, width, alignment});
}

int ListModel::InsertRow(int position, const std::string& caption) {
  position = std::clamp(position, 0, RowCount());
  Row row;
  row.cells.push_back(caption);
  rows_.insert(rows_.begin() + position, std::move(row));
  return position;
}

bool ListModel::DeleteRow(int row) {
  if (!HasRow(row)) return false;
  rows_.erase(rows_.begin() + row);
  return true;
}

bool ListModel::SetCell(int row, int column, const std::string& text) {
  if (!HasRow(row) || column < 0) return false;
  if (!columns_.empty() && column >= static_cast<int>(columns_.size())) return false;
  auto& cells = rows_[static_cast<std::size_t>(row)].cells;
  if (static_cast<int>(cells.size()) <= column) cells.resize(static_cast<std::size_t>(column) + 1);
  cells[static_cast<std::size_t>(column)] = text;
  return true;
}

const std::string* ListModel::Cell(int row, int column) const {
  if (!HasRow(row) || column < 0) return nullptr;
  const auto& cells = rows_[static_cast<std::size_t>(row)].cells;
  return column < static_cast<int>(cells.size()) ? &cells[static_cast<std::size_t>(column)] : nullptr;
}

bool ListModel::SetRowState(int row, bool selected, bool focused) {
  if (!HasRow(row)) return false;
  Row& target = rows_[static_cast<std::size_t>(row)];
  bool newly_focused = focused && !target.focused;
  if (focused)
    for (Row& other : rows_) other.focused = false;
  target.selected = selected;
  target.focused = focused;
  return newly_focused;
}

void ListModel::ClearSelection() {
  for (Row& row : rows_) row.selected = false;
}

int ListModel::FirstSelected() const {
  for (std::size_t i = 0; i < rows_.size(); ++i)
    if (rows_[i].selected) return static_cast<int>(i);
  return -1;
}

bool ListModel::Toggle(int row) {
  if (!HasRow(row)) return false;
  Row& target = rows_[static_cast<std::size_t>(row)];
  target.checked = !target.checked;
  return true;
}

}  // namespace platform::sim
