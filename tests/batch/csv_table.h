// Reads a results table as the runner writes it (CSV with one header line,
// quoted cells where needed) so tests can look cells up by column name.
#pragma once

#include <map>
#include <stdexcept>
#include <string>
#include <vector>

namespace davrel3::testing {

struct CsvTable {
  std::vector<std::string> columns;
  std::vector<std::vector<std::string>> rows;

  // The cell of row r in the named column; throws for a column the table lacks.
  const std::string& At(std::size_t r, const std::string& column) const {
    for (std::size_t c = 0; c < columns.size(); ++c) {
      if (columns[c] == column) return rows.at(r).at(c);
    }
    throw std::out_of_range("no column " + column);
  }
  bool Has(const std::string& column) const {
    for (const auto& c : columns) {
      if (c == column) return true;
    }
    return false;
  }
};

// Every record of the text; a quoted cell may hold commas, quotes and line breaks.
inline std::vector<std::vector<std::string>> CsvRecords(const std::string& text) {
  std::vector<std::vector<std::string>> records;
  std::vector<std::string> cells(1);
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        cells.back() += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        cells.back() += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',') {
      cells.emplace_back();
    } else if (c == '\n') {
      records.push_back(cells);
      cells.assign(1, std::string());
    } else {
      cells.back() += c;
    }
  }
  if (cells.size() > 1 || !cells[0].empty()) records.push_back(cells);
  return records;
}

// The table; every row must have as many cells as the header.
inline CsvTable ReadCsvTable(const std::string& text) {
  CsvTable table;
  auto records = CsvRecords(text);
  if (records.empty()) return table;
  table.columns = records.front();
  for (std::size_t r = 1; r < records.size(); ++r) {
    if (records[r].size() != table.columns.size()) {
      throw std::runtime_error("row " + std::to_string(r) + " has " + std::to_string(records[r].size()) +
                               " cells, the header " + std::to_string(table.columns.size()));
    }
    table.rows.push_back(records[r]);
  }
  return table;
}

}  // namespace davrel3::testing
