// Once per timestep: which agent performs which skill. Every agent weighs its
// drive towards each in-task skill ("I") against the pull to leave it to
// others ("You"); free agents choose, the weakest of too many competitors for
// a column gives way and chooses again, and the rest get the column's next
// open units. Ties go to the lower skill index, the lower agent index is the
// weakest competitor, and the lower agent index gets the earlier unit.
//
// Each free agent's preferred skill is computed once and again only when what
// it depends on changes: when the agent gives way (its own marks change) or
// when a column runs out of open units (only agents that preferred that column
// can change their minds: dropping any other skill from the admissible ones
// leaves the best one best). Column counts come from the run's column index.
#pragma once

#include <string>

#include "column_index.h"
#include "model_state.h"

namespace davrel3 {

void AllocateTimestep(RunContext& ctx, long long n);
void ComputeTendencies(TSystem& system);
void ComputeTendency(TSkill& skill);
// The admissible in-task skill with the greatest difference I - You above -1,
// -1 if there is none.
int PreferredSkill(ColumnIndex& columns, const TSystem& system, const TAgent& agent);

// The text of a unit given out ("12 / 3") or performed ("12/3"): timestep and
// agent, both counted from 1.
std::string AllocationText(long long n, int agent);
std::string PerformanceText(long long n, int agent);

}  // namespace davrel3
