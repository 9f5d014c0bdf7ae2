// The time series of runs as a long CSV table: one row per run, task,
// timestep, agent and skill slot in use, with the skill's expertise and
// motivation after that timestep and the agent's work time in it. The run
// number joins it to the results table.
//   run,task,timestep,agent,skill,expertise,motivation,step_work
#pragma once

#include <string>

#include "presets/workbench.h"

namespace davrel3 {

std::string SeriesHeader();

// The rows of a run that has ended, from the history as the run left it:
// every timestep the run began (also the one a stalled or failed run stopped
// in), every agent, every skill slot the history keeps for it. None for a
// run that never began.
std::string SeriesRows(const Workbench& bench, const RunOutcome& outcome, long long run);

}  // namespace davrel3
