// The records of the work group and the task. Plain data: the procedures that
// build and change them are free functions elsewhere in the model.
//
// Dynamic arrays are std::vector. Growing one fills the new elements with
// zeros, and resizing keeps the elements that remain; construction relies on
// both to keep the levels that skill profiles or an earlier run left behind.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace davrel3 {

// Number of skill slots the history keeps per agent.
inline constexpr int kSkillSlots = 40;
// Offset between the timestep numbers of consecutive tasks.
inline constexpr int kTaskStride = 10000;
// Length of every skill's PerformedAt record.
inline constexpr int kPerformedAtLength = 1000;
// The newcomer of the experimental conditions is the agent with this index.
inline constexpr int kNewcomerIndex = 5;

struct TSkillExtra {
  std::array<double, 6> Values{};
};

struct TSkill {
  double Motivation = 0;
  double Expertise = 0;
  double InitialLevel = 0;
  double TimeNeeded = 0;
  int ExpMax = 0;
  int ExpThresh = 0;
  int MotMax = 0;
  int MotThresh = 0;
  int RestCredit = 0;
  bool Chosen = false;
  bool InTask = false;
  bool UnitsOpen = false;
  bool Loser = false;
  double ExpWeight = 0;
  double InhPar = 0;
  double ExcPar = 0;
  double LearnSpeed = 0;
  double ForgetSpeed = 0;
  double BoreRate = 0;
  double RestRate = 0;
  double IValue = 0;
  double YouValue = 0;
  std::vector<bool> PerformedAt;
};

struct TAgent {
  std::vector<TSkill> Skills;
  std::vector<TSkillExtra> SkillExtras;
  int NrOfSkills = 0;
  double StepWorkTime = 0;
  double TaskWorkTime = 0;
  double RunWorkTime = 0;
  double InteractionBase = 0;
  double LearnInteraction = 0;
  bool Available = false;
  bool Present = false;
};

struct TSystem {
  std::vector<TAgent> Agents;
  std::vector<TAgent> ReserveAgents;
  int NrOfAgents = 0;
  int EntranceTime = 0;
  std::vector<int> SkillTable;
  double StepDuration = 0;
  double RunDuration = 0;
  double TaskDuration = 0;
};

struct TTaskUnit {
  int Duration = 0;
  bool Performed = false;
  bool Open = false;
};

struct TTask {
  // The task grid, row after row: a row per cycle, a column per skill of the
  // group (not per action), UnitColumns columns. TaskUnit(task, c, j) is the
  // unit of cycle c, skill j.
  std::vector<TTaskUnit> Units;
  int UnitColumns = 0;
  int Cycles = 0;
  int Actions = 0;
  int Variety = 0;
  // Cycles x Actions can pass the 32-bit range for typed parameter sets.
  std::int64_t NrOfUnits = 0;
  std::int64_t PerformedCount = 0;
  std::int64_t AllocatedCount = 0;
  int TaskStride = 0;
};

inline TTaskUnit& TaskUnit(TTask& task, long long c, long long j) {
  return task.Units[static_cast<std::size_t>(c) * static_cast<std::size_t>(task.UnitColumns) +
                    static_cast<std::size_t>(j)];
}
inline const TTaskUnit& TaskUnit(const TTask& task, long long c, long long j) {
  return task.Units[static_cast<std::size_t>(c) * static_cast<std::size_t>(task.UnitColumns) +
                    static_cast<std::size_t>(j)];
}

}  // namespace davrel3
