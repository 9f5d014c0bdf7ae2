// The run history: what a run records timestep by timestep and task by task,
// and what the charts read afterwards.
//
// A commit sizes it (DefineGraphics) to 246 rows; a run that needs more rows
// grows it one row at a time, so HistoryLength is 245 or the last row the run
// reached, whichever is larger. The store is never cleared between runs.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "records.h"

namespace davrel3 {

inline constexpr int kDefaultHistoryLength = 245;
// A run may not grow the expertise and motivation history past this size.
inline constexpr std::int64_t kHistoryByteLimit = std::int64_t{1} << 30;

using SkillSlots = std::array<double, kSkillSlots>;
using SkillFlags = std::array<bool, kSkillSlots>;

struct RunHistory {
  std::vector<std::vector<SkillSlots>> ExpertiseHistory;   // [row][agent][slot]
  std::vector<std::vector<SkillSlots>> MotivationHistory;  // [row][agent][slot]
  std::vector<std::vector<SkillFlags>> InTaskHistory;      // [task][agent][slot]
  std::vector<std::vector<SkillFlags>> FlagHistory;        // [row][agent][slot]
  std::vector<int> CoordinationHistory;                    // [row]
  std::vector<std::vector<double>> StepWorkHistory;        // [row][agent, then system]
  std::vector<std::vector<double>> TaskWorkHistory;        // [task row][agent, then two totals]
  std::int64_t TotalCycles = 0;
  int HistoryLength = 0;
  // A run fails rather than grow the expertise and motivation history past
  // this many bytes.
  std::int64_t ByteLimit = kHistoryByteLimit;
};

// Sizes the store for a committed group: 246 rows, `agents` agents, `tasks`
// tasks; kept cells keep their values, new ones are zero.
void DefineGraphics(RunHistory& history, int cycles, int tasks, int agents);

// Bytes the expertise and motivation arrays would hold with `rows` rows.
std::int64_t HistoryBytes(std::int64_t rows, int agents);

// Makes `row` a valid row of the per-timestep arrays, growing them (and
// HistoryLength) if needed. Returns false, changing nothing, if that would
// pass the history's ByteLimit.
bool EnsureHistoryRow(RunHistory& history, std::int64_t row, int agents);

// Makes `row` a valid row of TaskWorkHistory (a task count read during the run
// may exceed the committed one).
void EnsureTaskWorkRow(RunHistory& history, std::int64_t row, int agents);
void EnsureInTaskRow(RunHistory& history, std::int64_t row, int agents);

// TaskWorkHistory[row][column], 0 for a cell the table does not have.
double TaskWorkAt(const RunHistory& history, long long row, long long column);

}  // namespace davrel3
