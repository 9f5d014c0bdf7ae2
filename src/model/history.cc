#include "history.h"

namespace davrel3 {
namespace {

template <typename Row>
void ResizeRows(std::vector<std::vector<Row>>& table, std::size_t rows, std::size_t agents) {
  table.resize(rows);
  for (auto& row : table) row.resize(agents, Row{});
}

}  // namespace

void DefineGraphics(RunHistory& history, int cycles, int tasks, int agents) {
  history.TotalCycles = static_cast<std::int64_t>(cycles) * tasks;
  history.HistoryLength = kDefaultHistoryLength;
  const std::size_t rows = static_cast<std::size_t>(history.HistoryLength) + 1;
  const std::size_t n = static_cast<std::size_t>(agents);
  ResizeRows(history.ExpertiseHistory, rows, n);
  ResizeRows(history.MotivationHistory, rows, n);
  ResizeRows(history.InTaskHistory, static_cast<std::size_t>(tasks), n);
  ResizeRows(history.FlagHistory, rows, n);
  history.CoordinationHistory.resize(rows, 0);
  history.StepWorkHistory.resize(rows);
  for (auto& row : history.StepWorkHistory) row.resize(n + 1, 0.0);
  history.TaskWorkHistory.resize(static_cast<std::size_t>(tasks) + 2);
  for (auto& row : history.TaskWorkHistory) row.resize(n + 2, 0.0);
}

std::int64_t HistoryBytes(std::int64_t rows, int agents) {
  return rows * agents * kSkillSlots * 2 * static_cast<std::int64_t>(sizeof(double));
}

bool EnsureHistoryRow(RunHistory& history, std::int64_t row, int agents) {
  if (row < static_cast<std::int64_t>(history.ExpertiseHistory.size())) return true;
  if (HistoryBytes(row + 1, agents) > history.ByteLimit) return false;
  const std::size_t rows = static_cast<std::size_t>(row) + 1;
  const std::size_t n = static_cast<std::size_t>(agents);
  // Only the new rows need sizing; revisiting the kept ones at every row made
  // a long run quadratic in its length.
  history.ExpertiseHistory.resize(rows, std::vector<SkillSlots>(n, SkillSlots{}));
  history.MotivationHistory.resize(rows, std::vector<SkillSlots>(n, SkillSlots{}));
  history.FlagHistory.resize(rows, std::vector<SkillFlags>(n, SkillFlags{}));
  history.CoordinationHistory.resize(rows, 0);
  history.StepWorkHistory.resize(rows, std::vector<double>(n + 1, 0.0));
  if (row > history.HistoryLength) history.HistoryLength = static_cast<int>(row);
  return true;
}

void EnsureTaskWorkRow(RunHistory& history, std::int64_t row, int agents) {
  if (row < static_cast<std::int64_t>(history.TaskWorkHistory.size())) return;
  history.TaskWorkHistory.resize(static_cast<std::size_t>(row) + 1,
                                 std::vector<double>(static_cast<std::size_t>(agents) + 2, 0.0));
}

void EnsureInTaskRow(RunHistory& history, std::int64_t row, int agents) {
  if (row < static_cast<std::int64_t>(history.InTaskHistory.size())) return;
  history.InTaskHistory.resize(static_cast<std::size_t>(row) + 1,
                               std::vector<SkillFlags>(static_cast<std::size_t>(agents), SkillFlags{}));
}

double TaskWorkAt(const RunHistory& history, long long row, long long column) {
  if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= history.TaskWorkHistory.size()) return 0.0;
  const auto& line = history.TaskWorkHistory[static_cast<std::size_t>(row)];
  if (static_cast<std::size_t>(column) >= line.size()) return 0.0;
  return line[static_cast<std::size_t>(column)];
}

}  // namespace davrel3
