// Once per timestep: which agent performs which skill. Every agent weighs its
// drive towards each in-task skill ("I") against the pull to leave it to
// others ("You"); free agents choose, the weakest of too many competitors for
// a column gives way and chooses again, and the rest get the column's next
// open units. Ties go to the lower skill index, the lower agent index is the
// weakest competitor, and the lower agent index gets the earlier unit.
#pragma once

#include "model_state.h"

namespace davrel3 {

void AllocateTimestep(RunContext& ctx, long long n);
void ComputeTendencies(TSystem& system);
void ComputeTendency(TSkill& skill);
void ChooseSkills(const ModelState& state, TSystem& system);
int PreferredSkill(const ModelState& state, const TAgent& agent);
int CountCandidates(const ModelState& state, int j);
int OpenUnitCount(const ModelState& state, int j);
int FirstOpenCycle(const TTask& task, int j);
int FirstUnperformedCycle(const TTask& task, int j);
int CountAvailableAgents(const TSystem& system);
int WeakestCompetitor(const TSystem& system, int j);
// Returns whether agent i was made a loser for skill j.
bool Inhibit(TSystem& system, int j, int i);
void AllocateUnits(RunContext& ctx, int j, long long n);

// The text of a unit given out ("12 / 3") or performed ("12/3"): timestep and
// agent, both counted from 1.
std::string AllocationText(long long n, int agent);
std::string PerformanceText(long long n, int agent);

}  // namespace davrel3
