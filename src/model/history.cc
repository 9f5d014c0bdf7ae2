#include "history.h"

#include <algorithm>

#include "int_text.h"

namespace davrel3 {
namespace {

// `table` (old width `oldWidth` per row) laid out afresh with `rows` rows of
// `width` values: kept cells keep their values, new ones are zero. A fresh
// array also gives back the memory of a long run's rows.
template <typename T>
HistoryArray<T> Relaid(const HistoryArray<T>& table, std::size_t oldWidth, std::size_t width, std::size_t rows) {
  HistoryArray<T> fresh(rows * width, T{});
  const std::size_t oldRows = oldWidth == 0 ? 0 : table.size() / oldWidth;
  const std::size_t keptRows = std::min(rows, oldRows);
  const std::size_t keptWidth = std::min(width, oldWidth);
  for (std::size_t r = 0; r < keptRows; ++r) {
    std::copy_n(table.begin() + r * oldWidth, keptWidth, fresh.begin() + r * width);
  }
  return fresh;
}

// The nested table with `rows` rows of `agents` entries, kept cells kept.
template <typename Row>
std::vector<std::vector<Row>> Resized(const std::vector<std::vector<Row>>& table, std::size_t rows,
                                      std::size_t agents, const Row& zero) {
  const std::size_t kept = table.size() < rows ? table.size() : rows;
  std::vector<std::vector<Row>> next(table.begin(), table.begin() + static_cast<std::ptrdiff_t>(kept));
  next.resize(rows);
  for (auto& row : next) row.resize(agents, zero);
  return next;
}

// Room for `rows` rows of `width` in `table`. The capacity at least doubles
// when it runs out, so a long run reallocates only a few times. Throws
// std::bad_alloc leaving the table as it was.
template <typename T>
void Reserve(HistoryArray<T>& table, std::size_t width, std::size_t rows) {
  const std::size_t wanted = rows * width;
  if (wanted > table.capacity()) table.reserve(std::max(wanted, 2 * table.capacity()));
}

}  // namespace

void DefineGraphics(RunHistory& history, int cycles, int tasks, int agents, bool timesteps) {
  const std::size_t rows = timesteps ? static_cast<std::size_t>(kDefaultHistoryLength) + 1 : 0;
  const std::size_t n = static_cast<std::size_t>(agents);
  const std::size_t oldN = static_cast<std::size_t>(history.Agents);
  // Every table is built aside first; only when all have their memory are
  // they swapped in, so a commit that runs out of memory changes nothing.
  auto expertise = Relaid(history.ExpertiseHistory, oldN * kSkillSlots, n * kSkillSlots, rows);
  auto motivation = Relaid(history.MotivationHistory, oldN * kSkillSlots, n * kSkillSlots, rows);
  auto stepWork = Relaid(history.StepWorkHistory, oldN + 1, n + 1, rows);
  auto coordination = Relaid(history.CoordinationHistory, 1, 1, rows);
  auto inTask = Resized(history.InTaskHistory, static_cast<std::size_t>(tasks), n, SkillFlags{});
  auto taskWork = Resized(history.TaskWorkHistory, static_cast<std::size_t>(tasks) + 2, n + 2, 0.0);

  history.TotalCycles = static_cast<std::int64_t>(cycles) * tasks;
  history.HistoryLength = kDefaultHistoryLength;
  history.ExpertiseHistory.swap(expertise);
  history.MotivationHistory.swap(motivation);
  history.StepWorkHistory.swap(stepWork);
  history.CoordinationHistory.swap(coordination);
  history.InTaskHistory.swap(inTask);
  history.TaskWorkHistory.swap(taskWork);
  history.Agents = agents;
  history.Rows = static_cast<std::int64_t>(rows);
}

std::int64_t HistoryBytes(std::int64_t rows, int agents) {
  return rows * agents * kSkillSlots * 2 * static_cast<std::int64_t>(sizeof(double));
}

std::string ByteText(std::int64_t bytes) {
  // Tenths of the largest unit the count reaches, rounded, ".0" left out.
  static constexpr struct {
    std::int64_t size;
    const char* name;
  } kUnits[] = {{std::int64_t{1} << 30, " GiB"}, {std::int64_t{1} << 20, " MiB"}, {std::int64_t{1} << 10, " KiB"}};
  for (const auto& unit : kUnits) {
    if (bytes < unit.size) continue;
    const std::int64_t tenths = (bytes / unit.size) * 10 + ((bytes % unit.size) * 10 + unit.size / 2) / unit.size;
    std::string text = IntToStr(tenths / 10);
    if (tenths % 10 != 0) {
      text += '.';
      text += IntToStr(tenths % 10);
    }
    text += unit.name;
    return text;
  }
  return IntToStr(bytes) + " bytes";
}

bool HistoryRowFits(const RunHistory& history, std::int64_t row) {
  return HistoryBytes(row + 1, history.Agents) <= history.ByteLimit;
}

bool EnsureHistoryRow(RunHistory& history, std::int64_t row) {
  if (row < history.Rows) return true;
  if (!HistoryRowFits(history, row)) return false;
  const std::size_t rows = static_cast<std::size_t>(row) + 1;
  const std::size_t n = static_cast<std::size_t>(history.Agents);
  // All the room first: a growth that runs out of memory leaves every array
  // at the rows it had; the resizes below then cannot fail.
  Reserve(history.ExpertiseHistory, n * kSkillSlots, rows);
  Reserve(history.MotivationHistory, n * kSkillSlots, rows);
  Reserve(history.StepWorkHistory, n + 1, rows);
  Reserve(history.CoordinationHistory, 1, rows);
  history.ExpertiseHistory.resize(rows * n * kSkillSlots, 0.0);
  history.MotivationHistory.resize(rows * n * kSkillSlots, 0.0);
  history.StepWorkHistory.resize(rows * (n + 1), 0.0);
  history.CoordinationHistory.resize(rows, 0);
  history.Rows = static_cast<std::int64_t>(rows);
  if (row > history.HistoryLength) history.HistoryLength = static_cast<int>(row);
  return true;
}

namespace {

// The first `count` elements of `table` in a vector of exactly that size.
template <typename T>
HistoryArray<T> Fitted(const HistoryArray<T>& table, std::size_t count) {
  return HistoryArray<T>(table.data(), std::min(count, table.size()));
}

}  // namespace

void FitHistory(RunHistory& history, std::int64_t rows) {
  const std::size_t kept = static_cast<std::size_t>(std::clamp<std::int64_t>(rows, 0, history.Rows));
  const std::size_t n = static_cast<std::size_t>(history.Agents);
  const bool fitted = kept == static_cast<std::size_t>(history.Rows) &&
                      history.ExpertiseHistory.capacity() == history.ExpertiseHistory.size() &&
                      history.MotivationHistory.capacity() == history.MotivationHistory.size() &&
                      history.StepWorkHistory.capacity() == history.StepWorkHistory.size() &&
                      history.CoordinationHistory.capacity() == history.CoordinationHistory.size();
  if (fitted) return;
  // Copies first, swapped in only when all of them have their memory.
  auto expertise = Fitted(history.ExpertiseHistory, kept * n * kSkillSlots);
  auto motivation = Fitted(history.MotivationHistory, kept * n * kSkillSlots);
  auto stepWork = Fitted(history.StepWorkHistory, kept * (n + 1));
  auto coordination = Fitted(history.CoordinationHistory, kept);
  history.ExpertiseHistory.swap(expertise);
  history.MotivationHistory.swap(motivation);
  history.StepWorkHistory.swap(stepWork);
  history.CoordinationHistory.swap(coordination);
  history.Rows = static_cast<std::int64_t>(kept);
  if (history.HistoryLength >= history.Rows) {
    history.HistoryLength = static_cast<int>(std::max<std::int64_t>(history.Rows - 1, 0));
  }
}

void AddTaskWorkRows(RunHistory& history, std::int64_t row, int agents) {
  if (row < static_cast<std::int64_t>(history.TaskWorkHistory.size())) return;  // never shrinks
  history.TaskWorkHistory.resize(static_cast<std::size_t>(row) + 1,
                                 std::vector<double>(static_cast<std::size_t>(agents) + 2, 0.0));
}

void EnsureInTaskRow(RunHistory& history, std::int64_t row, int agents) {
  if (row < static_cast<std::int64_t>(history.InTaskHistory.size())) return;
  history.InTaskHistory.resize(static_cast<std::size_t>(row) + 1,
                               std::vector<SkillFlags>(static_cast<std::size_t>(agents), SkillFlags{}));
}

namespace {

bool HoldsLevel(const RunHistory& history, std::int64_t row, int agent, int slot) {
  return row >= 0 && row < history.Rows && agent >= 0 && agent < history.Agents && slot >= 0 &&
         slot < kSkillSlots;
}

}  // namespace

double ExpertiseAt(const RunHistory& history, std::int64_t row, int agent, int slot) {
  return HoldsLevel(history, row, agent, slot) ? history.ExpertiseHistory[LevelIndex(history, row, agent, slot)] : 0.0;
}

double MotivationAt(const RunHistory& history, std::int64_t row, int agent, int slot) {
  return HoldsLevel(history, row, agent, slot) ? history.MotivationHistory[LevelIndex(history, row, agent, slot)]
                                               : 0.0;
}

double StepWorkAt(const RunHistory& history, std::int64_t row, int column) {
  if (row < 0 || row >= history.Rows || column < 0 || column > history.Agents) return 0.0;
  return history.StepWorkHistory[static_cast<std::size_t>(row) * (static_cast<std::size_t>(history.Agents) + 1) +
                                 static_cast<std::size_t>(column)];
}

int CoordinationAt(const RunHistory& history, std::int64_t row) {
  if (row < 0 || row >= history.Rows) return 0;
  return history.CoordinationHistory[static_cast<std::size_t>(row)];
}

double TaskWorkAt(const RunHistory& history, long long row, long long column) {
  if (row < 0 || column < 0 || static_cast<std::size_t>(row) >= history.TaskWorkHistory.size()) return 0.0;
  const auto& line = history.TaskWorkHistory[static_cast<std::size_t>(row)];
  if (static_cast<std::size_t>(column) >= line.size()) return 0.0;
  return line[static_cast<std::size_t>(column)];
}

}  // namespace davrel3
