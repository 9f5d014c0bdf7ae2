// The agents that cannot take a unit: present at START, yet with expertise at
// or below ExpThresh on every skill that a task of the run uses. Allocation
// never admits such a skill, so the agent stays free the whole run. The
// window warns about them on START; the run is the same with or without the
// warning.
#pragma once

#include <string>
#include <vector>

#include "presets/workbench.h"

namespace davrel3 {

// The agents (from 1) that the run START would begin cannot give a unit:
// every present agent except the newcomer, whom START takes out and whose
// entrance gives it new levels. The skill windows follow the run's rule over
// NrOfTasks tasks; none when there is nothing to perform or a text the run
// reads is not a number.
std::vector<int> AgentsWithoutWork(const Workbench& bench);

// "2, 5, 7-10": ascending numbers, consecutive ones as a range.
std::string AgentNumberList(const std::vector<int>& agents);
// The status-line warning naming the agents; empty for none.
std::string AgentsWithoutWorkWarning(const std::vector<int>& agents);

}  // namespace davrel3
