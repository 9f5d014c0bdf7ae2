#include "history.h"

#include <algorithm>

namespace davrel3 {
namespace {

// The table with `rows` rows of `agents` entries: kept cells keep their
// values, new ones are zero. Built aside, so running out of memory leaves the
// table as it was.
template <typename Row>
std::vector<std::vector<Row>> Resized(const std::vector<std::vector<Row>>& table, std::size_t rows,
                                      std::size_t agents, const Row& zero) {
  const std::size_t kept = table.size() < rows ? table.size() : rows;
  std::vector<std::vector<Row>> next(table.begin(), table.begin() + static_cast<std::ptrdiff_t>(kept));
  next.resize(rows);
  for (auto& row : next) row.resize(agents, zero);
  return next;
}

}  // namespace

void DefineGraphics(RunHistory& history, int cycles, int tasks, int agents) {
  const int length = kDefaultHistoryLength;
  const std::size_t rows = static_cast<std::size_t>(length) + 1;
  const std::size_t n = static_cast<std::size_t>(agents);
  // Every table is resized aside first; only when all have their memory are
  // they swapped in, so a commit that runs out of memory changes nothing.
  auto expertise = Resized(history.ExpertiseHistory, rows, n, SkillSlots{});
  auto motivation = Resized(history.MotivationHistory, rows, n, SkillSlots{});
  auto inTask = Resized(history.InTaskHistory, static_cast<std::size_t>(tasks), n, SkillFlags{});
  auto flags = Resized(history.FlagHistory, rows, n, SkillFlags{});
  std::vector<int> coordination(history.CoordinationHistory.begin(),
                                history.CoordinationHistory.begin() +
                                    static_cast<std::ptrdiff_t>(std::min(rows, history.CoordinationHistory.size())));
  coordination.resize(rows, 0);
  auto stepWork = Resized(history.StepWorkHistory, rows, n + 1, 0.0);
  auto taskWork = Resized(history.TaskWorkHistory, static_cast<std::size_t>(tasks) + 2, n + 2, 0.0);

  history.TotalCycles = static_cast<std::int64_t>(cycles) * tasks;
  history.HistoryLength = length;
  history.ExpertiseHistory = std::move(expertise);
  history.MotivationHistory = std::move(motivation);
  history.InTaskHistory = std::move(inTask);
  history.FlagHistory = std::move(flags);
  history.CoordinationHistory = std::move(coordination);
  history.StepWorkHistory = std::move(stepWork);
  history.TaskWorkHistory = std::move(taskWork);
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
