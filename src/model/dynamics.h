// Once per timestep, after the allocation: the agents perform their units and
// every present agent's state moves on by one timestep (learning, forgetting,
// boredom, rest), and the timestep's values go into the history and the grids.
#pragma once

#include "model_state.h"

namespace davrel3 {

// n is the run-wide timestep number (timestep within the task plus the task
// stride times k), k the task index and row the history row of this timestep.
void UpdateAgents(RunContext& ctx, long long n, int k, long long row);
void PerformSkill(RunContext& ctx, int i, int j, long long n, int k, long long row);

void Learn(TSkill& skill);
void Forget(TSkill& skill);
void UpdateMotivation(TSkill& skill);

}  // namespace davrel3
