#include "table_format.h"

#include <algorithm>

#include "experiment/design.h"
#include "model/int_text.h"

namespace davrel3 {

std::vector<std::string> TableColumns(int agents) {
  std::vector<std::string> columns{"run"};
  for (int f = 0; f < kFieldCount; ++f) columns.emplace_back(FieldName(static_cast<Field>(f)));
  for (int c = 0; c < kChoiceCount; ++c) columns.emplace_back(ChoiceOption(static_cast<Choice>(c)));
  for (const char* name : {"config", "levels", "task", "status", "message", "timesteps"}) columns.emplace_back(name);
  for (int j = 1; j <= agents; ++j) columns.push_back("agent_" + IntToStr(j));
  for (const char* name : {"slow", "sum", "mean_nofit", "mean_fit", "dol", "dol_before", "dol_after"}) {
    columns.emplace_back(name);
  }
  return columns;
}

std::string TableHeader(int agents) {
  std::string header;
  for (const auto& column : TableColumns(agents)) {
    if (!header.empty()) header += ',';
    header += column;
  }
  return header;
}

std::string CsvCell(std::string_view text) {
  if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
  std::string cell = "\"";
  for (char c : text) {
    if (c == '"') cell += '"';
    cell += c;
  }
  return cell + '"';
}

std::vector<std::string> TableRowCells(const TableRow& row, int agents) {
  std::vector<std::string> cells;
  cells.reserve(static_cast<std::size_t>(kFieldCount + agents + 16));
  cells.push_back(IntToStr(row.run));
  for (int f = 0; f < kFieldCount; ++f) {
    cells.push_back(row.parameters.fields[f] ? IntToStr(*row.parameters.fields[f]) : std::string());
  }
  for (int c = 0; c < kChoiceCount; ++c) {
    const Choice choice = static_cast<Choice>(c);
    cells.emplace_back(ItemLabel(choice, row.Item(choice)));
  }
  cells.push_back(row.config);
  cells.push_back(row.levels);
  cells.push_back(row.task > 0 ? IntToStr(row.task) : std::string());
  cells.emplace_back(RunStatusName(row.status));
  cells.push_back(row.message);
  if (row.task == 0) {
    // A run without tasks has no numbers: empty cells keep the columns aligned.
    cells.resize(cells.size() + static_cast<std::size_t>(agents) + 8);
    return cells;
  }
  cells.push_back(IntToStr(row.timesteps));
  for (int j = 0; j < agents; ++j) {
    cells.push_back(j < static_cast<int>(row.agentTimes.size()) ? ShortestNumber(row.agentTimes[j]) : std::string());
  }
  for (double measure : {row.slow, row.sum, row.meanNoFit, row.meanFit}) cells.push_back(ShortestNumber(measure));
  // Undefined (no unit performed in the timesteps concerned): an empty cell.
  for (const auto& value : {row.dol, row.dolBefore, row.dolAfter}) {
    cells.push_back(value ? ShortestNumber(*value) : std::string());
  }
  return cells;
}

std::string TableRowText(const TableRow& row, int agents) {
  std::string line;
  bool first = true;
  for (const auto& cell : TableRowCells(row, agents)) {
    if (!first) line += ',';
    first = false;
    line += CsvCell(cell);
  }
  return line;
}

int AgentColumns(const std::vector<TableRow>& rows) {
  std::size_t agents = 0;
  for (const auto& row : rows) agents = std::max(agents, row.agentTimes.size());
  return static_cast<int>(agents);
}

}  // namespace davrel3
