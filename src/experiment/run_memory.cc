#include "run_memory.h"

#include <algorithm>
#include <limits>

#include "model/history.h"
#include "model/int_text.h"
#include "model/records.h"

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

std::int64_t RunStartBytes(const ParameterPanel& panel) {
  const std::int64_t agents = Read(panel, Field::NrofAg);
  const std::int64_t skills = Read(panel, Field::NrofSkills);
  const std::int64_t cycles = Read(panel, Field::Cycle);
  const std::int64_t actions = Read(panel, Field::Action);
  const std::int64_t tasks = Read(panel, Field::NrOfTasks);
  // The group: every agent's skills with their records, twice (the agents
  // and their reserve).
  const std::int64_t skillBytes = sizeof(TSkill) + sizeof(TSkillExtra) + kPerformedAtLength / 8 + 2 * kVectorBytes;
  std::int64_t bytes = Times(Times(agents, skills), 2 * skillBytes);
  // The task: its units, the task grid (a cell per cycle and skill) and the
  // allocation grid (a cell per cycle of every task).
  bytes = Plus(bytes, Times(cycles, Plus(Times(std::max(actions, skills), sizeof(TTaskUnit)), kVectorBytes)));
  bytes = Plus(bytes, Times(Times(cycles, skills), kCellBytes));
  bytes = Plus(bytes, Times(Times(tasks, std::max<std::int64_t>(cycles, 1)), kCellBytes));
  // The history's task tables and its first 246 rows.
  bytes = Plus(bytes, Times(tasks, Plus(Times(agents, kSkillSlots * sizeof(bool)), kVectorBytes)));
  bytes = Plus(bytes, Times(tasks + 2, Plus(Times(agents + 2, sizeof(double)), kVectorBytes)));
  bytes = Plus(bytes, HistoryRowsBytes(kDefaultHistoryLength + 1, agents));
  return Plus(bytes, kBaseBytes);
}

std::int64_t RunBytesNow(const Workbench& bench) { return RunBytesNow(bench, RunStartBytes(bench.Panel())); }

std::int64_t RunBytesNow(const Workbench& bench, std::int64_t startBytes) {
  const auto& history = bench.State().History;
  const std::int64_t agents = bench.State().System.NrOfAgents;
  const std::int64_t rows = std::max<std::int64_t>(history.HistoryLength, kDefaultHistoryLength) + 2;
  return Plus(startBytes, HistoryRowsBytes(rows - (kDefaultHistoryLength + 1), agents));
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
