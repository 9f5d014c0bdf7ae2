// The work-time measures of the chart window and the texts of its work-time
// and allocation grids. Every read of the history is bounded by the table the
// last commit sized: a cell the table does not have reads as 0.
#pragma once

#include <string>

#include "model_state.h"

namespace davrel3 {

// Nearest whole number, an exact half going to the even neighbour.
double RoundHalfEven(double value);
// The grid text of a value: rounded half to even, plain decimal digits.
std::string FormatRounded(double value);
// The agent frames' text of a value: value x 100 formed in extended
// precision, then rounded half to even.
std::string FormatHundredths(double value);

// The measures over TaskWorkHistory; `tasks` is the task count read from the
// panel when the table is drawn, `agents` the committed group size.
double AddAllTasksPerAgents(const RunHistory& history, int tasks, int j);
double SlowestPerformanceTime(const RunHistory& history, int agents, int k);
double SumPerformanceTime(const RunHistory& history, int agents, int k);
double MeanPerformanceTimeCorrectedNewcomerNoFit(const RunHistory& history, int agents, int k);
double MeanPerformanceTimeCorrectedNewcomerFit(const RunHistory& history, int agents, int k);

// The most allocation-grid columns a commit allows (NrOfTasks x Cycle).
inline constexpr long long kMaxGridColumns = 10000000;

// Headings of the allocation grid; its body is written by the run.
void DrawAllocation(RunContext& ctx);
// The work-time table: headings, then TotalWorkTime.
void DrawWorkTime(RunContext& ctx);
void TotalWorkTime(RunContext& ctx);

}  // namespace davrel3
