// The run history: what a run records timestep by timestep and task by task,
// and what the charts read afterwards.
//
// The per-timestep quantities (expertise, motivation, step work, coordination)
// are each one contiguous array (HistoryArray), row after row, with a row per
// timestep. A commit sizes them (DefineGraphics) to 246 rows; a run that
// needs more rows grows them, the capacity doubling so that a long run
// reallocates its history only a few times, so HistoryLength is 245 or the
// last row the run reached, whichever is larger. The store is never cleared
// between runs.
//
// Readers go through the accessors below (ExpertiseAt, StepWorkAt, ...): a
// cell the store does not hold reads as 0, as an unwritten cell does.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "history_array.h"
#include "records.h"

namespace davrel3 {

inline constexpr int kDefaultHistoryLength = 245;
// The history's byte limit until the front end sets its memory budget.
inline constexpr std::int64_t kHistoryByteLimit = std::int64_t{1} << 30;

using SkillFlags = std::array<bool, kSkillSlots>;

struct RunHistory {
  // [row][agent][slot], Agents x kSkillSlots values per row.
  HistoryArray<double> ExpertiseHistory;
  HistoryArray<double> MotivationHistory;
  // [row][agent, then the group's duration], Agents + 1 values per row.
  HistoryArray<double> StepWorkHistory;
  HistoryArray<int> CoordinationHistory;               // [row]
  std::vector<std::vector<SkillFlags>> InTaskHistory;  // [task][agent][slot]
  std::vector<std::vector<double>> TaskWorkHistory;    // [task row][agent, then two totals]
  // Agents per row (the committed group) and rows the per-timestep arrays hold.
  int Agents = 0;
  std::int64_t Rows = 0;
  std::int64_t TotalCycles = 0;
  int HistoryLength = 0;
  // A run fails rather than let the expertise and motivation history pass
  // this many bytes. The front end sets it from its memory budget.
  std::int64_t ByteLimit = kHistoryByteLimit;
};

// Sizes the store for a committed group: 246 rows, `agents` agents, `tasks`
// tasks; kept cells keep their values, new ones are zero. Without
// `timesteps` (a workbench that serves tables only) the per-timestep arrays
// hold no rows at all.
void DefineGraphics(RunHistory& history, int cycles, int tasks, int agents, bool timesteps = true);

// Bytes the expertise and motivation arrays would hold with `rows` rows.
std::int64_t HistoryBytes(std::int64_t rows, int agents);

// A byte count as the user is told it: "1 GiB", "11.5 GiB", "300 MiB".
std::string ByteText(std::int64_t bytes);

// Whether `row` fits in the history's ByteLimit.
bool HistoryRowFits(const RunHistory& history, std::int64_t row);
// Makes `row` a valid row of the per-timestep arrays, growing them (and
// HistoryLength) if needed. Returns false, changing nothing, if the row does
// not fit in the ByteLimit.
bool EnsureHistoryRow(RunHistory& history, std::int64_t row);

// Keeps rows 0 .. rows - 1 of the per-timestep arrays (all the store holds
// when it holds fewer) in arrays of exactly that size: the memory of the rows
// beyond, and the room a growing run reserved ahead, goes back. HistoryLength
// is cut to the last row kept. Throws std::bad_alloc leaving the store as it
// was.
void FitHistory(RunHistory& history, std::int64_t rows);

// Makes `row` a valid row of TaskWorkHistory (a task count read during the run
// may exceed the committed one). Called every timestep: the row nearly
// always exists already, and only its absence leaves the header.
void AddTaskWorkRows(RunHistory& history, std::int64_t row, int agents);
inline void EnsureTaskWorkRow(RunHistory& history, std::int64_t row, int agents) {
  if (row >= static_cast<std::int64_t>(history.TaskWorkHistory.size())) AddTaskWorkRows(history, row, agents);
}
void EnsureInTaskRow(RunHistory& history, std::int64_t row, int agents);

// --- readers: 0 for a cell the store does not hold
double ExpertiseAt(const RunHistory& history, std::int64_t row, int agent, int slot);
double MotivationAt(const RunHistory& history, std::int64_t row, int agent, int slot);
// Column `agent` of a row, or the group's duration at column Agents.
double StepWorkAt(const RunHistory& history, std::int64_t row, int column);
int CoordinationAt(const RunHistory& history, std::int64_t row);
// TaskWorkHistory[row][column].
double TaskWorkAt(const RunHistory& history, long long row, long long column);

// --- writers of a run: the row must be one EnsureHistoryRow made valid
inline std::size_t LevelIndex(const RunHistory& history, std::int64_t row, int agent, int slot) {
  return (static_cast<std::size_t>(row) * static_cast<std::size_t>(history.Agents) + static_cast<std::size_t>(agent)) *
             kSkillSlots +
         static_cast<std::size_t>(slot);
}
inline void RecordLevels(RunHistory& history, std::int64_t row, int agent, int slot, double expertise,
                         double motivation) {
  const std::size_t at = LevelIndex(history, row, agent, slot);
  history.ExpertiseHistory[at] = expertise;
  history.MotivationHistory[at] = motivation;
}
inline void RecordStepWork(RunHistory& history, std::int64_t row, int column, double value) {
  history.StepWorkHistory[static_cast<std::size_t>(row) * (static_cast<std::size_t>(history.Agents) + 1) +
                          static_cast<std::size_t>(column)] = value;
}

}  // namespace davrel3
