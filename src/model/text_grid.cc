#include "text_grid.h"

namespace davrel3 {
namespace {
const std::string kEmpty;
}

void TextGrid::SetCell(long long column, long long row, std::string text) {
  if (column < 0 || row < 0) return;  // no cell has a negative address
  if (static_cast<std::size_t>(row) >= cells_.size()) {
    if (text.empty()) return;  // an empty text in a new cell changes nothing
    cells_.resize(static_cast<std::size_t>(row) + 1);
  }
  auto& line = cells_[static_cast<std::size_t>(row)];
  if (static_cast<std::size_t>(column) >= line.size()) {
    if (text.empty()) return;
    line.resize(static_cast<std::size_t>(column) + 1);
  }
  line[static_cast<std::size_t>(column)] = std::move(text);
}

const std::string& TextGrid::Cell(long long column, long long row) const {
  if (column < 0 || row < 0 || static_cast<std::size_t>(row) >= cells_.size()) return kEmpty;
  const auto& line = cells_[static_cast<std::size_t>(row)];
  if (static_cast<std::size_t>(column) >= line.size()) return kEmpty;
  return line[static_cast<std::size_t>(column)];
}

std::vector<std::vector<std::string>> TextGrid::RowMajor() const {
  std::vector<std::vector<std::string>> out(static_cast<std::size_t>(rows_));
  for (int r = 0; r < rows_; ++r) {
    out[r].resize(static_cast<std::size_t>(columns_));
    for (int c = 0; c < columns_; ++c) out[r][c] = Cell(c, r);
  }
  return out;
}

}  // namespace davrel3
