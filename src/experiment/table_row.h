// One row of a results table (design, sweep, points): one run and task, with
// everything that made it. The row builder is the one place a run becomes
// rows, so every table and the window's design results carry the same
// columns with the same numbers.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "experiment/record.h"

namespace davrel3 {

struct TableRow {
  long long run = 0;           // from 1, in plan order
  ParameterValues parameters;  // as read at START (for a refused run: as the refusal left them)
  std::string config;          // the configuration applied, empty for none
  std::string levels;          // the levels option, empty for none
  int task = 0;                // from 1; 0 for the one row of a run without tasks
  RunStatus status = RunStatus::Finished;
  std::string message;         // why the run was refused, failed, stalled or cancelled
  long long timesteps = 0;
  std::vector<double> agentTimes;  // the task's work time of every agent of the group
  double slow = 0, sum = 0, meanNoFit = 0, meanFit = 0;
  // The division of labour over the task, before and after the entrance;
  // none where no unit was performed.
  std::optional<double> dol, dolBefore, dolAfter;

  int Item(Choice choice) const { return parameters.Item(choice); }
};

// What the table says about a run besides its outcome.
struct RowLabels {
  long long run = 0;
  std::string config;
  std::string levels;
};

// The rows of a run that has ended (or never began), one per task; a run
// without tasks (refused, or no task) has one row without numbers.
std::vector<TableRow> BuildRows(const Workbench& bench, const RunOutcome& outcome, const ParameterValues& atStart,
                                const RowLabels& labels);

}  // namespace davrel3
