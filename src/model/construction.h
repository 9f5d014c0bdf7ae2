// Building the work group and the task from the parameter panel. Construction
// sets parameters and flags but never skill levels: Expertise, Motivation and
// InitialLevel keep what skill profiles or the previous run left.
#pragma once

#include "model_state.h"

namespace davrel3 {

void CreateSystem(RunContext& ctx);
void CreateTask(RunContext& ctx);

// The task frame's grid: sizes and headings, then a Y/N for every unit of the
// current skill window.
void MakeTaskGrid(RunContext& ctx);
void ShowTaskUnits(RunContext& ctx);

}  // namespace davrel3
