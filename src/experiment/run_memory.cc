#include "run_memory.h"

#include <algorithm>
#include <limits>

#include "model/history.h"
#include "model/int_text.h"
#include "model/division_of_labour.h"
#include "model/records.h"
#include "experiment/table_row.h"

namespace davrel3 {
namespace {

constexpr std::int64_t kMax = std::numeric_limits<std::int64_t>::max() / 4;
// What a std::vector or a std::string costs beyond its elements.
constexpr std::int64_t kVectorBytes = 3 * sizeof(void*);
constexpr std::int64_t kCellBytes = sizeof(std::string) + 16;
// The program, the workbench and the empty records.
constexpr std::int64_t kBaseBytes = std::int64_t{4} << 20;

// a * b, saturating: the sizes come from texts and may be anything.
std::int64_t Times(std::int64_t a, std::int64_t b) {
  if (a <= 0 || b <= 0) return 0;
  if (a > kMax / b) return kMax;
  return a * b;
}
std::int64_t Plus(std::int64_t a, std::int64_t b) { return std::min(kMax, a + b); }

std::int64_t Read(const ParameterPanel& panel, Field field) {
  try {
    return std::max(0, StrToInt(panel.Text(field)));
  } catch (const ConversionError&) {
    return 0;
  }
}

// Bytes of one row for `agents` agents: expertise and motivation, the step
// work of every agent and of the group, coordination (the history keeps each
// in one flat array).
std::int64_t RowBytes(std::int64_t agents) {
  const std::int64_t perAgent = kSkillSlots * 2 * sizeof(double) + sizeof(double);
  return Plus(Times(agents, perAgent), sizeof(double) + sizeof(int));
}

}  // namespace

std::int64_t HistoryRowsBytes(std::int64_t rows, std::int64_t agents) { return Times(rows, RowBytes(agents)); }

std::int64_t SeriesRowsBytes(std::int64_t rows, std::int64_t agents, std::int64_t slots) {
  // A row at its longest: the run, task, timestep, agent and skill numbers,
  // three numbers in their shortest form (at most 24 characters each), seven
  // commas and the line end. SeriesRows reserves this much for its text.
  constexpr std::int64_t kRowBytes = 20 + 6 + 20 + 7 + 3 + 3 * 24 + 8;
  return Times(Times(Times(rows, agents), std::min<std::int64_t>(slots, kSkillSlots)), kRowBytes);
}

std::int64_t RunStartBytes(const ParameterPanel& panel, bool history) {
  const std::int64_t agents = Read(panel, Field::NrofAg);
  const std::int64_t skills = Read(panel, Field::NrofSkills);
  const std::int64_t cycles = Read(panel, Field::Cycle);
  const std::int64_t actions = Read(panel, Field::Action);
  const std::int64_t tasks = Read(panel, Field::NrOfTasks);
  // The group: every agent's skills with their records, three times (the
  // agents, their reserve, and the group a commit replaces while it builds
  // the new one aside).
  const std::int64_t skillBytes = sizeof(TSkill) + sizeof(TSkillExtra) + kPerformedAtLength / 8 + 2 * kVectorBytes;
  std::int64_t bytes = Times(Times(agents, skills), 3 * skillBytes);
  bytes = Plus(bytes, Times(agents, 3 * (sizeof(TAgent) + 2 * kVectorBytes)));
  // The task: its units, twice (the commit builds the new task beside the old).
  bytes = Plus(bytes, Times(2 * cycles, Plus(Times(std::max(actions, skills), sizeof(TTaskUnit)), kVectorBytes)));
  // The division of labour: per task the units of every agent and skill
  // before and after the entrance (both kept to the end for the rows), and
  // the sum of the two a row's index is computed from.
  const std::int64_t labourTask = Plus(Times(Times(agents, skills), 2 * sizeof(std::int64_t)), 2 * kVectorBytes);
  bytes = Plus(bytes, Times(tasks, Plus(labourTask, sizeof(LabourTask))));
  bytes = Plus(bytes, Times(agents, Times(skills, sizeof(std::int64_t))));
  // The history's task tables.
  bytes = Plus(bytes, Times(tasks, Plus(Times(agents, kSkillSlots * sizeof(bool)), kVectorBytes)));
  bytes = Plus(bytes, Times(tasks + 2, Plus(Times(agents + 2, sizeof(double)), kVectorBytes)));
  // The result: a row per task with every agent's work time and its texts.
  bytes = Plus(bytes, Times(std::max<std::int64_t>(tasks, 1), Plus(sizeof(TableRow) + 512, Times(agents, sizeof(double)))));
  if (history) {
    // The task grid (a cell per cycle and action or skill), the allocation
    // grid (a cell per cycle of every task), the first 246 rows of the
    // history, twice (the commit lays them out beside the old), and their
    // series rows.
    bytes = Plus(bytes, Times(Times(cycles + 1, std::max(actions, skills) + 1), kCellBytes));
    bytes = Plus(bytes, Times(Times(tasks, std::max<std::int64_t>(cycles, 1)), kCellBytes));
    bytes = Plus(bytes, Times(2, HistoryRowsBytes(kDefaultHistoryLength + 1, agents)));
    bytes = Plus(bytes, SeriesRowsBytes(kDefaultHistoryLength + 1, agents, skills));
  }
  return Plus(bytes, kBaseBytes);
}

namespace {

// The bytes of a history array as allocated, and of the array its next row
// would need: a full array grows to at least twice its capacity, and the old
// block may still be there while it is copied.
template <typename T>
std::int64_t ArrayBytes(const HistoryArray<T>& array, std::int64_t width) {
  const std::int64_t capacity = static_cast<std::int64_t>(array.capacity());
  std::int64_t bytes = Times(capacity, sizeof(T));
  if (static_cast<std::int64_t>(array.size()) + width > capacity) {
    bytes = Plus(bytes, Times(std::max(2 * capacity, static_cast<std::int64_t>(array.size()) + width), sizeof(T)));
  }
  return bytes;
}

}  // namespace

std::int64_t RunBytesNow(const Workbench& bench) {
  return RunBytesNow(bench, RunStartBytes(bench.Panel(), !bench.State().TablesOnly));
}

std::int64_t RunBytesNow(const Workbench& bench, std::int64_t start) {
  const ModelState& state = bench.State();
  if (state.TablesOnly) return start;
  const RunHistory& h = state.History;
  const std::int64_t agents = h.Agents;
  // What the start counted of the history: its first 246 rows twice.
  const std::int64_t counted = Times(2, HistoryRowsBytes(kDefaultHistoryLength + 1, agents));
  std::int64_t arrays = ArrayBytes(h.ExpertiseHistory, agents * kSkillSlots);
  arrays = Plus(arrays, ArrayBytes(h.MotivationHistory, agents * kSkillSlots));
  arrays = Plus(arrays, ArrayBytes(h.StepWorkHistory, agents + 1));
  arrays = Plus(arrays, ArrayBytes(h.CoordinationHistory, 1));
  const std::int64_t rows = std::max<std::int64_t>(h.Rows, kDefaultHistoryLength + 1) + 1;
  const std::int64_t series = SeriesRowsBytes(rows - (kDefaultHistoryLength + 1), agents, CommittedSkills(state.System));
  return Plus(Plus(start, std::max<std::int64_t>(0, arrays - counted)), series);
}

std::int64_t HistoryLimitFor(std::int64_t budget) {
  // Expertise and motivation are at least this share of a row (the share is
  // smallest for a group of one); the limit leaves room for the rest.
  const std::int64_t share = kSkillSlots * 2 * sizeof(double);
  return budget / RowBytes(1) * share;
}

void SetMemoryBudget(Workbench& bench, std::int64_t budget) {
  bench.State().History.ByteLimit = HistoryLimitFor(budget);
}

}  // namespace davrel3
