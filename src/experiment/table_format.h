// The text of a results table: CSV with one header line, the same for the
// design, sweeps and points. The columns are
//   run, the 22 parameter fields (NrofAg ... Dur, EntTurnAgent), fit,
//   newcomer, skills, config, levels, task, status, message, timesteps,
//   agent_1 ... agent_N, slow, sum, mean_nofit, mean_fit, dol, dol_before,
//   dol_after
// A text that holds a comma, a quote or a line break is quoted; an empty
// cell is a value the run does not have.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "experiment/table_row.h"

namespace davrel3 {

// Raised whenever a column is added, removed, renamed or changes meaning.
inline constexpr int kTableSchemaVersion = 2;

std::vector<std::string> TableColumns(int agents);
std::string TableHeader(int agents);
// The cells of a row, one per column, unquoted. `agents` pads the agent
// columns of a row from a smaller group with empty cells.
std::vector<std::string> TableRowCells(const TableRow& row, int agents);
// The row as a CSV line (without its line end).
std::string TableRowText(const TableRow& row, int agents);

// A CSV cell: as it is, or quoted with doubled quotes when it must be.
std::string CsvCell(std::string_view text);

// The agent columns a table needs for these rows.
int AgentColumns(const std::vector<TableRow>& rows);

}  // namespace davrel3
