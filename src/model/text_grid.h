// The texts of a string grid (task grid, allocation grid, work-time grid),
// held outside any widget so that the window and the headless runner show the
// same cells.
//
// A grid is never cleared: a cell keeps its text until it is written again,
// also when it lies outside the current column and row counts (a run may write
// a row that only the next draw adds), and a resize never drops a text.
#pragma once

#include <string>
#include <vector>

namespace davrel3 {

class TextGrid {
 public:
  TextGrid() = default;
  TextGrid(int columns, int rows) : columns_(columns), rows_(rows) {}

  int ColumnCount() const { return columns_; }
  int RowCount() const { return rows_; }
  void SetColumnCount(int columns) { columns_ = columns < 0 ? 0 : columns; }
  void SetRowCount(int rows) { rows_ = rows < 0 ? 0 : rows; }

  // Cells are addressed (column, row), as the grids count them.
  void SetCell(long long column, long long row, std::string text);
  const std::string& Cell(long long column, long long row) const;

  // The texts inside the current counts, row by row; "" for unwritten cells.
  std::vector<std::vector<std::string>> RowMajor() const;

 private:
  int columns_ = 0;
  int rows_ = 0;
  std::vector<std::vector<std::string>> cells_;  // [row][column]
};

}  // namespace davrel3
