// A whole run: task after task, timestep after timestep, until every unit of
// every task is performed. Every run ends: a task in which nothing can change
// any more stalls, and a fault (a zero denominator, a result that is not
// finite, a history past its limit, a control text that is not a number) ends
// the run where it happened, keeping the state reached.
#pragma once

#include <string>
#include <vector>

#include "model_state.h"

namespace davrel3 {

// Cancelled: the observer asked the run to stop; the state reached is kept.
enum class RunStatus { Finished, Stalled, Failed, Refused, Cancelled };
std::string_view RunStatusName(RunStatus status);

struct RunOutcome {
  RunStatus status = RunStatus::Finished;
  std::string message;
  // Timesteps begun per task; a stalled or failed run's last entry counts the
  // timestep it stopped in.
  std::vector<long long> timesteps;
};

// A task stalls when it has performed no unit for this many timesteps in a row.
inline constexpr long long kIdleTimestepLimit = 10000;

RunOutcome RunSimulation(RunContext& ctx);
void StartTask(RunContext& ctx, int k);
// The newcomer's level on skill j (0-based) at its entrance.
double NewcomerSkillValue(int fit, int newcomer, int offset, int j);
// The level offset of the "Skills Newcomer" item: Low -3, Mod 0, High 3.
int SkillOffset(int hiLoIndex);

}  // namespace davrel3
