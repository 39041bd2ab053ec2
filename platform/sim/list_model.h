// The rows and columns of a simulated list view, with the cell, selection
// and focus rules of the native control.
#pragma once

#include <string>
#include <vector>

namespace platform::sim {

class ListModel {
 public:
  struct Column {
    std::string title;  // GBK
    int width = 0;
    int alignment = 0;
  };
  struct Row {
    std::vector<std::string> cells;  // GBK; the first is the row's caption
    bool selected = false;
    bool focused = false;
    bool checked = false;  // its check box, in a list that has them
  };

  const std::vector<Column>& columns() const { return columns_; }
  const std::vector<Row>& rows() const { return rows_; }
  int RowCount() const { return static_cast<int>(rows_.size()); }

  // Inserts at `index`, clamped to the ends.
  void InsertColumn(int index, const std::string& title, int width, int alignment);
  // Inserts a row with its caption at `position`, clamped to the ends;
  // returns where it went.
  int InsertRow(int position, const std::string& caption);
  bool DeleteRow(int row);  // false when there is no such row
  void Clear() { rows_.clear(); }
  // A report list has as many cells as columns; beyond them nothing is
  // kept. False when the cell cannot be.
  bool SetCell(int row, int column, const std::string& text);
  // The cell's text; null outside the rows or the row's cells.
  const std::string* Cell(int row, int column) const;
  // Sets a row's state; a focused row takes the focus from the others.
  // True when the row became the focused one.
  bool SetRowState(int row, bool selected, bool focused);
  void ClearSelection();
  int FirstSelected() const;  // -1 when none
  // Ticks or clears the row's check box; false when there is no such row.
  bool Toggle(int row);
  bool Checked(int row) const { return HasRow(row) && rows_[static_cast<std::size_t>(row)].checked; }

 private:
  bool HasRow(int row) const { return row >= 0 && row < RowCount(); }

  std::vector<Column> columns_;
  std::vector<Row> rows_;
};

}  // namespace platform::sim
